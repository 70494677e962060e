#include "reports/ReconciliationReport.h"

#include "bank/Register.h"
#include "reports/BuilderParts.h"

namespace reports {

namespace {

std::string Money(bank::Cents cents) {
    return Amount(double(cents) / 100.0);
}

// yyyymmdd as the detail rows show a date.
std::string DateCell(std::uint32_t date, const Document& doc) {
    const auto d =
        platform::DateTime::fromYmd(int(date / 10000), int(date / 100 % 100), int(date % 100));
    return d ? FormatDate(*d, doc.detailDateFormat) : std::string();
}

void WriteItem(Document& doc, const bank::ReconcileItem& item) {
    const bank::RowText t = bank::ReadRowText(item.row);
    doc.WriteRow(1, {DateCell(item.row.date, doc), t.checkNo, t.payee, Money(item.row.amount)});
}

void WriteTotal(Document& doc, std::string_view caption, bank::Cents cents) {
    doc.WriteRow(1, {"", "", caption, Money(cents)});
    doc.SetFlag(kBoldFlag);
}

}  // namespace

void BuildReconciliation(const bank::Reconciliation& rec, const std::string& account,
                         int linesPerPage, Document& doc) {
    doc.reportWidth = 80;
    doc.cellsPerRow = 5;
    doc.StartDocument(linesPerPage);
    doc.titleLines = {std::string(kReconciliationTitle),
                      account + ", statement of " + DateCell(rec.statementDate, doc)};
    doc.columnPrefixes = {"L01", "L13", "L23", "R78"};
    doc.columnHeadings = {{"L01Date", "L13Check No", "L23Paid to / Description", "R78Amount",
                           std::string(kRuleFlag)}};

    WriteTotal(doc, "Starting balance", rec.startBalance);
    bank::Cents deposits = 0, payments = 0;
    for (const bool in : {true, false}) {
        doc.WriteRow(2, {"", "", in ? "Cleared deposits" : "Cleared payments", ""});
        doc.SetFlag(kBoldFlag);
        for (const bank::ReconcileItem& item : rec.items)
            if (item.ticked && (item.row.amount > 0) == in) {
                WriteItem(doc, item);
                (in ? deposits : payments) += item.row.amount;
            }
        WriteTotal(doc, in ? "Total cleared deposits" : "Total cleared payments",
                   in ? deposits : payments);
    }
    WriteTotal(doc, "Cleared balance", rec.Cleared());
    WriteTotal(doc, "Statement ending balance", rec.statementBalance);
    WriteTotal(doc, "Difference", rec.Difference());
    doc.WriteRow(2, {"", "", "Uncleared items", ""});
    doc.SetFlag(kBoldFlag);
    bank::Cents uncleared = 0;
    for (const bank::ReconcileItem& item : rec.items)
        if (!item.ticked) {
            WriteItem(doc, item);
            uncleared += item.row.amount;
        }
    WriteTotal(doc, "Total uncleared", uncleared);
    doc.SetFlag(kRuleFlag);
    doc.AddRow();
}

}  // namespace reports
