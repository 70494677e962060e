// The spreadsheet export and the figures the graphs read: amounts and dates written plain,
// RFC 4180 quoting, and the data rows of real reports read back by python's csv module and
// by the graph figures.

#include "reports/ReportCsv.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "reports/GraphFigures.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportExport.h"
#include "reports/ReportFigures.h"
#include "reports/ReportTablesFixture.h"
#include "support/ScratchDir.h"

using namespace reports;
using namespace reports::testing;

namespace {

TEST(CsvValue, AmountsPlainDatesIsoOtherTextTrimmed) {
    auto cents = [](std::int64_t n) { return CellValue{ValueType::Cents, 'R', 50, {}, n, {}}; };
    auto date = [](std::uint32_t n) { return CellValue{ValueType::Date, 'L', 0, {}, 0, {n}}; };
    auto text = [](std::string_view t) { return CellValue{ValueType::Text, 'L', 7, t, 0, {}}; };
    const std::vector<std::pair<CellValue, std::string>> cases = {
        {cents(123450), "1234.50"},
        {cents(-123456705), "-1234567.05"},
        {cents(0), "0.00"},
        {cents(-7), "-0.07"},
        {cents(INT64_MIN), "-92233720368547758.08"},
        {date(20260305), "2026-03-05"},
        {date(20991231), "2099-12-31"},
        {text("12,34.50"), "12,34.50"},  // a text is never read as an amount
        {text("1,234.50"), "1,234.50"},
        {text("03/05/26"), "03/05/26"},  // nor as a date
        {text("100"), "100"},
        {text("  Advertising  "), "Advertising"},
        {text("   "), ""},
        {text("=HYPERLINK(\"x\")"), "'=HYPERLINK(\"x\")"},  // no formula in a spreadsheet
        {text("+1 555"), "'+1 555"},
        {text("@sum"), "'@sum"},
        {text("-5"), "-5"},
        {text("- cash -"), "'- cash -"},
        {CellValue{}, ""},
    };
    for (const auto& [value, csv] : cases) EXPECT_EQ(CsvValue(value), csv) << csv;
}

TEST(CsvRecord, QuotesOnlyWhatRfc4180Asks) {
    EXPECT_EQ(CsvRecord({"a", "", "1234.50", ""}), "a,,1234.50,\r\n");
    EXPECT_EQ(CsvRecord({"Smith, Jones", "5\" pipe", "two\nlines", "cr\r"}),
              "\"Smith, Jones\",\"5\"\" pipe\",\"two\nlines\",\"cr\r\"\r\n");
}

// Runs python's csv module over `path` and returns each record's fields joined by "|".
std::vector<std::string> ReadBackWithPython(const std::string& path) {
    const std::string command =
        "python3 -c \"import csv,sys\nfor row in csv.reader(open(sys.argv[1], newline='', "
        "encoding='utf-8')): print('|'.join(row))\" '" +
        path + "'";
    std::vector<std::string> records;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return records;
    char line[4096];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string record(line);
        if (!record.empty() && record.back() == '\n') record.pop_back();
        records.push_back(record);
    }
    EXPECT_EQ(pclose(pipe), 0);
    return records;
}

class CsvExport : public ReportTablesTest {
protected:
    void SetUp() override {
        ReportTablesTest::SetUp();
        if (HasFatalFailure()) return;
        Folder(1, "Main Street");
        Account(100, "Advertising, print", true);
        Account(110, "Bank \"Fees\"", true);
        Account(200, "Meals", false);
        IncomeAccount(400, "Rent", true);
        Expense(Day(2024, 3, 2), 100, 1, 1234567.25, "Daily News, Inc.");
        Expense(Day(2024, 3, 9), 110, 1, 12.5, "Bank");
        Expense(Day(2024, 2, 1), 200, 1, -30, "Refund");
        IncomeEntry(Day(2024, 3, 9), 400, 1, 2500, "March rent");
    }

    // Every amount the report shows in its data rows, in order, without its separators.
    std::vector<std::string> ShownAmounts() const {
        std::vector<std::string> amounts;
        for (int r = 0; r < ReportDocument.rowCount(); ++r)
            if (IsDataRow(ReportDocument, r))
                for (int c = 0; c + 1 < ReportDocument.cellsPerRow; ++c) {
                    if (ReportDocument.value(r, c).type != ValueType::Cents) continue;
                    std::string plain;
                    for (char ch : CellText(ReportDocument, r, c))
                        if (ch != ',') plain += ch;
                    amounts.push_back(plain);
                }
        return amounts;
    }

    std::vector<std::string> Exported() {
        const std::string path = (std::filesystem::path(dir_.path()) / "report.csv").string();
        EXPECT_TRUE(ExportReport(ReportDocument, ExportKind::Csv, path, cbk::DataFileSystem()).ok);
        return ReadBackWithPython(path);
    }

    enginetest::ScratchDir dir_;
};

