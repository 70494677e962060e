#pragma once

// TIncome: the entry form for one income record (help context 510).

#include <QDialog>
#include <string>

#include "platform/Platform.h"

namespace cbk {

class TIncome : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TIncome();
    std::string formName() const override { return "TIncome"; }
    // Shown once its fields are in place; until then the form closes at once, as cancelled.
    int execModal() override { return platform::mrCancel; }

public slots:
    void FormShow() {}
};

}  // namespace cbk
