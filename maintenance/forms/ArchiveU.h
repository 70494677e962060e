#pragma once

// TArchive: archives or de-archives the income and expenses of a date range (help context 430).

#include <QDialog>
#include <string>

#include "platform/Platform.h"

namespace cbk {

class TArchive : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TArchive();
    std::string formName() const override { return "TArchive"; }
    // Shown once its fields are in place; until then the form closes at once, as cancelled.
    int execModal() override { return platform::mrCancel; }

    // Set by the main window before the form is shown: true archive, false de-archive.
    bool ArchiveMode = true;

public slots:
    void FormShow() {}
};

}  // namespace cbk
