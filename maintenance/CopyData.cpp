#include "maintenance/CopyData.h"

#include <algorithm>
#include <array>

#include "data/Database.h"
#include "data/FileCopy.h"
#include "data/TableCatalogue.h"
#include "data/TableCheck.h"
#include "platform/Platform.h"
#include "state/MainVars.h"

namespace maintenance {

namespace {

// The progress box after each table, in copy order (ACC, ACCI, FOLDER, EXP5, INC5).
constexpr std::array<int, 5> kCopyProgress = {30, 40, 50, 90, 100};

std::string BackupName(std::string_view table) {
    return std::string(table) + ".bak";
}

bool BackupPresent(const std::string& directory, std::string_view table) {
    return engine::fileExists(cbk::DataFileSystem(), directory, BackupName(table));
}

bool Ask(const std::string& question) {
    return platform::Confirmed(platform::MessageKind::Information, question,
                               platform::Buttons::OKCancel);
}

// The backup file of `table` when it is there and a table of its kind. A missing one is
// asked for on a removable medium (until it comes or the user cancels) and reported elsewhere;
// `why` gets what the user is to be told.
bool BackupReady(const std::string& directory, std::string_view table, bool removable,
                 std::string& why) {
    while (!BackupPresent(directory, table)) {
        if (!removable) {
            why = std::string(kUnableToFind) + directory + BackupName(table) + "\r\n" +
                  std::string(kFunctionAborted);
            return false;
        }
        if (!Ask(std::string(kInsertDisk) + BackupName(table))) return false;
    }
    why = WhyBackupUnfit(engine::resolvePath(cbk::DataFileSystem(), directory, BackupName(table)),
                         table);
    return why.empty();
}

// Each table is copied beside its live file as its backup file is found (a set on several
// disks is read disk by disk); the live tables change only when all five are read and checked.
bool Restore(const std::string& directory, const std::vector<const cbk::TableSpec*>& tables,
             bool removable, std::string& why) {
    // What can be seen now is checked before any copying: a set that lacks a file or holds an
    // unfit one stops here at once.
    for (const cbk::TableSpec* spec : tables) {
        if (BackupPresent(directory, spec->name)) {
            if (!BackupReady(directory, spec->name, removable, why)) return false;
        } else if (!removable) {
            return BackupReady(directory, spec->name, removable, why);
        }
    }
    std::vector<cbk::FileToCopy> files;
    for (const cbk::TableSpec* spec : tables)
        files.push_back({directory + BackupName(spec->name), std::string(spec->name) + ".dbf"});
    const cbk::SetCopyOutcome outcome = cbk::CopyFileSet(
        cbk::DataFileSystem(), files,
        [&](std::size_t i) {
            // Checked again: a file on a disk inserted since the first look has not been seen.
            return BackupReady(directory, tables[i]->name, removable, why);
        },
        [](std::size_t i) { platform::progress().SetProgress(kCopyProgress[i]); });
    return outcome.result == platform::CopyResult::Ok;
}

// The five tables written beside the old backup files and put in their place together. A
// removable medium that is full or write-protected is asked to be changed, and the whole set
// goes onto the disk then in the drive; elsewhere a full medium keeps the old set and says so.
bool Backup(const std::string& directory, const std::vector<const cbk::TableSpec*>& tables,
            bool removable, std::string& why) {
    std::vector<cbk::FileToCopy> files;
    for (const cbk::TableSpec* spec : tables)
        files.push_back({std::string(spec->name) + ".dbf", directory + BackupName(spec->name)});
    for (;;) {
        const cbk::SetCopyOutcome outcome = cbk::CopyFileSet(
            cbk::DataFileSystem(), files, {},
            [](std::size_t i) { platform::progress().SetProgress(kCopyProgress[i]); });
        if (outcome.result == platform::CopyResult::Ok) return true;
        const std::string failed = BackupName(tables[outcome.failedAt]->name);
        if (!removable) {
            if (outcome.result == platform::CopyResult::DiskFull)
                why = std::string(kNoRoomForSet) + directory + "\r\n" + std::string(kOldSetKept);
            return false;
        }
        if (outcome.result == platform::CopyResult::DiskFull) {
            if (!Ask(std::string(kDiskFull) + failed)) return false;
        } else if (outcome.result == platform::CopyResult::WriteProtected) {
            if (!Ask(std::string(kWriteProtected))) return false;
        } else {
            return false;
        }
        platform::progress().SetProgress(10);
    }
}

}  // namespace

std::string CopyDirectory(std::string_view chosen) {
    const auto first = chosen.find_first_not_of(' ');
    if (first == std::string_view::npos) return "/";
    const auto last = chosen.find_last_not_of(' ');
    std::string dir(chosen.substr(first, last - first + 1));
    if (dir.back() != '/') dir += '/';
    return dir;
}

bool OnRemovableMedium(std::string_view dir) {
    for (std::string_view root : {"/media", "/run/media", "/mnt"}) {
        if (dir.size() >= root.size() && dir.substr(0, root.size()) == root &&
            (dir.size() == root.size() || dir[root.size()] == '/'))
            return true;
    }
    return false;
}

std::string WhyBackupUnfit(const std::string& path, std::string_view table) {
    std::string why;
    if (cbk::CheckTableLayout(path, cbk::FieldsNeeded(table), &why)) return {};
    return why + "\r\n" + std::string(kFunctionAborted);
}

CopyOutcome CopyDataFiles(bool backup, std::string_view directory, bool removable) {
    const std::string dir = CopyDirectory(directory);
    platform::progress().ShowProgress(true, std::string(kCopyingDataFiles));
    platform::progress().SetProgress(10);
    const std::vector<const cbk::TableSpec*> tables = cbk::IndexedTables();
    CopyOutcome outcome;
    outcome.copied = backup ? Backup(dir, tables, removable, outcome.why)
                            : Restore(dir, tables, removable, outcome.why);
    return outcome;
}

std::vector<std::string> CopyCommand(bool backup, const std::string& directory) {
    CopyOutcome outcome;
    {
        platform::ProgressShown copying;  // the copy leaves its box up
        outcome = CopyDataFiles(backup, directory, OnRemovableMedium(directory));
    }
    std::vector<std::string> told;
    if (!outcome.why.empty()) told.push_back(outcome.why);
    if (!outcome) told.emplace_back(backup ? kBackupFailed : kRestoreFailed);
    return told;
}

void FinishRestore() {
    cbk::BuildIndexes(false);
    cbk::FolderListStale = true;
}

}  // namespace maintenance
