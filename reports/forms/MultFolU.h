#pragma once

// TMultFol: the choice of the folders a report covers. Every live folder is a line of the
// list; single clicks select and deselect lines, "All" selects them all, "Run" takes the
// selected folders and "Cancel" leaves the choice empty.

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

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

    // Shows the dialog modally; the folders chosen, in list order, none when cancelled.
    std::vector<std::int32_t> Choose();

    // The folders of the latest Run; emptied as the dialog shows and by Cancel.
    std::vector<std::int32_t> Chosen;

    QListWidget* ListBox1 = nullptr;
    QPushButton* BtnRun = nullptr;
    QPushButton* BtnAll = nullptr;
    QPushButton* BtnCancel = nullptr;

public slots:
    // Fills the list from FOLDER (open) and empties the choice.
    void FormShow();
    void BtnRunClick();
    void BtnAllClick();
    void BtnCancelClick();

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace cbk
