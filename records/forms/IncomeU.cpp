#include "records/forms/IncomeU.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data/Database.h"
#include "data/Records.h"
#include "records/RecordTables.h"
#include "records/forms/FormParts.h"
#include "records/forms/PayeeCompleter.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {
constexpr int kHelpContext = 510;
}

TIncome::TIncome() {
    setObjectName(QStringLiteral("TIncome"));
    setWindowTitle(QStringLiteral("Income"));

    Label1 = MakeLabel(this, "Date:");
    MaskEdit1 = MakeMaskField(this, "MaskEdit1", DateMask(), kWidestDate);
    Label3 = MakeLabel(this, "Amount:");
    MaskEdit2 = MakeAmountField(
        this, "MaskEdit2", [this](QChar key) { return MaskEdit2Keypress(key); },
        [this] { MaskEdit2Exit(); });
    Label2 = MakeLabel(this, "Description:");
    Edit1 = MakeTextField(this, "Edit1");
    Label5 = MakeLabel(this, "Account:");
    ComboBox1 = MakeChoiceField(this, "ComboBox1");
    Label4 = MakeLabel(this, "Folder");
    ComboBox2 = MakeChoiceField(this, "ComboBox2");
    ComboBox1->setTypeAhead(true);
    ComboBox2->setTypeAhead(true);
    const ButtonRow row = AttachButtonRow(this);
    LayOutForm(this,
               FieldGrid({{Label1, MaskEdit1},
                          {Label3, MaskEdit2},
                          {Label2, Edit1},
                          {Label5, ComboBox1},
                          {Label4, ComboBox2},
                          {Bank.label(), Bank.box()}}),
               row);
    ChainTabOrder({MaskEdit1, MaskEdit2, Edit1, ComboBox1, ComboBox2, Bank.box(), BtnSave,
                   BtnDelete, BtnCancel, BitBtn1});

    Payees =
        new PayeeCompleter(Edit1, ComboBox1, ComboBox2, MaskEdit2, records::RecordTable::Income);
    CallOnShow(this, [this] { FormShow(); });
    connect(MaskEdit1, &MaskEdit::exited, this, &TIncome::MaskEdit1Exit);
    connect(ComboBox1, &ChoiceBox::keyDiscarded, this, &TIncome::ComboBox1KeyPress);
    connect(ComboBox2, &ChoiceBox::keyDiscarded, this, &TIncome::ComboBox2KeyPress);
}

void TIncome::FormShow() {
    Payees->FormShow();  // first, while the table may still move
    MaskEdit2->setEditMask(AmountMask());
    BtnSave->setEnabled(true);
    if (IncomeChoice != 0) {
        engine::d4go(Income, IncomeChoice);
        LoadIncome();
        BtnDelete->show();
    } else {
        CurIncome = IncomeRec{};
        CurIncome.IncDate = platform::clock().today();
        CurIncome.FolNo = DefaultFolder;
        BtnDelete->hide();
    }
    MaskEdit1->setText(QString::fromStdString(rules::DateToText(CurIncome.IncDate)));
    ShowAmount(MaskEdit2, CurIncome.IncAmt, rules::kEntryAmountPattern);
    Edit1->setText(Trimmed(CurIncome.IncDesc));

    const records::ChoiceList accounts =
        records::BuildChoiceList(IncomeAccounts, IncAccNoField, IncAcDescField, CurIncome.IncAcc);
    FillRequiredChoice(ComboBox1, accounts,
                       "Income Accounts must be defined before entering Income Records", BtnSave);
    const records::ChoiceList folders =
        records::BuildChoiceList(Folders, FolNoField, FolNameField, CurIncome.FolNo);
    FillRequiredChoice(ComboBox2, folders, "Folders must be defined before entering Income Records",
                       BtnSave);
    MaskEdit1->setFocus();
    Payees->Cleared();
    Bank.Show(bank::Kind::Income, IncomeChoice);
    shown_.take(this);
}

void TIncome::MaskEdit1Exit() {
    CheckDateField(MaskEdit1);
}

bool TIncome::MaskEdit2Keypress(QChar key) {
    return AmountKeyTyped(MaskEdit2, key, rules::kEntryAmountPattern);
}

void TIncome::MaskEdit2Exit() {
    AmountFieldExit(MaskEdit2, rules::kEntryAmountPattern);
}

void TIncome::BtnSaveClick() {
    if (!BtnSave->isEnabled()) return;  // no account or no folder to file it under
    if (!LeaveFocusedField(this)) return;
    // The buffer holds the record as loaded, so an imported record keeps its import mark.
    const std::string was = CurIncome.IncDesc;  // the name the record had, for the payee memory
    IncomeRec entered = CurIncome;
    rules::SaveConversion convert;
    convert.choice(ComboBox1->chosenEntry(), entered.IncAcc)
        .date(MaskEdit1->text().toStdString(), entered.IncDate)
        .amount(MaskEdit2->text().toStdString(), entered.IncAmt)
        .choice(ComboBox2->chosenEntry(), entered.FolNo);
    if (!convert.commit()) return;
    entered.IncDesc = Trimmed(Edit1->text());
    entered.Archive = false;
    CurIncome = entered;

    if (!Bank.ChangeAllowed()) return;
    const long recNo =
        records::StoreRecord(Income, IncomeChoice > 0 ? IncomeChoice : 0, StoreIncome);
    if (recNo == 0) return;
    Payees->Stored(recNo, IncomeChoice > 0 ? &was : nullptr, entered.IncDesc,
                   {records::DateNumber(entered.IncDate), std::uint32_t(recNo), entered.IncAcc,
                    entered.FolNo, entered.IncAmt});
    Bank.Saved(recNo);
    if (AddAnother(IncomeChoice, "Add another income record?")) {
        // Date, account and folder stay for the next record of the run.
        CurIncome.IncAmt = 0;
        CurIncome.IncDesc.clear();
        ShowAmount(MaskEdit2, 0, rules::kEntryAmountPattern);
        Edit1->clear();
        MaskEdit1->setFocus();
        Payees->Cleared();
        shown_.take(this);
        return;
    }
    CloseWithChoice(this, false, true, IncomeChoice, std::int32_t(recNo));
}

void TIncome::BtnDeleteClick() {
    if (!Bank.ChangeAllowed()) return;
    if (!records::DeleteRecordConfirmed(Income, IncomeChoice, records::kDeleteIncomeQuestion))
        return;
    Payees->Deleted(IncomeChoice, CurIncome.IncDesc);
    Bank.Deleted();
    CloseWithChoice(this, true, true, IncomeChoice, 0);
}

void TIncome::BtnCancelClick() {
    reject();
}

void TIncome::reject() {
    if (DiscardConfirmed(this, shown_)) QDialog::reject();
}

void TIncome::BitBtn1Click() {
    rules::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
