#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ReportBuilders.h"
#include "reports/ReportTablesFixture.h"

using namespace reports;
using namespace reports::testing;

namespace {

class DetailReport : public ReportTablesTest {
protected:
    void SetUp() override {
        ReportTablesTest::SetUp();
        if (HasFatalFailure()) return;
        Folder(1, "Main Street");
        Folder(2, "Harbor");
        Folder(3, "Depot");
    }

    static std::string ExpenseRow(const std::string& date, const std::string& check,
                                  const std::string& account, const std::string& payTo,
                                  const std::string& amount, const std::string& flag = "") {
        return "L00" + date + "|R19" + check + "|R24" + account + "|L26" + payTo + "|R67" +
               A(amount) + "|" + flag;
    }
    static std::string IncomeRow(const std::string& date, const std::string& account,
                                 const std::string& desc, const std::string& amount,
                                 const std::string& flag = "") {
        return "L00" + date + "|R18" + account + "|L21" + desc + "|R72" + A(amount) + "|" + flag;
    }
};

}  // namespace

TEST_F(DetailReport, ExpenseDetailListsThePeriodInDateThenAccountOrder) {
    Expense(Day(2024, 3, 31), 100, 1, 1.00, "Before");
    Expense(Day(2024, 4, 1), 300, 1, 10.00, "Ace Hardware", "", 101);
    Expense(Day(2024, 4, 1), 100, 2, 25.50, "  Daily News  ", " Spring ad ", -1);
    Expense(Day(2024, 4, 15), 100, 3, 2.00, "Depot folder");  // folder not chosen
    Delete(cbk::Expenses, Expense(Day(2024, 4, 20), 100, 1, 3.00, "Deleted"));
    Expense(Day(2024, 4, 30), 200, 1, 1000.00, "Diner", "   ", 102);  // on the end date
    Expense(Day(2024, 5, 1), 100, 1, 4.00, "After");

    BuildExpenseDetail(Request(Day(2024, 4, 1), Day(2024, 4, 30), {1, 2}), ReportDocument);
    const std::vector<std::string> expected = {
        "L00Page 1|R673/5/26||||",
        "|||||",
        "C33Expense Detail Report|||||B",
        "C33for 4/1/24 through 4/30/24|||||B",
        "|||||",
        "L00|||||",
        "|||||",
        "L00Date|R19Check No|R24Acnt|L26Paid to / Memo|R67Amount|U",
        ExpenseRow("04/01/24", "0", "100", "Daily News", "25.50"),  // blank check: 0
        "|||L26Spring ad||",
        ExpenseRow("04/01/24", "101", "300", "Ace Hardware", "10.00"),
        ExpenseRow("04/30/24", "102", "200", "Diner", "1,000.00", "U"),  // blank memo: one line
        ExpenseRow("TOTAL EXPENSES", "", "", "", "1,035.50"),
        "|||||",
        "|||||",
        "L00Included Folders:|L18" + Stored("Main Street") + "||||",
        "|L18" + Stored("Harbor") + "||||",
    };
    EXPECT_EQ(Rows(ReportDocument), expected);
    // Counted from the start date through the end date: four live entries.
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{25, 50, 75, 100}));
    EXPECT_FALSE(platform_->progress.visible);
}

TEST_F(DetailReport, AccountVariantListsOnlyItsAccountUnderItsName) {
    Expense(Day(2024, 4, 2), 100, 1, 5.00, "Printer");
    Expense(Day(2024, 4, 3), 300, 1, 6.00, "Other account");
    Expense(Day(2024, 4, 4), 100, 2, 7.00, "Second folder");
    ReportRequest request = Request(Day(2024, 4, 1), Day(2024, 4, 30), {1});
    request.account = 100;
    request.accountName = Stored("Advertising");
    BuildExpenseDetail(request, ReportDocument);
    const std::vector<std::string> rows = Rows(ReportDocument);
    const std::vector<std::string> expected = {
        "C33Main Street Advertising Expense Detail Report|||||B",
        ExpenseRow("04/02/24", "0", "100", "Printer", "5.00", "U"),
        ExpenseRow("TOTAL EXPENSES", "", "", "", "5.00"),
    };
    ASSERT_EQ(rows.size(), 10u);  // one folder: no included-folders list
    EXPECT_EQ((std::vector<std::string>{rows[2], rows[8], rows[9]}), expected);

    ReportDocument.ClearDocument();
    request.folders = {1, 2};
    BuildExpenseDetail(request, ReportDocument);
    EXPECT_EQ(ReportDocument.cell(2, 0), "C33Advertising Expense Detail Report");
    EXPECT_EQ(ReportDocument.cell(9, 3), "L26Second folder");
}

