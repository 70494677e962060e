#pragma once

// TPickFol: the folder pick list (FOLDER by folder number); always opens on the first folder.

#include "records/forms/PickList.h"

namespace cbk {

class TPickFol : public PickList {
    Q_OBJECT

public:
    TPickFol();

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
};

}  // namespace cbk
