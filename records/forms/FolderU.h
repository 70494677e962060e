#pragma once

// TFolderF: the folder edit form of the folder loop (help context 570). Adds folders in a
// run, renames a folder, gives it another number or merges it into another folder, or
// deletes it with all its income and expenses. The table work is in records/FolderOps.h.

#include <QDialog>
#include <cstdint>
#include <string>

#include "platform/Platform.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace cbk {

class MaskEdit;

class TFolderF : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TFolderF();
    std::string formName() const override { return "TFolderF"; }
    int execModal() override { return exec(); }

    QLabel* Label2 = nullptr;  // "Folder Number:"
    MaskEdit* MaskEdit1 = nullptr;
    QLabel* Label1 = nullptr;  // "Description:"
    QLineEdit* Edit1 = nullptr;
    QPushButton* BtnSave = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;

public slots:
    void FormShow();
    void BtnSaveClick();
    void BtnDeleteClick();
    void BtnCancelClick();
    void MaskEdit1Exit();
    void BitBtn1Click();

private:
    std::int32_t loadedNo_ = 0;  // the folder's number when the form was shown
};

}  // namespace cbk
