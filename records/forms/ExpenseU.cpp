#include "records/forms/ExpenseU.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "records/RecordTables.h"
#include "records/forms/FormParts.h"
#include "records/forms/PayeeCompleter.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {
constexpr int kHelpContext = 530;
}

TExpense::TExpense() {
    setObjectName(QStringLiteral("TExpense"));
    setWindowTitle(QStringLiteral("Expense"));

    Label4 = MakeLabel(this, "Check No:");
    MaskEdit1 = MakeMaskField(this, "MaskEdit1", QStringLiteral("!99999999;1;_"), "000000000");
    Label1 = MakeLabel(this, "Date:");
    MaskEdit2 = MakeMaskField(this, "MaskEdit2", DateMask(), kWidestDate);
    Label3 = MakeLabel(this, "Pay to:");
    Edit1 = MakeTextField(this, "Edit1");
    Label2 = MakeLabel(this, "Amount:");
    MaskEdit3 = MakeAmountField(
        this, "MaskEdit3", [this](QChar key) { return MaskEdit3KeyPress(key); },
        [this] { MaskEdit3Exit(); });
    Label5 = MakeLabel(this, "Memo:");
    Edit2 = MakeTextField(this, "Edit2");
    Label6 = MakeLabel(this, "Account:");
    ComboBox1 = MakeChoiceField(this, "ComboBox1");
    Label7 = MakeLabel(this, "Folder:");
    ComboBox2 = MakeChoiceField(this, "ComboBox2");
    ComboBox1->setTypeAhead(true);
    ComboBox2->setTypeAhead(true);
    const ButtonRow row = AttachButtonRow(this);
    LayOutForm(this,
               FieldGrid({{Label4, MaskEdit1},
                          {Label1, MaskEdit2},
                          {Label3, Edit1},
                          {Label2, MaskEdit3},
                          {Label5, Edit2},
                          {Label6, ComboBox1},
                          {Label7, ComboBox2},
                          {Bank.label(), Bank.box()}}),
               row);
    ChainTabOrder({MaskEdit1, MaskEdit2, Edit1, MaskEdit3, Edit2, ComboBox1, ComboBox2, Bank.box(),
                   BtnSave, BtnDelete, BtnCancel, BitBtn1});

    Payees =
        new PayeeCompleter(Edit1, ComboBox1, ComboBox2, MaskEdit3, records::RecordTable::Expenses);
    CallOnShow(this, [this] { FormShow(); });
    connect(MaskEdit1, &MaskEdit::exited, this, &TExpense::MaskEdit1Exit);
    connect(MaskEdit2, &MaskEdit::exited, this, &TExpense::MaskEdit2Exit);
    connect(ComboBox1, &ChoiceBox::keyDiscarded, this, &TExpense::ComboBox1KeyPress);
    connect(ComboBox2, &ChoiceBox::keyDiscarded, this, &TExpense::ComboBox2KeyPress);
}

void TExpense::FormShow() {
    Payees->FormShow();  // first, while the table may still move
    MaskEdit3->setEditMask(AmountMask());
    if (ExpenseChoice != 0) {
        engine::d4go(Expenses, ExpenseChoice);
        LoadExpense();
        BtnDelete->show();
    } else {
        CurExpense = ExpenseRec{};
        CurExpense.ExpDate = platform::clock().today();
        CurExpense.FolNo = DefaultFolder;
        BtnDelete->hide();
    }
    MaskEdit1->setText(QString::fromStdString(PadNumber(CurExpense.CheckNo, 8)));
    MaskEdit2->setText(QString::fromStdString(rules::DateToText(CurExpense.ExpDate)));
    ShowAmount(MaskEdit3, CurExpense.Amount, rules::kEntryAmountPattern);
    Edit1->setText(Trimmed(CurExpense.PayTo));
    Edit2->setText(Trimmed(CurExpense.EMemo));
    BtnSave->setEnabled(true);

    const records::ChoiceList accounts =
        records::BuildChoiceList(Accounts, AccNoField, AcDescField, CurExpense.AccNo);
    FillRequiredChoice(ComboBox1, accounts,
                       "Expense Accounts must be defined before entering Expense Records", BtnSave);
    const records::ChoiceList folders =
        records::BuildChoiceList(Folders, FolNoField, FolNameField, CurExpense.FolNo);
    FillRequiredChoice(ComboBox2, folders,
                       "Folders must be defined before entering Expense Records", BtnSave);
    MaskEdit1->setFocus();
    Payees->Cleared();
    Bank.Show(bank::Kind::Expense, ExpenseChoice);
    shown_.take(this);
}

