#include "maintenance/forms/ArchiveU.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "data/Records.h"
#include "maintenance/Archive.h"
#include "maintenance/SafetyBackup.h"
#include "platform/Platform.h"
#include "rules/EntryRules.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {

constexpr int kHelpContext = 430;

// The field's date after the date rule and the century window; nothing when refused.
std::optional<platform::DateTime> CheckedDate(MaskEdit* field) {
    if (!CheckDateField(field)) return std::nullopt;
    const auto date = rules::TextToDate(field->text().toStdString());
    if (!date) return std::nullopt;
    return maintenance::Windowed(*date);
}

}  // namespace

TArchive::TArchive() {
    setObjectName(QStringLiteral("TArchive"));
    setWindowTitle(QStringLiteral("Archive Income & Expenses"));

    Label1 = MakeLabel(this, "Archive Data From:");
    MaskEdit1 = MakeMaskField(this, "MaskEdit1", DateMask(), kWidestDate);
    Label2 = MakeLabel(this, "Through:");
    MaskEdit2 = MakeMaskField(this, "MaskEdit2", DateMask(), kWidestDate);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BitBtn1 = MakeHelpButton(this);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(FieldGrid({{Label1, MaskEdit1}, {Label2, MaskEdit2}}));
    layout->addStretch();
    layout->addLayout(buttons);
    setMinimumSize(318, 186);
    ChainTabOrder({MaskEdit1, MaskEdit2, BtnOK, BtnCancel, BitBtn1});

    CallOnShow(this, [this] { FormShow(); });
    connect(MaskEdit1, &MaskEdit::exited, this, &TArchive::MaskEdit1Exit);
    connect(MaskEdit2, &MaskEdit::exited, this, &TArchive::MaskEdit2Exit);
    connect(BtnOK, &QPushButton::clicked, this, &TArchive::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TArchive::BtnCancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TArchive::BitBtn1Click);
}

void TArchive::FormShow() {
    setWindowTitle(ArchiveMode ? QStringLiteral("Archive Income & Expenses")
                               : QStringLiteral("De-Archive Income & Expenses"));
    Label1->setText(ArchiveMode ? QStringLiteral("Archive Data From:")
                                : QStringLiteral("De-Archive Data From:"));
    const maintenance::DateRange range = maintenance::DefaultArchiveRange(
        platform::clock().today(), Settings.FyMonth, Settings.FyDay);
    MaskEdit1->setText(QString::fromStdString(rules::DateToText(range.start)));
    MaskEdit2->setText(QString::fromStdString(rules::DateToText(range.end)));
    MaskEdit1->setFocus();
}

void TArchive::MaskEdit1Exit() {
    CheckDateField(MaskEdit1);
}

void TArchive::MaskEdit2Exit() {
    CheckDateField(MaskEdit2);
}

void TArchive::BtnOKClick() {
    // Both fields are checked here, the one being typed in among them.
    const auto start = CheckedDate(MaskEdit1);
    if (!start) return;
    const auto end = CheckedDate(MaskEdit2);
    if (!end) return;
    maintenance::SafetyBackup safety;
    if (!safety()) return;
    hide();
    maintenance::ArchiveRecords(ArchiveMode, *start, *end);
    if (!safety.folder().empty())
        platform::messages().show(platform::MessageKind::Information, safety.KeptSentence(),
                                  platform::Buttons::OK);
    accept();
}

void TArchive::BtnCancelClick() {
    reject();
}

void TArchive::BitBtn1Click() {
    rules::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
