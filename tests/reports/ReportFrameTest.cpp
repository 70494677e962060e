#include "reports/ReportRunner.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "reports/FolderChoice.h"
#include "reports/ReportLookups.h"
#include "reports/ReportTablesFixture.h"
#include "state/MainVars.h"

using namespace reports;
using namespace reports::testing;

namespace {

using Tables = std::set<std::string>;

Tables OpenTables() {
    Tables open;
    if (cbk::Accounts) open.insert("ACC");
    if (cbk::IncomeAccounts) open.insert("ACCI");
    if (cbk::Folders) open.insert("FOLDER");
    if (cbk::Expenses) open.insert("EXP5");
    if (cbk::Income) open.insert("INC5");
    if (cbk::SettingsTable) open.insert("CBK1");
    return open;
}

// A run with its seams standing in for the forms: each ask is recorded by the form's name with
// the tables open at that moment, and the viewer keeps the rows it was handed.
class ReportFrame : public ReportTablesTest {
protected:
    void SetUp() override {
        ReportTablesTest::SetUp();
        if (HasFatalFailure()) return;
        Account(100, "Advertising", true);
        Account(200, "Meals", false);
        IncomeAccount(400, "Rent Income", true);
        IncomeAccount(410, "Interest", false);
        seams.chooseFolders = [this] {
            Asked("TMultFol");
            std::vector<std::int32_t> chosen = nextChoice.value_or(std::vector<std::int32_t>{});
            nextChoice.reset();
            return chosen;
        };
        seams.view = [this](const Document& doc) {
            Asked("TReportF");
            viewed = Rows(doc);
        };
    }

    void Asked(const std::string& form) {
        asked.push_back(form);
        openWhenAsked.push_back(OpenTables());
    }

    // The folder dialog's next showing chooses `folders` (none: cancelled).
    void DialogChooses(std::vector<std::int32_t> folders) { nextChoice = std::move(folders); }

    // The runner opens its own tables: the fixture's are closed for the run and opened again
    // after it, so that a test can go on changing them.
    void RunWith(ReportKind kind, ReportRequest request) {
        viewed.clear();
        cbk::CloseAllTables();
        RunReport(kind, std::move(request), seams);
        EXPECT_EQ(OpenTables(), Tables{});
        cbk::OpenFolders();
        cbk::OpenExpenses();
        cbk::OpenIncome();
        cbk::OpenAccounts();
        cbk::OpenIncomeAccounts();
    }
    void Run(ReportKind kind) { RunWith(kind, Request(Day(2024, 4, 1), Day(2024, 4, 30), {})); }

    bool ViewedRow(const std::string& prefix) const {
        for (const std::string& row : viewed)
            if (row.rfind(prefix, 0) == 0) return true;
        return false;
    }

    ReportSeams seams;
    std::optional<std::vector<std::int32_t>> nextChoice;
    std::vector<std::string> asked;
    std::vector<Tables> openWhenAsked;
    std::vector<std::string> viewed;
};

}  // namespace

