#pragma once

// TExpense: the entry form for one expense (help context 530).

#include <QDialog>
#include <string>

#include "platform/Platform.h"

namespace cbk {

class TExpense : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TExpense();
    std::string formName() const override { return "TExpense"; }
    // Shown once its fields are in place; until then the form closes at once, as cancelled.
    int execModal() override { return platform::mrCancel; }

public slots:
    void FormShow() {}
};

}  // namespace cbk
