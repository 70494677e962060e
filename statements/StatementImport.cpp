#include "statements/StatementImport.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "data/Books.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "records/RecordTables.h"
#include "statements/Rollback.h"
#include "statements/TextParts.h"

namespace statements {

using namespace engine;

namespace {

constexpr int kIdWidth = 120;  // FITID's width in the catalogue

std::string Upper(std::string_view text) {
    return UpperText(text);
}

// What a line and a record have in common when they are the same transaction.
std::string MatchKey(const std::string& storedDate, std::int64_t cents, const std::string& payee) {
    return storedDate + "|" + std::to_string(cents) + "|" + Upper(Trimmed(payee));
}

std::int64_t Cents(double amount) {
    return static_cast<std::int64_t>(amount * 100.0 + (amount < 0 ? -0.5 : 0.5));
}

bool Listed(const std::vector<std::int32_t>& list, std::int32_t n) {
    return std::find(list.begin(), list.end(), n) != list.end();
}

struct Latest {
    std::string date;  // stored form
    long recNo = 0;
    std::int32_t account = 0;
};

// One walk of a record table in record order: the most recent account of each payee asked
// for, and the match keys of its live records that a line asks for.
void Walk(Data4* table, Field4* date, Field4* payee, Field4* amount, Field4* account, bool expenses,
          std::unordered_map<std::string, Latest>& latest,
          const std::unordered_set<std::string>& wanted, std::unordered_set<std::string>& found) {
    records::SelectNoTag(table);
    for (int rc = d4top(table); rc == r4success; rc = d4skip(table, 1)) {
        if (d4deleted(table)) continue;
        const std::string name = Upper(Trimmed(f4str(payee)));
        const auto it = latest.find(name);
        if (it == latest.end()) continue;
        const std::string stored = f4str(date);
        if (stored >= it->second.date) it->second = {stored, d4recNo(table), f4int(account)};
        const std::int64_t cents = Cents(f4double(amount));
        const std::string key = MatchKey(stored, expenses ? -cents : cents, name);
        if (wanted.count(key) != 0) found.insert(key);
    }
}

}  // namespace

std::string_view StateText(LineState state) {
    switch (state) {
        case LineState::Duplicate:
            return "probable duplicate";
        case LineState::Unreadable:
            return "cannot be read";
        default:
            return "new";
    }
}

std::string SourceText(const PreviewLine& p) {
    switch (p.source) {
        case Source::Rule:
            return "rule " + std::to_string(p.rule);
        case Source::LastRecord:
            return "last record";
        case Source::Chosen:
            return "chosen";
        default:
            return "none";
    }
}

std::int32_t ProposedFolder(const Choices& choices, std::int32_t defaultFolder) {
    return Listed(choices.folders, defaultFolder) ? defaultFolder
           : choices.folders.empty()              ? 0
                                                  : choices.folders.front();
}

void ApplyProposals(std::vector<PreviewLine>& lines, const RuleSet& rules, std::int32_t folder) {
    RuleMatcher matcher(rules);
    for (PreviewLine& p : lines) {
        if (p.source == Source::Chosen) continue;
        const std::size_t n =
            rules.empty()
                ? 0
                : matcher.FirstMatch(p.kind, p.line.cents, Upper(p.line.payee), Upper(p.line.memo));
        p.rule = n;
        if (n != 0) {
            const ImportRule& r = rules.rule(n);
            p.account = r.account;
            p.folder = r.folder != 0 ? r.folder : folder;
            p.source = Source::Rule;
        } else {
            p.account = p.recordAccount;
            p.folder = folder;
            p.source = p.account != 0 ? Source::LastRecord : Source::None;
        }
    }
}

std::string StateShown(const PreviewLine& p, const std::string& fileName) {
    const std::string state(StateText(p.state));
    if (p.state != LineState::Unreadable || p.line.problem.empty()) return state;
    const std::string prefix = fileName + ", ";
    const bool named = p.line.problem.compare(0, prefix.size(), prefix) == 0;
    return state + ": " + (named ? p.line.problem.substr(prefix.size()) : p.line.problem);
}

bool MemoNotKept(const PreviewLine& p) {
    return p.kind == Kind::Income && !p.line.memo.empty() && p.line.memo != p.line.payee;
}

std::unordered_set<std::string> ImportedIds() {
    std::unordered_set<std::string> ids;
    // A side table that cannot be read only costs the id check; the date check still runs.
    cbk::EngineWork work;
    Data4* table = cbk::OpenSideTable(kIdsTable);
    if (table == nullptr) return ids;
    Field4* id = table ? d4field(table, "FITID") : nullptr;
    if (id != nullptr)
        for (int rc = d4top(table); rc == r4success; rc = d4skip(table, 1))
            ids.insert(Trimmed(f4str(id)));
    if (table) d4close(table);
    return ids;
}

std::vector<PreviewLine> Propose(const std::vector<StatementLine>& lines, const Choices& choices,
                                 std::int32_t defaultFolder,
                                 const std::unordered_set<std::string>& importedIds,
                                 const RuleSet& rules) {
    std::unordered_map<std::string, Latest> latestExpense, latestIncome;
    std::unordered_set<std::string> wantedExpense, wantedIncome, found;
    std::vector<PreviewLine> out;
    const std::int32_t folder = ProposedFolder(choices, defaultFolder);
    for (const StatementLine& line : lines) {
        PreviewLine p;
        p.line = line;
        p.kind = line.cents > 0 ? Kind::Income : Kind::Expense;
        p.folder = folder;
        const std::string name = Upper(line.payee);
        auto& latest = p.kind == Kind::Expense ? latestExpense : latestIncome;
        latest.emplace(name, Latest{});
        if (line.problem.empty() && line.date)
            (p.kind == Kind::Expense ? wantedExpense : wantedIncome)
                .insert(MatchKey(cbk::DateToStored(*line.date), line.cents, name));
        out.push_back(std::move(p));
    }
    Walk(cbk::Expenses, cbk::ExpDateField, cbk::PayToField, cbk::AmountField, cbk::ExpAccNoField,
         true, latestExpense, wantedExpense, found);
    Walk(cbk::Income, cbk::IncDateField, cbk::IncDescField, cbk::IncAmtField, cbk::IncAccField,
         false, latestIncome, wantedIncome, found);
    for (PreviewLine& p : out) {
        const bool expense = p.kind == Kind::Expense;
        const std::string name = Upper(p.line.payee);
        const Latest& latest = (expense ? latestExpense : latestIncome)[name];
        if (latest.recNo > 0 &&
            Listed(expense ? choices.expenseAccounts : choices.incomeAccounts, latest.account))
            p.recordAccount = latest.account;
        if (!p.line.problem.empty()) {
            p.state = LineState::Unreadable;
        } else if ((!p.line.transactionId.empty() &&
                    importedIds.count(FieldText(p.line.transactionId, kIdWidth)) != 0) ||
                   found.count(MatchKey(cbk::DateToStored(*p.line.date), p.line.cents, name)) !=
                       0) {
            p.state = LineState::Duplicate;
        }
        p.chosen = p.state == LineState::New;
    }
    ApplyProposals(out, rules, folder);
    return out;
}

namespace {

// Makes the side table of transaction ids when it is not there yet.
bool OpenIds(Data4*& table, Field4*& id, Field4*& date) {
    table = cbk::OpenSideTable(kIdsTable, true);
    id = table ? d4field(table, "FITID") : nullptr;
    date = table ? d4field(table, "IMPORTED") : nullptr;
    return id != nullptr && date != nullptr;
}

// The bulk append of every chosen line, and the durable close of the tables. Kept in one
// place so that the way records are appended can change without the rest knowing.
bool AppendRecords(const std::vector<PreviewLine>& lines, WriteOutcome& outcome) {
    cbk::OpenExpenses();
    cbk::OpenIncome();
    Data4* ids = nullptr;
    Field4* idField = nullptr;
    Field4* idDate = nullptr;
    bool anyId = false;
    for (const PreviewLine& p : lines) anyId = anyId || (p.chosen && !p.line.transactionId.empty());
    if (anyId && !OpenIds(ids, idField, idDate)) return false;
    code4optimizeWrite(cbk::cb, 1);
    // Records go in by blocks and their keys are merged into the indexes once, at the end.
    bool ok = d4appendStart(cbk::Expenses) == 0 && d4appendStart(cbk::Income) == 0;
    const std::string today = cbk::DateToStored(platform::clock().today());
    for (const PreviewLine& p : lines) {
        if (!ok) break;
        if (!p.chosen || p.state == LineState::Unreadable) continue;
        if (p.kind == Kind::Expense) {
            if ((ok = d4appendBlank(cbk::Expenses) == 0) == false) break;
            cbk::CurExpense =
                cbk::ExpenseRec{*p.line.date, p.line.checkNo,        p.account,   p.folder,
                                p.line.payee, -p.line.cents / 100.0, p.line.memo, false};
            cbk::StoreExpense();
            ++outcome.expenses;
        } else {
            if ((ok = d4appendBlank(cbk::Income) == 0) == false) break;
            cbk::CurIncome =
                cbk::IncomeRec{p.account, *p.line.date, p.line.payee, p.line.cents / 100.0,
                               p.folder,  false,        false};
            cbk::StoreIncome();
            ++outcome.income;
            outcome.memosNotKept += MemoNotKept(p);
        }
        if (ids != nullptr && !p.line.transactionId.empty()) {
            if ((ok = d4appendBlank(ids) == 0) == false) break;
            f4assign(idField, FieldText(p.line.transactionId, kIdWidth));
            f4assign(idDate, today);
        }
    }
    // Each batch is ended even after a failed append, so that its table closes sound.
    ok = d4appendEnd(cbk::Expenses) == 0 && ok;
    ok = d4appendEnd(cbk::Income) == 0 && ok;
    code4optimizeWrite(cbk::cb, 0);
    const int closed = code4close(cbk::cb);
    cbk::CloseAllTables();
    return ok && closed == 0 && cbk::TakeEngineError() >= 0;
}

// The index files of the tables put back are built again from them.
bool RebuildIndexes() {
    bool ok = true;
    const int safety = code4safety(cbk::cb, 0);
    for (const char* name : {"EXP5", "INC5"}) {
        Data4* table = cbk::OpenBare(name);
        ok = ok && table != nullptr && cbk::CreateTableIndexes(table, name) == 0;
        if (table) ok = d4close(table) == 0 && ok;
    }
    code4safety(cbk::cb, safety);
    return cbk::TakeEngineError() >= 0 && ok;
}

}  // namespace

WriteOutcome WriteStatement(const std::vector<PreviewLine>& lines) {
    WriteOutcome outcome;
    for (const PreviewLine& p : lines)
        if (!p.chosen || p.state == LineState::Unreadable) ++outcome.skipped;
    engine::FileSystem& fs = cbk::DataFileSystem();
    cbk::CloseAllTables();
    cbk::TakeEngineError();
    AppendRollback rollback(fs);
    std::vector<std::string> files;
    for (const std::string& name :
         {std::string("EXP5.dbf"), std::string("INC5.dbf"), std::string(kIdsTable) + ".dbf"})
        files.push_back(resolvePath(fs, ".", name));
    if (rollback.keep(files) != 0) {
        outcome.error = "The tables could not be read. Nothing was imported.";
        return outcome;
    }
    if (AppendRecords(lines, outcome)) {
        outcome.ok = true;
        return outcome;
    }
    std::string detail = code4errorText(cbk::cb);
    cbk::TakeEngineError();
    cbk::CloseAllTables();
    outcome.expenses = outcome.income = outcome.memosNotKept = 0;
    const std::vector<std::string> kept = rollback.putBack();
    const bool rebuilt = kept.empty() && RebuildIndexes();
    if (kept.empty() && rebuilt)
        outcome.error = "The statement could not be imported, and nothing was changed.";
    else
        outcome.error =
            "The statement could not be imported, and the tables could not all be put back as "
            "they were. Rebuild Index Files on the File Maintenance tab, and check the last "
            "records.";
    if (!detail.empty()) outcome.error += "\r\n(" + detail + ")";
    return outcome;
}

std::string OutcomeMessage(const WriteOutcome& o) {
    auto count = [](long n, const char* one, const char* many) {
        return std::to_string(n) + " " + (n == 1 ? one : many);
    };
    return count(o.expenses, "expense", "expenses") + " and " +
           count(o.income, "income record", "income records") +
           (o.expenses + o.income == 1 ? " was" : " were") + " added; " +
           count(o.skipped, "line was", "lines were") + " skipped." +
           (o.memosNotKept == 0
                ? std::string()
                : " Income records have no memo: the memo of " +
                      count(o.memosNotKept, "income line was", "income lines were") + " not kept.");
}

}  // namespace statements
