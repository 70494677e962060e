#include "records/forms/IncomeU.h"

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
#include "records/EntryRules.h"
#include "records/RecordTables.h"
#include "records/forms/FormParts.h"

namespace cbk {

namespace {
constexpr int kHelpContext = 510;

QString AmountText(double amount) {
    return QString::fromStdString(records::FormatNumber("%9.2f", amount));
}
}  // namespace

TIncome::TIncome() {
    setObjectName(QStringLiteral("TIncome"));
    setWindowTitle(QStringLiteral("Income"));

    auto label = [this](const char* text) { return new QLabel(QString::fromUtf8(text), this); };
    auto mask = [this](const char* name, const QString& m, const char* widest) {
        auto* field = new MaskEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setEditMask(m);
        field->setFixedWidth(field->fontMetrics().horizontalAdvance(QString::fromLatin1(widest)) +
                             16);
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

    Label1 = label("Date:");
    MaskEdit1 = mask("MaskEdit1", QStringLiteral("!99/99/00;1;_"), "00/00/000");
    Label3 = label("Amount:");
    MaskEdit2 = mask("MaskEdit2", AmountMask(), "-000000.000");
    MaskEdit2->setAlignment(Qt::AlignRight);
    Label2 = label("Description:");
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(30);
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('n'))));
    Label5 = label("Account:");
    ComboBox1 = choice("ComboBox1");
    Label4 = label("Folder");
    ComboBox2 = choice("ComboBox2");

    BtnSave = new QPushButton(QStringLiteral("&Save"), this);
    BtnDelete = new QPushButton(QStringLiteral("&Delete"), this);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn1 = MakeHelpButton(this);
    BtnSave->setObjectName(QStringLiteral("BtnSave"));
    BtnDelete->setObjectName(QStringLiteral("BtnDelete"));
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnSave->setDefault(true);

    auto* fields = new QGridLayout;
    const std::pair<QLabel*, QWidget*> rows[] = {{Label1, MaskEdit1},
                                                 {Label3, MaskEdit2},
                                                 {Label2, Edit1},
                                                 {Label5, ComboBox1},
                                                 {Label4, ComboBox2}};
    int row = 0;
    for (const auto& [l, field] : rows) {
        l->setBuddy(field);
        fields->addWidget(l, row, 0);
        const bool fixed = qobject_cast<MaskEdit*>(field) != nullptr;
        fields->addWidget(field, row++, 1, fixed ? Qt::AlignLeft : Qt::Alignment());
    }
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BtnSave, BtnDelete, BtnCancel}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QWidget* order[] = {MaskEdit1, MaskEdit2, Edit1,     ComboBox1, BtnSave,
                        BtnDelete, BtnCancel, ComboBox2, BitBtn1};
    for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);

    MaskEdit2->installEventFilter(this);
    connect(MaskEdit1, &MaskEdit::exited, this, &TIncome::MaskEdit1Exit);
    connect(MaskEdit2, &MaskEdit::exited, this, &TIncome::MaskEdit2Exit);
    // The colour follows each key at once; the key handler only saw the text before it.
    connect(MaskEdit2, &QLineEdit::textEdited, this, [this] { ColourAmount(MaskEdit2); });
    connect(ComboBox1, &ChoiceBox::keyDiscarded, this, &TIncome::ComboBox1KeyPress);
    connect(ComboBox2, &ChoiceBox::keyDiscarded, this, &TIncome::ComboBox2KeyPress);
    connect(BtnSave, &QPushButton::clicked, this, &TIncome::BtnSaveClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TIncome::BtnDeleteClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TIncome::BtnCancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TIncome::BitBtn1Click);
}

void TIncome::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

bool TIncome::eventFilter(QObject* watched, QEvent* event) {
    if (watched == MaskEdit2 && event->type() == QEvent::KeyPress) {
        const QString typed = static_cast<QKeyEvent*>(event)->text();
        if (!typed.isEmpty() && MaskEdit2Keypress(typed.at(0))) return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TIncome::FormShow() {
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
    MaskEdit1->setText(QString::fromStdString(records::DateToText(CurIncome.IncDate)));
    MaskEdit2->setText(AmountText(CurIncome.IncAmt));
    ColourAmount(MaskEdit2);
    Edit1->setText(Trimmed(CurIncome.IncDesc));

    const records::ChoiceList accounts =
        records::BuildChoiceList(IncomeAccounts, IncAccNoField, IncAcDescField, CurIncome.IncAcc);
    if (accounts.entries.empty()) {
        platform::messages().show(platform::MessageKind::Information,
                                  "Income Accounts must be defined before entering Income Records",
                                  platform::Buttons::OK);
        BtnSave->setEnabled(false);
    }
    FillChoiceBox(ComboBox1, accounts.entries, accounts.chosen);
    const records::ChoiceList folders =
        records::BuildChoiceList(Folders, FolNoField, FolNameField, CurIncome.FolNo);
    if (folders.entries.empty()) {
        platform::messages().show(platform::MessageKind::Information,
                                  "Folders must be defined before entering Income Records",
                                  platform::Buttons::OK);
        BtnSave->setEnabled(false);
    }
    FillChoiceBox(ComboBox2, folders.entries, folders.chosen);
    MaskEdit1->setFocus();
}

void TIncome::MaskEdit1Exit() {
    std::string text = MaskEdit1->text().toStdString();
    if (records::CheckDate(text))
        MaskEdit1->setText(QString::fromStdString(text));
    else
        MaskEdit1->setFocus();
}

bool TIncome::MaskEdit2Keypress(QChar key) {
    return AmountKeyTyped(MaskEdit2, key);
}

void TIncome::MaskEdit2Exit() {
    AmountFieldExit(MaskEdit2);
}

void TIncome::BtnSaveClick() {
    if (!BtnSave->isEnabled()) return;  // no account or no folder to file it under
    if (!LeaveFocusedField(this)) return;
    // The buffer holds the record as loaded, so an imported record keeps its import mark.
    IncomeRec entered = CurIncome;
    records::SaveConversion convert;
    convert.choice(ComboBox1->chosenEntry(), entered.IncAcc)
        .date(MaskEdit1->text().toStdString(), entered.IncDate)
        .amount(MaskEdit2->text().toStdString(), entered.IncAmt)
        .choice(ComboBox2->chosenEntry(), entered.FolNo);
    if (!convert.commit()) return;
    entered.IncDesc = Trimmed(Edit1->text());
    entered.Archive = false;
    CurIncome = entered;

    const long recNo =
        records::StoreRecord(Income, IncomeChoice > 0 ? IncomeChoice : 0, StoreIncome);
    if (recNo == 0) return;
    if (IncomeChoice <= 0 &&
        platform::messages().show(platform::MessageKind::Confirm, "Add another income record?",
                                  platform::Buttons::YesNo) == platform::Answer::Yes) {
        // Date, account and folder stay for the next record of the run.
        CurIncome.IncAmt = 0;
        CurIncome.IncDesc.clear();
        MaskEdit2->setText(AmountText(0));
        ColourAmount(MaskEdit2);
        Edit1->clear();
        MaskEdit1->setFocus();
        return;
    }
    IncomeChoice = std::int32_t(recNo);
    accept();
}

void TIncome::BtnDeleteClick() {
    records::DeleteRecord(Income, IncomeChoice);
    IncomeChoice = 0;
    PackOnExit = true;
    accept();
}

void TIncome::BtnCancelClick() {
    reject();
}

void TIncome::BitBtn1Click() {
    records::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
