#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "reports/ReportBuilders.h"
#include "reports/ReportLookups.h"
#include "reports/ReportTablesFixture.h"

using namespace reports;
using namespace reports::testing;

namespace {

class SummaryReport : public ReportTablesTest {
protected:
    // Folders 1 and 2; deductible accounts 100, 110 and 120, non-deductible 200.
    void Accounts() {
        Folder(1, "Main Street");
        Folder(2, "Harbor");
        Account(100, "Advertising", true);
        Account(110, "Bank Fees", true);
        Account(120, "Dues", true);
        Account(200, "Meals", false);
    }
};

}  // namespace

TEST_F(SummaryReport, PriorAndPeriodSplitAroundTheFiscalStart) {
    Accounts();
    Expense(Day(2023, 6, 30), 100, 1, 1000.00);  // before the fiscal year began
    Expense(Day(2023, 7, 1), 100, 1, 100.00);    // prior: the fiscal start itself
    Expense(Day(2024, 3, 14), 100, 1, 20.00);    // prior: the day before the report
    Expense(Day(2024, 3, 15), 100, 1, 3.00);     // period: the report start
    Expense(Day(2024, 4, 30), 100, 1, 0.50);     // period: the report end
    Expense(Day(2024, 5, 1), 100, 1, 7000.00);   // after the report
    Expense(Day(2024, 3, 20), 100, 2, 900.00);   // another folder on the same account
    Delete(cbk::Expenses, Expense(Day(2024, 3, 21), 100, 1, 80.00));
    Expense(Day(2024, 3, 16), 110, 1, 50.10);  // entries that cancel: no row
    Expense(Day(2024, 3, 17), 110, 1, -20.05);
    Expense(Day(2024, 3, 18), 110, 1, -30.05);
    Expense(Day(2024, 4, 1), 200, 1, 1234.56);
    Expense(Day(2023, 8, 1), 200, 1, 10.10);

    BuildExpenseSummary(Request(Day(2024, 3, 15), Day(2024, 4, 30), {1}, 7, 1), ReportDocument);
    const std::vector<std::string> headings = {
        "||R50Period|R63Prior|R76Year|",
        "R05Acnt.|L07Account Name|R50Totals|R63Totals|R76To Date|U",
    };
    std::vector<std::string> expected = {
        "L00Page 1|R763/5/26||||",
        "|||||",
        "C38Main Street Expense Summary Report|||||B",
        "C38for 3/15/24 through 4/30/24|||||B",
        "|||||",
        "L00Deductible Expenses|||||",
        "|||||",
        headings[0],
        headings[1],
        SummaryRow("100", Stored("Advertising"), "3.50", "120.00", "123.50", "U"),
        SummaryRow("", "Total Deductible Expenses", "3.50", "120.00", "123.50"),
        "|||||",
        "|||||",
        "L00Non-Deductible Expenses|||||",
        "|||||",
        headings[0],
        headings[1],
        SummaryRow("200", Stored("Meals"), "1,234.56", "10.10", "1,244.66", "U"),
        SummaryRow("", "Total Non-Deductible Expenses", "1,234.56", "10.10", "1,244.66", "U"),
        "|||||",
        SummaryRow("", "GRAND TOTAL", "1,238.06", "130.10", "1,368.16"),
    };
    EXPECT_EQ(Rows(ReportDocument), expected);
    // Two passes over four accounts, the box hidden after each pass.
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 100}));
    EXPECT_FALSE(platform_->progress.visible);
}

TEST_F(SummaryReport, AStartLaterThanTheEndStillSumsEveryPriorDay) {
    Accounts();
    Expense(Day(2024, 1, 5), 100, 1, 10.00);
    Expense(Day(2024, 4, 10), 100, 1, 20.00);  // the end date
    Expense(Day(2024, 4, 15), 100, 1, 40.00);  // between the end and the start
    Expense(Day(2024, 4, 19), 100, 1, 80.00);  // the day before the start
    Expense(Day(2024, 4, 20), 100, 1, 1000.00);
    Expense(Day(2024, 4, 12), 110, 1, 5.00);  // an account with prior days only past the end

    BuildExpenseSummary(Request(Day(2024, 4, 20), Day(2024, 4, 10), {1}), ReportDocument);
    const std::vector<std::string> rows = Rows(ReportDocument);
    const std::vector<std::string> body(rows.begin() + 9, rows.begin() + 12);
    EXPECT_EQ(body, (std::vector<std::string>{
                        SummaryRow("100", Stored("Advertising"), "0.00", "150.00", "150.00"),
                        SummaryRow("110", Stored("Bank Fees"), "0.00", "5.00", "5.00", "U"),
                        SummaryRow("", "Total Deductible Expenses", "0.00", "155.00", "155.00"),
                    }));
}

