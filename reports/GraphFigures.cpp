#include "reports/GraphFigures.h"

#include <algorithm>
#include <cmath>

#include "platform/Platform.h"
#include "reports/BuilderParts.h"

namespace reports {

namespace {

// Reads a data row's values by the roles of the document's columns.
class RowReader {
public:
    explicit RowReader(const Document& doc) : doc_(doc), shower_(doc) {}

    double amount(int r, ColumnRole role) const {
        const CellValue v = value(r, role);
        return v.type == ValueType::Cents ? double(v.cents) / 100 : 0;
    }
    std::int64_t cents(int r, ColumnRole role) const {
        const CellValue v = value(r, role);
        return v.type == ValueType::Cents ? v.cents : 0;
    }
    // The cell as the report shows it, without the blanks around it.
    std::string shown(int r, ColumnRole role) {
        const int c = doc_.ColumnOf(role);
        PlacedCell placed;
        if (c < 0 || !shower_.place(r, c, placed)) return {};
        return std::string(TrimmedView(placed.text));
    }
    CellValue value(int r, ColumnRole role) const {
        const int c = doc_.ColumnOf(role);
        return c < 0 ? CellValue{} : doc_.value(r, c);
    }

private:
    const Document& doc_;
    CellShower shower_;
};

std::string shownCents(std::int64_t cents) {
    const platform::RegionalSettings regional = platform::regional().settings();
    std::string text;
    AppendCents(cents, regional.decimalSeparator, regional.thousandSeparator, text);
    return std::string(TrimmedView(text));
}

}  // namespace

std::string GraphAmount(double value) {
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
        scale.ticks = {{0, GraphAmount(0)}, {1, GraphAmount(1)}};
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
        scale.ticks.push_back({value, GraphAmount(value)});
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

GraphKind GraphKindOf(const Document& doc) {
    switch (doc.report) {
        case ReportKind::WeeklyProfit:
        case ReportKind::MonthlyProfit:
            return GraphKind::Profit;
        case ReportKind::ExpenseSummary:
        case ReportKind::IncomeSummary:
            return GraphKind::Summary;
        default:
            return GraphKind::None;
    }
}

std::vector<ProfitBucket> ProfitFigures(const Document& doc) {
    std::vector<ProfitBucket> buckets;
    if (GraphKindOf(doc) != GraphKind::Profit) return buckets;
    RowReader row(doc);
    for (int r = 0; r < doc.rowCount(); ++r) {
        if (doc.rowKind(r) != RowKind::Data) continue;
        if (row.value(r, ColumnRole::BucketEnd).type != ValueType::Date) continue;
        buckets.push_back(
            {row.shown(r, ColumnRole::BucketEnd),
             row.amount(r, ColumnRole::TaxableIncome) + row.amount(r, ColumnRole::NontaxableIncome),
             row.amount(r, ColumnRole::DeductibleExpenses) +
                 row.amount(r, ColumnRole::NondeductibleExpenses),
             row.amount(r, ColumnRole::NetProfit), row.shown(r, ColumnRole::NetProfit)});
    }
    return buckets;
}

std::vector<SectionBars> SummaryFigures(const Document& doc) {
    struct Bar {
        std::string label;
        std::int64_t cents;
    };
    struct Section {
        std::string name;
        std::vector<Bar> bars;
    };
    std::vector<Section> found;
    if (GraphKindOf(doc) != GraphKind::Summary) return {};
    RowReader row(doc);
    std::string section;
    for (int r = 0; r < doc.rowCount(); ++r) {
        const RowKind kind = doc.rowKind(r);
        if (kind == RowKind::Section) {
            // The section line: its text alone in the first cell; the blanks above it hold none.
            const CellValue name = doc.value(r, 0);
            if (name.type == ValueType::Text && !name.text.empty())
                section = TrimmedView(name.text);
            continue;
        }
        if (kind != RowKind::Data) continue;
        const std::int64_t period = row.cents(r, ColumnRole::PeriodTotal);
        if (period == 0) continue;  // nothing this period
        if (found.empty() || found.back().name != section) found.push_back({section, {}});
        found.back().bars.push_back(
            {row.shown(r, ColumnRole::Account) + " " + row.shown(r, ColumnRole::AccountName),
             period});
    }
    std::vector<SectionBars> sections;
    for (Section& s : found) {
        std::stable_sort(s.bars.begin(), s.bars.end(),
                         [](const Bar& a, const Bar& b) { return a.cents > b.cents; });
        SectionBars out{s.name, {}};
        std::int64_t rest = 0;
        for (std::size_t i = 0; i < s.bars.size(); ++i) {
            if (i >= std::size_t(kTopAccounts)) {
                rest += s.bars[i].cents;
                continue;
            }
            out.bars.push_back({std::move(s.bars[i].label), double(s.bars[i].cents) / 100,
                                shownCents(s.bars[i].cents)});
        }
        if (s.bars.size() > std::size_t(kTopAccounts))
            out.bars.push_back({std::string(kOtherAccounts), double(rest) / 100, shownCents(rest)});
        sections.push_back(std::move(out));
    }
    return sections;
}

}  // namespace reports
