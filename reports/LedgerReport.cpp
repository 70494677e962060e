#include <chrono>
#include <string>
#include <string_view>
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

// One side of the ledger: income (credit) or expenses (debit), read by date. Dates are
// compared as DateKey numbers of the stored bytes.
struct LedgerSide {
    Data4* table;
    Tag4* byDate;
    Field4* date;
    Field4* folder;
    Field4* amount;
    Field4* text;            // IncDesc or PayTo, shown as stored
    double prior = 0;        // before the fiscal year
    double fiscal = 0;       // from the fiscal start; after the opening rows, everything so far
    std::uint64_t next = 0;  // date of the current entry; the day after the end at end of file
    int rc = r4success;
    std::string scratch{};
    // Entries whose stored date is blank are dated now, as every load reads them; the date tag
    // puts them before any date, so those that fall in the period are kept aside here and
    // merged in on today's date.
    struct Undated {
        double amount;
        std::string text;
    };
    std::vector<Undated> undated{};
    std::size_t undatedAt = 0;
    bool onUndated = false;  // the current entry is undated[undatedAt]
};

// The dates the ledger compares, as DateKey numbers.
struct LedgerDays {
    std::uint64_t fiscal, from, through, after, today;
};

// The side's current entry: the tag's, or before it an undated one due today.
void SettleSide(LedgerSide& s, const LedgerDays& days) {
    const std::uint64_t tagged =
        s.rc == r4success ? DateKey(f4strView(s.date, s.scratch)) : days.after;
    s.onUndated = s.undatedAt < s.undated.size() && days.today <= tagged;
    s.next = s.onUndated ? days.today : tagged;
}

// Sums the side's entries dated before the period into prior and fiscal, passes over the
// entries of folders not chosen, and leaves the side on its first entry to merge.
//
// The entries before the period are all the live records dated before it, which the table
// gives faster in record order than the date tag does (every record before a period late in
// the data): the same entries counted, summed in another order. Only the date, the folder and
// the amount are read from each record.
void OpenSide(LedgerSide& s, const FolderSet& folders, const LedgerDays& days,
              const std::string& fromText, ScanProgress& progress) {
    d4tagSelect(s.table, nullptr);
    const std::uint64_t blank = DateKey("        ");
    for (int rc = d4top(s.table); rc == r4success; rc = d4skip(s.table, 1)) {
        if (d4deleted(s.table)) continue;
        const std::string_view stored = f4strView(s.date, s.scratch);
        std::uint64_t date = DateKey(stored);
        const bool undated = date == blank || BlankDate(stored);
        if (undated) date = days.today;
        if (date >= days.from) {
            if (undated && date <= days.through && folders.contains(f4int(s.folder)))
                s.undated.push_back({f4double(s.amount), f4str(s.text)});
            continue;
        }
        if (folders.contains(f4int(s.folder)))
            (date >= days.fiscal ? s.fiscal : s.prior) += f4double(s.amount);
        progress.step();
    }
    d4tagSelect(s.table, s.byDate);
    s.rc = d4seek(s.table, fromText);
    if (s.rc == r4after) s.rc = r4success;
    for (; s.rc == r4success && !folders.contains(f4int(s.folder)); s.rc = d4skip(s.table, 1))
        progress.step();
    SettleSide(s, days);
}

// A ledger row; a credit or debit of exactly zero leaves its cell empty, prefix and all, so
// the delimited export has no field for it.
void LedgerRow(Document& doc, const Entry& date, std::string_view text, double credit, double debit,
               double balance, RowKind kind = RowKind::Data) {
    doc.WriteRow(1, {date, text}, kind);
    if (credit != 0) doc.WriteCell(2, Money(credit));
    if (debit != 0) doc.WriteCell(3, Money(debit));
    doc.WriteCell(4, Money(balance));
}

}  // namespace

void BuildGeneralLedger(const ReportRequest& request, Document& doc) {
    using namespace cbk;
    doc.report = ReportKind::GeneralLedger;
    doc.reportWidth = 73;
    doc.cellsPerRow = 6;
    doc.StartDocument(request.linesPerPage);
    doc.titleLines = {TitleLine("General Ledger", request.folders),
                      PeriodLine(request.from, request.through)};
    doc.columnPrefixes = {"L00", "L10", "R50", "R61", "R73"};
    doc.columnHeadings = {{"L00Date", "L10Description", "R50Credit", "R61Debit", "R73Balance",
                           std::string(kRuleFlag)}};

    const std::string fromText = DateToStored(request.from);
    const LedgerDays days{
        DateKey(DateToStored(FiscalYearStart(request.from, request.fyMonth, request.fyDay))),
        DateKey(fromText), DateKey(DateToStored(request.through)),
        DateKey(DateToStored(
            {request.through.day + std::chrono::days(1), std::chrono::milliseconds(0)})),
        DateKey(DateToStored(platform::clock().today()))};
    const DayNumber today = DayNumberOf(platform::clock().today());
    const FolderSet folders(request.folders);

    LedgerSide income{Income, IncDateTag, IncDateField, IncFolNoField, IncAmtField, IncDescField};
    LedgerSide expense{Expenses, EDateTag, ExpDateField, ExpFolNoField, AmountField, PayToField};
    ShowBuildingProgress();
    ScanProgress progress(d4recCount(Income) + d4recCount(Expenses));
    OpenSide(income, folders, days, fromText, progress);
    OpenSide(expense, folders, days, fromText, progress);

    double balance = income.prior - expense.prior;
    LedgerRow(doc, "", "Prior Year Totals", income.prior, expense.prior, balance, RowKind::Total);
    balance += income.fiscal - expense.fiscal;
    LedgerRow(doc, "", "Fiscal YTD Totals", income.fiscal, expense.fiscal, balance, RowKind::Total);
    doc.SetFlag(kRuleFlag);
    income.fiscal += income.prior;
    expense.fiscal += expense.prior;

    // Income goes first on a day that has both. A day's entries come together: its date is
    // read once.
    std::uint64_t shownKey = ~std::uint64_t(0);
    std::string shownStored, textScratch;
    Entry shown;
    while (income.next <= days.through || expense.next <= days.through) {
        LedgerSide& side = income.next > expense.next ? expense : income;
        if (side.onUndated || folders.contains(f4int(side.folder))) {
            const double value =
                side.onUndated ? side.undated[side.undatedAt].amount : f4double(side.amount);
            const bool credit = &side == &income;
            balance += credit ? value : -value;
            side.fiscal += value;
            if (side.next != shownKey) {
                shownKey = side.next;
                if (side.onUndated) {
                    shown = today;
                } else {
                    shownStored = f4strView(side.date, side.scratch);
                    const StoredDate date = StoredToDate(shownStored);
                    shown = date.ok() ? Entry(DayNumberOf(date.date)) : Entry(shownStored);
                }
            }
            LedgerRow(doc, shown,
                      side.onUndated ? std::string_view(side.undated[side.undatedAt].text)
                                     : f4strView(side.text, textScratch),
                      credit ? value : 0, credit ? 0 : value, balance);
        }
        if (side.onUndated)
            ++side.undatedAt;
        else
            side.rc = d4skip(side.table, 1);
        SettleSide(side, days);
        progress.step();
    }
    HideBuildingProgress();

    doc.SetFlag(kRuleFlag);
    LedgerRow(doc, "", "Fiscal YTD Totals", income.fiscal, expense.fiscal, balance, RowKind::Total);
    if (request.folders.size() > 1) ListIncludedFolders(doc, request.folders);
}

}  // namespace reports
