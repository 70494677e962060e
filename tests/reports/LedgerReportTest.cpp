#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ReportBuilders.h"
#include "reports/ReportExport.h"
#include "reports/ReportTablesFixture.h"

using namespace reports;
using namespace reports::testing;

namespace {

class LedgerReport : public ReportTablesTest {
protected:
    void SetUp() override {
        ReportTablesTest::SetUp();
        if (HasFatalFailure()) return;
        Folder(1, "Main Street");
        Folder(2, "Harbor");
        Folder(3, "Depot");
    }

    // A ledger row; an empty credit or debit is an empty cell, prefix and all.
    static std::string Row(const std::string& date, const std::string& text,
                           const std::string& credit, const std::string& debit,
                           const std::string& balance, const std::string& flag = "") {
        return "L00" + date + "|L10" + text + "|" + (credit.empty() ? "" : "R50" + A(credit)) +
               "|" + (debit.empty() ? "" : "R61" + A(debit)) + "|R73" + A(balance) + "|" + flag;
    }
    static inline const std::vector<std::string> kHeader = {
        "L00Page 1|R733/5/26||||",
        "|||||",
        "C36General Ledger|||||B",
        "C36for 4/1/24 through 4/30/24|||||B",
        "|||||",
        "L00|||||",
        "|||||",
        "L00Date|L10Description|R50Credit|R61Debit|R73Balance|U",
    };
};

}  // namespace

TEST_F(LedgerReport, OpeningTotalsMergeByDateAndCumulativeClose) {
    // Fiscal year from 1 July: F = 7/1/23 for an April 2024 report.
    IncomeEntry(Day(2022, 5, 10), 400, 1, 100.00, "Last year");
    IncomeEntry(Day(2023, 6, 30), 400, 1, 10.00, "Day before F");
    IncomeEntry(Day(2023, 7, 1), 400, 1, 200.00, "On F");
    IncomeEntry(Day(2024, 3, 31), 400, 3, 999.00, "Depot before");
    Expense(Day(2022, 12, 1), 100, 1, 40.00, "Prior expense");
    Expense(Day(2024, 3, 15), 100, 2, 60.00, "Fiscal expense");
    // Entered before the incomes of its day, listed after them.
    Expense(Day(2024, 4, 1), 100, 1, 20.00, "Hardware");
    IncomeEntry(Day(2024, 4, 1), 400, 1, 300.00, "April rent");
    IncomeEntry(Day(2024, 4, 1), 400, 2, 5.00, "  Parking");
    Expense(Day(2024, 4, 10), 100, 3, 5.00, "Depot expense");
    IncomeEntry(Day(2024, 4, 10), 400, 3, 77.00, "Depot income");
    IncomeEntry(Day(2024, 4, 10), 400, 1, 0.00, "Zero income");
    Expense(Day(2024, 4, 10), 100, 2, 0.00, "Zero expense");
    Delete(cbk::Expenses, Expense(Day(2024, 4, 15), 100, 1, 8.00, "Deleted"));
    Expense(Day(2024, 4, 20), 100, 1, 1234.56, "Roofing");
    IncomeEntry(Day(2024, 4, 30), 400, 2, 25.00, "Last day");
    IncomeEntry(Day(2024, 5, 1), 400, 1, 1000.00, "After");
    Expense(Day(2024, 5, 2), 100, 1, 1000.00, "After");
    // Entered last, dated first; a deleted entry never counts.
    IncomeEntry(Day(2021, 1, 5), 400, 2, 50.00, "Two years back");
    Delete(cbk::Income, IncomeEntry(Day(2022, 1, 1), 400, 1, 5000.00, "Deleted"));

    BuildGeneralLedger(Request(Day(2024, 4, 1), Day(2024, 4, 30), {1, 2}, 7, 1), ReportDocument);
    std::vector<std::string> expected = kHeader;
    const std::vector<std::string> rows = {
        Row("", "Prior Year Totals", "160.00", "40.00", "120.00"),
        Row("", "Fiscal YTD Totals", "200.00", "60.00", "260.00", "U"),
        Row("04/01/24", Stored("April rent"), "300.00", "", "560.00"),
        Row("04/01/24", Stored("  Parking"), "5.00", "", "565.00"),
        Row("04/01/24", Stored("Hardware"), "", "20.00", "545.00"),
        Row("04/10/24", Stored("Zero income"), "", "", "545.00"),
        Row("04/10/24", Stored("Zero expense"), "", "", "545.00"),
        Row("04/20/24", Stored("Roofing"), "", "1,234.56", "-689.56"),
        Row("04/30/24", Stored("Last day"), "25.00", "", "-664.56", "U"),
        // Everything up to the end date; credit - debit is the last balance.
        Row("", "Fiscal YTD Totals", "690.00", "1,354.56", "-664.56"),
        "|||||",
        "|||||",
        "L00Included Folders:|L18" + Stored("Main Street") + "||||",
        "|L18" + Stored("Harbor") + "||||",
    };
    expected.insert(expected.end(), rows.begin(), rows.end());
    EXPECT_EQ(Rows(ReportDocument), expected);
    // Out of 12 income and 8 expense records (the deleted ones counted): 5 + 2 before the
    // period, then one per entry merged up to the end date (9); those after it are never read.
    EXPECT_EQ(platform_->progress.percents(),
              (std::vector<int>{5, 10, 15, 20, 25, 30, 35, 40, 45, 50, 55, 60, 65, 70, 75, 80}));
    EXPECT_FALSE(platform_->progress.visible);
}

