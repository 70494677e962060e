#include "reports/ReportBuilders.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "platform/Platform.h"
#include "reports/BuilderParts.h"
#include "reports/ReportDocument.h"
#include "reports/ReportLookups.h"
#include "reports/ReportTitle.h"
#include "rules/EntryRules.h"

namespace reports {

using namespace engine;

namespace {

// ---- summaries ------------------------------------------------------------------------
struct SummaryTables {
    ReportKind kind;
    std::string_view title;
    std::string_view firstSection;
    std::string_view secondSection;
    Data4* accounts;
    Field4* accNo;
    Field4* acDesc;
    Field4* acDed;
    Data4* entries;
    Tag4* byAccount;
    Tag4* byDate;
    Field4* entryAccount;
    Field4* date;
    Field4* amount;
    Field4* folder;
};

// Amounts are summed unrounded; an account (or section) counts as empty when its sums round
// to zero cents, so entries that cancel leave no row of zeros behind a binary remainder.
bool nonZero(double value) {
    return std::llround(value * 100.0) != 0;
}

void summaryHeadings(Document& doc) {
    doc.columnPrefixes = {"R05", "L07", "R50", "R63", "R76"};
    doc.columnRoles = {ColumnRole::Account, ColumnRole::AccountName, ColumnRole::PeriodTotal,
                       ColumnRole::Other, ColumnRole::Other};
    doc.columnHeadings = {{"", "", "R50Period", "R63Prior", "R76Year", ""},
                          {"R05Acnt.", "L07Account Name", "R50Totals", "R63Totals", "R76To Date",
                           std::string(kRuleFlag)}};
}

void summaryRow(Document& doc, std::string_view number, std::string_view name, double period,
                double prior, RowKind kind = RowKind::Data) {
    doc.WriteRow(1, {number, name, Money(period), Money(prior), Money(period + prior)}, kind);
}

void BuildSummary(const SummaryTables& t, const ReportRequest& request, Document& doc) {
    doc.report = t.kind;
    doc.reportWidth = 76;
    doc.cellsPerRow = 6;
    doc.StartDocument(request.linesPerPage);
    doc.titleLines = {TitleLine(t.title, request.folders),
                      PeriodLine(request.from, request.through)};
    summaryHeadings(doc);

    const platform::DateTime fiscalStart =
        FiscalYearStart(request.from, request.fyMonth, request.fyDay);
    const std::string fiscalText = cbk::DateToStored(fiscalStart);
    const std::string fromText = cbk::DateToStored(request.from);
    const std::string throughText = cbk::DateToStored(request.through);
    const FolderSet folders(request.folders);

    // Where an entry of `date` counts: the period, the fiscal year before it, or neither.
    // A start later than the end still has all its prior days.
    auto count = [&](const std::string& date, double amount, double& period, double& prior) {
        if (date < fromText) {
            if (date >= fiscalText) prior += amount;
        } else if (date <= throughText) {
            period += amount;
        }
    };
    // Entries with a blank date count on today, each under its account.
    const std::string todayText = cbk::DateToStored(platform::clock().today());
    std::map<std::int32_t, double> undated;
    ForEachBlankDated(t.entries, t.byDate, t.date, [&] {
        if (folders.contains(f4int(t.folder))) undated[f4int(t.entryAccount)] += f4double(t.amount);
    });

    doc.sectionText = t.firstSection;
    d4tagSelect(t.entries, t.byAccount);
    ShowBuildingProgress();
    ScanProgress progress(2 * d4recCount(t.accounts));

    double grandPeriod = 0, grandPrior = 0;
    for (const bool deductible : {true, false}) {
        double sectionPeriod = 0, sectionPrior = 0;
        for (cbk::ResultWord = d4top(t.accounts); cbk::ResultWord == r4success;
             cbk::ResultWord = d4skip(t.accounts, 1)) {
            double period = 0, prior = 0;
            if ((f4true(t.acDed) == 1) == deductible) {
                const std::int32_t number = f4int(t.accNo);
                int rc = d4seek(t.entries, cbk::PadNumber(number, 4) + fiscalText);
                for (; rc != r4eof && !d4eof(t.entries) && f4int(t.entryAccount) == number;
                     rc = d4skip(t.entries, 1)) {
                    const std::string date = f4str(t.date);
                    // The account's entries come by date: none past both the period's end and
                    // the prior days (up to the day before its start) can count.
                    if (date > throughText && date >= fromText) break;
                    if (folders.contains(f4int(t.folder)))
                        count(date, f4double(t.amount), period, prior);
                }
                if (const auto u = undated.find(number); u != undated.end())
                    count(todayText, u->second, period, prior);
                if (nonZero(period) || nonZero(prior))
                    summaryRow(doc, NumberText(number), f4str(t.acDesc), period, prior);
            }
            sectionPeriod += period;
            sectionPrior += prior;
            progress.step();
        }
        HideBuildingProgress();
        if (!doc.empty()) {
            doc.SetFlag(kRuleFlag);
            summaryRow(doc, "", "Total " + doc.sectionText, sectionPeriod, sectionPrior,
                       RowKind::Total);
        }
        grandPeriod += sectionPeriod;
        grandPrior += sectionPrior;
        if (deductible) {
            doc.sectionText = t.secondSection;
            OpenNextSection(doc);
        } else {
            doc.sectionText.clear();
        }
    }

    if (doc.empty()) return;
    doc.SetFlag(kRuleFlag);
    doc.AddRow(RowKind::Section);  // the grand total stands apart
    summaryRow(doc, "", "GRAND TOTAL", grandPeriod, grandPrior, RowKind::Total);
    if (request.folders.size() > 1) ListIncludedFolders(doc, request.folders);
}

// ---- details --------------------------------------------------------------------------
struct DetailTables {
    bool expense;
    Data4* entries;
    Tag4* byDate;
    Field4* date;
    Field4* account;
    Field4* folder;
    Field4* text;  // PayTo (trimmed) or IncDesc (as stored)
    Field4* amount;
    Field4* checkNo;  // expenses only
    Field4* memo;     // expenses only
};

std::string detailTitle(bool expense, const ReportRequest& request) {
    const std::string_view title = expense ? "Expense Detail Report" : "Income Detail Report";
    if (!request.account) return std::string(title);
    return Trimmed(request.accountName) + " " + std::string(title);
}

void BuildDetail(const DetailTables& t, const ReportRequest& request, Document& doc) {
    doc.report =
        t.expense ? (request.account ? ReportKind::ExpenseAccountDetail : ReportKind::ExpenseDetail)
                  : (request.account ? ReportKind::IncomeAccountDetail : ReportKind::IncomeDetail);
    doc.reportWidth = t.expense ? 67 : 72;
    doc.cellsPerRow = t.expense ? 6 : 5;
    doc.StartDocument(request.linesPerPage);
    doc.titleLines = {TitleLine(detailTitle(t.expense, request), request.folders),
                      PeriodLine(request.from, request.through)};
    if (t.expense) {
        doc.columnPrefixes = {"L00", "R19", "R24", "L26", "R67"};
        doc.columnHeadings = {{"L00Date", "R19Check No", "R24Acnt", "L26Paid to / Memo",
                               "R67Amount", std::string(kRuleFlag)}};
    } else {
        doc.columnPrefixes = {"L00", "R18", "L21", "R72"};
        doc.columnHeadings = {
            {"L00Date", "R18Account", "L21Description", "R72Amount", std::string(kRuleFlag)}};
    }
    double total = 0;

    const std::string fromText = cbk::DateToStored(request.from);
    const std::uint64_t through = DateKey(cbk::DateToStored(request.through));
    const FolderSet folders(request.folders);
    // Entries with a blank date are listed on today, before the dated entries of today.
    const std::string todayText = cbk::DateToStored(platform::clock().today());
    const std::uint64_t today = DateKey(todayText);
    std::string scratch, textScratch;
    auto dateKey = [&] { return DateKey(f4strView(t.date, scratch)); };
    std::vector<long> undated;
    d4tagSelect(t.entries, t.byDate);
    if (todayText >= fromText && today <= through)
        ForEachBlankDated(t.entries, t.byDate, t.date,
                          [&] { undated.push_back(d4recNo(t.entries)); });
    cbk::ResultWord = d4seek(t.entries, fromText);
    long count = long(undated.size());
    if (cbk::ResultWord != r4eof) {
        const long start = d4recNo(t.entries);
        for (int rc = cbk::ResultWord; rc != r4eof && dateKey() <= through;
             rc = d4skip(t.entries, 1))
            ++count;
        d4go(t.entries, start);
    }

    // Each entry takes one row, or two with a memo; every page adds its header.
    doc.ReserveRows(count * (t.expense ? 2 : 1) + count / 4 + 32);
    ShowBuildingProgress();
    ScanProgress progress(count);
    const int lines = t.expense ? 2 : 1;
    StoredDays days(DayNumberOf(platform::clock().today()));
    // Only the fields the rows show, read from the record as they stand.
    auto writeEntry = [&] {
        const std::int32_t account = f4int(t.account);
        if (folders.contains(f4int(t.folder)) &&
            (!request.account || account == *request.account)) {
            const DayNumber day = days.of(f4strView(t.date, scratch));
            const double amount = f4double(t.amount);
            const std::string_view text = f4strView(t.text, textScratch);
            if (t.expense) {
                doc.WriteRow(lines, {day, NumberText(std::int32_t(f4long(t.checkNo))),
                                     NumberText(account), TrimmedView(text), Money(amount)});
                const std::string_view memo = TrimmedView(f4strView(t.memo, textScratch));
                if (!memo.empty()) {
                    doc.AddRow();
                    doc.WriteCell(3, memo);
                }
            } else {
                doc.WriteRow(lines, {day, NumberText(account), text, Money(amount)});
            }
            total += amount;
        }
        progress.step();
    };
    // Lists the undated entries once, then stands on the dated entry `back` again (none at
    // the end).
    auto writeUndated = [&](long back) {
        for (const long rec : undated) {
            d4go(t.entries, rec);
            writeEntry();
        }
        undated.clear();
        if (back > 0) d4go(t.entries, back);
    };
    for (int rc = cbk::ResultWord; rc != r4eof && !d4eof(t.entries) && dateKey() <= through;
         rc = d4skip(t.entries, 1)) {
        if (!undated.empty() && dateKey() >= today) writeUndated(d4recNo(t.entries));
        writeEntry();
    }
    writeUndated(0);
    HideBuildingProgress();

    if (doc.empty()) return;
    doc.SetFlag(kRuleFlag);
    if (t.expense)
        doc.WriteRow(lines, {"TOTAL EXPENSES", "", "", "", Money(total)}, RowKind::Total);
    else
        doc.WriteRow(lines, {"Total", "", "", Money(total)}, RowKind::Total);
    if (request.folders.size() > 1) ListIncludedFolders(doc, request.folders);
}

}  // namespace

void BuildExpenseSummary(const ReportRequest& request, Document& doc) {
    using namespace cbk;
    BuildSummary(
        {ReportKind::ExpenseSummary, "Expense Summary Report", "Deductible Expenses",
         "Non-Deductible Expenses", Accounts, AccNoField, AcDescField, AcDedField, Expenses,
         EAccTag, EDateTag, ExpAccNoField, ExpDateField, AmountField, ExpFolNoField},
        request, doc);
}

void BuildIncomeSummary(const ReportRequest& request, Document& doc) {
    using namespace cbk;
    BuildSummary(
        {ReportKind::IncomeSummary, "Income Summary Report", "Taxable Income", "Non-Taxable Income",
         IncomeAccounts, IncAccNoField, IncAcDescField, IncAcDedField, Income, IncAccTag,
         IncDateTag, IncAccField, IncDateField, IncAmtField, IncFolNoField},
        request, doc);
}

void BuildExpenseDetail(const ReportRequest& request, Document& doc) {
    using namespace cbk;
    BuildDetail({true, Expenses, EDateTag, ExpDateField, ExpAccNoField, ExpFolNoField, PayToField,
                 AmountField, CheckNoField, EMemoField},
                request, doc);
}

void BuildIncomeDetail(const ReportRequest& request, Document& doc) {
    using namespace cbk;
    BuildDetail({false, Income, IncDateTag, IncDateField, IncAccField, IncFolNoField, IncDescField,
                 IncAmtField, nullptr, nullptr},
                request, doc);
}

}  // namespace reports
