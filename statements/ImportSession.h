#pragma once

// One statement import from the chosen file to the closing message, without its windows: the
// file read and told apart, the statement read in a date order, the proposals (rules, last
// records, duplicates) with the account and folder lists they come from, the checks before
// the write, and the write. The preview form drives it; what the user is told goes through
// the platform's messages.

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "statements/Csv.h"
#include "statements/ImportRules.h"
#include "statements/Statement.h"
#include "statements/StatementImport.h"

namespace statements {

inline constexpr std::string_view kUnknownBankAccount = "The statement is for account ";
inline constexpr std::string_view kAddBankAccount =
    ", which is not among the bank accounts. Add it?";

class ImportSession {
public:
    // Reads the file at `path` and tells its format. False, the user told why, when it cannot
    // be read, is empty or is no statement.
    bool Open(const std::string& path);
    Format format() const { return format_; }
    const std::string& path() const { return path_; }
    const std::string& bytes() const { return bytes_; }

    // For a CSV file: the mapping remembered for its layout, else the one guessed.
    CsvMapping ProposedMapping() const;
    // The mapping the user confirmed; remembered for the layout when the table has a header.
    void UseMapping(const CsvMapping& mapping);

    // Reads the statement in the date order (`orderChosen`: the user chose it) and proposes
    // each line, with the account and folder lists and the rules read afresh. False, the user
    // told why, when the file cannot be read as a whole.
    bool ReadAndPropose(bool orderChosen);
    // Names the lines that cannot be read in one warning (and a rules table that cannot be
    // read), once the preview shows them.
    void TellProblems() const;
    void SetDateOrder(platform::DateOrder order) { order_ = order; }
    platform::DateOrder dateOrder() const { return order_; }
    // Whether the user is offered the date order: the dates were read by it.
    bool OfferDateOrder() const { return offerOrder_; }

    std::vector<PreviewLine> Lines;

    // The lists as the choice boxes show them ("   7 - Office") and the names by number.
    const std::vector<std::string>& Entries(Kind kind) const {
        return kind == Kind::Expense ? expenseEntries_ : incomeEntries_;
    }
    const std::vector<std::string>& FolderEntries() const { return folderEntries_; }
    const std::map<std::int32_t, std::string>& AccountNames(Kind kind) const {
        return kind == Kind::Expense ? expenseNames_ : incomeNames_;
    }
    const std::map<std::int32_t, std::string>& FolderNames() const { return folderNames_; }
    const Choices& choices() const { return choices_; }

    // "bank.ofx: 3 lines, 1 probable duplicates, 0 cannot be read".
    std::string CountsText() const;

    // The user's account and folder for the lines at `rows` (nullopt keeps them); an account
    // is given only to lines of `kind`, the kind of the account list.
    void Apply(const std::vector<int>& rows, Kind kind, std::optional<std::int32_t> account,
               std::optional<std::int32_t> folder);

    // The saved rules, and their replacement: saved, then every line not chosen by the user
    // proposed again. False, the user told why, when they could not be saved.
    const std::vector<ImportRule>& Rules() const { return rules_; }
    bool SaveRules(const std::vector<ImportRule>& rules);
    // A rule made from line `row`: its payee, kind, and the account and folder given.
    ImportRule RuleFromLine(int row, std::int32_t account, std::int32_t folder) const;

    // Whether the ticked lines can be written; a line without an account or folder is named
    // (and the user may leave the lines without an account out). `select` gets the row to
    // show when not.
    bool ReadyToWrite(std::optional<std::size_t>& select);

    // Writes the ticked lines and tells the user what was added, or why nothing was. The
    // records written move through `BankNo`, else the statement's account.
    void Write();

    // The bank account the preview chose (0: the statement's own, see StatementBankAccount).
    std::int32_t BankNo = 0;
    // The statement's ending balance and its day, when it states them; kept with the bank
    // account after the import, for its next reconciliation.
    std::optional<std::int64_t> LedgerCents() const { return ledgerCents_; }
    // The account whose number the statement names (an OFX account id), else the default;
    // a number no account has is offered as a new account.
    std::int32_t StatementBankAccount() const;

private:
    std::string path_, bytes_;
    Format format_ = Format::Unknown;
    CsvMapping mapping_;
    platform::DateOrder order_ = platform::DateOrder::MDY;
    bool offerOrder_ = false;
    std::vector<std::string> expenseEntries_, incomeEntries_, folderEntries_;
    std::map<std::int32_t, std::string> expenseNames_, incomeNames_, folderNames_;
    Choices choices_;
    std::vector<ImportRule> rules_;
    std::string rulesError_;
    std::int32_t folder_ = 0;
    std::optional<std::int64_t> ledgerCents_;
    std::optional<platform::DateTime> ledgerDate_;
};

}  // namespace statements