TEST(FiscalYear, StartOfTheFiscalYearHoldingADate) {
    struct Case {
        platform::DateTime date;
        int month, day;
        platform::DateTime start;
    } cases[] = {
        {Day(2024, 3, 15), 7, 1, Day(2023, 7, 1)},
        {Day(2024, 3, 15), 1, 1, Day(2024, 1, 1)},
        {Day(2024, 7, 1), 7, 1, Day(2024, 7, 1)},  // a start day is its own start
        {Day(2024, 6, 30), 7, 1, Day(2023, 7, 1)},
        {Day(2024, 7, 14), 7, 15, Day(2023, 7, 15)},
        // Stored starts no settings form gives: held to a day of every year.
        {Day(2024, 2, 29), 2, 29, Day(2024, 2, 28)},
        {Day(2023, 2, 28), 2, 29, Day(2023, 2, 28)},
        {Day(2023, 2, 27), 2, 29, Day(2022, 2, 28)},
        {Day(2024, 5, 10), 4, 31, Day(2024, 4, 30)},
        {Day(2024, 5, 10), 13, 0, Day(2023, 12, 1)},
        {Day(2024, 5, 10), 0, 40, Day(2024, 1, 31)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FiscalYearStart(c.date, c.month, c.day), c.start)
            << c.date.year() << "-" << c.date.month() << "-" << c.date.dayOfMonth() << " "
            << c.month << "/" << c.day;
}

TEST_F(ReportFrame, LookupsFindOnlyTheNumberAsked) {
    Folder(1, "  Main Street ");
    Folder(5, "Harbor");
    Delete(cbk::Folders, Folder(3, "Gone"));
    EXPECT_EQ(FolderName(1), "Main Street");
    EXPECT_EQ(FolderName(5), "Harbor");
    EXPECT_EQ(FolderName(3), "");  // deleted
    EXPECT_EQ(FolderName(2), "");  // between numbers: not the next folder's name
    EXPECT_EQ(FolderName(9), "");
    EXPECT_TRUE(IsDeductible(100));
    EXPECT_FALSE(IsDeductible(200));
    EXPECT_FALSE(IsDeductible(150));
    EXPECT_FALSE(IsDeductible(400));
    EXPECT_TRUE(IsTaxable(400));
    EXPECT_FALSE(IsTaxable(410));
    EXPECT_FALSE(IsTaxable(100));
    EXPECT_EQ(FolderDialogLines(), (std::vector<std::string>{"   1 - " + Stored("  Main Street "),
                                                             "   5 - " + Stored("Harbor")}));
    EXPECT_EQ(FoldersOfLines({"   5 - Harbor", "   1 - Main"}), (std::vector<std::int32_t>{5, 1}));
}

TEST_F(ReportFrame, FolderSelectionAsksOnlyWhenThereIsAChoice) {
    DialogChooses({7});
    EXPECT_TRUE(ChooseReportFolders(seams.chooseFolders).empty());
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Create folders before running reports"});

    Delete(cbk::Folders, Folder(1, "Gone"));
    Folder(4, "Harbor");
    EXPECT_EQ(ChooseReportFolders(seams.chooseFolders),
              std::vector<std::int32_t>{4});  // the only live folder
    EXPECT_TRUE(asked.empty());

    Folder(6, "Depot");
    DialogChooses({6});
    EXPECT_EQ(ChooseReportFolders(seams.chooseFolders), std::vector<std::int32_t>{6});
    EXPECT_EQ(asked, std::vector<std::string>{"TMultFol"});
    EXPECT_EQ(platform_->messages.shown.size(), 1u);
}

TEST_F(ReportFrame, OneFolderIsNamedInTheTitleWithoutAsking) {
    Folder(1, "Main Street");
    Expense(Day(2024, 4, 2), 100, 1, 5.00, "Printer");
    Run(ReportKind::ExpenseSummary);
    EXPECT_EQ(asked, std::vector<std::string>{"TReportF"});
    ASSERT_GE(viewed.size(), 3u);
    EXPECT_EQ(viewed[2], "C38Main Street Expense Summary Report|||||B");
    EXPECT_FALSE(ViewedRow("L00Included Folders:"));
}

TEST_F(ReportFrame, TwoFoldersNameTheOneChosenOrListBoth) {
    Folder(1, "Main Street");
    Folder(2, "Harbor");
    IncomeEntry(Day(2024, 4, 2), 400, 1, 5.00, "Rent");
    IncomeEntry(Day(2024, 4, 3), 400, 2, 6.00, "Rent");

    DialogChooses({2});
    Run(ReportKind::IncomeDetail);
    ASSERT_GE(viewed.size(), 3u);
    EXPECT_EQ(viewed[2], "C36Harbor Income Detail Report||||B");
    EXPECT_FALSE(ViewedRow("L00Included Folders:"));

    DialogChooses({1, 2});
    Run(ReportKind::IncomeDetail);
    ASSERT_GE(viewed.size(), 3u);
    EXPECT_EQ(viewed[2], "C36Income Detail Report||||B");
    EXPECT_EQ(viewed.back(), "|L18" + Stored("Harbor") + "|||");
    EXPECT_TRUE(ViewedRow("L00Included Folders:|L18" + Stored("Main Street")));

    DialogChooses({});  // cancelled: no report, no message
    Run(ReportKind::IncomeDetail);
    EXPECT_TRUE(viewed.empty());
    EXPECT_TRUE(platform_->messages.shown.empty());
    EXPECT_EQ(asked, (std::vector<std::string>{"TMultFol", "TReportF", "TMultFol", "TReportF",
                                               "TMultFol"}));
}

TEST_F(ReportFrame, AnEmptyReportIsReportedInsteadOfShown) {
    Folder(1, "Main Street");
    Expense(Day(2024, 5, 2), 100, 1, 5.00, "After the period");
    Run(ReportKind::ExpenseDetail);
    EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{"Report contains no data."});
    EXPECT_EQ(platform_->messages.shown[0].kind, platform::MessageKind::Information);
    EXPECT_TRUE(asked.empty());
}

