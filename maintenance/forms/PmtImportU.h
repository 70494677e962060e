#pragma once

// TPmtImport: imports payments of the sibling invoicing product as income (help context 520).
// INC5, FOLDER and ACCI are open while it is shown. The import itself runs with the form
// hidden; when an append fails the form comes back.

#include <QDialog>
#include <QFileDialog>
#include <string>

#include "platform/Platform.h"

class QLabel;
class QPushButton;

namespace cbk {

class ChoiceBox;
class MaskEdit;
class PathField;

// The open dialog of the payment file, shown through the platform's modal runner so that a
// test can answer it. FileName is preset before it is shown; after OK it is the chosen file,
// after Cancel it keeps the preset.
class TOpenDialog : public QFileDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TOpenDialog(QWidget* parent, const char* name);
    std::string formName() const override { return name_; }
    int execModal() override;

    std::string FileName;

private:
    std::string name_;
};

class TPmtImport : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TPmtImport();
    std::string formName() const override { return "TPmtImport"; }
    // Shown again, afresh, after an import whose append failed.
    int execModal() override;

    QPushButton* BtnBrowse = nullptr;
    PathField* Edit1 = nullptr;  // the payment file, display only
    QLabel* Label1 = nullptr;    // "Import Income Beginning:"
    MaskEdit* MaskEdit1 = nullptr;
    QLabel* Label2 = nullptr;  // "Through:"
    MaskEdit* MaskEdit2 = nullptr;
    QLabel* Label3 = nullptr;  // "Import to Account:"
    ChoiceBox* ComboBox1 = nullptr;
    QLabel* Label4 = nullptr;  // "Import to Folder:"
    ChoiceBox* ComboBox2 = nullptr;
    QPushButton* BtnImport = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;
    TOpenDialog* OpenDialog1 = nullptr;

    // The payment file; empty when none is chosen.
    std::string PaymentPath;
    // Set by an import whose append failed: the form is to be shown again.
    bool ShowAgain = false;

public slots:
    void FormShow();
    void MaskEdit1Exit();
    void MaskEdit2Exit();
    void BtnBrowseClick();
    void BtnImportClick();
    void BtnCancelClick();
    void BitBtn1Click();
};

}  // namespace cbk