TEST_F(SummaryReport, OnlyNonDeductibleEntriesOpenPageOneWithTheSecondSection) {
    Accounts();
    Expense(Day(2024, 4, 2), 200, 1, 12.00);
    BuildExpenseSummary(Request(Day(2024, 4, 1), Day(2024, 4, 30), {1, 2}), ReportDocument);
    const std::vector<std::string> rows = Rows(ReportDocument);
    ASSERT_GE(rows.size(), 10u);
    EXPECT_EQ(rows[2], "C38Expense Summary Report|||||B");  // two folders: no name
    EXPECT_EQ(rows[5], "L00Non-Deductible Expenses|||||");
    EXPECT_EQ(
        std::count_if(rows.begin(), rows.end(),
                      [](const std::string& r) { return r.find("Total Deductible") != r.npos; }),
        0);
    const std::vector<std::string> tail(rows.end() - 5, rows.end());
    const std::vector<std::string> expected = {
        SummaryRow("", "GRAND TOTAL", "12.00", "0.00", "12.00"),
        "|||||",
        "|||||",
        "L00Included Folders:|L18" + Stored("Main Street") + "||||",
        "|L18" + Stored("Harbor") + "||||",
    };
    EXPECT_EQ(tail, expected);
}

TEST_F(SummaryReport, SecondSectionFollowsOnThePageOrStartsTheNext) {
    Accounts();
    Expense(Day(2024, 4, 2), 100, 1, 5.00);
    Expense(Day(2024, 4, 3), 200, 1, 7.00);
    // Rows 0-8 are the header, 9 account 100, 10 its section total at line 11; the second
    // section needs lines up to 17.
    ReportRequest request = Request(Day(2024, 4, 1), Day(2024, 4, 30), {1});
    request.linesPerPage = 18;
    BuildExpenseSummary(request, ReportDocument);
    std::vector<std::string> rows = Rows(ReportDocument);
    ASSERT_GE(rows.size(), 19u);
    const std::vector<std::string> followOn = {
        "|||||",
        "|||||",
        "L00Non-Deductible Expenses|||||",
        "|||||",
        "||R50Period|R63Prior|R76Year|",
        "R05Acnt.|L07Account Name|R50Totals|R63Totals|R76To Date|U",
        // Line 18, the last of the page: the section total goes over to the next one.
        SummaryRow("200", Stored("Meals"), "7.00", "0.00", "7.00", "U"),
        "EJECT|||||",
    };
    EXPECT_EQ(std::vector<std::string>(rows.begin() + 11, rows.begin() + 19), followOn);
    ReportDocument.ClearDocument();

    request.linesPerPage = 16;
    BuildExpenseSummary(request, ReportDocument);
    rows = Rows(ReportDocument);
    ASSERT_GE(rows.size(), 22u);
    EXPECT_EQ(rows[10], SummaryRow("", "Total Deductible Expenses", "5.00", "0.00", "5.00", "U"));
    EXPECT_EQ(rows[11], "EJECT|||||");
    EXPECT_EQ(rows[12], "L00Page 2|R763/5/26||||");
    EXPECT_EQ(rows[17], "L00Non-Deductible Expenses|||||");
    EXPECT_EQ(rows[21], SummaryRow("200", Stored("Meals"), "7.00", "0.00", "7.00", "U"));
}