TEST_F(ReportFrame, AccountVariantEndsOnExitOrNewAndOtherwiseTakesThePickedAccount) {
    Folder(1, "Main Street");
    Expense(Day(2024, 4, 2), 100, 1, 5.00, "Printer");
    Expense(Day(2024, 4, 3), 200, 1, 6.00, "Diner");
    long picked = -1;
    std::string kinds;
    seams.pickAccount = [&picked, &kinds](char kind) {
        kinds += kind;
        return picked;
    };
    for (long leave : {-1L, 0L, 99L}) {  // Exit, New, a record that is not there
        picked = leave;
        Run(ReportKind::ExpenseAccountDetail);
        EXPECT_TRUE(asked.empty()) << leave;
        EXPECT_TRUE(platform_->messages.shown.empty()) << leave;
    }
    EXPECT_EQ(kinds, "EEE");
    picked = 2;  // ACC record 2: account 200
    Run(ReportKind::ExpenseAccountDetail);
    ASSERT_EQ(viewed.size(), 10u);
    EXPECT_EQ(viewed[2], "C33Main Street " + std::string("Meals") + " Expense Detail Report|||||B");
    EXPECT_EQ(viewed[8].substr(0, 26), "L0004/03/24|R190|R24200|L2");
}

TEST_F(ReportFrame, MonthlyProfitKeepsTheFirstOfTheMonthForTheRun) {
    Folder(1, "Main Street");
    Folder(2, "Harbor");
    Expense(Day(2024, 3, 2), 100, 1, 5.00, "Before the day typed");
    cbk::ReportFrom = Day(2024, 3, 15);
    cbk::ReportThrough = Day(2024, 5, 10);
    auto run = [this](ReportKind kind) { RunWith(kind, RunRequest(60)); };

    DialogChooses({});  // no folders chosen: no report, the start as it was
    run(ReportKind::MonthlyProfit);
    EXPECT_EQ(cbk::ReportFrom, Day(2024, 3, 15));

    DialogChooses({1});
    run(ReportKind::MonthlyProfit);
    EXPECT_EQ(cbk::ReportFrom, Day(2024, 3, 1));
    ASSERT_EQ(viewed.size(), 13u);
    EXPECT_EQ(viewed[3], "C49for 3/1/24 through 5/10/24|||||||B");
    EXPECT_EQ(viewed[9].substr(0, 11), "L0003/31/24");
    EXPECT_EQ(viewed[10].substr(0, 11), "L0004/30/24");
    EXPECT_EQ(viewed[11].substr(0, 11), "L0005/10/24");

    // A later report of the run starts there too.
    DialogChooses({1});
    run(ReportKind::ExpenseSummary);
    ASSERT_GE(viewed.size(), 10u);
    EXPECT_EQ(viewed[3], "C38for 3/1/24 through 5/10/24|||||B");
    EXPECT_EQ(viewed[9], SummaryRow("100", Stored("Advertising"), "5.00", "0.00", "5.00", "U"));
}

