#pragma once

// From statement lines to records: the proposal for each line (expense or income, account,
// folder, new or probable duplicate), and the bulk write of the lines the user keeps.
//
// The transaction ids of imported OFX lines are kept in a side table of the import's own,
// STMTIDS.dbf in the data directory (made at the first OFX import), so that a statement
// imported again is recognised even after its records were edited.

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "data/TableCatalogue.h"
#include "statements/ImportRules.h"
#include "statements/Statement.h"

namespace statements {

inline constexpr std::string_view kImportTitle = "Import Statement";
inline constexpr std::string_view kIdsTable = cbk::kStatementIdsTable;

enum class LineState { New, Duplicate, Unreadable };

// "new", "probable duplicate", "cannot be read".
std::string_view StateText(LineState state);

// Where a line's account came from.
enum class Source { None, Rule, LastRecord, Chosen };

struct PreviewLine {
    StatementLine line;
    Kind kind = Kind::Expense;  // money out is an expense, money in income
    std::int32_t account = 0;   // 0: none proposed, the user chooses
    std::int32_t folder = 0;
    LineState state = LineState::New;
    bool chosen = false;  // ticked for import
    Source source = Source::None;
    std::size_t rule = 0;  // the rule's place in the list, from 1, when it proposed the account
    // The account of the payee's most recent record when it is still in the list, else 0.
    std::int32_t recordAccount = 0;
};

// "rule 3", "last record", "none", "chosen".
std::string SourceText(const PreviewLine& p);

// The transaction ids imported before (empty when STMTIDS.dbf is not there yet).
std::unordered_set<std::string> ImportedIds();

// The proposals for `lines`, with EXP5 and INC5 open through their openers: walks each once.
// The account is that of the first of `rules` that matches the line, else that of the same
// payee's most recent record (the expense's pay-to, the income's description, without regard
// to case) when it is still in the list; the folder is the rule's when it gives one, else
// `defaultFolder` when it is in the list, else the first folder. A line whose date, amount
// and payee match a live record of its kind, or whose transaction id is in `importedIds`, is
// a probable duplicate. New lines are ticked, the others not.
std::vector<PreviewLine> Propose(const std::vector<StatementLine>& lines, const Choices& choices,
                                 std::int32_t defaultFolder,
                                 const std::unordered_set<std::string>& importedIds,
                                 const RuleSet& rules = {});

// The folder a line gets when no rule gives one: `defaultFolder` when it is in the list, else
// the first folder, else 0.
std::int32_t ProposedFolder(const Choices& choices, std::int32_t defaultFolder);

// Proposes again, by `rules` and the payee's last record, the account and folder of every line
// whose account the user has not chosen (after the rules changed).
void ApplyProposals(std::vector<PreviewLine>& lines, const RuleSet& rules, std::int32_t folder);

// The preview's state of a line: a line that cannot be read says why ("cannot be read: line
// 7: '31/02/2026' is not a date."), without the file's name, which the preview shows above.
std::string StateShown(const PreviewLine& p, const std::string& fileName);

// Whether the line's memo is lost on import: income records have no memo field (a memo that
// stands in for a missing payee is kept as the description).
bool MemoNotKept(const PreviewLine& p);

struct WriteOutcome {
    bool ok = false;
    long expenses = 0;  // records added
    long income = 0;
    long skipped = 0;       // lines not written
    long memosNotKept = 0;  // income records written without the memo of their line
    std::string error;      // why nothing was written
};

// Writes the chosen lines as the record forms store them: an expense (pay-to and memo, check
// number, the amount as a positive number) or income (the payee as description, not marked
// as a payment import), archive flag not set, the date through the century window of the
// stored form. Every table is closed first and at the end. The write is one command: either
// every chosen line is written and durable, or the tables are put back as they were and the
// error says why.
WriteOutcome WriteStatement(const std::vector<PreviewLine>& lines);

// "3 expenses and 2 income records were added; 1 line was skipped.", and when memos were
// not kept, " Income records have no memo: the memo of 1 income line was not kept."
std::string OutcomeMessage(const WriteOutcome& outcome);

}  // namespace statements
