#include "statements/ImportSession.h"

#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "data/Database.h"
#include "data/TableSession.h"
#include "records/RecordTables.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"
#include "statements/MappingStore.h"
#include "statements/Readers.h"
#include "statements/TextParts.h"

namespace statements {

namespace {

constexpr std::size_t kProblemsShown = 10;

void Inform(const std::string& text) {
    platform::messages().show(platform::MessageKind::Information, text, platform::Buttons::OK);
}

using platform::Warn;

// Entries "   7 - Office" and the numbers they stand for.
std::map<std::int32_t, std::string> Named(const std::vector<std::string>& entries,
                                          std::vector<std::int32_t>& numbers) {
    std::map<std::int32_t, std::string> named;
    for (const std::string& entry : entries) {
        const auto n = rules::ChoiceNumber(entry);
        if (!n) continue;
        numbers.push_back(*n);
        named[*n] = Trimmed(entry);
    }
    return named;
}

std::vector<std::string> ListEntries(engine::Data4* table, engine::Field4* number,
                                     engine::Field4* name) {
    return records::BuildChoiceList(table, number, name, 0).entries;
}

}  // namespace

bool ImportSession::Open(const std::string& path) {
    path_ = path;
    std::string error;
    if (!ReadFileBytes(path_, bytes_, error)) {
        Warn(error);
        return false;
    }
    if (Trimmed(bytes_).empty()) {
        Warn(DisplayName(path_) + ": the file is empty. Nothing was imported.");
        return false;
    }
    format_ = DetectFormat(path_, bytes_);
    order_ = platform::regional().settings().dateOrder;
    if (format_ == Format::Unknown) {
        Warn(DisplayName(path_) +
             ": this is not a bank statement (OFX, QFX, QIF or CSV). Nothing was imported.");
        return false;
    }
    return true;
}

CsvMapping ImportSession::ProposedMapping() const {
    const CsvMapping guessed = GuessMapping(bytes_, order_);
    const auto remembered = RememberedMappingFor(MappingFilePath(), bytes_, guessed.firstLine);
    return remembered ? *remembered : guessed;
}

void ImportSession::UseMapping(const CsvMapping& mapping) {
    mapping_ = mapping;
    order_ = mapping_.dateOrder;
    if (mapping_.header)
        RememberMapping(MappingFilePath(), LineText(bytes_, mapping_.firstLine), mapping_);
}

bool ImportSession::ReadAndPropose(bool orderChosen) {
    std::unique_ptr<StatementReader> reader;
    if (format_ == Format::Ofx) {
        reader = MakeOfxReader();
    } else if (format_ == Format::Qif) {
        reader = MakeQifReader(order_, orderChosen);
    } else {
        mapping_.dateOrder = order_;
        reader = MakeCsvReader(mapping_);
    }
    const Statement st = reader->read(path_, bytes_);
    if (!st.error.empty()) {
        Warn(st.error + "\r\nNothing was imported.");
        return false;
    }
    ledgerCents_ = st.ledgerCents;
    ledgerDate_ = st.ledgerDate;
    rulesError_.clear();
    {
        cbk::TableSession session({"EXP5", "INC5", "ACC", "ACCI", "FOLDER"});
        expenseEntries_ = ListEntries(cbk::Accounts, cbk::AccNoField, cbk::AcDescField);
        incomeEntries_ = ListEntries(cbk::IncomeAccounts, cbk::IncAccNoField, cbk::IncAcDescField);
        folderEntries_ = ListEntries(cbk::Folders, cbk::FolNoField, cbk::FolNameField);
        choices_ = {};
        expenseNames_ = Named(expenseEntries_, choices_.expenseAccounts);
        incomeNames_ = Named(incomeEntries_, choices_.incomeAccounts);
        folderNames_ = Named(folderEntries_, choices_.folders);
        rules_ = LoadRules(rulesError_);
        folder_ = ProposedFolder(choices_, cbk::DefaultFolder);
        Lines = Propose(st.lines, choices_, cbk::DefaultFolder, ImportedIds(),
                        RuleSet(rules_, choices_));
    }
    offerOrder_ = format_ != Format::Ofx && st.dateOrderMatters;
    order_ = st.dateOrder;

    return true;
}

void ImportSession::TellProblems() const {
    std::string problems;
    std::size_t count = 0;
    for (const auto& p : Lines) {
        if (p.line.problem.empty()) continue;
        if (++count <= kProblemsShown) problems += p.line.problem + "\r\n";
    }
    if (count > kProblemsShown)
        problems += "... and " + std::to_string(count - kProblemsShown) + " more.\r\n";
    if (count > 0) Warn(problems + "These lines cannot be imported; the others can.");
    if (!rulesError_.empty()) Warn(rulesError_);
}

std::string ImportSession::CountsText() const {
    long duplicates = 0, unreadable = 0;
    for (const auto& p : Lines) {
        duplicates += p.state == LineState::Duplicate;
        unreadable += p.state == LineState::Unreadable;
    }
    return DisplayName(path_) + ": " + std::to_string(Lines.size()) + " lines, " +
           std::to_string(duplicates) + " probable duplicates, " + std::to_string(unreadable) +
           " cannot be read";
}

void ImportSession::Apply(const std::vector<int>& rows, Kind kind,
                          std::optional<std::int32_t> account, std::optional<std::int32_t> folder) {
    for (int row : rows) {
        PreviewLine& p = Lines[static_cast<std::size_t>(row)];
        // The account list is of one kind; lines of the other kind keep their account.
        if (account && p.kind == kind) {
            p.account = *account;
            p.source = Source::Chosen;
        }
        if (folder) p.folder = *folder;
    }
}

bool ImportSession::SaveRules(const std::vector<ImportRule>& rules) {
    const std::string error = statements::SaveRules(rules);
    if (!error.empty()) {
        Warn(error);
        return false;
    }
    rules_ = rules;
    ApplyProposals(Lines, RuleSet(rules_, choices_), folder_);
    return true;
}

ImportRule ImportSession::RuleFromLine(int row, std::int32_t account, std::int32_t folder) const {
    const PreviewLine& p = Lines[static_cast<std::size_t>(row)];
    ImportRule rule;
    rule.pattern = FieldText(Trimmed(p.line.payee), kPatternWidth);
    rule.kind = p.kind;
    rule.account = account;
    rule.folder = folder;
    return rule;
}

bool ImportSession::ReadyToWrite(std::optional<std::size_t>& select) {
    std::vector<std::size_t> lacking;
    std::size_t ticked = 0;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        const PreviewLine& p = Lines[i];
        if (!p.chosen || p.state == LineState::Unreadable) continue;
        if (folderEntries_.empty()) {
            Inform("Line " + std::to_string(i + 1) + " (" + p.line.payee +
                   ") has no folder: choose one for it, or untick it.");
            select = i;
            return false;
        }
        ++ticked;
        if (p.account == 0) lacking.push_back(i);
    }
    if (lacking.empty()) return true;
    const std::size_t first = lacking.front();
    select = first;
    const std::string line = std::to_string(first + 1);
    const std::string& payee = Lines[first].line.payee;
    const std::string n = std::to_string(lacking.size());
    const bool one = lacking.size() == 1;
    const bool others = lacking.size() < ticked;
    const std::string which =
        one ? "Line " + line + " (" + payee + ") has no account"
            : n + " ticked lines have no account (the first is line " + line + ", " + payee + ")";
    if (!others) {
        Inform(which + (one ? ": choose one for it, or untick it."
                            : ": choose one for each, or untick them."));
        return false;
    }
    // The lines without an account are left out, as unticked lines are, if the user agrees.
    if (!platform::Confirmed(platform::MessageKind::Confirm,
                             which + ". Import the other lines and leave " +
                                 (one ? std::string("it") : "these " + n) + " out?",
                             platform::Buttons::YesNo))
        return false;
    for (std::size_t i : lacking) Lines[i].chosen = false;
    select.reset();
    return true;
}

