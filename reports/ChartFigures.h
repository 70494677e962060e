#pragma once

// The figures a chart of a report draws, read from the report's own document (no second pass
// over the tables): the profit reports' buckets, and the summaries' period totals by account.

#include <string>
#include <string_view>
#include <vector>

#include "reports/ReportDocument.h"
#include "reports/ReportFigures.h"

namespace reports {

enum class ChartKind { None, Profit, Summary };

// Which chart a document has, by its shape: the profit reports are 99 wide with 8 cells a
// row, the expense and income summaries 76 wide with 6.
ChartKind ChartKindOf(const Document& doc);

// One week or month of a profit report: all income, all expenses, and the net profit.
struct ProfitBucket {
    std::string ending;  // the bucket's last day as the report shows it
    double income = 0;
    double expenses = 0;
    double profit = 0;
};
// The buckets in report order; the totals row is not one.
std::vector<ProfitBucket> ProfitFigures(const Document& doc, const ShownForms& forms);

// A section of a summary ("Deductible Expenses") with its accounts' period totals, largest
// first; past the twelfth the rest are summed into "Other". Accounts with no period amount are
// left out, and so is a section with none.
inline constexpr int kTopAccounts = 12;
inline constexpr std::string_view kOtherAccounts = "Other";
struct AccountBar {
    std::string label;  // "510 Advertising"
    double amount = 0;
};
struct SectionBars {
    std::string section;
    std::vector<AccountBar> bars;
};
std::vector<SectionBars> SummaryFigures(const Document& doc, const ShownForms& forms);

}  // namespace reports
