#pragma once

// TPickAcc: the account pick list, expense accounts (ACC) or income accounts (ACCI) as
// AccountKind says; opens on the account chosen last, else the first.

#include "records/forms/PickList.h"

namespace cbk {

class TPickAcc : public PickList {
    Q_OBJECT

public:
    TPickAcc();

    QPushButton* BtnSelect = nullptr;
    QPushButton* BtnNew = nullptr;
    QPushButton* BtnExit = nullptr;

public slots:
    void BtnSelectClick() { SelectClick(); }
    void BtnNewClick() { NewClick(); }
    void BtnExitClick() { ExitClick(); }

protected:
    std::vector<Column> columns() const override;
    records::ListWalk walk() const override;
    QStringList cells(std::uint32_t recNo) const override;
    std::int32_t& choice() const override;
    int openingRow(int matched, int lastRow) const override;

private:
    bool income() const;
};

}  // namespace cbk
