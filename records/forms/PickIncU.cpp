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
    addButtons(Button1, Button2, Button3);
}

std::vector<PickList::Column> TPickInc::columns() const {
    return {{QStringLiteral("Date"), 64},
            {QStringLiteral("Folder"), 48, true},
            {QStringLiteral("Amount"), 96, true},
            {QStringLiteral("Description"), 240},
            {QStringLiteral("RecNo"), 80, true}};
}

engine::Data4* TPickInc::table() const {
    return Income;
}
engine::Tag4* TPickInc::tag() const {
    return IncDateTag;
}

bool TPickInc::loadAndFilter() {
    LoadIncome();
    return (DefaultFolder == -1 || CurIncome.FolNo == DefaultFolder) && !CurIncome.Archive;
}

QStringList TPickInc::cells() const {
    return {QString::fromStdString(rules::DateToText(CurIncome.IncDate)),
            QString::number(CurIncome.FolNo),
            QString::fromStdString(rules::FormatNumber("%12.2n", CurIncome.IncAmt)),
            QString::fromStdString(CurIncome.IncDesc)};
}

std::int32_t& TPickInc::choice() const {
    return IncomeChoice;
}

int TPickInc::openingRow(int matched, int lastRow) const {
    return RecordListOpeningRow(IncomeChoice, matched, lastRow);
}

}  // namespace cbk
