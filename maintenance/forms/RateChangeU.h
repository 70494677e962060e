#pragma once

// TRateChange: rescales the amounts of one expense account over a date range (help context 540).

#include <QDialog>
#include <string>

#include "platform/Platform.h"

namespace cbk {

class TRateChange : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TRateChange();
    std::string formName() const override { return "TRateChange"; }
    // Shown once its fields are in place; until then the form closes at once, as cancelled.
    int execModal() override { return platform::mrCancel; }

public slots:
    void FormShow() {}
};

}  // namespace cbk
