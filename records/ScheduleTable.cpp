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
        *check, *memo, *done, *bank;
    // DONE came after the first tables were made: one without it reads as never handled.
    bool bind(Data4* t) {
        // BANKNO likewise: one without it has every schedule in the default bank account.
        done = bank = nullptr;
        for (int j = 1; j <= d4numFields(t); ++j) {
            if (f4name(d4fieldJ(t, j)) == "DONE") done = d4fieldJ(t, j);
            if (f4name(d4fieldJ(t, j)) == "BANKNO") bank = d4fieldJ(t, j);
        }
        Field4** all[] = {&id,    &kind, &repeat, &every, &day,    &start, &end,
                          &times, &acc,  &fol,    &payee, &amount, &check, &memo};
        const char* names[] = {"SCHID", "KIND",  "REPEAT", "EVERY", "DAY",    "START",   "ENDDATE",
                               "TIMES", "ACCNO", "FOLNO",  "PAYEE", "AMOUNT", "CHECKNO", "MEMO"};
        for (std::size_t i = 0; i < std::size(all); ++i)
            if ((*all[i] = d4field(t, names[i])) == nullptr) return false;
        return true;
    }
};

// A save writes the whole list under this name and renames it over SCHED, so that a failure
// or a crash on the way leaves the schedules as they were.
constexpr const char* kNewSchedulesTable = "SCHEDNEW";

Data4* OpenTable() {
    return cbk::OpenSideTable(cbk::kSchedulesTable);
}

}  // namespace

StoredSchedules LoadSchedules() {
    StoredSchedules out;
    if (!TableThere()) return out;
    cbk::EngineWork work;
    Data4* t = OpenTable();
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
        if (f.done) s.done = DateIn(f.done);
        if (f.bank) s.bankNo = std::int32_t(f4long(f.bank));
        out.schedules.push_back(std::move(s));
    }
    d4close(t);
    if (work.Done() != 0) out.error = "The scheduled entries (SCHED.dbf) cannot be read";
    return out;
}

std::string SaveSchedules(const std::vector<Schedule>& schedules,
                          const std::optional<DateTime>& lastCheck) {
    engine::FileSystem& fs = cbk::DataFileSystem();
    cbk::EngineWork work;
    const int safety = code4safety(cbk::cb, 0);
    Data4* t = cbk::MakeBare(kNewSchedulesTable,
                             cbk::CreateFields(*cbk::FindBooksTable(cbk::kSchedulesTable)));
    code4safety(cbk::cb, safety);
    Fields f{};
    bool ok = t != nullptr && f.bind(t) && f.done != nullptr && f.bank != nullptr &&
              d4appendBlank(t) == 0;
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
        f4assign(f.done, s.done ? cbk::DateToStored(*s.done) : "");
        f4assignLong(f.bank, s.bankNo);
    }
    if (t) {
        ok = d4flush(t) == 0 && ok;
        ok = d4close(t) == 0 && ok;
    }
    ok = work.Done() == 0 && ok;
    const std::string written = resolvePath(fs, ".", std::string(kNewSchedulesTable) + ".dbf");
    if (ok)
        ok = fs.rename(written, resolvePath(fs, ".", std::string(cbk::kSchedulesTable) + ".dbf")) ==
                 0 &&
             fs.syncDir(".") == 0;
    if (ok) return {};
    fs.remove(written);
    return "The scheduled entries could not be saved; they are kept as they were.";
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

namespace records {

DueEntered EnterDue(StoredSchedules& books, const std::vector<DueLine>& lines,
                    std::vector<DueChoice> choices, const std::vector<double>& amounts,
                    const DateTime& today) {
    DueEntered out;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (choices[i] != DueChoice::Enter) continue;
        const auto s = std::find_if(books.schedules.begin(), books.schedules.end(),
                                    [&](const Schedule& x) { return x.id == lines[i].scheduleId; });
        // A refused save (its message shown) leaves that line and the ones after it due.
        const long recNo = s == books.schedules.end() || !lines[i].problem.empty()
                               ? 0
                               : EnterDueRecord(*s, lines[i].date, amounts[i]);
        if (recNo == 0) {
            for (std::size_t j = i; j < lines.size(); ++j) choices[j] = DueChoice::Leave;
            out.stopped = true;
            break;
        }
        ++out.entered;
        out.records.emplace_back(i, recNo);
    }
    out.skipped = int(std::count(choices.begin(), choices.end(), DueChoice::Skip));
    books.lastCheck = NoteHandled(books.schedules, lines, choices, books.lastCheck, today);
    out.error = SaveSchedules(books.schedules, books.lastCheck);
    return out;
}

}  // namespace records
