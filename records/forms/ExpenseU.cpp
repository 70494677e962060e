#include "records/forms/ExpenseU.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
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
#include "records/EntryRules.h"
#include "records/RecordTables.h"
#include "records/forms/FormParts.h"

namespace cbk {

namespace {
constexpr int kHelpContext = 530;

QString AmountText(double amount) {
    return QString::fromStdString(records::FormatNumber("%9.2f", amount));
}
}  // namespace

TExpense::TExpense() {
    setObjectName(QStringLiteral("TExpense"));
    setWindowTitle(QStringLiteral("Expense"));

    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    auto mask = [this](const char* name, const QString& m, const char* widest) {
        auto* field = new MaskEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setEditMask(m);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QString::fromLatin1(widest)) +
                             16);
        return field;
    };
    auto text = [this](const char* name) {
        auto* field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setMaxLength(30);
        field->setMinimumWidth(
            field->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('n'))));
        return field;
    };
    auto choice = [this](const char* name) {
        auto* box = new ChoiceBox(this);
        box->setObjectName(QString::fromLatin1(name));
        box->setEditable(false);
        box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        box->setMinimumContentsLength(36);
        return box;
    };

    Label4 = label("Check No:");
    MaskEdit1 = mask("MaskEdit1", QStringLiteral("!99999999;1;_"), "000000000");
    Label1 = label("Date:");
    MaskEdit2 = mask("MaskEdit2", QStringLiteral("!99/99/00;1;_"), "00/00/000");
    Label3 = label("Pay to:");
    Edit1 = text("Edit1");
    Label2 = label("Amount:");
    MaskEdit3 = mask("MaskEdit3", AmountMask(), "-000000.000");
    MaskEdit3->setAlignment(Qt::AlignRight);
    Label5 = label("Memo:");
    Edit2 = text("Edit2");
    Label6 = label("Account:");
    ComboBox1 = choice("ComboBox1");
    Label7 = label("Folder:");
    ComboBox2 = choice("ComboBox2");
    const std::pair<QLabel*, QWidget*> rows[] = {
        {Label4, MaskEdit1}, {Label1, MaskEdit2}, {Label3, Edit1},    {Label2, MaskEdit3},
        {Label5, Edit2},     {Label6, ComboBox1}, {Label7, ComboBox2}};

    BtnSave = new QPushButton(QStringLiteral("&Save"), this);
    BtnDelete = new QPushButton(QStringLiteral("&Delete"), this);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn1 = MakeHelpButton(this);
    BtnSave->setObjectName(QStringLiteral("BtnSave"));
    BtnDelete->setObjectName(QStringLiteral("BtnDelete"));
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnSave->setDefault(true);

    auto* fields = new QGridLayout;
    int row = 0;
    QWidget* previous = nullptr;
    for (const auto& [l, field] : rows) {
        l->setBuddy(field);
        fields->addWidget(l, row, 0);
        const bool fixed = qobject_cast<MaskEdit*>(field) != nullptr;
        fields->addWidget(field, row++, 1, fixed ? Qt::AlignLeft : Qt::Alignment());
        if (previous) setTabOrder(previous, field);
        previous = field;
    }
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BtnSave, BtnDelete, BtnCancel}) {
        buttons->addWidget(b);
        setTabOrder(previous, b);
        previous = b;
    }
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    setTabOrder(previous, BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    MaskEdit3->installEventFilter(this);
    connect(MaskEdit1, &MaskEdit::exited, this, &TExpense::MaskEdit1Exit);
    connect(MaskEdit2, &MaskEdit::exited, this, &TExpense::MaskEdit2Exit);
    connect(MaskEdit3, &MaskEdit::exited, this, &TExpense::MaskEdit3Exit);
    // The colour follows each key at once; the key handler only saw the text before it.
    connect(MaskEdit3, &QLineEdit::textEdited, this, [this] { ColourAmount(MaskEdit3); });
    connect(ComboBox1, &ChoiceBox::keyDiscarded, this, &TExpense::ComboBox1KeyPress);
    connect(ComboBox2, &ChoiceBox::keyDiscarded, this, &TExpense::ComboBox2KeyPress);
    connect(BtnSave, &QPushButton::clicked, this, &TExpense::BtnSaveClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TExpense::BtnDeleteClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TExpense::BtnCancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TExpense::BitBtn1Click);
}

