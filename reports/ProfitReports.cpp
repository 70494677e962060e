#include <chrono>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/StoredForms.h"
#include "platform/Platform.h"
#include "reports/BuilderParts.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportDocument.h"
#include "reports/ReportLookups.h"
#include "reports/ReportTitle.h"

namespace reports {

using namespace engine;

namespace {

// The tax marks of the live accounts of ACC or ACCI, read once: what IsDeductible and
// IsTaxable answer for every four-digit number (the first account of a number, as a seek
// finds it; a number without an account is unmarked), asked for each entry without a seek.
class AccountMarks {
public:
    AccountMarks(Data4* accounts, Field4* accNo, Field4* acDed, bool (*lookup)(std::int32_t))
        : lookup_(lookup) {
        for (int rc = d4top(accounts); rc == r4success; rc = d4skip(accounts, 1)) {
            const std::int32_t n = f4int(accNo);
            if (n < 0 || n >= kDirect || seen_[std::size_t(n)]) continue;
            seen_[std::size_t(n)] = true;
            marked_[std::size_t(n)] = f4true(acDed) == 1;
        }
    }
    bool operator()(std::int32_t n) const {
        if (n >= 0 && n < kDirect) return marked_[std::size_t(n)];
        return lookup_(n);
    }

private:
    static constexpr std::int32_t kDirect = 10000;
    std::vector<bool> seen_ = std::vector<bool>(kDirect);
    std::vector<bool> marked_ = std::vector<bool>(kDirect);
    bool (*lookup_)(std::int32_t);
};

struct Sums {
    double marked = 0;  // taxable income, deductible expenses
    double other = 0;
};

// Adds the entries of the chosen folders dated from `fromText` through `throughText`, and
// those with a blank date when today is in the bucket.
void SumBucket(Data4* table, Tag4* byDate, Field4* date, Field4* account, Field4* folder,
               Field4* amount, const AccountMarks& marks, const FolderSet& folders,
               const std::string& fromText, const std::string& throughText,
               const std::string& todayText, Sums& sums) {
    if (todayText >= fromText && todayText <= throughText)
        ForEachBlankDated(table, byDate, date, [&] {
            if (folders.contains(f4int(folder)))
                (marks(f4int(account)) ? sums.marked : sums.other) += f4double(amount);
        });
    int rc = d4seek(table, fromText);
    if (rc == r4eof) return;
    for (; rc != r4eof && !d4eof(table) && f4str(date) <= throughText; rc = d4skip(table, 1)) {
        if (!folders.contains(f4int(folder))) continue;
        (marks(f4int(account)) ? sums.marked : sums.other) += f4double(amount);
    }
}

void ProfitRow(Document& doc, const Entry& label, double ti, double de, double ni, double ne,
               RowKind kind = RowKind::Data) {
    doc.WriteRow(1,
                 {label, Money(ti), Money(de), Money(ti - de), Money(ni), Money(ne),
                  Money((ti - de) + ni - ne)},
                 kind);
}

void BuildProfit(bool monthly, const ReportRequest& request, Document& doc) {
    using namespace cbk;
    using std::chrono::days;
    using std::chrono::sys_days;
    const platform::DateTime start = monthly ? FirstOfMonth(request.from) : request.from;
    doc.report = monthly ? ReportKind::MonthlyProfit : ReportKind::WeeklyProfit;
    doc.reportWidth = 99;
    doc.cellsPerRow = 8;
    doc.StartDocument(request.linesPerPage);
    doc.titleLines = {TitleLine("Profit Report", request.folders),
                      PeriodLine(start, request.through)};
    doc.columnPrefixes = {"L00", "R29", "R43", "R57", "R71", "R85", "R99"};
    doc.columnRoles = {ColumnRole::BucketEnd,          ColumnRole::TaxableIncome,
                       ColumnRole::DeductibleExpenses, ColumnRole::Other,
                       ColumnRole::NontaxableIncome,   ColumnRole::NondeductibleExpenses,
                       ColumnRole::NetProfit};
    doc.columnHeadings = {{monthly ? "L00Month" : "L00Week", "R29Taxable", "R43Deductible",
                           "R57Taxable", "R71Nontaxable", "R85Nondeductible", "R99Net", ""},
                          {"L00Ending", "R29Income", "R43Expenses", "R57Profit", "R71Income",
                           "R85Expenses", "R99Profit", std::string(kRuleFlag)}};

    const AccountMarks taxable(IncomeAccounts, IncAccNoField, IncAcDedField, IsTaxable);
    const AccountMarks deductible(Accounts, AccNoField, AcDedField, IsDeductible);
    const FolderSet folders(request.folders);
    const std::string todayText = DateToStored(platform::clock().today());
    d4tagSelect(Income, IncDateTag);
    d4tagSelect(Expenses, EDateTag);

    const sys_days last = request.through.day;
    long span = (last - start.day).count();
    ShowBuildingProgress();
    ScanProgress progress(span == 0 ? 1 : span);
    Sums income, expense, totalIncome, totalExpense;
    for (sys_days from = start.day; from <= last;) {
        sys_days through = from + days(6);
        if (monthly) {
            const platform::DateTime first{from, {}};
            through = from +
                      days(platform::daysInMonth(first.year(), first.month()) - first.dayOfMonth());
        }
        if (through > last) through = last;
        income = expense = Sums{};
        const std::string fromText = DateToStored({from, {}});
        const std::string throughText = DateToStored({through, {}});
        SumBucket(Income, IncDateTag, IncDateField, IncAccField, IncFolNoField, IncAmtField,
                  taxable, folders, fromText, throughText, todayText, income);
        SumBucket(Expenses, EDateTag, ExpDateField, ExpAccNoField, ExpFolNoField, AmountField,
                  deductible, folders, fromText, throughText, todayText, expense);
        ProfitRow(doc, DayNumberOf({through, {}}), income.marked, expense.marked, income.other,
                  expense.other);
        totalIncome.marked += income.marked;
        totalIncome.other += income.other;
        totalExpense.marked += expense.marked;
        totalExpense.other += expense.other;
        progress.step((through - from).count());
        from = through + days(1);
    }
    HideBuildingProgress();

    if (doc.empty()) return;
    doc.SetFlag(kRuleFlag);
    ProfitRow(doc, "Totals", totalIncome.marked, totalExpense.marked, totalIncome.other,
              totalExpense.other, RowKind::Total);
    if (request.folders.size() > 1) ListIncludedFolders(doc, request.folders);
}

}  // namespace

void BuildWeeklyProfit(const ReportRequest& request, Document& doc) {
    BuildProfit(false, request, doc);
}

void BuildMonthlyProfit(const ReportRequest& request, Document& doc) {
    BuildProfit(true, request, doc);
}

}  // namespace reports
