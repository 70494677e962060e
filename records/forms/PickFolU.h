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
    engine::Data4* table() const override;
    engine::Tag4* tag() const override;
    bool loadAndFilter() override;
    QStringList cells() const override;
    std::int32_t& choice() const override;
    int openingRow(int matched, int lastRow) const override;
};

}  // namespace cbk
