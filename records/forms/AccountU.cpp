#include "records/forms/AccountU.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "app/MainVars.h"
#include "app/MaskEdit.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "records/AccountOps.h"
#include "records/EntryRules.h"
#include "records/forms/FormParts.h"

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

    Label1 = new QLabel(QStringLiteral("Account Number:"), this);
    MaskEdit1 = new MaskEdit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setEditMask(QStringLiteral("!9999;1;_"));
    MaskEdit1->setFixedWidth(MaskEdit1->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                             16);
    Label2 = new QLabel(QStringLiteral("Description:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(30);
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('n'))));
    CheckBox1 = new QCheckBox(QStringLiteral("Tax Deductible"), this);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    Label1->setBuddy(MaskEdit1);
    Label2->setBuddy(Edit1);

    BtnSave = new QPushButton(QStringLiteral("&Save"), this);
    BtnDelete = new QPushButton(QStringLiteral("&Delete"), this);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn1 = MakeHelpButton(this);
    BtnSave->setObjectName(QStringLiteral("BtnSave"));
    BtnDelete->setObjectName(QStringLiteral("BtnDelete"));
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnSave->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(MaskEdit1, 0, 1, Qt::AlignLeft);
    fields->addWidget(Label2, 1, 0);
    fields->addWidget(Edit1, 1, 1);
    fields->addWidget(CheckBox1, 2, 1);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BtnSave, BtnDelete, BtnCancel}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(MaskEdit1, Edit1);
    setTabOrder(Edit1, CheckBox1);
    setTabOrder(CheckBox1, BtnSave);
    setTabOrder(BtnSave, BtnDelete);
    setTabOrder(BtnDelete, BtnCancel);
    setTabOrder(BtnCancel, BitBtn1);

    connect(MaskEdit1, &MaskEdit::exited, this, &TAccount::MaskEdit1Exit);
    connect(BtnSave, &QPushButton::clicked, this, &TAccount::BtnSaveClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TAccount::BtnDeleteClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TAccount::BtnCancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TAccount::BitBtn1Click);
}

std::int32_t& TAccount::choice() const {
    return Chart() == records::AccountChart::Income ? IncAccountChoice : ExpAccountChoice;
}

void TAccount::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
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
    if (records::CheckAccountNumber(text))
        MaskEdit1->setText(QString::fromStdString(text));
    else
        MaskEdit1->setFocus();
}

void TAccount::BtnSaveClick() {
    if (!LeaveFocusedField(this)) return;
    std::string text = MaskEdit1->text().toStdString();
    if (!records::CheckWholeNumber(text, 4)) return;  // reported; nothing written
    const records::AccountEntry entry{*records::ToWholeNumber(text), Trimmed(MaskEdit1->text()),
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
    if (out.marked) PackOnExit = true;
    if (out.step != records::AccountStep::Close) return;
    choice() = std::int32_t(out.choice);
    accept();
}

void TAccount::BtnDeleteClick() {
    const records::AccountOutcome out = records::DeleteAccount(Chart(), choice(), loadedNo_);
    if (out.marked) PackOnExit = true;
    if (out.step != records::AccountStep::Close) return;
    choice() = 0;
    accept();
}

void TAccount::BtnCancelClick() {
    reject();
}

void TAccount::BitBtn1Click() {
    records::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
