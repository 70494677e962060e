#pragma once

// TPickInc: the income pick list (INC5 by date), limited like the expense list. Its buttons
// are Button1 (Select), Button2 (New) and Button3 (Exit).

#include "records/forms/PickList.h"

namespace cbk {

class TPickInc : public PickList {
    Q_OBJECT

public:
    TPickInc();

    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;

public slots:
    void Button1Click() { SelectClick(); }
    void Button2Click() { NewClick(); }
    void Button3Click() { ExitClick(); }

protected:
    std::vector<Column> columns() const override;
    records::ListWalk walk() const override;
    QStringList cells(std::uint32_t recNo) const override;
    std::int32_t& choice() const override;
    int openingRow(int matched, int lastRow) const override;
    records::ListRows find(const records::ListRows& rows,
                           const records::FindRequest& request) const override;
};

}  // namespace cbk
