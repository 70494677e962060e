#include "reports/ChartFigures.h"

#include <algorithm>
#include <cmath>

#include "reports/BuilderParts.h"

namespace reports {

namespace {

// The profit report's columns: taxable income, deductible expenses, nontaxable income,
// nondeductible expenses, net profit.
constexpr int kTaxableIncome = 1, kDeductible = 2, kNontaxableIncome = 4, kNondeductible = 5,
              kNetProfit = 6;
// The summary's account number, name and period total.
constexpr int kAccount = 0, kAccountName = 1, kPeriod = 2;

double amountAt(const Document& doc, int r, int c, const ShownForms& forms) {
    return ShownAmount(CellText(doc, r, c), forms).value_or(0);
}

// The section line that opens a section (on a page or under the last one): "L00" and the
// section's name alone on its row.
bool sectionLine(const Document& doc, int r, std::string& name) {
    const std::string_view first = doc.cell(r, 0);
    if (first.substr(0, 3) != "L00" || first.size() == 3) return false;
    for (int c = 1; c < doc.cellsPerRow - 1; ++c)
        if (!doc.cell(r, c).empty()) return false;
    name = CellText(doc, r, 0);
    return true;
}

}  // namespace

std::string ChartAmount(double value) {
    return std::string(TrimmedView(AmountText(value)));
}

AmountScale ScaleFor(double low, double high, double room, int steps) {
    low = std::min(0.0, low);
    high = std::max(0.0, high);
    const double extra = (high - low) * room;
    if (low < 0) low -= extra;
    if (high > 0) high += extra;
    AmountScale scale;
    if (!(high > low) || !std::isfinite(high - low)) {  // nothing but zero: one step of one
        scale.high = 1;
        scale.ticks = {{0, ChartAmount(0)}, {1, ChartAmount(1)}};
        return scale;
    }
    const double rough = (high - low) / std::max(1, steps);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (const double m : {1.0, 2.0, 5.0}) {
        if (rough <= m * power * (1 + 1e-9)) {
            step = m * power;
            break;
        }
    }
    const long first = long(std::floor(low / step + 1e-9));
    const long last = long(std::ceil(high / step - 1e-9));
    scale.low = first * step;
    scale.high = last * step;
    for (long i = first; i <= last; ++i) {
        const double value = i == 0 ? 0.0 : i * step;
        scale.ticks.push_back({value, ChartAmount(value)});
    }
    return scale;
}

std::string BucketTitle(const Document& doc) {
    std::string title;
    for (const std::vector<std::string>& heading : doc.columnHeadings) {
        if (heading.empty() || heading.front().size() <= 3) continue;
        if (!title.empty()) title += ' ';
        title += heading.front().substr(3);  // after the column prefix
    }
    return title;
}

ChartKind ChartKindOf(const Document& doc) {
    if (doc.reportWidth == 99 && doc.cellsPerRow == 8) return ChartKind::Profit;
    if (doc.reportWidth == 76 && doc.cellsPerRow == 6) return ChartKind::Summary;
    return ChartKind::None;
}

std::vector<ProfitBucket> ProfitFigures(const Document& doc, const ShownForms& forms) {
    std::vector<ProfitBucket> buckets;
    if (ChartKindOf(doc) != ChartKind::Profit) return buckets;
    for (int r = 0; r < doc.rowCount(); ++r) {
        if (!IsDataRow(doc, r)) continue;
        std::string ending = CellText(doc, r, 0);
        if (!ShownDate(ending, forms)) continue;
        buckets.push_back(
            {std::move(ending),
             amountAt(doc, r, kTaxableIncome, forms) + amountAt(doc, r, kNontaxableIncome, forms),
             amountAt(doc, r, kDeductible, forms) + amountAt(doc, r, kNondeductible, forms),
             amountAt(doc, r, kNetProfit, forms), CellText(doc, r, kNetProfit)});
    }
    return buckets;
}

std::vector<SectionBars> SummaryFigures(const Document& doc, const ShownForms& forms) {
    std::vector<SectionBars> sections;
    if (ChartKindOf(doc) != ChartKind::Summary) return sections;
    std::string section;
    for (int r = 0; r < doc.rowCount(); ++r) {
        if (sectionLine(doc, r, section)) continue;
        if (!IsDataRow(doc, r)) continue;
        const std::string account = CellText(doc, r, kAccount);
        const double period = amountAt(doc, r, kPeriod, forms);
        if (account.empty() || period == 0) continue;  // a total row, or nothing this period
        if (sections.empty() || sections.back().section != section)
            sections.push_back({section, {}});
        sections.back().bars.push_back(
            {account + " " + CellText(doc, r, kAccountName), period, CellText(doc, r, kPeriod)});
    }
    for (SectionBars& s : sections) {
        std::stable_sort(
            s.bars.begin(), s.bars.end(),
            [](const AccountBar& a, const AccountBar& b) { return a.amount > b.amount; });
        if (s.bars.size() <= std::size_t(kTopAccounts)) continue;
        double rest = 0;
        for (std::size_t i = kTopAccounts; i < s.bars.size(); ++i) rest += s.bars[i].amount;
        s.bars.resize(kTopAccounts);
        s.bars.push_back({std::string(kOtherAccounts), rest, ChartAmount(rest)});
    }
    return sections;
}

}  // namespace reports
