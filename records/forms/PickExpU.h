#pragma once

// TPickExp: the expense pick list (EXP5 by date), limited to the default folder and to records
// not archived; opens on the expense chosen last, on the newest after a deletion or at the
// start, else on the first.

#include "records/forms/PickList.h"

namespace cbk {

class TPickExp : public PickList {
    Q_OBJECT

public:
    TPickExp();

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
    records::ListRows find(const records::ListRows& rows,
                           const records::FindRequest& request) const override;
};

// The opening row of the expense and income lists: the matched row; the last row when the
// choice is new (or the first pass); the first row when the chosen record left the list.
int RecordListOpeningRow(std::int32_t choice, int matched, int lastRow);

}  // namespace cbk
