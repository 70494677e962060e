#pragma once

// TRegister: "Register", one bank account's records in date order with payment, deposit, the
// cleared mark ("c", "R" once reconciled) and the running balance; a find that moves to the
// next row holding its text, and Open (Enter, double-click) to edit the record.

#include <QDialog>
#include <functional>
#include <string>

#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "platform/Platform.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;

namespace cbk {

class ChoiceBox;
class RegisterModel;

// Opens record `recNo` of `kind` in its form (0: a new record); the tables stay open.
using OpenRecord = std::function<void(bank::Kind kind, long recNo)>;

class TRegister : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TRegister(OpenRecord open);
    std::string formName() const override { return "TRegister"; }
    int execModal() override { return exec(); }
    RegisterModel* Model() const { return model_; }

    ChoiceBox* BoxAccount = nullptr;
    QLineEdit* EditFind = nullptr;
    QPushButton* BtnFind = nullptr;
    QTableView* Grid = nullptr;
    QLabel* LabelBalance = nullptr;
    QPushButton* BtnOpen = nullptr;
    QPushButton* BtnClose = nullptr;

public slots:
    void FormShow();
    void BoxAccountChange();
    void BtnFindClick();
    void BtnOpenClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build(long keepRow);
    OpenRecord open_;
    RegisterModel* model_;
    bank::BankAccounts accounts_;
};

}  // namespace cbk
