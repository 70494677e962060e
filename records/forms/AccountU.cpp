#include "records/forms/AccountU.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "records/AccountOps.h"
#include "records/forms/FormParts.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {
constexpr int kHelpContext = 550;

records::AccountChart Chart() {
    return records::ChartOf(AccountKind);
}
}  // namespace

TAccount::TAccount() {
    setObjectName(QStringLiteral("TAccount"));
    setWindowTitle(QStringLiteral("Account Definition"));

    Label1 = MakeLabel(this, "Account Number:");
    MaskEdit1 = MakeMaskField(this, "MaskEdit1", QStringLiteral("!9999;1;_"), "00000");
    Label2 = MakeLabel(this, "Description:");
    Edit1 = MakeTextField(this, "Edit1");
    CheckBox1 = new QCheckBox(QStringLiteral("Tax Deductible"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    const ButtonRow row = AttachButtonRow(this);
    QGridLayout* fields = FieldGrid({{Label1, MaskEdit1}, {Label2, Edit1}});
    fields->addWidget(CheckBox1, 2, 1);
    LayOutForm(this, fields, row);
    ChainTabOrder({MaskEdit1, Edit1, CheckBox1, BtnSave, BtnDelete, BtnCancel, BitBtn1});

    CallOnShow(this, [this] { FormShow(); });
    connect(MaskEdit1, &MaskEdit::exited, this, &TAccount::MaskEdit1Exit);
}

std::int32_t& TAccount::choice() const {
    return Chart() == records::AccountChart::Income ? IncAccountChoice : ExpAccountChoice;
}

void TAccount::FormShow() {
    const records::AccountChart chart = Chart();
    AccountRec& account = records::AccountBuffer(chart);
    if (choice() != 0) {
        engine::d4go(records::AccountTable(chart), choice());
        records::LoadAccountOf(chart);
        BtnDelete->show();
    } else {
        account = {records::NextAccountNo(chart), {}, true};
        BtnDelete->hide();
    }
    loadedNo_ = account.AccNo;
    CheckBox1->setText(QString::fromUtf8(records::TaxCaption(chart).data(),
                                         qsizetype(records::TaxCaption(chart).size())));
    MaskEdit1->setText(QString::fromStdString(PadNumber(account.AccNo, 4)));
    Edit1->setText(Trimmed(account.AcDesc));
    CheckBox1->setChecked(account.AcDed);
    MaskEdit1->setFocus();
}

void TAccount::MaskEdit1Exit() {
    std::string text = MaskEdit1->text().toStdString();
    if (rules::CheckAccountNumber(text))
        MaskEdit1->setText(QString::fromStdString(text));
    else
        MaskEdit1->setFocus();
}

void TAccount::BtnSaveClick() {
    if (!LeaveFocusedField(this)) return;
    std::string text = MaskEdit1->text().toStdString();
    if (!rules::CheckWholeNumber(text, 4)) return;  // reported; nothing written
    const records::AccountEntry entry{*rules::ToWholeNumber(text), Trimmed(MaskEdit1->text()),
                                      Trimmed(Edit1->text()), CheckBox1->isChecked()};
    const records::AccountChart chart = Chart();
    records::AccountOutcome out;
    if (choice() == 0) {
        out = records::SaveNewAccount(chart, entry);
        if (out.step == records::AccountStep::AddAnother) {
            MaskEdit1->setText(QString::fromStdString(PadNumber(records::NextAccountNo(chart), 4)));
            Edit1->clear();
            MaskEdit1->setFocus();
            return;
        }
    } else {
        out = records::SaveExistingAccount(chart, choice(), loadedNo_, entry);
    }
    CloseWithChoice(this, out.marked, out.step == records::AccountStep::Close, choice(),
                    std::int32_t(out.choice));
}

void TAccount::BtnDeleteClick() {
    const records::AccountOutcome out = records::DeleteAccount(Chart(), choice(), loadedNo_);
    CloseWithChoice(this, out.marked, out.step == records::AccountStep::Close, choice(), 0);
}

void TAccount::BtnCancelClick() {
    reject();
}

void TAccount::BitBtn1Click() {
    rules::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
