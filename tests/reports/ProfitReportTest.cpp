#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ReportBuilders.h"
#include "reports/ReportExport.h"
#include "reports/ReportTablesFixture.h"

using namespace reports;
using namespace reports::testing;

namespace {

class ProfitReport : public ReportTablesTest {
protected:
    // Folders 1 to 3; taxable income account 400, deductible expense account 100.
    void SetUp() override {
        ReportTablesTest::SetUp();
        if (HasFatalFailure()) return;
        Folder(1, "Main Street");
        Folder(2, "Harbor");
        Folder(3, "Depot");
        IncomeAccount(400, "Rent", true);
        IncomeAccount(410, "Interest", false);
        Delete(cbk::IncomeAccounts, IncomeAccount(420, "Closed, was taxable", true));
        Account(100, "Advertising", true);
        Account(200, "Meals", false);
    }

    // A bucket row: its end (or "Totals") and taxable income, deductible expenses, other
    // income and other expenses; the profits are given as they must read.
    static std::string Row(const std::string& label, const std::string& ti, const std::string& de,
                           const std::string& tp, const std::string& ni, const std::string& ne,
                           const std::string& net, const std::string& flag = "") {
        return "L00" + label + "|R29" + A(ti) + "|R43" + A(de) + "|R57" + A(tp) + "|R71" + A(ni) +
               "|R85" + A(ne) + "|R99" + A(net) + "|" + flag;
    }
    static std::vector<std::string> Header(const std::string& kind, const std::string& title,
                                           const std::string& period) {
        return {"L00Page 1|R993/5/26||||||",
                "|||||||",
                "C49" + title + "|||||||B",
                "C49" + period + "|||||||B",
                "|||||||",
                "L00|||||||",
                "|||||||",
                "L00" + kind +
                    "|R29Taxable|R43Deductible|R57Taxable|R71Nontaxable|R85Nondeductible|R99Net|",
                "L00Ending|R29Income|R43Expenses|R57Profit|R71Income|R85Expenses|R99Profit|U"};
    }
};

}  // namespace

TEST_F(ProfitReport, WeeksRunFromTheStartDayAndTheLastIsCutToTheEnd) {
    // 3 April 2024 is a Wednesday; ten days give a week and three days.
    IncomeEntry(Day(2024, 4, 2), 400, 1, 1000.00, "Before");
    IncomeEntry(Day(2024, 4, 3), 400, 1, 100.00);
    IncomeEntry(Day(2024, 4, 5), 400, 3, 500.00);  // taxable, but a folder not chosen
    IncomeEntry(Day(2024, 4, 9), 410, 2, 50.00);
    IncomeEntry(Day(2024, 4, 10), 999, 1, 20.00);  // no such account: non-taxable
    IncomeEntry(Day(2024, 4, 11), 420, 1, 7.00);   // a deleted account: non-taxable
    IncomeEntry(Day(2024, 4, 13), 400, 1, 1000.00, "After");
    Expense(Day(2024, 4, 4), 200, 1, 10.00);
    Expense(Day(2024, 4, 11), 777, 2, 5.00);  // no such account: non-deductible
    Expense(Day(2024, 4, 12), 100, 1, 30.00);
    Delete(cbk::Expenses, Expense(Day(2024, 4, 12), 100, 1, 99.00));

    BuildWeeklyProfit(Request(Day(2024, 4, 3), Day(2024, 4, 12), {1, 2}), ReportDocument);
    std::vector<std::string> expected =
        Header("Week", "Profit Report", "for 4/3/24 through 4/12/24");
    const std::vector<std::string> rows = {
        Row("04/09/24", "100.00", "0.00", "100.00", "50.00", "10.00", "140.00"),
        Row("04/12/24", "0.00", "30.00", "-30.00", "27.00", "5.00", "-8.00", "U"),
        Row("Totals", "100.00", "30.00", "70.00", "77.00", "15.00", "132.00"),
        "|||||||",
        "|||||||",
        "L00Included Folders:|L18" + Stored("Main Street") + "||||||",
        "|L18" + Stored("Harbor") + "||||||",
    };
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(Rows(ReportDocument), expected);
    // Nine days to cover: six in the first bucket, two in the second.
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{66, 88}));
    EXPECT_FALSE(platform_->progress.visible);
}

TEST_F(ProfitReport, AWeekWithoutEntriesStillHasItsRow) {
    IncomeEntry(Day(2024, 4, 1), 400, 1, 10.00);
    Expense(Day(2024, 4, 20), 100, 1, 4.00);
    BuildWeeklyProfit(Request(Day(2024, 4, 1), Day(2024, 4, 21), {1}), ReportDocument);
    const std::vector<std::string> rows = Rows(ReportDocument);
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(rows[2], "C49Main Street Profit Report|||||||B");
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 9, rows.end()),
              (std::vector<std::string>{
                  Row("04/07/24", "10.00", "0.00", "10.00", "0.00", "0.00", "10.00"),
                  Row("04/14/24", "0.00", "0.00", "0.00", "0.00", "0.00", "0.00"),
                  Row("04/21/24", "0.00", "4.00", "-4.00", "0.00", "0.00", "-4.00", "U"),
                  Row("Totals", "10.00", "4.00", "6.00", "0.00", "0.00", "6.00"),
              }));
}

