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

records::ListWalk TPickAcc::walk() const {
    if (income()) return records::WalkTable(IncomeAccounts, AcciTag, false, IncAccountChoice);
    return records::WalkTable(Accounts, AccTag, false, ExpAccountChoice);
}

QStringList TPickAcc::cells(std::uint32_t recNo) const {
    AccountRec& rec = income() ? CurIncAccount : CurAccount;
    const AccountRec kept = rec;
    engine::d4go(income() ? IncomeAccounts : Accounts, long(recNo));
    if (income())
        LoadIncomeAccount();
    else
        LoadAccount();
    QStringList texts = {QString::number(rec.AccNo), QString::fromStdString(rec.AcDesc),
                         rec.AcDed ? QStringLiteral("Yes") : QStringLiteral("No")};
    rec = kept;
    return texts;
}

std::int32_t& TPickAcc::choice() const {
    return income() ? IncAccountChoice : ExpAccountChoice;
}

int TPickAcc::openingRow(int matched, int) const {
    return matched > 0 ? matched : 1;
}

}  // namespace cbk
