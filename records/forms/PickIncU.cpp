#include "records/forms/PickIncU.h"

#include <QPushButton>

#include "data/Database.h"
#include "data/Records.h"
#include "records/forms/PickExpU.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"

namespace cbk {

TPickInc::TPickInc() : PickList("TPickInc", QStringLiteral("Select Item")) {
    Button1 = new QPushButton(QStringLiteral("&Select"), this);
    Button2 = new QPushButton(QStringLiteral("&New"), this);
    Button3 = new QPushButton(QStringLiteral("E&xit"), this);
    addFind();
    addButtons(Button1, Button2, Button3);
}

std::vector<PickList::Column> TPickInc::columns() const {
    return {{QStringLiteral("Date"), 64},
            {QStringLiteral("Folder"), 48, true},
            {QStringLiteral("Amount"), 96, true},
            {QStringLiteral("Description"), 240},
            {QStringLiteral("RecNo"), 80, true}};
}

records::ListWalk TPickInc::walk() const {
    return records::WalkRecordList(records::RecordTable::Income, DefaultFolder, IncomeChoice);
}

QStringList TPickInc::cells(std::uint32_t recNo) const {
    const IncomeRec kept = CurIncome;
    engine::d4go(Income, long(recNo));
    LoadIncome();
    QStringList texts = {QString::fromStdString(rules::DateToText(CurIncome.IncDate)),
                         QString::number(CurIncome.FolNo),
                         QString::fromStdString(rules::FormatNumber("%12.2n", CurIncome.IncAmt)),
                         QString::fromStdString(CurIncome.IncDesc)};
    CurIncome = kept;
    return texts;
}

records::ListRows TPickInc::find(const records::ListRows& rows,
                                 const records::FindRequest& request) const {
    return records::FindRows(records::RecordTable::Income, rows, request);
}

std::int32_t& TPickInc::choice() const {
    return IncomeChoice;
}

int TPickInc::openingRow(int matched, int lastRow) const {
    return RecordListOpeningRow(IncomeChoice, matched, lastRow);
}

}  // namespace cbk
