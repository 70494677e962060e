#include "records/forms/FolderU.h"

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
#include "records/EntryRules.h"
#include "records/FolderOps.h"
#include "records/forms/FormParts.h"

namespace cbk {

namespace {
constexpr int kHelpContext = 570;
}

TFolderF::TFolderF() {
    setObjectName(QStringLiteral("TFolderF"));
    setWindowTitle(QStringLiteral("Folder Definition"));

    Label2 = new QLabel(QStringLiteral("Folder Number:"), this);
    MaskEdit1 = new MaskEdit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit1->setEditMask(QStringLiteral("!9999;1;_"));
    MaskEdit1->setFixedWidth(MaskEdit1->fontMetrics().horizontalAdvance(QStringLiteral("00000")) +
                             16);
    Label1 = new QLabel(QStringLiteral("Description:"), this);
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setMaxLength(30);
    Edit1->setMinimumWidth(Edit1->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('n'))));
    Label2->setBuddy(MaskEdit1);
    Label1->setBuddy(Edit1);

    BtnSave = new QPushButton(QStringLiteral("&Save"), this);
    BtnDelete = new QPushButton(QStringLiteral("&Delete"), this);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BitBtn1 = MakeHelpButton(this);
    BtnSave->setObjectName(QStringLiteral("BtnSave"));
    BtnDelete->setObjectName(QStringLiteral("BtnDelete"));
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnSave->setDefault(true);

    auto* fields = new QGridLayout;
    fields->addWidget(Label2, 0, 0);
    fields->addWidget(MaskEdit1, 0, 1, Qt::AlignLeft);
    fields->addWidget(Label1, 1, 0);
    fields->addWidget(Edit1, 1, 1);
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
    setTabOrder(Edit1, BtnSave);
    setTabOrder(BtnSave, BtnDelete);
    setTabOrder(BtnDelete, BtnCancel);
    setTabOrder(BtnCancel, BitBtn1);

    connect(MaskEdit1, &MaskEdit::exited, this, &TFolderF::MaskEdit1Exit);
    connect(BtnSave, &QPushButton::clicked, this, &TFolderF::BtnSaveClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TFolderF::BtnDeleteClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TFolderF::BtnCancelClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TFolderF::BitBtn1Click);
}

void TFolderF::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
}

void TFolderF::FormShow() {
    if (FolderChoice != 0) {
        engine::d4go(Folders, FolderChoice);
        LoadFolder();
        BtnDelete->show();
    } else {
        CurFolder = {records::NextFreeFolderNo(), {}};
        BtnDelete->hide();
    }
    loadedNo_ = CurFolder.FolNo;
    MaskEdit1->setText(QString::fromStdString(PadNumber(CurFolder.FolNo, 4)));
    Edit1->setText(Trimmed(CurFolder.FolName));
    // A new folder always takes the number offered.
    MaskEdit1->setEnabled(FolderChoice != 0);
    if (FolderChoice != 0)
        MaskEdit1->setFocus();
    else
        Edit1->setFocus();
}

void TFolderF::MaskEdit1Exit() {
    std::string text = MaskEdit1->text().toStdString();
    if (records::CheckWholeNumber(text, 4)) MaskEdit1->setText(QString::fromStdString(text));
}

void TFolderF::BtnSaveClick() {
    if (!LeaveFocusedField(this)) return;
    const std::string name = Trimmed(Edit1->text());
    records::FolderOutcome out;
    if (FolderChoice == 0) {
        out = records::SaveNewFolder(name);
        if (out.step == records::FolderStep::AddAnother) {
            MaskEdit1->setText(QString::fromStdString(PadNumber(records::NextFreeFolderNo(), 4)));
            Edit1->clear();
            Edit1->setFocus();
            return;
        }
    } else {
        std::string text = MaskEdit1->text().toStdString();
        if (!records::CheckWholeNumber(text, 4)) return;  // reported; nothing written
        const std::int32_t n = *records::ToWholeNumber(text);
        out = records::SaveExistingFolder(FolderChoice, loadedNo_, n, Trimmed(MaskEdit1->text()),
                                          name);
    }
    if (out.marked) PackOnExit = true;
    if (out.step != records::FolderStep::Close) return;
    FolderChoice = std::int32_t(out.choice);
    accept();
}

void TFolderF::BtnDeleteClick() {
    const records::FolderOutcome out = records::DeleteFolder(FolderChoice, loadedNo_);
    if (out.marked) PackOnExit = true;
    if (out.step != records::FolderStep::Close) return;
    FolderChoice = 0;
    accept();
}

void TFolderF::BtnCancelClick() {
    reject();
}

void TFolderF::BitBtn1Click() {
    records::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
