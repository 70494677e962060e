#pragma once

// TMultFol: the choice of the folders a report covers.

#include <QDialog>
#include <string>

#include "platform/Platform.h"

namespace cbk {

class TMultFol : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TMultFol();
    std::string formName() const override { return "TMultFol"; }
    // Shown once its fields are in place; until then the form closes at once, as cancelled.
    int execModal() override { return platform::mrCancel; }

public slots:
    void FormShow() {}
};

}  // namespace cbk