void TExpense::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

bool TExpense::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MaskEdit3 && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (!typed.isEmpty() && MaskEdit3KeyPress(typed.at(0))) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TExpense::FormShow() {
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
    MaskEdit2->setText(QString::fromStdString(records::DateToText(CurExpense.ExpDate)));
    MaskEdit3->setText(AmountText(CurExpense.Amount));
    ColourAmount(MaskEdit3);
    Edit1->setText(Trimmed(CurExpense.PayTo));
    Edit2->setText(Trimmed(CurExpense.EMemo));
    BtnSave->setEnabled(true);

    const records::ChoiceList accounts =
        records::BuildChoiceList(Accounts, AccNoField, AcDescField, CurExpense.AccNo);
    if (accounts.entries.empty()) {
        platform::messages().show(
            platform::MessageKind::Information,
            "Expense Accounts must be defined before entering Expense Records",
            platform::Buttons::OK);
        BtnSave->setEnabled(false);
    }
    FillChoiceBox(ComboBox1, accounts.entries, accounts.chosen);
    const records::ChoiceList folders =
        records::BuildChoiceList(Folders, FolNoField, FolNameField, CurExpense.FolNo);
    if (folders.entries.empty()) {
        platform::messages().show(platform::MessageKind::Information,
                                  "Folders must be defined before entering Expense Records",
                                  platform::Buttons::OK);
        BtnSave->setEnabled(false);
    }
    FillChoiceBox(ComboBox2, folders.entries, folders.chosen);
    MaskEdit1->setFocus();
}

void TExpense::MaskEdit1Exit() {
    std::string text = MaskEdit1->text().toStdString();
    if (records::CheckWholeNumber(text, 8)) MaskEdit1->setText(QString::fromStdString(text));
}

void TExpense::MaskEdit2Exit() {
    std::string text = MaskEdit2->text().toStdString();
    if (records::CheckDate(text))
        MaskEdit2->setText(QString::fromStdString(text));
    else
        MaskEdit2->setFocus();
}

bool TExpense::MaskEdit3KeyPress(QChar key) {
    return AmountKeyTyped(MaskEdit3, key);
}

void TExpense::MaskEdit3Exit() {
    AmountFieldExit(MaskEdit3);
}

void TExpense::BtnSaveClick() {
    if (!BtnSave->isEnabled()) return;  // no account or no folder to file it under
    if (!LeaveFocusedField(this)) return;
    ExpenseRec entered = CurExpense;
    records::SaveConversion convert;
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

    const long recNo =
        records::StoreRecord(Expenses, ExpenseChoice > 0 ? ExpenseChoice : 0, StoreExpense);
    if (recNo == 0) return;
    if (ExpenseChoice <= 0 &&
        platform::messages().show(platform::MessageKind::Confirm, "Add another expense record?",
                                  platform::Buttons::YesNo) == platform::Answer::Yes) {
        // Date, account and folder stay for the next expense of the run.
        CurExpense.CheckNo = 0;
        CurExpense.PayTo.clear();
        CurExpense.Amount = 0;
        CurExpense.EMemo.clear();
        MaskEdit1->setText(QString::fromStdString(PadNumber(0, 8)));
        MaskEdit3->setText(AmountText(0));
        ColourAmount(MaskEdit3);
        Edit1->clear();
        Edit2->clear();
        MaskEdit1->setFocus();
        return;
    }
    ExpenseChoice = std::int32_t(recNo);
    accept();
}

void TExpense::BtnDeleteClick() {
    records::DeleteRecord(Expenses, ExpenseChoice);
    PackOnExit = true;
    ExpenseChoice = 0;
    accept();
}

void TExpense::BtnCancelClick() {
    reject();
}

void TExpense::BitBtn1Click() {
    records::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