TEST_F(ReportFrame, ChartsAskForNoFolders) {
    // No folder at all: the charts run anyway, and an empty chart is reported.
    Run(ReportKind::IncomeChart);
    EXPECT_EQ(asked, std::vector<std::string>{"TReportF"});
    ASSERT_GE(viewed.size(), 3u);
    EXPECT_EQ(viewed[2], "C20Income Accounts||B");

    Delete(cbk::Accounts, 1);
    Delete(cbk::Accounts, 2);
    Run(ReportKind::ExpenseChart);
    EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{"Report contains no data."});
    EXPECT_EQ(asked.size(), 1u);
}

// Each command opens exactly its tables before it asks anything, keeps them open to the viewer
// and closes them all; a cancelled folder choice ends the run before anything is built.
TEST_F(ReportFrame, EachCommandOpensItsTablesAndClosesThemAll) {
    Folder(1, "Main Street");
    Folder(2, "Harbor");
    Expense(Day(2024, 4, 2), 100, 1, 5.00, "Printer");
    IncomeEntry(Day(2024, 4, 3), 400, 1, 6.00, "Rent");
    seams.pickAccount = [this](char) {
        Asked("TPickAcc");
        return 1L;
    };
    const Tables expenses = {"FOLDER", "EXP5", "ACC"};
    const Tables income = {"FOLDER", "INC5", "ACCI"};
    const Tables both = {"FOLDER", "EXP5", "INC5", "ACC", "ACCI"};
    struct Case {
        ReportKind kind;
        Tables tables;
        bool picksAccount;
        bool choosesFolders;
    } cases[] = {
        {ReportKind::ExpenseSummary, expenses, false, true},
        {ReportKind::ExpenseDetail, expenses, false, true},
        {ReportKind::ExpenseAccountDetail, expenses, true, true},
        {ReportKind::IncomeSummary, income, false, true},
        {ReportKind::IncomeDetail, income, false, true},
        {ReportKind::IncomeAccountDetail, income, true, true},
        {ReportKind::ExpenseChart, {"ACC"}, false, false},
        {ReportKind::IncomeChart, {"ACCI"}, false, false},
        {ReportKind::GeneralLedger, {"FOLDER", "EXP5", "INC5"}, false, true},
        {ReportKind::WeeklyProfit, both, false, true},
        {ReportKind::MonthlyProfit, both, false, true},
    };
    for (const Case& c : cases) {
        const int kind = static_cast<int>(c.kind);
        std::vector<std::string> forms;
        if (c.picksAccount) forms.push_back("TPickAcc");
        if (c.choosesFolders) forms.push_back("TMultFol");
        forms.push_back("TReportF");

        asked.clear();
        openWhenAsked.clear();
        DialogChooses({1});
        Run(c.kind);
        EXPECT_EQ(asked, forms) << kind;
        EXPECT_EQ(openWhenAsked, std::vector<Tables>(forms.size(), c.tables)) << kind;
        EXPECT_FALSE(viewed.empty()) << kind;

        if (!c.choosesFolders) continue;
        asked.clear();
        platform_->progress.calls.clear();
        DialogChooses({});
        Run(c.kind);
        forms.pop_back();
        EXPECT_EQ(asked, forms) << kind;
        EXPECT_TRUE(viewed.empty()) << kind;
        EXPECT_TRUE(platform_->progress.calls.empty()) << kind;  // no builder ran
    }
    EXPECT_TRUE(platform_->messages.shown.empty());
}
