#pragma once

// TRateChange: rescales the amounts of one expense account over a date range (help context
// 540). ACC and EXP5 are open while it shows; the rescale itself is maintenance/RateChange.h.

#include <QDialog>
#include <string>

#include "platform/Platform.h"

class QFrame;
class QLabel;
class QPushButton;

namespace cbk {

class ChoiceBox;
class MaskEdit;

class TRateChange : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TRateChange();
    std::string formName() const override { return "TRateChange"; }
    int execModal() override { return exec(); }

    QFrame* Shape1 = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* Label7 = nullptr;
    QLabel* Label3 = nullptr;  // "Apply to Account:"
    ChoiceBox* ComboBox1 = nullptr;
    QLabel* Label4 = nullptr;  // "Old Expense Rate:"
    MaskEdit* MaskEdit1 = nullptr;
    QLabel* Label5 = nullptr;  // "New Expense Rate:"
    MaskEdit* MaskEdit2 = nullptr;
    QLabel* Label1 = nullptr;  // "Apply to Expenses Dated from:"
    MaskEdit* MaskEdit3 = nullptr;
    QLabel* Label2 = nullptr;  // "Through:"
    MaskEdit* MaskEdit4 = nullptr;
    QPushButton* BtnApply = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;

public slots:
    void FormShow();
    bool MaskEdit1KeyPress(QChar key);
    bool MaskEdit2KeyPress(QChar key);
    void MaskEdit3Exit();
    void MaskEdit4Exit();
    void BtnApplyClick();
    void BtnCancelClick();
    void BitBtn1Click();
};

}  // namespace cbk
