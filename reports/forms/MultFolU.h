#pragma once

// TMultFol: the choice of the folders a report covers. Every live folder is a line of the
// list; single clicks select and deselect lines, "All" selects them all, "Run" hands the
// selected folders to the report (reports::SelectedFolders) and "Cancel" leaves it empty.

#include <QDialog>
#include <string>

#include "platform/Platform.h"

class QListWidget;
class QPushButton;

namespace cbk {

class TMultFol : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TMultFol();
    std::string formName() const override { return "TMultFol"; }
    int execModal() override { return exec(); }

    QListWidget* ListBox1 = nullptr;
    QPushButton* BtnRun = nullptr;
    QPushButton* BtnAll = nullptr;
    QPushButton* BtnCancel = nullptr;

public slots:
    // Fills the list from FOLDER (open) and empties the selection.
    void FormShow();
    void BtnRunClick();
    void BtnAllClick();
    void BtnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace cbk
