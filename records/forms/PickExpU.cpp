#include "records/forms/PickExpU.h"

#include <QPushButton>

#include "data/Database.h"
#include "data/Records.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"

namespace cbk {

TPickExp::TPickExp() : PickList("TPickExp", QStringLiteral("Select Expense")) {
    BtnSelect = new QPushButton(QStringLiteral("&Select"), this);
    BtnNew = new QPushButton(QStringLiteral("&New"), this);
    BtnExit = new QPushButton(QStringLiteral("E&xit"), this);
    addFind();
    addButtons(BtnSelect, BtnNew, BtnExit);
}

std::vector<PickList::Column> TPickExp::columns() const {
    return {{QStringLiteral("Date"), 64},         {QStringLiteral("Acc#"), 32, true},
            {QStringLiteral("Fol#"), 32, true},   {QStringLiteral("Check#"), 64, true},
            {QStringLiteral("Amount"), 72, true}, {QStringLiteral("Paid To"), 240},
            {QStringLiteral("RecNo"), 80, true}};
}

records::ListWalk TPickExp::walk() const {
    return records::WalkRecordList(records::RecordTable::Expenses, DefaultFolder, ExpenseChoice);
}

QStringList TPickExp::cells(std::uint32_t recNo) const {
    const ExpenseRec kept = CurExpense;
    engine::d4go(Expenses, long(recNo));
    LoadExpense();
    QStringList texts = {QString::fromStdString(rules::DateToText(CurExpense.ExpDate)),
                         QString::number(CurExpense.AccNo),
                         QString::number(CurExpense.FolNo),
                         QString::number(CurExpense.CheckNo),
                         QString::fromStdString(rules::FormatNumber("%12.2n", CurExpense.Amount)),
                         QString::fromStdString(CurExpense.PayTo)};
    CurExpense = kept;
    return texts;
}

records::ListRows TPickExp::find(const records::ListRows& rows,
                                 const records::FindRequest& request) const {
    return records::FindRows(records::RecordTable::Expenses, rows, request);
}

std::int32_t& TPickExp::choice() const {
    return ExpenseChoice;
}

int TPickExp::openingRow(int matched, int lastRow) const {
    return RecordListOpeningRow(ExpenseChoice, matched, lastRow);
}

int RecordListOpeningRow(std::int32_t choice, int matched, int lastRow) {
    if (matched > 0) return matched;
    if (choice < 1) return lastRow;
    return 1;
}

}  // namespace cbk
