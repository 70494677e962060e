#pragma once

// TReconcile: "Reconcile", one bank account against its statement. The user gives the
// statement's end date and ending balance (those of the last statement imported for the
// account, when it ends after the last reconciliation) and presses Start; the records not yet
// reconciled up to that date are listed, those cleared already (a statement import clears what it
// brings) ticked. Cleared balance, statement balance and difference follow the ticks; while the
// difference is not zero the records that would explain it are offered (a double-click ticks
// them, as Enter does). Finish at zero marks the ticked records reconciled with the statement date.

#include <QDialog>
#include <functional>
#include <string>

#include "bank/BankAccounts.h"
#include "bank/Reconcile.h"
#include "bank/forms/RegisterU.h"
#include "platform/Platform.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace cbk {

class ChoiceBox;

// Shows the report of a reconciliation (finished or not) for the account named.
using ShowReconciliationReport =
    std::function<void(const bank::Reconciliation& rec, const std::string& account)>;

class TReconcile : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TReconcile(OpenRecord open, ShowReconciliationReport report);
    std::string formName() const override { return "TReconcile"; }
    int execModal() override { return exec(); }
    const bank::Reconciliation& Rec() const { return rec_; }
    const std::vector<bank::Explanation>& Explanations() const { return explained_; }

    ChoiceBox* BoxAccount = nullptr;
    QLineEdit* EditDate = nullptr;
    QLineEdit* EditBalance = nullptr;
    QPushButton* BtnStart = nullptr;
    QTableWidget* Grid = nullptr;
    QLabel* LabelCleared = nullptr;
    QLabel* LabelStatement = nullptr;
    QLabel* LabelDifference = nullptr;
    QListWidget* ListExplain = nullptr;
    QPushButton* BtnNewExpense = nullptr;
    QPushButton* BtnNewIncome = nullptr;
    QPushButton* BtnReport = nullptr;
    QPushButton* BtnFinish = nullptr;
    QPushButton* BtnClose = nullptr;

public slots:
    void FormShow();
    void BoxAccountChange();
    void BtnStartClick();
    void GridTicked(int row, int column);
    void ListExplainDoubleClick();
    void BtnNewExpenseClick();
    void BtnNewIncomeClick();
    void BtnReportClick();
    void BtnFinishClick();

private:
    const bank::BankAccount* Account() const;
    bool Start(bool keepTicks);
    void Fill();
    void Update();
    void NewRecord(bank::Kind kind);

    OpenRecord open_;
    ShowReconciliationReport report_;
    bank::BankAccounts accounts_;
    bank::Reconciliation rec_;
    std::vector<bank::Explanation> explained_;
    bool started_ = false;
    bool filling_ = false;
};

inline constexpr std::string_view kFinished = "The reconciliation is finished: ";

}  // namespace cbk