TEST_F(CsvExport, LedgerReadsBackWithEveryColumnInPlace) {
    BuildGeneralLedger(Request(Day(2024, 3, 1), Day(2024, 3, 31), {1}), ReportDocument);
    ASSERT_FALSE(ReportDocument.empty());
    EXPECT_EQ(Exported(), (std::vector<std::string>{
                              "Date|Description|Credit|Debit|Balance",
                              "|Prior Year Totals|||0.00",
                              "|Fiscal YTD Totals||-30.00|30.00",
                              "2024-03-02|Daily News, Inc.||1234567.25|-1234537.25",
                              "2024-03-09|March rent|2500.00||-1232037.25",
                              "2024-03-09|Bank||12.50|-1232049.75",
                              "|Fiscal YTD Totals|2500.00|1234549.75|-1232049.75",
                          }));
}

TEST_F(CsvExport, SummaryReadsBackEveryAmount) {
    BuildExpenseSummary(Request(Day(2024, 3, 1), Day(2024, 3, 31), {1}), ReportDocument);
    const std::vector<std::string> records = Exported();
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.front(), "Acnt.|Account Name|Period Totals|Prior Totals|Year To Date");
    std::vector<std::string> readBack;
    for (std::size_t i = 1; i < records.size(); ++i) {
        std::vector<std::string> fields;
        std::string field;
        for (char c : records[i] + "|") {
            if (c != '|') {
                field += c;
                continue;
            }
            fields.push_back(field);
            field.clear();
        }
        ASSERT_EQ(fields.size(), 5u) << records[i];
        for (std::size_t f = 2; f < 5; ++f) readBack.push_back(fields[f]);
    }
    EXPECT_EQ(readBack, ShownAmounts());
    EXPECT_EQ(records[1], "100|Advertising, print|1234567.25|0.00|1234567.25");
    EXPECT_EQ(records[2], "110|Bank \"Fees\"|12.50|0.00|12.50");
}

// The graphs' figures are the report's own rows: a summary's accounts by period total, largest
// first, the thirteenth and after as "Other", zero-period accounts and totals left out.
TEST_F(CsvExport, GraphFiguresAreTheReportsRows) {
    for (int a = 0; a < 14; ++a) {
        Account(300 + a, "Cost " + std::to_string(a), true);
        Expense(Day(2024, 3, 20), 300 + a, 1, 10.0 * (a + 1));
    }
    // Several pages: the section line and headings repeat.
    ReportRequest request = Request(Day(2024, 3, 1), Day(2024, 3, 31), {1});
    request.linesPerPage = 20;
    BuildExpenseSummary(request, ReportDocument);
    ASSERT_EQ(GraphKindOf(ReportDocument), GraphKind::Summary);
    const std::vector<SectionBars> sections = SummaryFigures(ReportDocument);
    ASSERT_EQ(sections.size(), 1u) << "Meals had nothing in the period";
    EXPECT_EQ(sections[0].section, "Deductible Expenses");
    std::vector<std::string> bars;
    for (const AccountBar& b : sections[0].bars)
        bars.push_back(b.label + "=" + std::to_string(b.amount) + " " + b.shown);
    EXPECT_EQ(bars, (std::vector<std::string>{
                        "100 Advertising, print=1234567.250000 1,234,567.25",
                        "313 Cost 13=140.000000 140.00", "312 Cost 12=130.000000 130.00",
                        "311 Cost 11=120.000000 120.00", "310 Cost 10=110.000000 110.00",
                        "309 Cost 9=100.000000 100.00", "308 Cost 8=90.000000 90.00",
                        "307 Cost 7=80.000000 80.00", "306 Cost 6=70.000000 70.00",
                        "305 Cost 5=60.000000 60.00", "304 Cost 4=50.000000 50.00",
                        "303 Cost 3=40.000000 40.00",
                        "Other=72.500000 72.50",  // 30 + 20 + 10 + 12.50
                    }));
    ReportDocument.ClearDocument();

    BuildMonthlyProfit(Request(Day(2024, 2, 10), Day(2024, 3, 31), {1}), ReportDocument);
    ASSERT_EQ(GraphKindOf(ReportDocument), GraphKind::Profit);
    std::vector<std::string> buckets;
    for (const ProfitBucket& b : ProfitFigures(ReportDocument))
        buckets.push_back(b.ending + " " + std::to_string(b.income) + " " +
                          std::to_string(b.expenses) + " " + std::to_string(b.profit) + " " +
                          b.profitShown);
    EXPECT_EQ(buckets, (std::vector<std::string>{"02/29/24 0.000000 -30.000000 30.000000 30.00",
                                                 "03/31/24 2500.000000 1235629.750000 "
                                                 "-1233129.750000 -1,233,129.75"}));
    EXPECT_EQ(BucketTitle(ReportDocument), "Month Ending");
}

}  // namespace
