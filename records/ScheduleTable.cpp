#include "records/ScheduleTable.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "data/Books.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "data/engine/FileSystem.h"
#include "records/RecordTables.h"

namespace records {
namespace {

using namespace engine;
using platform::DateTime;

constexpr const char kRepeatCodes[] = "WNMLQY";  // in the order of Repeat

std::string Trimmed(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return std::string{text};
}

std::optional<DateTime> DateIn(Field4* f) {
    const std::string text = Trimmed(f4str(f));
    if (text.empty()) return std::nullopt;
    const cbk::StoredDate d = cbk::StoredToDate(text);
    if (!d.ok()) return std::nullopt;
    return d.date.dateOnly();
}

bool TableThere() {
    return cbk::BooksHold(cbk::kSchedulesTable);
}

struct Fields {
    Field4 *id, *kind, *repeat, *every, *day, *start, *end, *times, *acc, *fol, *payee, *amount,
        *check, *memo;
    bool bind(Data4* t) {
        Field4** all[] = {&id,    &kind, &repeat, &every, &day,    &start, &end,
                          &times, &acc,  &fol,    &payee, &amount, &check, &memo};
        const char* names[] = {"SCHID", "KIND",  "REPEAT", "EVERY", "DAY",    "START",   "ENDDATE",
                               "TIMES", "ACCNO", "FOLNO",  "PAYEE", "AMOUNT", "CHECKNO", "MEMO"};
        for (std::size_t i = 0; i < std::size(all); ++i)
            if ((*all[i] = d4field(t, names[i])) == nullptr) return false;
        return true;
    }
};

Data4* OpenTable(bool create) {
    return cbk::OpenSideTable(cbk::kSchedulesTable, create);
}

}  // namespace

StoredSchedules LoadSchedules() {
    StoredSchedules out;
    if (!TableThere()) return out;
    cbk::EngineWork work;
    Data4* t = OpenTable(false);
    Fields f{};
    if (t == nullptr || !f.bind(t)) {
        if (t) d4close(t);
        out.error = "The scheduled entries (SCHED.dbf) cannot be read";
        return out;
    }
    for (int rc = d4top(t); rc == r4success; rc = d4skip(t, 1)) {
        if (d4deleted(t)) continue;
        const std::int32_t id = f4long(f.id);
        if (id == 0) {
            out.lastCheck = DateIn(f.start);
            continue;
        }
        Schedule s;
        s.id = id;
        s.kind = Trimmed(f4str(f.kind)) == "I" ? ScheduleKind::Income : ScheduleKind::Expense;
        const std::string code = Trimmed(f4str(f.repeat));
        const char* at = code.empty() ? nullptr : std::strchr(kRepeatCodes, code[0]);
        s.rule.repeat = at ? Repeat(at - kRepeatCodes) : Repeat::MonthlyOnDay;
        s.rule.every = std::max(1, f4int(f.every));
        s.rule.day = std::clamp(f4int(f.day), 1, 31);
        const auto start = DateIn(f.start);
        if (!start) continue;  // a schedule without a start never falls due
        s.rule.start = *start;
        s.rule.end = DateIn(f.end);
        s.rule.count = f4int(f.times);
        s.accNo = f4long(f.acc);
        s.folNo = f4long(f.fol);
        s.payee = Trimmed(f4str(f.payee));
        s.amount = f4double(f.amount);
        s.checkNo = f4long(f.check);
        s.memo = Trimmed(f4str(f.memo));
        out.schedules.push_back(std::move(s));
    }
    d4close(t);
    if (work.Done() != 0) out.error = "The scheduled entries (SCHED.dbf) cannot be read";
    return out;
}

std::string SaveSchedules(const std::vector<Schedule>& schedules,
                          const std::optional<DateTime>& lastCheck) {
    cbk::EngineWork work;
    Data4* t = OpenTable(true);
    Fields f{};
    if (t == nullptr || !f.bind(t)) {
        if (t) d4close(t);
        return "The scheduled entries could not be saved";
    }
    bool ok = d4zap(t, 1, d4recCount(t)) == 0 && d4appendBlank(t) == 0;
    if (ok) {
        f4assignLong(f.id, 0);
        f4assign(f.start, lastCheck ? cbk::DateToStored(*lastCheck) : "");
    }
    for (const Schedule& s : schedules) {
        if (!ok || (ok = d4appendBlank(t) == 0) == false) break;
        f4assignLong(f.id, s.id);
        f4assign(f.kind, s.kind == ScheduleKind::Income ? "I" : "E");
        f4assign(f.repeat, std::string(1, kRepeatCodes[int(s.rule.repeat)]));
        f4assignInt(f.every, s.rule.every);
        f4assignInt(f.day, s.rule.day);
        f4assign(f.start, cbk::DateToStored(s.rule.start));
        f4assign(f.end, s.rule.end ? cbk::DateToStored(*s.rule.end) : "");
        f4assignInt(f.times, s.rule.count);
        f4assignLong(f.acc, s.accNo);
        f4assignLong(f.fol, s.folNo);
        f4assign(f.payee, s.payee);
        f4assignDouble(f.amount, s.amount);
        f4assignLong(f.check, s.checkNo);
        f4assign(f.memo, s.memo);
    }
    ok = d4flush(t) == 0 && ok;
    d4close(t);
    ok = work.Done() == 0 && ok;
    return ok ? std::string{} : "The scheduled entries could not be saved";
}

long EnterDueRecord(const Schedule& s, const DateTime& date, double amount) {
    // Cents as a statement states them, so a later import of the same payment meets it.
    const double rounded = std::round(amount * 100.0) / 100.0;
    if (s.kind == ScheduleKind::Expense) {
        cbk::CurExpense = cbk::ExpenseRec{date.dateOnly(), s.checkNo, s.accNo, s.folNo,
                                          s.payee,         rounded,   s.memo,  false};
        return StoreRecord(cbk::Expenses, 0, cbk::StoreExpense);
    }
    cbk::CurIncome =
        cbk::IncomeRec{s.accNo, date.dateOnly(), s.payee, rounded, s.folNo, false, false};
    return StoreRecord(cbk::Income, 0, cbk::StoreIncome);
}

}  // namespace records
