#include "maintenance/Recovery.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <utility>

#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "data/Books.h"
#include "data/Database.h"
#include "data/StoredForms.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "platform/Platform.h"
#include "rules/EntryRules.h"

namespace maintenance {

namespace {

using engine::Data4;
using engine::Field4;
using FieldPairs = std::vector<std::pair<Field4*, Field4*>>;

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

std::string Trimmed(std::string text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "yyyymmdd" of the day itself, without the century window: a removal date is always now.
std::string DayStamp(std::chrono::sys_days day) {
    const std::chrono::year_month_day ymd{day};
    char text[16];
    std::snprintf(text, sizeof text, "%04d%02u%02u", int(ymd.year()), unsigned(ymd.month()),
                  unsigned(ymd.day()));
    return text;
}

const char* SourceTableName(RecordKind kind) {
    return kind == RecordKind::Expense ? "EXP5" : "INC5";
}

void Inform(const std::string& text) {
    platform::messages().show(platform::MessageKind::Information, text, platform::Buttons::OK);
}

// The engine's pending error, taken so that it ends no later command; its text when set.
std::string TakeError() {
    const int code = cbk::TakeEngineError();
    return code == 0 ? std::string() : engine::code4errorText(cbk::cb);
}

// Each field of `from` with the field of the same name in `to`.
FieldPairs PairFields(Data4* from, Data4* to) {
    FieldPairs pairs;
    for (int j = 1; j <= engine::d4numFields(from); ++j) {
        Field4* source = engine::d4fieldJ(from, j);
        for (int k = 1; k <= engine::d4numFields(to); ++k) {
            Field4* target = engine::d4fieldJ(to, k);
            if (SameName(engine::f4name(source), engine::f4name(target))) {
                pairs.emplace_back(source, target);
                break;
            }
        }
    }
    return pairs;
}

Field4* FieldNamed(Data4* table, std::string_view name) {
    for (int j = 1; j <= engine::d4numFields(table); ++j)
        if (SameName(engine::f4name(engine::d4fieldJ(table, j)), name))
            return engine::d4fieldJ(table, j);
    return nullptr;
}

bool RecoveryExists(RecordKind kind) {
    return cbk::BooksHold(RecoveryTableName(kind));
}

// The recovery table of `kind`, made with the fields of `source` and REMOVED when missing.
Data4* OpenRecovery(RecordKind kind, Data4* source) {
    const std::string name = RecoveryTableName(kind);
    if (RecoveryExists(kind)) return cbk::OpenBare(name);
    if (source == nullptr) return nullptr;
    std::vector<engine::Field4Info> fields;
    for (int j = 1; j <= engine::d4numFields(source); ++j) {
        Field4* f = engine::d4fieldJ(source, j);
        fields.push_back(
            {engine::f4name(f), engine::f4type(f), engine::f4len(f), engine::f4decimals(f)});
    }
    fields.push_back({std::string(kRemovedField), 'D', 8, 0});
    return cbk::OpenSideTable(name, true, fields);
}

// The one write of removed records into a recovery table. Kept in one place so that a bulk
// append can take its place.
int AppendRemoved(Data4* recovery, const FieldPairs& pairs, Field4* removed,
                  const std::string& stamp) {
    if (const int rc = engine::d4appendBlank(recovery)) return rc;
    for (const auto& [source, target] : pairs) engine::f4assign(target, engine::f4str(source));
    return engine::f4assign(removed, stamp);
}

// Marks deleted every record of the recovery table after the first `kept`: what a failed save
// added must not be offered for recovery, nor be saved twice by the next pack. Marks are
// written in place, so a full disk does not stop them.
void TakeBack(Data4* recovery, long kept) {
    TakeError();
    for (long n = kept + 1; n <= engine::d4recCount(recovery); ++n) {
        if (engine::d4go(recovery, n) != 0) break;
        engine::d4delete(recovery);
    }
    engine::d4flush(recovery);
    TakeError();
}

// Saves the records marked deleted in `source`. Returns the recovery table's record count
// before the save (the caller's point of take-back), or -1 when the save failed: then
// nothing it added is live, and the user has been told.
long SaveDeleted(Data4* source, RecordKind kind, const std::string& stamp, Data4*& recovery) {
    recovery = nullptr;
    long before = 0;
    FieldPairs pairs;
    Field4* removed = nullptr;
    std::string failure;
    engine::d4tagSelect(source, nullptr);
    int rc = engine::d4top(source);
    for (; rc == 0; rc = engine::d4skip(source, 1)) {
        if (!engine::d4deleted(source)) continue;
        if (recovery == nullptr) {
            recovery = OpenRecovery(kind, source);
            removed = recovery ? FieldNamed(recovery, kRemovedField) : nullptr;
            if (removed == nullptr) {
                failure = TakeError();
                if (failure.empty()) failure = RecoveryTableName(kind) + ".dbf has no REMOVED";
                break;
            }
            before = engine::d4recCount(recovery);
            pairs = PairFields(source, recovery);
        }
        if ((rc = AppendRemoved(recovery, pairs, removed, stamp)) != 0) break;
    }
    if (rc == engine::r4eof) rc = 0;
    if (failure.empty() && rc == 0 && recovery != nullptr) rc = engine::d4flush(recovery);
    if (failure.empty()) failure = TakeError();
    if (failure.empty() && rc != 0) failure = "error " + std::to_string(rc);
    if (failure.empty()) return before;
    if (recovery != nullptr) {
        TakeBack(recovery, before);
        engine::d4close(recovery);
        recovery = nullptr;
    }
    TakeError();
    Inform("The deleted records of " + std::string(engine::d4alias(source)) +
           " could not be kept for recovery:\r\n" + failure +
           "\r\nThey stay in the table, marked deleted, until the next pack.");
    return -1;
}

std::string CutOff(const platform::DateTime& today) {
    return DayStamp(today.day - std::chrono::days{kRecoveryDays});
}

}  // namespace

std::string RecoveryTableName(RecordKind kind) {
    return kind == RecordKind::Expense ? cbk::kExpenseRecoveryTable : cbk::kIncomeRecoveryTable;
}

bool HasRecoveryTable(std::string_view table, RecordKind& kind) {
    for (RecordKind k : {RecordKind::Expense, RecordKind::Income}) {
        if (SameName(table, SourceTableName(k))) {
            kind = k;
            return true;
        }
    }
    return false;
}

void DropOldRecoveries(RecordKind kind, const platform::DateTime& today) {
    if (!RecoveryExists(kind)) return;
    Data4* recovery = engine::d4open(cbk::cb, RecoveryTableName(kind));
    Field4* removed = recovery ? FieldNamed(recovery, kRemovedField) : nullptr;
    if (removed != nullptr) {
        const std::string cutOff = CutOff(today);
        bool anyDeleted = false;
        for (int rc = engine::d4top(recovery); rc == 0; rc = engine::d4skip(recovery, 1)) {
            if (!engine::d4deleted(recovery) && engine::f4str(removed) < cutOff)
                engine::d4delete(recovery);
            anyDeleted = anyDeleted || engine::d4deleted(recovery);
        }
        // The pack builds the new table beside the old one: a failure leaves the old whole.
        if (anyDeleted) engine::d4pack(recovery);
    }
    TakeError();
    if (recovery != nullptr) engine::d4close(recovery);
    TakeError();
}

int PackTableKeepingDeleted(std::string_view table, bool keepDeleted) {
    RecordKind kind{};
    if (!keepDeleted || !HasRecoveryTable(table, kind)) return cbk::PackTable(table);
    int result = 0;
    engine::code4accessMode(cbk::cb, 1);
    Data4* source = engine::d4open(cbk::cb, table);
    if (cbk::TakeEngineError() == 0 && source != nullptr) {
        Data4* recovery = nullptr;
        const long before =
            SaveDeleted(source, kind, DayStamp(platform::clock().today().day), recovery);
        if (before < 0) {
            result = -1;
        } else {
            result = engine::d4pack(source);
            TakeError();
            // An unpacked table still holds the records: their copies must go again.
            if (result != 0 && recovery != nullptr) TakeBack(recovery, before);
        }
        if (recovery != nullptr) engine::d4close(recovery);
        TakeError();
        engine::d4close(source);
        TakeError();
    }
    engine::code4accessMode(cbk::cb, 0);
    return result;
}

void PackDataFiles(bool keepDeleted) {
    engine::code4accessMode(cbk::cb, 1);
    {
        platform::ProgressShown shown("Packing Data Files");
        platform::progress().SetProgress(10);
        for (const cbk::TableSpec* spec : cbk::TablesInPackOrder()) {
            PackTableKeepingDeleted(spec->name, keepDeleted);
            platform::progress().SetProgress(spec->packProgress);
        }
        if (keepDeleted) {
            engine::code4accessMode(cbk::cb, 1);
            for (RecordKind kind : {RecordKind::Expense, RecordKind::Income})
                DropOldRecoveries(kind, platform::clock().today());
        }
    }
    engine::code4accessMode(cbk::cb, 0);
}

int EmptyTable(Data4* table, bool keepDeleted) {
    RecordKind kind{};
    Data4* recovery = nullptr;
    long before = 0;
    if (keepDeleted && HasRecoveryTable(engine::d4alias(table), kind)) {
        before = SaveDeleted(table, kind, DayStamp(platform::clock().today().day), recovery);
        if (before < 0) return -1;
    }
    const int result = engine::d4zap(table, 1, engine::d4recCount(table));
    if (result != 0 && recovery != nullptr) {
        TakeError();
        TakeBack(recovery, before);
    }
    if (recovery != nullptr) engine::d4close(recovery);
    return result;
}

std::vector<std::string> RecoveryColumns(RecordKind kind) {
    if (kind == RecordKind::Expense)
        return {"Date", "Acc#", "Fol#", "Check#", "Amount", "Paid To", "Removed"};
    return {"Date", "Folder", "Amount", "Description", "Removed"};
}

namespace {

// The deleted records of `t` (a recovery table when `removed` is its REMOVED field, else a
// record table) as the list shows them.
std::vector<RecoveryRow> DeletedRows(Data4* t, RecordKind kind, Field4* removed) {
    std::vector<RecoveryRow> rows;
    auto field = [t](const char* name) { return FieldNamed(t, name); };
    auto date = [](Field4* f) {
        const cbk::StoredDate d = cbk::StoredToDate(engine::f4str(f));
        return d.ok() ? rules::DateToText(d.date) : Trimmed(engine::f4str(f));
    };
    auto number = [](Field4* f) { return std::to_string(engine::f4long(f)); };
    auto amount = [](Field4* f) {
        return Trimmed(rules::FormatNumber("%12.2n", engine::f4double(f)));
    };
    auto text = [](Field4* f) { return Trimmed(engine::f4str(f)); };
    const bool expense = kind == RecordKind::Expense;
    Field4* const f1 = field(expense ? "EXPDATE" : "INCDATE");
    Field4* const f2 = field(expense ? "ACCNO" : "FOLNO");
    Field4* const f3 = field(expense ? "FOLNO" : "INCAMT");
    Field4* const f4 = field(expense ? "CHECKNO" : "INCDESC");
    Field4* const f5 = field("AMOUNT");
    Field4* const f6 = field("PAYTO");
    // A recovery table's live records are the ones to offer; a record table's deleted ones.
    const bool unpacked = removed == nullptr;
    for (int rc = engine::d4top(t); rc == 0; rc = engine::d4skip(t, 1)) {
        if (engine::d4deleted(t) != unpacked) continue;
        RecoveryRow row;
        row.recNo = engine::d4recNo(t);
        row.unpacked = unpacked;
        if (!unpacked) row.removed = engine::f4str(removed);
        const std::string when = unpacked ? std::string(kNotPacked) : date(removed);
        if (expense)
            row.cells = {date(f1), number(f2), number(f3), number(f4), amount(f5), text(f6), when};
        else
            row.cells = {date(f1), number(f2), amount(f3), text(f4), when};
        rows.push_back(std::move(row));
    }
    TakeError();
    std::sort(rows.begin(), rows.end(), [](const RecoveryRow& a, const RecoveryRow& b) {
        return a.removed != b.removed ? a.removed > b.removed : a.recNo > b.recNo;
    });
    return rows;
}

}  // namespace

std::vector<RecoveryRow> RecoverableRecords(RecordKind kind) {
    if (!RecoveryExists(kind)) return {};
    Data4* t = engine::d4open(cbk::cb, RecoveryTableName(kind));
    Field4* removed = t ? FieldNamed(t, kRemovedField) : nullptr;
    std::vector<RecoveryRow> rows;
    if (removed != nullptr) rows = DeletedRows(t, kind, removed);
    TakeError();
    if (t) engine::d4close(t);
    return rows;
}

std::vector<RecoveryRow> UnpackedRecords(RecordKind kind) {
    // Read in record order, without its indexes: the walk looks at every record once.
    Data4* t = cbk::OpenBare(SourceTableName(kind));
    std::vector<RecoveryRow> rows;
    if (t != nullptr) rows = DeletedRows(t, kind, nullptr);
    TakeError();
    if (t) engine::d4close(t);
    return rows;
}

std::vector<RecoveryRow> RecoveryList(RecordKind kind) {
    std::vector<RecoveryRow> rows = UnpackedRecords(kind);
    std::vector<RecoveryRow> packed = RecoverableRecords(kind);
    rows.insert(rows.end(), std::make_move_iterator(packed.begin()),
                std::make_move_iterator(packed.end()));
    return rows;
}

bool RowMatches(const RecoveryRow& row, std::string_view find) {
    if (find.empty()) return true;
    return std::any_of(row.cells.begin(), row.cells.end(), [find](const std::string& cell) {
        return std::search(cell.begin(), cell.end(), find.begin(), find.end(), [](char a, char b) {
                   return std::toupper(static_cast<unsigned char>(a)) ==
                          std::toupper(static_cast<unsigned char>(b));
               }) != cell.end();
    });
}

namespace {

bank::Kind BankKind(RecordKind kind) {
    return kind == RecordKind::Expense ? bank::Kind::Expense : bank::Kind::Income;
}

}  // namespace

int RecoverRecords(RecordKind kind, const std::vector<long>& recNos) {
    if (!RecoveryExists(kind)) return 0;
    int recovered = 0;
    std::string failure;
    {
        // The recovery table closes with the live one when the session ends.
        cbk::TableSession session({SourceTableName(kind)});
        Data4* live = kind == RecordKind::Expense ? cbk::Expenses : cbk::Income;
        Data4* recovery = engine::d4open(cbk::cb, RecoveryTableName(kind));
        if (recovery == nullptr) failure = TakeError();
        const FieldPairs pairs = recovery ? PairFields(recovery, live) : FieldPairs{};
        const std::int32_t bankNo = bank::LoadBankAccounts().DefaultNo();
        std::vector<bank::Appended> appended;
        for (long recNo : recNos) {
            if (!failure.empty()) break;
            if (engine::d4go(recovery, recNo) != 0 || engine::d4deleted(recovery)) {
                TakeError();
                continue;
            }
            // In the live table first: a failure here leaves the record where it was.
            engine::d4appendBlank(live);
            for (const auto& [source, target] : pairs)
                engine::f4assign(target, engine::f4str(source));
            if (engine::d4flush(live) != 0 || !(failure = TakeError()).empty()) {
                if (failure.empty()) failure = "the record could not be written";
                break;
            }
            appended.push_back({engine::d4recNo(live), bankNo, false, std::nullopt});
            engine::d4delete(recovery);
            engine::d4flush(recovery);
            failure = TakeError();
            if (failure.empty()) ++recovered;
        }
        // A record comes back into the default bank account, uncleared.
        bank::MarksAppended(BankKind(kind), appended);
    }
    TakeError();
    if (!failure.empty())
        Inform("Unable to recover every record chosen:\r\n" + failure + "\r\n" +
               std::to_string(recovered) + " recovered.");
    return recovered;
}

int RecallRecords(RecordKind kind, const std::vector<long>& recNos) {
    int recalled = 0;
    std::string failure;
    std::vector<long> back;
    {
        cbk::TableSession session({SourceTableName(kind)});
        Data4* live = kind == RecordKind::Expense ? cbk::Expenses : cbk::Income;
        for (long recNo : recNos) {
            if (engine::d4go(live, recNo) != 0 || !engine::d4deleted(live)) {
                TakeError();
                continue;
            }
            engine::d4recall(live);
            if (engine::d4flush(live) != 0 || !(failure = TakeError()).empty()) {
                if (failure.empty()) failure = "the record could not be written";
                break;
            }
            ++recalled;
            back.push_back(recNo);
        }
        bank::MarksRecalled(BankKind(kind), back, bank::LoadBankAccounts().DefaultNo());
    }
    TakeError();
    if (!failure.empty())
        Inform("Unable to recover every record chosen:\r\n" + failure + "\r\n" +
               std::to_string(recalled) + " recovered.");
    return recalled;
}

int RecoverRows(RecordKind kind, const std::vector<RecoveryRow>& rows) {
    std::vector<long> unpacked, packed;
    for (const RecoveryRow& row : rows) (row.unpacked ? unpacked : packed).push_back(row.recNo);
    int recovered = 0;
    if (!unpacked.empty()) recovered += RecallRecords(kind, unpacked);
    if (!packed.empty()) recovered += RecoverRecords(kind, packed);
    return recovered;
}

}  // namespace maintenance