TEST_F(DetailReport, IncomeDetailKeepsDescriptionsAsStoredAndEqualDatesInTagOrder) {
    IncomeAccount(400, "Rent Income", true);
    IncomeEntry(Day(2024, 4, 5), 410, 1, 75.00, "Entered first");
    IncomeEntry(Day(2024, 4, 5), 400, 1, 1500.00, "  Entered second");
    IncomeEntry(Day(2024, 4, 1), 400, 3, 9.00, "Depot folder");
    IncomeEntry(Day(2024, 5, 1), 400, 1, 9.00, "After");

    BuildIncomeDetail(Request(Day(2024, 4, 1), Day(2024, 4, 30), {1}), ReportDocument);
    const std::vector<std::string> expected = {
        "L00Page 1|R723/5/26|||",
        "||||",
        "C36Main Street Income Detail Report||||B",
        "C36for 4/1/24 through 4/30/24||||B",
        "||||",
        "L00||||",
        "||||",
        "L00Date|R18Account|L21Description|R72Amount|U",
        IncomeRow("04/05/24", "410", Stored("Entered first"), "75.00"),
        IncomeRow("04/05/24", "400", Stored("  Entered second"), "1,500.00", "U"),
        IncomeRow("Total", "", "", "1,575.00"),
    };
    EXPECT_EQ(Rows(ReportDocument), expected);

    ReportDocument.ClearDocument();
    ReportRequest request = Request(Day(2024, 4, 1), Day(2024, 4, 30), {1});
    request.account = 400;
    request.accountName = Stored("Rent Income");
    BuildIncomeDetail(request, ReportDocument);
    EXPECT_EQ(ReportDocument.cell(2, 0), "C36Main Street Rent Income Income Detail Report");
    EXPECT_EQ(ReportDocument.rowCount(), 10);
}

TEST_F(DetailReport, ExpenseEntriesReserveTwoLinesAtAPageEnd) {
    // The header takes 8 lines; with 10 to a page an expense entry at line 9 leaves room for
    // no second one, while income entries fill lines 9 and 10.
    for (int day = 1; day <= 3; ++day) {
        Expense(Day(2024, 4, day), 100, 1, 1.00, "Payee");
        IncomeEntry(Day(2024, 4, day), 400, 1, 1.00, "Rent");
    }
    ReportRequest request = Request(Day(2024, 4, 1), Day(2024, 4, 30), {1});
    request.linesPerPage = 10;
    BuildExpenseDetail(request, ReportDocument);
    EXPECT_EQ(ReportDocument.cell(8, 0), "L0004/01/24");
    EXPECT_EQ(ReportDocument.flag(8), "U");
    EXPECT_EQ(ReportDocument.cell(9, 0), "EJECT");
    EXPECT_EQ(ReportDocument.cell(18, 0), "L0004/02/24");
    EXPECT_EQ(ReportDocument.cell(19, 0), "EJECT");

    ReportDocument.ClearDocument();
    BuildIncomeDetail(request, ReportDocument);
    EXPECT_EQ(ReportDocument.cell(8, 0), "L0004/01/24");
    EXPECT_EQ(ReportDocument.cell(9, 0), "L0004/02/24");
    EXPECT_EQ(ReportDocument.flag(9), "U");
    EXPECT_EQ(ReportDocument.cell(10, 0), "EJECT");
}

TEST_F(DetailReport, NothingInThePeriodLeavesTheDocumentEmpty) {
    Expense(Day(2024, 3, 31), 100, 1, 1.00);
    Expense(Day(2024, 4, 2), 100, 3, 1.00);  // a folder not chosen
    BuildExpenseDetail(Request(Day(2024, 4, 1), Day(2024, 4, 30), {1, 2}), ReportDocument);
    EXPECT_TRUE(ReportDocument.empty());
    BuildIncomeDetail(Request(Day(2024, 4, 1), Day(2024, 4, 30), {1, 2}), ReportDocument);
    EXPECT_TRUE(ReportDocument.empty());
}
