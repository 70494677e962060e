#pragma once

// TBankAccounts: "Bank Accounts", the list of the business's bank and card accounts with Add,
// Edit and Delete; TBankAccount edits one (name, kind, opening balance and its date, the
// bank's account number, default).

#include <QDialog>
#include <string>

#include "bank/BankAccounts.h"
#include "platform/Platform.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace cbk {

class TBankAccount : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TBankAccount(QWidget* parent, const bank::BankAccount& account,
                 const std::vector<bank::BankAccount>& all);
    std::string formName() const override { return "TBankAccount"; }
    int execModal() override { return exec(); }
    const bank::BankAccount& account() const { return account_; }

    QLineEdit* EditName = nullptr;
    QComboBox* BoxKind = nullptr;
    QLineEdit* EditOpening = nullptr;
    QLineEdit* EditDate = nullptr;
    QLineEdit* EditNumber = nullptr;
    QCheckBox* CheckDefault = nullptr;
    QPushButton* BtnOk = nullptr;

public slots:
    void BtnOkClick();

private:
    bank::BankAccount account_;
    std::vector<bank::BankAccount> all_;
};

inline constexpr std::string_view kOpeningNoAmount = "The opening balance is not an amount.";
inline constexpr std::string_view kOpeningNoDate = "The opening date is not a date.";
inline constexpr std::string_view kAccountHasRecords =
    " records move through it: choose another account for them first.";

class TBankAccounts : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TBankAccounts();
    std::string formName() const override { return "TBankAccounts"; }
    int execModal() override { return exec(); }
    const bank::BankAccounts& Accounts() const { return accounts_; }

    QTableWidget* Grid = nullptr;
    QPushButton* BtnAdd = nullptr;
    QPushButton* BtnEdit = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnClose = nullptr;

public slots:
    void FormShow();
    void BtnAddClick();
    void BtnEditClick();
    void BtnDeleteClick();

private:
    void Fill();
    bool Edit(bank::BankAccount account);
    bank::BankAccounts accounts_;
};

}  // namespace cbk