TEST_F(LedgerReport, StartOnTheFiscalStartRepeatsThePriorBalance) {
    IncomeEntry(Day(2023, 12, 31), 400, 1, 70.00, "December");
    Expense(Day(2023, 6, 1), 100, 1, 30.00, "June");
    Expense(Day(2024, 1, 2), 100, 1, 15.00, "New year");
    IncomeEntry(Day(2024, 1, 3), 400, 2, 80.00, "Harbor, not chosen");

    BuildGeneralLedger(Request(Day(2024, 1, 1), Day(2024, 1, 31), {1}), ReportDocument);
    const std::vector<std::string> rows = Rows(ReportDocument);
    ASSERT_EQ(rows.size(), 12u);  // one folder: its name in the title, no list of folders
    EXPECT_EQ(rows[2], "C36Main Street General Ledger|||||B");
    const std::vector<std::string> body(rows.begin() + 8, rows.end());
    const std::vector<std::string> expected = {
        Row("", "Prior Year Totals", "70.00", "30.00", "40.00"),
        Row("", "Fiscal YTD Totals", "", "", "40.00", "U"),
        Row("01/02/24", Stored("New year"), "", "15.00", "25.00", "U"),
        Row("", "Fiscal YTD Totals", "70.00", "45.00", "25.00"),
    };
    EXPECT_EQ(body, expected);
}

