#pragma once

// TExpense: the entry form for one expense (help context 530): check number, date, payee,
// amount, memo, expense account and folder. New expenses come in a run ("Add another expense
// record?") that keeps date, account and folder.

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

class TExpense : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TExpense();
    std::string formName() const override { return "TExpense"; }
    int execModal() override { return exec(); }

    // In tab order, with their labels.
    QLabel* Label4 = nullptr;  // "Check No:"
    MaskEdit* MaskEdit1 = nullptr;
    QLabel* Label1 = nullptr;  // "Date:"
    MaskEdit* MaskEdit2 = nullptr;
    QLabel* Label3 = nullptr;  // "Pay to:"
    QLineEdit* Edit1 = nullptr;
    QLabel* Label2 = nullptr;  // "Amount:"
    MaskEdit* MaskEdit3 = nullptr;
    QLabel* Label5 = nullptr;  // "Memo:"
    QLineEdit* Edit2 = nullptr;
    QLabel* Label6 = nullptr;  // "Account:"
    ChoiceBox* ComboBox1 = nullptr;
    QLabel* Label7 = nullptr;  // "Folder:"
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
    void MaskEdit2Exit();
    // Runs before the typed key reaches the amount field; true when it used the key up.
    bool MaskEdit3KeyPress(QChar key);
    void MaskEdit3Exit();
    void ComboBox1KeyPress() {}  // the list chooses by type-ahead itself
    void ComboBox2KeyPress() {}
    void BitBtn1Click();
    // Escape, Cancel and the window's close button: asks first when a field was changed.
    void reject() override;

private:
    ShownValues shown_;
};

}  // namespace cbk
