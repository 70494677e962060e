#include "maintenance/forms/DriveDirU.h"

#include <QComboBox>
#include <QDir>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStorageInfo>
#include <QTreeView>

#include "data/Books.h"
#include "widgets/FieldParts.h"

namespace cbk {

namespace {

std::vector<maintenance::Drive> SystemDrives() {
    std::vector<std::string> mounts;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes())
        if (volume.isValid() && volume.isReady()) mounts.push_back(volume.rootPath().toStdString());
    return maintenance::DrivesOf(mounts, QDir::homePath().toStdString());
}

}  // namespace

TDriveDir::TDriveDir() : DriveLister(SystemDrives) {
    setObjectName(QStringLiteral("TDriveDir"));
    setWindowTitle(QStringLiteral("Choose Drive & Directory"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);

    DriveComboBox1 = new QComboBox(this);
    DriveComboBox1->setObjectName(QStringLiteral("DriveComboBox1"));
    model_ = new QFileSystemModel(this);
    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Drives);
    model_->setReadOnly(true);
    DirectoryListBox1 = new QTreeView(this);
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setModel(model_);
    DirectoryListBox1->setHeaderHidden(true);
    for (int column = 1; column < model_->columnCount(); ++column)
        DirectoryListBox1->hideColumn(column);
    FileListBox1 = new QListWidget(this);
    FileListBox1->setObjectName(QStringLiteral("FileListBox1"));
    FileListBox1->setEnabled(false);  // for display only
    BackupLabel = MakeLabel(this, "Automatic backups:");
    BackupList = new QListWidget(this);
    BackupList->setObjectName(QStringLiteral("BackupList"));
    BackupList->setMaximumHeight(96);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* grid = new QGridLayout(this);
    grid->addWidget(BackupLabel, 0, 0);
    grid->addWidget(BackupList, 1, 0);
    grid->addWidget(MakeLabel(this, "Drive:"), 2, 0);
    grid->addWidget(DriveComboBox1, 3, 0);
    grid->addWidget(DirectoryListBox1, 4, 0);
    grid->addWidget(MakeLabel(this, "Files:"), 0, 1);
    grid->addWidget(FileListBox1, 1, 1, 4, 1);
    grid->addLayout(buttons, 5, 0, 1, 2);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    setMinimumSize(427, 212);
    resize(560, 340);

    CallOnShow(this, [this] { FormShow(); });
    connect(DriveComboBox1, &QComboBox::activated, this, &TDriveDir::DriveComboBox1Change);
    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
                if (!current.isValid()) return;
                directory_ = model_->filePath(current).toStdString();
                ShowFiles();
            });
    connect(BackupList, &QListWidget::currentRowChanged, this, &TDriveDir::BackupListClick);
    connect(BtnOK, &QPushButton::clicked, this, &TDriveDir::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &TDriveDir::BtnCancelClick);
}

void TDriveDir::Setup(const std::string& title, const std::string& action,
                      const std::string& preselected,
                      std::vector<maintenance::AutomaticBackup> offered) {
    setWindowTitle(QString::fromStdString(title));
    ActionCaption = action;
    BtnOK->setText(QString::fromStdString(action));
    Preselected = preselected;
    Offered = std::move(offered);
    ChosenDirectory.clear();
}

void TDriveDir::FormShow() {
    startDir_ = cbk::BooksFolder();
    ChosenDirectory.clear();
    drives_ = DriveLister();
    DriveComboBox1->clear();
    for (const maintenance::Drive& drive : drives_)
        DriveComboBox1->addItem(QString::fromStdString(drive.name),
                                QString::fromStdString(drive.root));
    const std::string start = Preselected.empty() ? startDir_ : Preselected;
    int drive = maintenance::DriveOf(drives_, start);
    if (drive < 0 || !ShowDrive(drive)) {
        drive = 0;
        ShowDrive(drive);
    } else {
        SelectDirectory(start);
    }
    DriveComboBox1->setCurrentIndex(drive);
    BackupList->blockSignals(true);
    BackupList->clear();
    for (const maintenance::AutomaticBackup& backup : Offered)
        BackupList->addItem(QString::fromStdString(backup.label));
    BackupList->blockSignals(false);
    BackupLabel->setVisible(!Offered.empty());
    BackupList->setVisible(!Offered.empty());
    FormActivate();
    DirectoryListBox1->setFocus();
}

void TDriveDir::FormActivate() {
    activeDrive_ = DriveComboBox1->currentIndex();
}

bool TDriveDir::ShowDrive(int index) {
    if (index < 0 || std::size_t(index) >= drives_.size()) return false;
    const QString root = QString::fromStdString(drives_[std::size_t(index)].root);
    const QDir dir(root);
    // A medium that is gone or not ready cannot be listed.
    if (!dir.exists() || !dir.isReadable()) return false;
    model_->setRootPath(root);
    DirectoryListBox1->setRootIndex(model_->index(root));
    DirectoryListBox1->clearSelection();
    directory_ = drives_[std::size_t(index)].root;
    ShowFiles();
    return true;
}

bool TDriveDir::SelectDirectory(const std::string& dir) {
    const QModelIndex index = model_->index(QString::fromStdString(dir));
    if (!index.isValid() || !QDir(QString::fromStdString(dir)).exists()) return false;
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
    directory_ = dir;
    ShowFiles();
    return true;
}

void TDriveDir::ShowFiles() {
    FileListBox1->clear();
    const QDir dir(QString::fromStdString(directory_));
    FileListBox1->addItems(dir.entryList(QDir::Files, QDir::Name | QDir::IgnoreCase));
}

void TDriveDir::DriveComboBox1Change(int index) {
    if (ShowDrive(index)) return;
    const std::string name = DriveComboBox1->itemText(index).toStdString();
    platform::messages().show(platform::MessageKind::Information,
                              "Unable to read from drive " + name, platform::Buttons::OK);
    DriveComboBox1->setCurrentIndex(activeDrive_);
    ShowDrive(activeDrive_);
}

void TDriveDir::BackupListClick(int row) {
    if (row < 0 || std::size_t(row) >= Offered.size()) return;
    directory_ = Offered[std::size_t(row)].path;
    DirectoryListBox1->clearSelection();
    ShowFiles();
}

void TDriveDir::BtnOKClick() {
    ChosenDirectory = directory_;
    accept();
}

void TDriveDir::BtnCancelClick() {
    reject();
}

// Cancel, Escape and the window's close all choose nothing.
void TDriveDir::reject() {
    ChosenDirectory.clear();
    QDialog::reject();
}

}  // namespace cbk