TEST_F(ProfitReport, MonthsRunByTheCalendarFromTheFirstOfTheStartMonth) {
    IncomeEntry(Day(2023, 10, 31), 400, 1, 1000.00, "Before");
    IncomeEntry(Day(2023, 11, 1), 400, 1, 1.00);  // before the start given, in its month
    Expense(Day(2023, 12, 31), 200, 1, 2.00);
    IncomeEntry(Day(2024, 1, 1), 410, 1, 3.00);
    Expense(Day(2024, 1, 15), 100, 1, 4.00);
    Expense(Day(2024, 1, 16), 100, 1, 1000.00, "After");

    BuildMonthlyProfit(Request(Day(2023, 11, 20), Day(2024, 1, 15), {1}), ReportDocument);
    std::vector<std::string> expected =
        Header("Month", "Main Street Profit Report", "for 11/1/23 through 1/15/24");
    const std::vector<std::string> rows = {
        Row("11/30/23", "1.00", "0.00", "1.00", "0.00", "0.00", "1.00"),
        Row("12/31/23", "0.00", "0.00", "0.00", "0.00", "2.00", "-2.00"),
        Row("01/15/24", "0.00", "4.00", "-4.00", "3.00", "0.00", "-1.00", "U"),
        Row("Totals", "1.00", "4.00", "-3.00", "3.00", "2.00", "-2.00"),
    };
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(Rows(ReportDocument), expected);
    // 75 days from 1 November: 29, 30 and 14 of them covered by the buckets' spans.
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{38, 78, 97}));
}

TEST_F(ProfitReport, AStartAfterTheEndGivesNothing) {
    IncomeEntry(Day(2024, 4, 10), 400, 1, 10.00);
    BuildWeeklyProfit(Request(Day(2024, 4, 11), Day(2024, 4, 10), {1}), ReportDocument);
    EXPECT_TRUE(ReportDocument.empty());
    // The monthly report starts on the first of the month, which is not after the end.
    BuildMonthlyProfit(Request(Day(2024, 4, 11), Day(2024, 4, 10), {1}), ReportDocument);
    EXPECT_EQ(ReportDocument.cell(9, 1), "R29" + A("10.00"));
}

TEST_F(ProfitReport, ExportsAsTextAndDelimited) {
    IncomeEntry(Day(2024, 4, 2), 400, 1, 1234.50);
    Expense(Day(2024, 4, 3), 200, 1, 34.50);
    BuildWeeklyProfit(Request(Day(2024, 4, 1), Day(2024, 4, 3), {1}), ReportDocument);

    const std::string zero = "         0.00";
    // Amount columns 14 apart: one blank between 13-character amounts.
    const std::string row =
        "     1,234.50 " + zero + "      1,234.50 " + zero + "         34.50      1,200.00";
    const std::vector<std::string> text = {
        "Page 1" + Spaces(87) + "3/5/26",
        "",
        Spaces(37) + "Main Street Profit Report",
        Spaces(37) + "for 4/1/24 through 4/3/24",
        "",
        "",
        "",
        "Week" + Spaces(18) + "Taxable" + Spaces(4) + "Deductible" + Spaces(7) + "Taxable" +
            Spaces(4) + "Nontaxable" + Spaces(1) + "Nondeductible" + Spaces(11) + "Net",
        "Ending" + Spaces(17) + "Income" + Spaces(6) + "Expenses" + Spaces(8) + "Profit" +
            Spaces(8) + "Income" + Spaces(6) + "Expenses" + Spaces(8) + "Profit",
        "04/03/24" + Spaces(8) + row,
        "Totals" + Spaces(10) + row,
    };
    EXPECT_EQ(ExportBytes(ReportDocument, ExportKind::Text), ExportLines(text));
    const std::string fields =
        "     1,234.50\t" + zero + "\t     1,234.50\t" + zero + "\t        34.50\t     1,200.00";
    const std::vector<std::string> delimited = {
        "Page 1\t3/5/26",
        "",
        "Main Street Profit Report",
        "for 4/1/24 through 4/3/24",
        "",
        "",
        "",
        "Week\tTaxable\tDeductible\tTaxable\tNontaxable\tNondeductible\tNet",
        "Ending\tIncome\tExpenses\tProfit\tIncome\tExpenses\tProfit",
        "04/03/24\t" + fields,
        "Totals\t" + fields,
    };
    EXPECT_EQ(ExportBytes(ReportDocument, ExportKind::Delimited), ExportLines(delimited));
}
