#pragma once

// TDriveDir: the drive and directory chooser of backup, restore, upgrade and payment import.
// The caller sets the title, the action button's caption and, if it likes, a directory to
// start in; shows the form modally; and reads ChosenDirectory (empty: cancelled). The working
// directory is the same after the form as before it, whichever button closed it.

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "maintenance/AutoBackup.h"
#include "maintenance/Drives.h"
#include "platform/Platform.h"

class QComboBox;
class QLabel;
class QFileSystemModel;
class QListWidget;
class QPushButton;
class QTreeView;

namespace cbk {

class TDriveDir : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TDriveDir();
    std::string formName() const override { return "TDriveDir"; }
    int execModal() override { return exec(); }

    // Set before each showing: the form's title, the caption of BtnOK and a directory to
    // select when the form opens (empty: the working directory).
    // Restore also offers the automatic backups (newest first), listed above the drives: one
    // chosen there is the chosen directory.
    void Setup(const std::string& title, const std::string& action,
               const std::string& preselected = {},
               std::vector<maintenance::AutomaticBackup> offered = {});
    // The directory the form opens on, as Setup was given it; empty: the working directory.
    std::string Preselected;
    // The directory chosen when the form closed; empty when the user cancelled.
    std::string ChosenDirectory;
    std::string ActionCaption;
    std::vector<maintenance::AutomaticBackup> Offered;
    // The drives offered: the system's root, home and removable media unless replaced.
    std::function<std::vector<maintenance::Drive>()> DriveLister;

    // The directory selected in the tree.
    const std::string& Directory() const { return directory_; }
    // Selects `dir` in the tree of the drive showing (false when it is not there).
    bool SelectDirectory(const std::string& dir);

    QComboBox* DriveComboBox1 = nullptr;
    QTreeView* DirectoryListBox1 = nullptr;
    QListWidget* FileListBox1 = nullptr;
    QLabel* BackupLabel = nullptr;
    QListWidget* BackupList = nullptr;  // the automatic backups offered
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;

public slots:
    void FormShow();
    void FormActivate();
    void DriveComboBox1Change(int index);
    void BtnOKClick();
    void BtnCancelClick();
    void BackupListClick(int row);

protected:
    void reject() override;

private:
    bool ShowDrive(int index);
    void ShowFiles();

    QFileSystemModel* model_ = nullptr;
    std::vector<maintenance::Drive> drives_;
    std::string startDir_;  // the books' folder, where the chooser starts unless preselected
    int activeDrive_ = 0;   // the drive showing when the form was activated
    std::string directory_;
};

}  // namespace cbk
