#include "records/forms/FolderU.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "records/FolderOps.h"
#include "records/forms/FormParts.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {
constexpr int kHelpContext = 570;
}

TFolderF::TFolderF() {
    setObjectName(QStringLiteral("TFolderF"));
    setWindowTitle(QStringLiteral("Folder Definition"));

    Label2 = MakeLabel(this, "Folder Number:");
    MaskEdit1 = MakeMaskField(this, "MaskEdit1", QStringLiteral("!9999;1;_"), "00000");
    Label1 = MakeLabel(this, "Description:");
    Edit1 = MakeTextField(this, "Edit1");
    const ButtonRow row = AttachButtonRow(this);
    LayOutForm(this, FieldGrid({{Label2, MaskEdit1}, {Label1, Edit1}}), row);
    ChainTabOrder({MaskEdit1, Edit1, BtnSave, BtnDelete, BtnCancel, BitBtn1});

    CallOnShow(this, [this] { FormShow(); });
    connect(MaskEdit1, &MaskEdit::exited, this, &TFolderF::MaskEdit1Exit);
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
    if (rules::CheckWholeNumber(text, 4)) MaskEdit1->setText(QString::fromStdString(text));
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
        if (!rules::CheckWholeNumber(text, 4)) return;  // reported; nothing written
        const std::int32_t n = *rules::ToWholeNumber(text);
        out = records::SaveExistingFolder(FolderChoice, loadedNo_, n, Trimmed(MaskEdit1->text()),
                                          name);
    }
    CloseWithChoice(this, out.marked, out.step == records::FolderStep::Close, FolderChoice,
                    std::int32_t(out.choice));
}

void TFolderF::BtnDeleteClick() {
    const records::FolderOutcome out = records::DeleteFolder(FolderChoice, loadedNo_);
    CloseWithChoice(this, out.marked, out.step == records::FolderStep::Close, FolderChoice, 0);
}

void TFolderF::BtnCancelClick() {
    reject();
}

void TFolderF::BitBtn1Click() {
    rules::ShowFormHelp(kHelpContext);
}

}  // namespace cbk
