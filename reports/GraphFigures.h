#pragma once

// The figures a graph of a report draws, read from the report's own document (no second pass
// over the tables): the profit reports' buckets, and the summaries' period totals by account.
// They are taken from the data rows' values by the columns' roles.

#include <string>
#include <string_view>
#include <vector>

#include "reports/ReportDocument.h"

namespace reports {

enum class GraphKind { None, Profit, Summary };

// Which graph a document has, by its report: the monthly and weekly profit reports, the
// expense and income summaries.
GraphKind GraphKindOf(const Document& doc);

// An amount as the reports show it ("%13.2n" with the regional separators), without the
// blanks before it: "-1,234.50".
std::string GraphAmount(double value);

// A value axis over amounts: its ends and its ticks on round steps (1, 2 or 5 times a power of
// ten), each tick labelled as the reports show amounts. It holds zero and every figure, with
// `room` of the figures' span added beyond them (for the labels beside bars).
struct AmountTick {
    double value = 0;
    std::string label;
};
struct AmountScale {
    double low = 0;
    double high = 0;
    std::vector<AmountTick> ticks;  // from low to high, both ends included
};
AmountScale ScaleFor(double low, double high, double room = 0, int steps = 5);

// The axis titles of the graphs.
inline constexpr std::string_view kAmountAxis = "Amount";
inline constexpr std::string_view kPeriodTotalsAxis = "Period Totals";

// One week or month of a profit report: all income, all expenses, and the net profit.
struct ProfitBucket {
    std::string ending;  // the bucket's last day as the report shows it
    double income = 0;
    double expenses = 0;
    double profit = 0;
    std::string profitShown;  // the net profit as the report shows it
};
// The buckets in report order; the totals row is not one.
std::vector<ProfitBucket> ProfitFigures(const Document& doc);
// What the buckets are, from the report's first column headings: "Month Ending".
std::string BucketTitle(const Document& doc);

// A section of a summary ("Deductible Expenses") with its accounts' period totals, largest
// first; past the twelfth the rest are summed into "Other". Accounts with no period amount are
// left out, and so is a section with none.
inline constexpr int kTopAccounts = 12;
inline constexpr std::string_view kOtherAccounts = "Other";
struct AccountBar {
    std::string label;  // "510 Advertising"
    double amount = 0;
    std::string shown;  // the amount as the report shows it: "1,234.50"
};
struct SectionBars {
    std::string section;
    std::vector<AccountBar> bars;
};
std::vector<SectionBars> SummaryFigures(const Document& doc);

}  // namespace reports
