#pragma once

// TReportF: the report viewer.

#include <QDialog>
#include <string>

#include "platform/Platform.h"

namespace cbk {

class TReportF : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TReportF();
    std::string formName() const override { return "TReportF"; }
    // Shown once its fields are in place; until then the form closes at once, as cancelled.
    int execModal() override { return platform::mrCancel; }

public slots:
    void FormShow() {}
};

}  // namespace cbk
