#pragma once

// TDriveDir: the drive and directory chooser of backup, restore and upgrade.

#include <QDialog>
#include <string>

#include "platform/Platform.h"

namespace cbk {

class TDriveDir : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TDriveDir();
    std::string formName() const override { return "TDriveDir"; }
    // Shown once its fields are in place; until then the form closes at once, as cancelled.
    int execModal() override { return platform::mrCancel; }

    // Set before the form is shown: the form's title and the caption of its action button.
    void Setup(const std::string& title, const std::string& action,
               const std::string& preselected = "");
    std::string Preselected;  // the directory shown first; empty: the current one
    // The directory chosen when the form closed; empty when the user cancelled.
    std::string ChosenDirectory;
    std::string ActionCaption;

public slots:
    void FormShow() {}
};

}  // namespace cbk
