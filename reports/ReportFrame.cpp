#include "reports/ReportFrame.h"

#include <algorithm>
#include <array>

#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "reports/BuilderParts.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportDocument.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"

namespace reports {

using namespace engine;

std::vector<std::int32_t> SelectedFolders;

namespace {

// Seeks FOLDER for folder `number`; true only when the seek stops on that very folder, so a
// number with no folder never borrows the next folder's name.
bool seekFolder(std::int32_t number) {
    cbk::ResultWord = d4seek(cbk::Folders, cbk::PadNumber(number, 4));
    return cbk::ResultWord == r4success && f4int(cbk::FolNoField) == number;
}

bool flaggedAccount(Data4* table, Field4* accNo, Field4* acDed, std::int32_t number) {
    cbk::ResultWord = d4seek(table, cbk::PadNumber(number, 4));
    return cbk::ResultWord != r4eof && f4int(accNo) == number && f4true(acDed) == 1;
}

}  // namespace

std::string FolderName(std::int32_t number) {
    return seekFolder(number) ? Trimmed(f4str(cbk::FolNameField)) : std::string();
}

bool IsDeductible(std::int32_t number) {
    return flaggedAccount(cbk::Accounts, cbk::AccNoField, cbk::AcDedField, number);
}

bool IsTaxable(std::int32_t number) {
    return flaggedAccount(cbk::IncomeAccounts, cbk::IncAccNoField, cbk::IncAcDedField, number);
}

std::vector<std::string> FolderDialogLines() {
    std::vector<std::string> lines;
    for (cbk::ResultWord = d4top(cbk::Folders); cbk::ResultWord == r4success;
         cbk::ResultWord = d4skip(cbk::Folders, 1)) {
        if (d4deleted(cbk::Folders)) continue;
        lines.push_back(cbk::PadNumber(f4int(cbk::FolNoField), 4) + " - " +
                        f4str(cbk::FolNameField));
    }
    return lines;
}

std::vector<std::int32_t> FoldersOfLines(const std::vector<std::string>& chosenLines) {
    std::vector<std::int32_t> folders;
    for (const std::string& line : chosenLines)
        if (const auto number = rules::ChoiceNumber(line)) folders.push_back(*number);
    return folders;
}

void SelectReportFolders(platform::ModalForm& folderDialog) {
    SelectedFolders.clear();
    int count = 0;
    std::int32_t first = 0;
    for (cbk::ResultWord = d4top(cbk::Folders); cbk::ResultWord == r4success;
         cbk::ResultWord = d4skip(cbk::Folders, 1)) {
        if (d4deleted(cbk::Folders)) continue;
        if (count++ == 0) first = f4int(cbk::FolNoField);
    }
    if (count == 0) {
        platform::messages().show(platform::MessageKind::Information, std::string(kCreateFolders),
                                  platform::Buttons::OK);
    } else if (count == 1) {
        SelectedFolders.push_back(first);
    } else {
        platform::modal().showModal(folderDialog);
    }
}

std::string TitleLine(std::string_view title, const std::vector<std::int32_t>& folders) {
    if (folders.size() == 1) return FolderName(folders.front()) + " " + std::string(title);
    return std::string(title);
}

std::string PeriodLine(const platform::DateTime& from, const platform::DateTime& through) {
    return "for " + ShortDate(from) + " through " + ShortDate(through);
}

void ListIncludedFolders(const std::vector<std::int32_t>& folders) {
    Document& doc = ReportDocument;
    doc.AddRow();
    doc.AddRow();
    bool first = true;
    for (std::int32_t folder : folders) {
        doc.CheckPage(doc.lineOnPage + 1, false);
        doc.AddRow();
        if (first) doc.SetCell(doc.lastRow, 0, "L00" + std::string(kIncludedFolders));
        first = false;
        if (seekFolder(folder)) doc.SetCell(doc.lastRow, 1, "L18" + f4str(cbk::FolNameField));
    }
}

const ReportCommand& CommandOf(ReportKind kind) {
    using namespace cbk;
    static const std::array<ReportCommand, 11> commands = {{
        {ReportKind::ExpenseSummary,
         {OpenFolders, OpenExpenses, OpenAccounts},
         BuildExpenseSummary,
         0},
        {ReportKind::ExpenseDetail,
         {OpenFolders, OpenExpenses, OpenAccounts},
         BuildExpenseDetail,
         0},
        {ReportKind::ExpenseAccountDetail,
         {OpenFolders, OpenExpenses, OpenAccounts},
         BuildExpenseDetail,
         'E'},
        {ReportKind::IncomeSummary,
         {OpenFolders, OpenIncome, OpenIncomeAccounts},
         BuildIncomeSummary,
         0},
        {ReportKind::IncomeDetail,
         {OpenFolders, OpenIncome, OpenIncomeAccounts},
         BuildIncomeDetail,
         0},
        {ReportKind::IncomeAccountDetail,
         {OpenFolders, OpenIncome, OpenIncomeAccounts},
         BuildIncomeDetail,
         'I'},
        {ReportKind::ExpenseChart, {OpenAccounts}, BuildExpenseChart, 0, false},
        {ReportKind::IncomeChart, {OpenIncomeAccounts}, BuildIncomeChart, 0, false},
        {ReportKind::GeneralLedger, {OpenFolders, OpenExpenses, OpenIncome}, BuildGeneralLedger, 0},
        {ReportKind::WeeklyProfit,
         {OpenFolders, OpenExpenses, OpenIncome, OpenAccounts, OpenIncomeAccounts},
         BuildWeeklyProfit,
         0},
        {ReportKind::MonthlyProfit,
         {OpenFolders, OpenExpenses, OpenIncome, OpenAccounts, OpenIncomeAccounts},
         BuildMonthlyProfit,
         0,
         true,
         true},
    }};
    return commands[static_cast<std::size_t>(kind)];
}

namespace {

// Moves the account table of kind `accountKind` to `recNo` and puts the account into the
// request. False when the record names no live account.
bool takeAccount(char accountKind, long recNo, ReportRequest& request) {
    const bool income = accountKind == 'I';
    Data4* table = income ? cbk::IncomeAccounts : cbk::Accounts;
    if (recNo < 1 || recNo > d4recCount(table)) return false;
    cbk::ResultWord = d4go(table, recNo);
    if (cbk::ResultWord != r4success || d4deleted(table)) return false;
    const cbk::AccountRec& account = income ? cbk::CurIncAccount : cbk::CurAccount;
    income ? cbk::LoadIncomeAccount() : cbk::LoadAccount();
    request.account = account.AccNo;
    request.accountName = account.AcDesc;
    return true;
}

}  // namespace

ReportRequest RunRequest(int linesPerPage) {
    ReportRequest request;
    request.from = cbk::ReportFrom;
    request.through = cbk::ReportThrough;
    request.fyMonth = cbk::Settings.FyMonth;
    request.fyDay = cbk::Settings.FyDay;
    request.linesPerPage = linesPerPage;
    return request;
}

void RunReport(ReportKind kind, ReportRequest request, const ReportForms& forms) {
    const ReportCommand& command = CommandOf(kind);
    if (command.accountKind != 0) {
        // New (0) names no account: the report ends as it does on Exit.
        if (!forms.pickAccount) return;
        const long chosen = forms.pickAccount();
        if (chosen <= 0 || !takeAccount(command.accountKind, chosen, request)) return;
    }
    if (command.choosesFolders) {
        SelectReportFolders(*forms.folderDialog);
        if (SelectedFolders.empty()) return;
        request.folders = SelectedFolders;
    }
    if (command.startsOnFirstOfMonth) cbk::ReportFrom = request.from = FirstOfMonth(request.from);

    command.build(request);
    if (ReportDocument.empty())
        platform::messages().show(platform::MessageKind::Information, std::string(kNoData),
                                  platform::Buttons::OK);
    else
        platform::modal().showModal(*forms.viewer);
    ReportDocument.ClearDocument();
}

}  // namespace reports
