// An entry whose stored date is blank is dated today, as every record load reads it: each
// report counts it on the day it is run, in the period, in the fiscal year before it, or not
// at all while today is past the period.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/StoredForms.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportFigures.h"
#include "reports/ReportTablesFixture.h"

using namespace reports;
using namespace reports::testing;

namespace {

// The texts of cells `columns` of each row of `doc` whose row text begins with `start`.
std::vector<std::vector<std::string>> CellsOf(const Document& doc, const std::string& start,
                                              const std::vector<int>& columns) {
    std::vector<std::vector<std::string>> found;
    for (int r = 0; r < doc.rowCount(); ++r) {
        if (RowText(doc, r).rfind(start, 0) != 0) continue;
        found.emplace_back();
        for (int c : columns) found.back().push_back(CellText(doc, r, c));
    }
    return found;
}

using Cells = std::vector<std::vector<std::string>>;

class BlankDateReports : public ReportTablesTest {};

}  // namespace

TEST_F(BlankDateReports, EveryReportCountsABlankDateOnToday) {
    Folder(1, "Main Street");
    Folder(2, "Harbor");
    Account(100, "Supplies", true);
    Expense(Day(2026, 3, 4), 100, 1, 5.00, "Fourth");
    Expense(Day(2026, 3, 10), 100, 1, 8.00, "Undated");
    engine::f4assign(cbk::ExpDateField, "");
    Expense(Day(2026, 3, 10), 100, 2, 9.00, "Undated, Harbor");  // folder not chosen
    engine::f4assign(cbk::ExpDateField, "");
    Delete(cbk::Expenses, Expense(Day(2026, 3, 10), 100, 1, 7.00, "Undated, deleted"));
    engine::f4assign(cbk::ExpDateField, "");

    struct Case {
        platform::DateTime today;
        Cells summary;  // account 100: period and prior totals
        Cells detail;   // date, payee, amount of each entry
        Cells profit;   // the March bucket: deductible expenses
        Cells ledger;   // the opening and the closing fiscal debits
    };
    const std::vector<std::string> fourth = {"03/04/26", "Fourth", "5.00"};
    const std::vector<Case> cases = {
        // Today in the fiscal year before the period: one of the prior days' entries.
        {Day(2026, 2, 10), {{"5.00", "8.00"}}, {fourth}, {{"5.00"}}, {{"8.00"}, {"13.00"}}},
        // Today in the period: listed on today, after the entries of the days before.
        {Day(2026, 3, 5),
         {{"13.00", "0.00"}},
         {fourth, {"03/05/26", "Undated", "8.00"}},
         {{"13.00"}},
         {{""}, {"13.00"}}},
        // Today past the period: not in it yet.
        {Day(2026, 4, 1), {{"5.00", "0.00"}}, {fourth}, {{"5.00"}}, {{""}, {"5.00"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(cbk::DateToStored(c.today));
        platform_->clock.set(c.today);
        const ReportRequest march = Request(Day(2026, 3, 1), Day(2026, 3, 31), {1});

        BuildExpenseSummary(march, ReportDocument);
        EXPECT_EQ(CellsOf(ReportDocument, "R05100|", {2, 3}), c.summary);
        BuildExpenseDetail(march, ReportDocument);
        EXPECT_EQ(CellsOf(ReportDocument, "L0003/", {0, 3, 4}), c.detail);
        BuildMonthlyProfit(march, ReportDocument);
        EXPECT_EQ(CellsOf(ReportDocument, "L0003/31/26|", {2}), c.profit);
        BuildGeneralLedger(march, ReportDocument);
        EXPECT_EQ(CellsOf(ReportDocument, "L00|L10Fiscal YTD", {3}), c.ledger);
    }
}
