#include "records/forms/PickAccU.h"

#include <QPushButton>

#include "data/Database.h"
#include "data/Records.h"
#include "state/MainVars.h"

namespace cbk {

TPickAcc::TPickAcc() : PickList("TPickAcc", QStringLiteral("Select Account")) {
    BtnSelect = new QPushButton(QStringLiteral("&Select"), this);
    BtnNew = new QPushButton(QStringLiteral("&New"), this);
    BtnExit = new QPushButton(QStringLiteral("E&xit"), this);
    addButtons(BtnSelect, BtnNew, BtnExit);
}

bool TPickAcc::income() const {
    return AccountKind == 'I';
}

std::vector<PickList::Column> TPickAcc::columns() const {
    return {{QStringLiteral("Number"), 48, true},
            {QStringLiteral("Description"), 240},
            {income() ? QStringLiteral("Taxable") : QStringLiteral("Deduct"), 48},
            {QStringLiteral("RecNo"), 80, true}};
}

engine::Data4* TPickAcc::table() const {
    return income() ? IncomeAccounts : Accounts;
}
engine::Tag4* TPickAcc::tag() const {
    return income() ? AcciTag : AccTag;
}

bool TPickAcc::loadAndFilter() {
    if (income())
        LoadIncomeAccount();
    else
        LoadAccount();
    return true;
}

QStringList TPickAcc::cells() const {
    const AccountRec& rec = income() ? CurIncAccount : CurAccount;
    return {QString::number(rec.AccNo), QString::fromStdString(rec.AcDesc),
            rec.AcDed ? QStringLiteral("Yes") : QStringLiteral("No")};
}

std::int32_t& TPickAcc::choice() const {
    return income() ? IncAccountChoice : ExpAccountChoice;
}

int TPickAcc::openingRow(int matched, int) const {
    return matched > 0 ? matched : 1;
}

}  // namespace cbk
