#pragma once

// TPmtImport: imports payments of the sibling invoicing product as income (help context 520).

#include <QDialog>
#include <string>

#include "platform/Platform.h"

namespace cbk {

class TPmtImport : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TPmtImport();
    std::string formName() const override { return "TPmtImport"; }
    // Shown once its fields are in place; until then the form closes at once, as cancelled.
    int execModal() override { return platform::mrCancel; }

public slots:
    void FormShow() {}
};

}  // namespace cbk
