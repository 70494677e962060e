#include "maintenance/forms/RateChangeU.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <functional>

#include "maintenance/RateChange.h"
#include "maintenance/SafetyBackup.h"
#include "platform/Platform.h"
#include "rules/EntryRules.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {

constexpr int kHelpContext = 540;

QLabel* PanelText(QWidget* panel, const char* text) {
    auto* label = new QLabel(QString::fromUtf8(text), panel);
    label->setWordWrap(true);
    label->setStyleSheet(QStringLiteral("color: white; font-weight: bold;"));
    return label;
}

// The rate mask with the regional decimal separator: five places before it, four after.
QString RateMask() {
    return QStringLiteral("!#####") +
           QLatin1Char(platform::regional().settings().decimalSeparator) +
           QStringLiteral("9999;1;_");
}

// The decimal separator first right-aligns the rate by "%10.4f" and moves on to the decimals.
bool RateKeyTyped(MaskEdit* field, QChar key) {
    if (key != QLatin1Char(platform::regional().settings().decimalSeparator)) return false;
    const auto formatted =
        rules::FormatAmount(field->text().toStdString(), maintenance::kRatePattern);
    if (!formatted) return false;
    field->setText(QString::fromStdString(*formatted));
    field->setModified(true);
    const int at = field->text().indexOf(key);
    if (at >= 0) field->setCursorPosition(at + 1);
    return true;
}

}  // namespace

TRateChange::TRateChange() {
    setObjectName(QStringLiteral("TRateChange"));
    setWindowTitle(QStringLiteral("Rate Change"));

    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setStyleSheet(QStringLiteral("#Shape1 { background: black; border-radius: 10px; }"));
    Label6 = PanelText(Shape1,
                       "This option is provided to update rate based expenses in the event of a "
                       "retroactive change in the allowable rate (e.g., Distance based auto "
                       "travel expenses).");
    Label7 = PanelText(Shape1,
                       "The selected account must include only expenses that are based on the "
                       "rate to be changed.");
    auto* panel = new QVBoxLayout(Shape1);
    panel->setContentsMargins(12, 10, 12, 10);
    panel->addWidget(Label6);
    panel->addWidget(Label7);

    Label3 = MakeLabel(this, "Apply to Account:");
    ComboBox1 = MakeChoiceField(this, "ComboBox1");
    Label4 = MakeLabel(this, "Old Expense Rate:");
    MaskEdit1 = MakeMaskField(this, "MaskEdit1", RateMask(), "-00000.00000");
    Label5 = MakeLabel(this, "New Expense Rate:");
    MaskEdit2 = MakeMaskField(this, "MaskEdit2", RateMask(), "-00000.00000");
    Label1 = MakeLabel(this, "Apply to Expenses Dated from:");
    MaskEdit3 = MakeMaskField(this, "MaskEdit3", DateMask(), kWidestDate);
    Label2 = MakeLabel(this, "Through:");
    MaskEdit4 = MakeMaskField(this, "MaskEdit4", DateMask(), kWidestDate);
    for (MaskEdit* rate : {MaskEdit1, MaskEdit2}) rate->setAlignment(Qt::AlignRight);
    BtnApply = new QPushButton(QStringLiteral("Apply"), this);
    BtnApply->setObjectName(QStringLiteral("BtnApply"));
    BtnApply->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BitBtn1 = MakeHelpButton(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnApply);
    buttons->addWidget(BtnCancel);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Shape1);
    layout->addSpacing(6);
    layout->addLayout(FieldGrid({{Label3, ComboBox1},
                                 {Label4, MaskEdit1},
                                 {Label5, MaskEdit2},
                                 {Label1, MaskEdit3},
                                 {Label2, MaskEdit4}}));
    layout->addSpacing(6);
    layout->addLayout(buttons);
    setMinimumSize(427, 311);
    ChainTabOrder(
        {ComboBox1, MaskEdit1, MaskEdit2, MaskEdit3, MaskEdit4, BtnApply, BtnCancel, BitBtn1});

    CallOnShow(this, [this] { FormShow(); });
    InstallKeyRule(MaskEdit1, [this](QChar key) { return MaskEdit1KeyPress(key); });
    InstallKeyRule(MaskEdit2, [this](QChar key) { return MaskEdit2KeyPress(key); });
    connect(MaskEdit3, &MaskEdit::exited, this, &TRateChange::MaskEdit3Exit);
    connect(MaskEdit4, &MaskEdit::exited, this, &TRateChange::MaskEdit4Exit);
    connect(BtnApply, &QPushButton::clicked, this, &TRateChange::BtnApplyClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TRateChange::BtnCancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TRateChange::BitBtn1Click);
}

void TRateChange::FormShow() {
    BtnApply->setEnabled(true);
    ComboBox1->clear();
    // The separator may have changed with the regional settings since the last showing.
    MaskEdit1->setEditMask(RateMask());
    MaskEdit2->setEditMask(RateMask());
    const std::vector<std::string> entries = maintenance::ExpenseAccountEntries();
    if (entries.empty()) {
        platform::messages().show(platform::MessageKind::Information,
                                  std::string(maintenance::kNoExpenseAccounts),
                                  platform::Buttons::OK);
        BtnApply->setEnabled(false);
    }
    FillChoiceBox(ComboBox1, entries, entries.empty() ? -1 : 0);
    const QString one = QString::fromStdString(rules::FormatNumber(maintenance::kRatePattern, 1));
    MaskEdit1->setText(one);
    MaskEdit2->setText(one);
    const platform::DateTime today = platform::clock().today();
    MaskEdit3->setText(QString::fromStdString(
        rules::DateToText(*platform::DateTime::fromYmd(today.year(), 1, 1))));
    MaskEdit4->setText(QString::fromStdString(rules::DateToText(today)));
    ComboBox1->setFocus();
}

bool TRateChange::MaskEdit1KeyPress(QChar key) {
    return RateKeyTyped(MaskEdit1, key);
}

bool TRateChange::MaskEdit2KeyPress(QChar key) {
    return RateKeyTyped(MaskEdit2, key);
}

void TRateChange::MaskEdit3Exit() {
    CheckDateField(MaskEdit3);
}

void TRateChange::MaskEdit4Exit() {
    CheckDateField(MaskEdit4);
}

void TRateChange::BtnApplyClick() {
    const maintenance::RateChangeInput input{
        MaskEdit1->text().toStdString(), MaskEdit2->text().toStdString(),
        MaskEdit3->text().toStdString(), MaskEdit4->text().toStdString(), ComboBox1->chosenEntry()};
    maintenance::SafetyBackup safety;
    const maintenance::RateChangeOutcome outcome =
        maintenance::ApplyRateChange(input, std::ref(safety));
    if (outcome.stopped) return;
    if (outcome) {
        if (!safety.folder().empty())
            platform::messages().show(platform::MessageKind::Information, safety.KeptSentence(),
                                      platform::Buttons::OK);
        accept();
        return;
    }
    platform::messages().show(platform::MessageKind::Warning, outcome.refused,
                              platform::Buttons::OK);
}

void TRateChange::BtnCancelClick() {
    reject();
}

void TRateChange::BitBtn1Click() {
    rules::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