TEST_F(LedgerReport, ABlankStoredDateCountsAsToday) {
    // Today is 3/5/26; the fiscal year starts 1 January.
    Expense(Day(2025, 12, 1), 100, 1, 40.00, "Last year");
    IncomeEntry(Day(2026, 2, 1), 400, 1, 100.00, "February");
    Expense(Day(2026, 3, 4), 100, 1, 5.00, "Fourth");
    Expense(Day(2026, 3, 6), 100, 1, 6.00, "Sixth");
    Expense(Day(2026, 1, 1), 100, 1, 8.00, "Undated");
    engine::f4assign(cbk::ExpDateField, "");
    Expense(Day(2026, 1, 1), 100, 2, 9.00, "Undated, Harbor");
    engine::f4assign(cbk::ExpDateField, "");

    // A period after today: the undated expense is in the fiscal year, not before it.
    BuildGeneralLedger(Request(Day(2026, 4, 1), Day(2026, 4, 30), {1}), ReportDocument);
    std::vector<std::string> rows = Rows(ReportDocument);
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 8, rows.begin() + 10),
              (std::vector<std::string>{
                  Row("", "Prior Year Totals", "", "40.00", "-40.00"),
                  Row("", "Fiscal YTD Totals", "100.00", "19.00", "41.00", "U"),
              }));

    // A period holding today: listed on today's date among the others.
    BuildGeneralLedger(Request(Day(2026, 3, 1), Day(2026, 3, 31), {1}), ReportDocument);
    rows = Rows(ReportDocument);
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 8, rows.end()),
              (std::vector<std::string>{
                  Row("", "Prior Year Totals", "", "40.00", "-40.00"),
                  Row("", "Fiscal YTD Totals", "100.00", "", "60.00", "U"),
                  Row("03/04/26", Stored("Fourth"), "", "5.00", "55.00"),
                  Row("03/05/26", Stored("Undated"), "", "8.00", "47.00"),
                  Row("03/06/26", Stored("Sixth"), "", "6.00", "41.00", "U"),
                  Row("", "Fiscal YTD Totals", "100.00", "59.00", "41.00"),
              }));
}

TEST_F(LedgerReport, NoEntriesStillGivesTheOpeningAndClosingRows) {
    BuildGeneralLedger(Request(Day(2024, 4, 1), Day(2024, 4, 30), {1}), ReportDocument);
    const std::vector<std::string> rows = Rows(ReportDocument);
    const std::vector<std::string> body(rows.begin() + 8, rows.end());
    EXPECT_EQ(body, (std::vector<std::string>{
                        Row("", "Prior Year Totals", "", "", "0.00"),
                        Row("", "Fiscal YTD Totals", "", "", "0.00", "U"),
                        Row("", "Fiscal YTD Totals", "", "", "0.00"),
                    }));
}

TEST_F(LedgerReport, ExportsAsTextAndDelimited) {
    IncomeEntry(Day(2024, 3, 2), 400, 1, 1500.00, "March rent");
    Expense(Day(2024, 4, 3), 100, 1, 12.50, "Stamps");

    BuildGeneralLedger(Request(Day(2024, 4, 1), Day(2024, 4, 30), {1}), ReportDocument);
    const std::string title = "Main Street General Ledger";  // 26 characters centred on 36
    const std::vector<std::string> text = {
        "Page 1" + Spaces(61) + "3/5/26",
        "",
        Spaces(23) + title,
        Spaces(23) + "for 4/1/24 through 4/30/24",
        "",
        "",
        "",
        "Date      Description" + Spaces(23) + "Credit      Debit     Balance",
        // Amounts end at their columns 50, 61 and 73, keeping their leading blanks.
        Spaces(10) + "Prior Year Totals" + Spaces(33) + "         0.00",
        Spaces(10) + "Fiscal YTD Totals" + Spaces(10) + "     1,500.00" + Spaces(10) +
            "     1,500.00",
        "04/03/24  Stamps" + Spaces(24) + Spaces(8) + "        12.50     1,487.50",
        Spaces(10) + "Fiscal YTD Totals" + Spaces(10) + "     1,500.00        12.50     1,487.50",
    };
    EXPECT_EQ(ExportBytes(ReportDocument, ExportKind::Text), ExportLines(text));
    // The empty date cells give no field; the empty amount cells give none either.
    const std::vector<std::string> delimited = {
        "Page 1\t3/5/26",
        "",
        title,
        "for 4/1/24 through 4/30/24",
        "",
        "",
        "",
        "Date\tDescription\tCredit\tDebit\tBalance",
        "Prior Year Totals\t         0.00",
        "Fiscal YTD Totals\t     1,500.00\t     1,500.00",
        "04/03/24\tStamps" + Spaces(24) + "\t        12.50\t     1,487.50",
        "Fiscal YTD Totals\t     1,500.00\t        12.50\t     1,487.50",
    };
    EXPECT_EQ(ExportBytes(ReportDocument, ExportKind::Delimited), ExportLines(delimited));
}