std::int32_t ImportSession::StatementBankAccount() const {
    bank::BankAccounts accounts = bank::LoadBankAccounts();
    std::string number;
    for (const PreviewLine& p : Lines)
        if (const auto slash = p.line.transactionId.find('/'); slash != std::string::npos) {
            number = p.line.transactionId.substr(0, slash);
            break;
        }
    if (number.empty()) return accounts.DefaultNo();
    if (const bank::BankAccount* a = accounts.FindByNumber(number)) return a->no;
    if (!platform::Confirmed(
            platform::MessageKind::Confirm,
            std::string(kUnknownBankAccount) + number + std::string(kAddBankAccount),
            platform::Buttons::YesNo))
        return accounts.DefaultNo();
    bank::BankAccount added;
    added.no = accounts.NextNo();
    added.name = "Account " + number.substr(0, bank::kNameWidth - 8);
    added.number = number.substr(0, bank::kNumberWidth);
    accounts.accounts.push_back(added);
    if (const std::string why = bank::SaveBankAccounts(accounts.accounts); !why.empty()) {
        Warn(why);
        return accounts.DefaultNo();
    }
    return added.no;
}

void ImportSession::Write() {
    const std::int32_t bankNo = BankNo != 0 ? BankNo : StatementBankAccount();
    long before[2] = {0, 0};
    {
        cbk::TableSession session({"EXP5", "INC5"});
        bank::EnsureMarks();
        before[0] = engine::d4recCount(cbk::Expenses);
        before[1] = engine::d4recCount(cbk::Income);
    }
    const WriteOutcome outcome = [this] {
        platform::ProgressShown shown("Importing Statement");
        return WriteStatement(Lines);
    }();
    if (outcome.ok) {
        // The records the statement brought moved through its account and are cleared by it.
        cbk::TableSession session({"EXP5", "INC5"});
        for (bank::Kind kind : {bank::Kind::Expense, bank::Kind::Income}) {
            engine::Data4* t = kind == bank::Kind::Expense ? cbk::Expenses : cbk::Income;
            std::vector<bank::Appended> added;
            for (long recNo = before[kind == bank::Kind::Income] + 1;
                 recNo <= engine::d4recCount(t); ++recNo) {
                engine::d4go(t, recNo);
                added.push_back({recNo, bankNo, true, bank::SignedAmount(kind)});
            }
            if (const std::string why = bank::MarksAppended(kind, added); !why.empty()) Warn(why);
        }
        if (ledgerCents_ && ledgerDate_) {
            bank::BankAccounts accounts = bank::LoadBankAccounts();
            for (bank::BankAccount& a : accounts.accounts)
                if (a.no == bankNo) {
                    a.statement = *ledgerCents_;
                    a.statementDate = ledgerDate_->dateOnly();
                }
            if (accounts.error.empty())
                if (const std::string why = bank::SaveBankAccounts(accounts.accounts); !why.empty())
                    Warn(why);
        }
    }
    if (outcome.ok)
        Inform(OutcomeMessage(outcome));
    else
        Warn(outcome.error);
}

}  // namespace statements
