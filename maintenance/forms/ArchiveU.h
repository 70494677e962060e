#pragma once

// TArchive: archives or de-archives the income and expenses of a date range (help context
// 430). The range's checks are here; the walk of the tables is maintenance/Archive.h.

#include <QDialog>
#include <string>

#include "platform/Platform.h"

class QLabel;
class QPushButton;

namespace cbk {

class MaskEdit;

class TArchive : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TArchive();
    std::string formName() const override { return "TArchive"; }
    int execModal() override { return exec(); }

    // Set by the main window before the form is shown: true archive, false de-archive.
    bool ArchiveMode = true;

    QLabel* Label1 = nullptr;  // by mode
    QLabel* Label2 = nullptr;  // "Through:"
    MaskEdit* MaskEdit1 = nullptr;
    MaskEdit* MaskEdit2 = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;

public slots:
    void FormShow();
    void MaskEdit1Exit();
    void MaskEdit2Exit();
    void BtnOKClick();
    void BtnCancelClick();
    void BitBtn1Click();
};

}  // namespace cbk
