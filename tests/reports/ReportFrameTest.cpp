#include "reports/ReportFrame.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ReportTablesFixture.h"
#include "state/MainVars.h"

using namespace reports;
using namespace reports::testing;

namespace {

// A form as the modal runner sees it; the tests' scripts stand in for its window.
class StandInForm : public platform::ModalForm {
public:
    explicit StandInForm(std::string name) : name_(std::move(name)) {}
    std::string formName() const override { return name_; }
    int execModal() override { return platform::mrCancel; }

private:
    std::string name_;
};

class ReportFrame : public ReportTablesTest {
protected:
    void SetUp() override {
        ReportTablesTest::SetUp();
        if (HasFatalFailure()) return;
        Account(100, "Advertising", true);
        Account(200, "Meals", false);
        IncomeAccount(400, "Rent Income", true);
        IncomeAccount(410, "Interest", false);
        // What the viewer saw of the document while it was shown.
        platform_->modal.onShow("TReportF", [this](platform::ModalForm&) {
            viewed = Rows(ReportDocument);
            return platform::mrCancel;
        });
        forms.folderDialog = &folderDialog;
        forms.viewer = &viewer;
    }

    // The folder dialog's next showing chooses `folders` (none: cancelled).
    void DialogChooses(std::vector<std::int32_t> folders) {
        platform_->modal.once("TMultFol", [folders](platform::ModalForm&) {
            SelectedFolders = folders;
            return folders.empty() ? platform::mrCancel : platform::mrOk;
        });
    }

    void Run(ReportKind kind) {
        viewed.clear();
        RunReport(kind, Request(Day(2024, 4, 1), Day(2024, 4, 30), {}), forms);
    }

    bool ViewedRow(const std::string& prefix) const {
        for (const std::string& row : viewed)
            if (row.rfind(prefix, 0) == 0) return true;
        return false;
    }

    StandInForm folderDialog{"TMultFol"};
    StandInForm viewer{"TReportF"};
    ReportForms forms;
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
    SelectedFolders = {7};
    SelectReportFolders(folderDialog);
    EXPECT_TRUE(SelectedFolders.empty());
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Create folders before running reports"});

    Delete(cbk::Folders, Folder(1, "Gone"));
    Folder(4, "Harbor");
    SelectReportFolders(folderDialog);
    EXPECT_EQ(SelectedFolders, std::vector<std::int32_t>{4});  // the only live folder
    EXPECT_TRUE(platform_->modal.shown.empty());

    Folder(6, "Depot");
    DialogChooses({6});
    SelectReportFolders(folderDialog);
    EXPECT_EQ(SelectedFolders, std::vector<std::int32_t>{6});
    EXPECT_EQ(platform_->modal.shown, std::vector<std::string>{"TMultFol"});
    EXPECT_EQ(platform_->messages.shown.size(), 1u);
}

TEST_F(ReportFrame, OneFolderIsNamedInTheTitleWithoutAsking) {
    Folder(1, "Main Street");
    Expense(Day(2024, 4, 2), 100, 1, 5.00, "Printer");
    Run(ReportKind::ExpenseSummary);
    EXPECT_EQ(platform_->modal.shown, std::vector<std::string>{"TReportF"});
    ASSERT_GE(viewed.size(), 3u);
    EXPECT_EQ(viewed[2], "C38Main Street Expense Summary Report|||||B");
    EXPECT_FALSE(ViewedRow("L00Included Folders:"));
    EXPECT_TRUE(ReportDocument.empty());  // cleared once the viewer closed
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
    EXPECT_EQ(platform_->modal.shown, (std::vector<std::string>{"TMultFol", "TReportF", "TMultFol",
                                                                "TReportF", "TMultFol"}));
}

TEST_F(ReportFrame, AnEmptyReportIsReportedInsteadOfShown) {
    Folder(1, "Main Street");
    Expense(Day(2024, 5, 2), 100, 1, 5.00, "After the period");
    Run(ReportKind::ExpenseDetail);
    EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{"Report contains no data."});
    EXPECT_EQ(platform_->messages.shown[0].kind, platform::MessageKind::Information);
    EXPECT_TRUE(platform_->modal.shown.empty());
    EXPECT_TRUE(ReportDocument.empty());
}

TEST_F(ReportFrame, AccountVariantEndsOnExitOrNewAndOtherwiseTakesThePickedAccount) {
    Folder(1, "Main Street");
    Expense(Day(2024, 4, 2), 100, 1, 5.00, "Printer");
    Expense(Day(2024, 4, 3), 200, 1, 6.00, "Diner");
    long picked = -1;
    forms.pickAccount = [&picked] { return picked; };
    for (long leave : {-1L, 0L, 99L}) {  // Exit, New, a record that is not there
        picked = leave;
        Run(ReportKind::ExpenseAccountDetail);
        EXPECT_TRUE(platform_->modal.shown.empty()) << leave;
        EXPECT_TRUE(platform_->messages.shown.empty()) << leave;
    }
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
    auto run = [this](ReportKind kind) {
        viewed.clear();
        RunReport(kind, RunRequest(60), forms);
    };

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
    EXPECT_EQ(platform_->modal.shown, std::vector<std::string>{"TReportF"});
    ASSERT_GE(viewed.size(), 3u);
    EXPECT_EQ(viewed[2], "C20Income Accounts||B");

    Delete(cbk::Accounts, 1);
    Delete(cbk::Accounts, 2);
    Run(ReportKind::ExpenseChart);
    EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{"Report contains no data."});
    EXPECT_EQ(platform_->modal.shown.size(), 1u);
}
