#pragma once

// TAccount: the account edit form of the two account loops (help context 550). AccountKind
// says which chart it works on each time it is shown: "E" expense accounts, "I" income
// accounts. The table work is in records/AccountOps.h.

#include <QDialog>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace cbk {

class MaskEdit;

class TAccount : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TAccount();
    std::string formName() const override { return "TAccount"; }
    int execModal() override { return exec(); }

    QLabel* Label1 = nullptr;  // "Account Number:"
    MaskEdit* MaskEdit1 = nullptr;
    QLabel* Label2 = nullptr;  // "Description:"
    QLineEdit* Edit1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QPushButton* BtnSave = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;

public slots:
    void FormShow();
    void BtnSaveClick();
    void BtnDeleteClick();
    void BtnCancelClick();
    void MaskEdit1Exit();
    void BitBtn1Click();

private:
    std::int32_t& choice() const;

    std::int32_t loadedNo_ = 0;  // the account's number when the form was shown
};

}  // namespace cbk