void TExpense::MaskEdit1Exit() {
    std::string text = MaskEdit1->text().toStdString();
    if (rules::CheckWholeNumber(text, 8)) MaskEdit1->setText(QString::fromStdString(text));
}

void TExpense::MaskEdit2Exit() {
    CheckDateField(MaskEdit2);
}

bool TExpense::MaskEdit3KeyPress(QChar key) {
    return AmountKeyTyped(MaskEdit3, key, rules::kEntryAmountPattern);
}

void TExpense::MaskEdit3Exit() {
    AmountFieldExit(MaskEdit3, rules::kEntryAmountPattern);
}

void TExpense::BtnSaveClick() {
    if (!BtnSave->isEnabled()) return;  // no account or no folder to file it under
    if (!LeaveFocusedField(this)) return;
    const std::string was = CurExpense.PayTo;  // the name the record had, for the payee memory
    ExpenseRec entered = CurExpense;
    rules::SaveConversion convert;
    convert.number(MaskEdit1->text().toStdString(), entered.CheckNo)
        .date(MaskEdit2->text().toStdString(), entered.ExpDate)
        .amount(MaskEdit3->text().toStdString(), entered.Amount)
        .choice(ComboBox1->chosenEntry(), entered.AccNo)
        .choice(ComboBox2->chosenEntry(), entered.FolNo);
    if (!convert.commit()) return;
    entered.PayTo = Trimmed(Edit1->text());
    entered.EMemo = Trimmed(Edit2->text());
    entered.Archive = false;
    CurExpense = entered;

    if (!Bank.ChangeAllowed()) return;
    const long recNo =
        records::StoreRecord(Expenses, ExpenseChoice > 0 ? ExpenseChoice : 0, StoreExpense);
    if (recNo == 0) return;
    Payees->Stored(recNo, ExpenseChoice > 0 ? &was : nullptr, entered.PayTo,
                   {records::DateNumber(entered.ExpDate), std::uint32_t(recNo), entered.AccNo,
                    entered.FolNo, entered.Amount});
    Bank.Saved(recNo);
    if (AddAnother(ExpenseChoice, "Add another expense record?")) {
        // Date, account and folder stay for the next expense of the run.
        CurExpense.CheckNo = 0;
        CurExpense.PayTo.clear();
        CurExpense.Amount = 0;
        CurExpense.EMemo.clear();
        MaskEdit1->setText(QString::fromStdString(PadNumber(0, 8)));
        ShowAmount(MaskEdit3, 0, rules::kEntryAmountPattern);
        Edit1->clear();
        Edit2->clear();
        MaskEdit1->setFocus();
        Payees->Cleared();
        shown_.take(this);
        return;
    }
    CloseWithChoice(this, false, true, ExpenseChoice, std::int32_t(recNo));
}

void TExpense::BtnDeleteClick() {
    if (!Bank.ChangeAllowed()) return;
    if (!records::DeleteRecordConfirmed(Expenses, ExpenseChoice, records::kDeleteExpenseQuestion))
        return;
    Payees->Deleted(ExpenseChoice, CurExpense.PayTo);
    Bank.Deleted();
    CloseWithChoice(this, true, true, ExpenseChoice, 0);
}

void TExpense::BtnCancelClick() {
    reject();
}

void TExpense::reject() {
    if (DiscardConfirmed(this, shown_)) QDialog::reject();
}

void TExpense::BitBtn1Click() {
    rules::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