TEST_F(SummaryReport, IncomeSummaryReadsTheIncomeTables) {
    Folder(1, "Main Street");
    Folder(2, "Harbor");
    IncomeAccount(400, "Rent Income", true);
    IncomeAccount(410, "Interest", false);
    IncomeEntry(Day(2024, 1, 10), 400, 1, 500.00);  // prior with a fiscal year from January
    IncomeEntry(Day(2024, 2, 10), 400, 1, 600.00);
    IncomeEntry(Day(2024, 2, 11), 400, 2, 1.00);  // folder 2 not chosen
    IncomeEntry(Day(2024, 2, 29), 410, 1, 2.25);
    BuildIncomeSummary(Request(Day(2024, 2, 1), Day(2024, 2, 29), {1}), ReportDocument);
    const std::vector<std::string> rows = Rows(ReportDocument);
    ASSERT_EQ(rows.size(), 21u);
    EXPECT_EQ(rows[2], "C38Main Street Income Summary Report|||||B");
    EXPECT_EQ(rows[5], "L00Taxable Income|||||");
    EXPECT_EQ(rows[9],
              SummaryRow("400", Stored("Rent Income"), "600.00", "500.00", "1,100.00", "U"));
    EXPECT_EQ(rows[13], "L00Non-Taxable Income|||||");
    EXPECT_EQ(rows[18], SummaryRow("", "Total Non-Taxable Income", "2.25", "0.00", "2.25", "U"));
    EXPECT_EQ(rows[20], SummaryRow("", "GRAND TOTAL", "602.25", "500.00", "1,102.25"));
}

// The scan of an account stops at its first entry after the report end; the rows must be those
// of a full reading. Compared with sums taken over every live record, for many periods,
// fiscal starts and folder choices.
TEST_F(SummaryReport, RowsMatchSumsOverEveryRecord) {
    Accounts();
    struct Entry {
        platform::DateTime date;
        int account, folder;
        long cents;
        bool live;
    };
    std::vector<Entry> entries;
    std::mt19937 random(20240315);
    const int accounts[] = {100, 110, 120, 200};
    for (int i = 0; i < 300; ++i) {
        Entry e{platform::DateTime{Day(2023, 1, 1).day + std::chrono::days{random() % 1096}, {}},
                accounts[random() % 4], int(random() % 3) + 1, long(random() % 20001) - 5000,
                random() % 10 != 0};
        const long rec = Expense(e.date, e.account, e.folder, double(e.cents) / 100.0);
        if (!e.live) Delete(cbk::Expenses, rec);
        entries.push_back(e);
    }
    struct Case {
        platform::DateTime from, through;
        int fyMonth, fyDay;
        std::vector<std::int32_t> folders;
    } cases[] = {
        {Day(2024, 3, 15), Day(2024, 4, 30), 7, 1, {1}},
        {Day(2024, 1, 1), Day(2024, 12, 31), 1, 1, {1, 2, 3}},
        {Day(2024, 2, 29), Day(2024, 2, 29), 2, 28, {2, 3}},
        {Day(2023, 6, 30), Day(2025, 1, 1), 6, 30, {3, 1}},
        {Day(2025, 12, 31), Day(2025, 12, 31), 12, 31, {1, 2, 3}},
    };
    for (const Case& c : cases) {
        const platform::DateTime fiscal = FiscalYearStart(c.from, c.fyMonth, c.fyDay);
        std::map<int, std::pair<long, long>> sums;  // account: period, prior cents
        for (const Entry& e : entries) {
            if (!e.live ||
                std::find(c.folders.begin(), c.folders.end(), e.folder) == c.folders.end())
                continue;
            if (e.date >= fiscal && e.date < c.from) sums[e.account].second += e.cents;
            if (e.date >= c.from && e.date <= c.through) sums[e.account].first += e.cents;
        }
        auto money = [](long cents) { return rules::FormatNumber("%13.2n", cents / 100.0); };
        std::vector<std::string> expected;
        for (const auto& [account, s] : sums)
            if (s.first != 0 || s.second != 0)
                expected.push_back(std::to_string(account) + " " + money(s.first) +
                                   money(s.second) + money(s.first + s.second));

        ReportDocument.ClearDocument();
        BuildExpenseSummary(Request(c.from, c.through, c.folders, c.fyMonth, c.fyDay),
                            ReportDocument);
        std::vector<std::string> got;
        for (int r = 0; r < ReportDocument.rowCount(); ++r) {
            const std::string& number = ReportDocument.cell(r, 0);
            if (number.size() <= 3 || number.rfind("R05", 0) != 0 || number == "R05Acnt.") continue;
            got.push_back(number.substr(3) + " " + ReportDocument.cell(r, 2).substr(3) +
                          ReportDocument.cell(r, 3).substr(3) +
                          ReportDocument.cell(r, 4).substr(3));
        }
        std::sort(got.begin(), got.end());  // the sums are by account, the rows by section
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(got, expected) << "from " << c.from.year() << "-" << c.from.month() << "-"
                                 << c.from.dayOfMonth();
    }
}
