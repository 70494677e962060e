#include "maintenance/CopyData.h"

#include <algorithm>
#include <array>

#include "data/Database.h"
#include "data/FileCopy.h"
#include "data/TableCatalogue.h"
#include "data/TableCheck.h"
#include "platform/Platform.h"

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

void Inform(const std::string& text) {
    platform::messages().show(platform::MessageKind::Information, text, platform::Buttons::OK);
}

bool Restore(const std::string& directory, std::string_view table, bool removable) {
    const std::string source = directory + BackupName(table);
    while (!BackupPresent(directory, table)) {
        if (!removable) {
            Inform(std::string(kUnableToFind) + source + "\r\n" + std::string(kFunctionAborted));
            return false;
        }
        if (!Ask(std::string(kInsertDisk) + BackupName(table))) return false;
    }
    // Checked again here: a file on a disk inserted after the first check has not been seen.
    const std::string found =
        engine::resolvePath(cbk::DataFileSystem(), directory, BackupName(table));
    if (!BackupFits(found, table)) return false;
    return cbk::CopyDataFile(cbk::DataFileSystem(), found, std::string(table) + ".dbf") ==
           platform::CopyResult::Ok;
}

bool Backup(const std::string& directory, std::string_view table, bool removable) {
    const std::string target = directory + BackupName(table);
    for (;;) {
        const platform::CopyResult result =
            cbk::CopyDataFile(cbk::DataFileSystem(), std::string(table) + ".dbf", target);
        if (result == platform::CopyResult::Ok) return true;
        // Only a medium that can be changed is worth asking for again.
        if (!removable) return false;
        if (result == platform::CopyResult::DiskFull) {
            if (!Ask(std::string(kDiskFull) + BackupName(table))) return false;
        } else if (result == platform::CopyResult::WriteProtected) {
            if (!Ask(std::string(kWriteProtected))) return false;
        } else {
            return false;
        }
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

bool BackupFits(const std::string& path, std::string_view table) {
    std::string why;
    if (cbk::CheckTableLayout(path, cbk::FieldsNeeded(table), &why)) return true;
    Inform(why + "\r\n" + std::string(kFunctionAborted));
    return false;
}

bool CopyDataFile(bool backup, const std::string& directory, std::string_view table,
                  bool removable) {
    return backup ? Backup(directory, table, removable) : Restore(directory, table, removable);
}

bool CopyDataFiles(bool backup, std::string_view directory, bool removable) {
    const std::string dir = CopyDirectory(directory);
    platform::progress().ShowProgress(true, std::string(kCopyingDataFiles));
    platform::progress().SetProgress(10);
    const std::vector<const cbk::TableSpec*> tables = cbk::IndexedTables();
    // A backup file that is no table of its kind would replace a live table with something the
    // program cannot read: every one present is looked at before the first live file changes.
    if (!backup) {
        for (const cbk::TableSpec* spec : tables) {
            if (!BackupPresent(dir, spec->name)) continue;
            if (!BackupFits(engine::resolvePath(cbk::DataFileSystem(), dir, BackupName(spec->name)),
                            spec->name))
                return false;
        }
    }
    for (std::size_t i = 0; i < tables.size() && i < kCopyProgress.size(); ++i) {
        if (!CopyDataFile(backup, dir, tables[i]->name, removable)) return false;
        platform::progress().SetProgress(kCopyProgress[i]);
    }
    return true;
}

}  // namespace maintenance
