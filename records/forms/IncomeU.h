#pragma once

// TIncome: the entry form for one income record (help context 510): date, amount,
// description, income account and folder. New income comes in a run ("Add another income
// record?") that keeps date, account and folder; the import mark of an existing record stays.

#include <QDialog>
#include <string>

#include "platform/Platform.h"
#include "records/forms/BankField.h"
#include "records/forms/FormParts.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace cbk {

class ChoiceBox;
class MaskEdit;
class PayeeCompleter;

class TIncome : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TIncome();
    std::string formName() const override { return "TIncome"; }
    int execModal() override { return exec(); }

    // In tab order, with their labels.
    QLabel* Label1 = nullptr;  // "Date:"
    MaskEdit* MaskEdit1 = nullptr;
    QLabel* Label3 = nullptr;  // "Amount:"
    MaskEdit* MaskEdit2 = nullptr;
    QLabel* Label2 = nullptr;  // "Description:"
    QLineEdit* Edit1 = nullptr;
    QLabel* Label5 = nullptr;  // "Account:"
    ChoiceBox* ComboBox1 = nullptr;
    QLabel* Label4 = nullptr;  // "Folder"
    ChoiceBox* ComboBox2 = nullptr;
    BankField Bank{this};  // the bank account the money moved through
    QPushButton* BtnSave = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;
    // The names used before, offered as the pay-to text or description is typed.
    PayeeCompleter* Payees = nullptr;

public slots:
    void FormShow();
    void BtnSaveClick();
    void BtnDeleteClick();
    void BtnCancelClick();
    void MaskEdit1Exit();
    // Runs before the typed key reaches the amount field; true when it used the key up.
    bool MaskEdit2Keypress(QChar key);
    void MaskEdit2Exit();
    void ComboBox1KeyPress() {}  // the list chooses by type-ahead itself
    void ComboBox2KeyPress() {}
    void BitBtn1Click();
    // Escape, Cancel and the window's close button: asks first when a field was changed.
    void reject() override;

private:
    ShownValues shown_;
};

}  // namespace cbk
