#pragma once

// What the report builders share: the folder selection, the lookups of folder names, fiscal
// years and account flags, the title block, the included-folders list, the request a builder
// is given and the runner that takes a report command from the folder choice to the viewer.
//
// The tables a report reads are open through the openers of data/Database.h (each with its
// default tag) for as long as the runner works; the runner never opens or closes them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Platform.h"
#include "rules/FiscalYear.h"

namespace reports {

inline constexpr std::string_view kCreateFolders = "Create folders before running reports";
inline constexpr std::string_view kNoData = "Report contains no data.";
inline constexpr std::string_view kBuildingReport = "Building Report";
inline constexpr std::string_view kIncludedFolders = "Included Folders:";

// The folders the current report covers, in the order chosen; empty when no report is to run.
// The folder dialog TMultFol fills it.
extern std::vector<std::int32_t> SelectedFolders;

// ---- lookups (FOLDER, ACC, ACCI open) --------------------------------------------------
// The trimmed name of folder `number`; empty when there is no such folder.
std::string FolderName(std::int32_t number);

// FiscalYearStart: the fiscal year of a date (rules/FiscalYear.h).
using rules::FiscalYearStart;

// Whether account `number` exists in ACC (ACCI) and is marked deductible (taxable).
bool IsDeductible(std::int32_t number);
bool IsTaxable(std::int32_t number);

// ---- folder selection -----------------------------------------------------------------
// The lines of the folder dialog: each live folder in number order as its number right-aligned
// in four characters, " - " and its stored name.
std::vector<std::string> FolderDialogLines();

// The folder numbers of the chosen dialog lines, in list order.
std::vector<std::int32_t> FoldersOfLines(const std::vector<std::string>& chosenLines);

// Empties SelectedFolders and fills it: with no folder, "Create folders before running
// reports" is shown; a single folder is taken without asking; otherwise `folderDialog`
// (TMultFol) is shown modally and fills the selection itself.
void SelectReportFolders(platform::ModalForm& folderDialog);

// ---- the document frame ---------------------------------------------------------------
// Line 1 of the title block: the title, after the folder's name and a blank when exactly one
// folder is selected.
std::string TitleLine(std::string_view title, const std::vector<std::int32_t>& folders);
// Line 2: "for <from> through <through>" in the short date format.
std::string PeriodLine(const platform::DateTime& from, const platform::DateTime& through);

// Two blank rows, then one row per folder: "Included Folders:" on the first, and the folder's
// stored name in column 18. Pages begun here carry no headings.
void ListIncludedFolders(const std::vector<std::int32_t>& folders);

// ---- running a report -----------------------------------------------------------------
// Everything a builder reads, filled once by the report command.
struct ReportRequest {
    platform::DateTime from;
    platform::DateTime through;
    int fyMonth = 1;
    int fyDay = 1;
    std::vector<std::int32_t> folders;
    // The account variants of the detail reports: the chosen account.
    std::optional<std::int32_t> account;
    std::string accountName;  // AcDesc as stored
    int linesPerPage = 60;
};

enum class ReportKind {
    ExpenseSummary,
    ExpenseDetail,
    ExpenseAccountDetail,
    IncomeSummary,
    IncomeDetail,
    IncomeAccountDetail,
    ExpenseChart,
    IncomeChart,
    GeneralLedger,
    WeeklyProfit,
    MonthlyProfit,
};

// The report commands: the tables each opens (in order) and its builder. A builder fills
// ReportDocument from the open tables and leaves it empty when there is nothing to list.
struct ReportCommand {
    ReportKind kind;
    std::vector<bool (*)()> openers;
    void (*build)(const ReportRequest&);
    char accountKind;                   // 'E' or 'I' for the account variants, 0 for the others
    bool choosesFolders = true;         // the charts list accounts, not entries of folders
    bool startsOnFirstOfMonth = false;  // the monthly profit's buckets are whole months
};
const ReportCommand& CommandOf(ReportKind kind);

// The forms a report command shows.
struct ReportForms {
    platform::ModalForm* folderDialog = nullptr;  // TMultFol: fills SelectedFolders
    platform::ModalForm* viewer = nullptr;        // TReportF: reads ReportDocument
    // Account variants: shows the account pick list TPickAcc for the command's account kind
    // and returns the record number it leaves (negative for Exit, 0 for New).
    std::function<long()> pickAccount;
};

// A request for the run's report period (cbk::ReportFrom, cbk::ReportThrough) and fiscal year
// start (Settings), with `linesPerPage`.
ReportRequest RunRequest(int linesPerPage);

// Runs a report whose tables are open: the account choice (variants; Exit or New end it
// without a report), the folder selection (not for the charts), the builder, then the viewer
// or "Report contains no data.", and the document cleared. `request` brings the period, the
// fiscal start and the lines per page; the folders and the account are filled here.
//
// Once folders are chosen, the monthly profit moves the report start back to the first of its
// month, and the run keeps that start (cbk::ReportFrom) for its later reports; the main
// window's field still shows what was typed.
void RunReport(ReportKind kind, ReportRequest request, const ReportForms& forms);

}  // namespace reports
