#include "maintenance/CopyData.h"

#include <algorithm>
#include <cerrno>

#include "data/Database.h"
#include "data/FileCopy.h"
#include "data/TableCatalogue.h"
#include "data/TableCheck.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/CommandReports.h"
#include "maintenance/SafetyBackup.h"
#include "platform/Platform.h"
#include "state/MainVars.h"

namespace maintenance {

namespace {

std::string BackupName(std::string_view table) {
    return std::string(table) + ".bak";
}

std::string CompressedName(std::string_view table) {
    return BackupName(table) + std::string(cbk::kCompressedSuffix);
}

// Whether the restore reads `table` compressed: an automatic backup's tables are, once the
// run after it got to them. A plain file beside a compressed one (a compression cut short, or
// a Backup into that folder) is whole and is read instead.
bool Compressed(const std::string& directory, std::string_view table) {
    engine::FileSystem& fs = cbk::DataFileSystem();
    return !engine::fileExists(fs, directory, BackupName(table)) &&
           engine::fileExists(fs, directory, CompressedName(table));
}

// The backup file of `table` the restore reads.
std::string RestoredName(const std::string& directory, std::string_view table) {
    return Compressed(directory, table) ? CompressedName(table) : BackupName(table);
}

bool BackupPresent(const std::string& directory, std::string_view table) {
    return engine::fileExists(cbk::DataFileSystem(), directory, RestoredName(directory, table));
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
    why = WhyBackupUnfit(
        engine::resolvePath(cbk::DataFileSystem(), directory, RestoredName(directory, table)),
        table);
    return why.empty();
}

// Shows the progress box of the table copied, when it moves it.
void Copied(const cbk::TableSpec& spec) {
    if (spec.policy.copyProgress > 0) platform::progress().SetProgress(spec.policy.copyProgress);
}

// Removes `name` from `dir` when it is there. A side table that is gone must not come back
// from an older file in its place.
void RemoveIfThere(const std::string& dir, const std::string& name) {
    engine::FileSystem& fs = cbk::DataFileSystem();
    if (engine::fileExists(fs, dir, name)) fs.remove(engine::resolvePath(fs, dir, name));
}

// Each table is copied beside its live file as its backup file is found (a set on several
// disks is read disk by disk); the live tables change only when all are read and checked. A
// side table comes back when the backup holds it (seen before the copy starts); when it does
// not, the live one is kept or removed as the catalogue says.
bool Restore(const std::string& directory, const std::vector<const cbk::TableSpec*>& copied,
             bool removable, CopyOutcome& out) {
    std::string& why = out.why;
    std::vector<const cbk::TableSpec*> tables;
    // What can be seen now is checked before any copying: a set that lacks a file or holds an
    // unfit one stops here at once.
    for (const cbk::TableSpec* spec : copied) {
        if (BackupPresent(directory, spec->name)) {
            if (!BackupReady(directory, spec->name, removable, why)) return false;
        } else if (spec->policy.sideTable) {
            continue;
        } else if (!removable) {
            return BackupReady(directory, spec->name, removable, why);
        }
        tables.push_back(spec);
    }
    std::vector<cbk::FileToCopy> files;
    for (const cbk::TableSpec* spec : tables)
        files.push_back({directory + RestoredName(directory, spec->name),
                         std::string(spec->name) + ".dbf", Compressed(directory, spec->name)});
    const cbk::SetCopyOutcome outcome = cbk::CopyFileSet(
        cbk::DataFileSystem(), files,
        [&](std::size_t i) {
            // Checked again: a file on a disk inserted since the first look has not been seen.
            return BackupReady(directory, tables[i]->name, removable, why);
        },
        [&](std::size_t i) { Copied(*tables[i]); });
    if (outcome.error == EBADMSG && outcome.failedAt < files.size() &&
        files[outcome.failedAt].compressed)
        why = RestoredName(directory, tables[outcome.failedAt]->name) +
              std::string(cbk::kDamagedFile) + "\r\n" + std::string(kFunctionAborted);
    if (outcome.result != platform::CopyResult::Ok) return false;
    for (const cbk::TableSpec* spec : copied)
        if (std::find(tables.begin(), tables.end(), spec) == tables.end() &&
            spec->policy.backupLacks == cbk::WhenBackupLacks::Clear)
            RemoveIfThere(".", std::string(spec->name) + ".dbf");
    for (const cbk::TableSpec* spec : tables) out.tables.emplace_back(spec->name);
    return true;
}

// The tables written beside the old backup files and put in their place together (the side
// tables the books have; an older backup file of one they no longer have is removed). A
// removable medium that is full or write-protected is asked to be changed, and the whole set
// goes onto the disk then in the drive; elsewhere a full medium keeps the old set and says so.
bool Backup(const std::string& directory, const std::vector<const cbk::TableSpec*>& copied,
            bool removable, CopyOutcome& out) {
    std::vector<const cbk::TableSpec*> tables;
    for (const cbk::TableSpec* spec : copied)
        if (!spec->policy.sideTable ||
            engine::fileExists(cbk::DataFileSystem(), ".", std::string(spec->name) + ".dbf"))
            tables.push_back(spec);
    std::vector<cbk::FileToCopy> files;
    for (const cbk::TableSpec* spec : tables)
        files.push_back({std::string(spec->name) + ".dbf", directory + BackupName(spec->name)});
    for (;;) {
        const cbk::SetCopyOutcome outcome = cbk::CopyFileSet(
            cbk::DataFileSystem(), files, {}, [&](std::size_t i) { Copied(*tables[i]); });
        if (outcome.result == platform::CopyResult::Ok) break;
        const std::string failed = BackupName(tables[outcome.failedAt]->name);
        if (!removable) {
            if (outcome.result == platform::CopyResult::DiskFull)
                out.why =
                    std::string(kNoRoomForSet) + directory + "\r\n" + std::string(kOldSetKept);
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
    for (const cbk::TableSpec* spec : copied)
        if (std::find(tables.begin(), tables.end(), spec) == tables.end())
            RemoveIfThere(directory, BackupName(spec->name));
    for (const cbk::TableSpec* spec : tables) out.tables.emplace_back(spec->name);
    return true;
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
    const BackupCompressionPaused paused;  // a restore may read an automatic backup
    const std::string dir = CopyDirectory(directory);
    platform::progress().ShowProgress(true, std::string(kCopyingDataFiles));
    platform::progress().SetProgress(10);
    const std::vector<const cbk::TableSpec*> tables = cbk::CopiedTables();
    CopyOutcome outcome;
    outcome.copied =
        backup ? Backup(dir, tables, removable, outcome) : Restore(dir, tables, removable, outcome);
    return outcome;
}

std::vector<std::string> CopyCommand(bool backup, const std::string& directory) {
    SafetyBackup safety;
    if (!backup && !safety()) return {};
    CopyOutcome outcome;
    {
        platform::ProgressShown copying;  // the copy leaves its box up
        outcome = CopyDataFiles(backup, directory, OnRemovableMedium(directory));
    }
    std::vector<std::string> told;
    if (!outcome.why.empty()) told.push_back(outcome.why);
    if (!outcome) told.emplace_back(backup ? kBackupFailed : kRestoreFailed);
    if (outcome && !backup)
        told.push_back(RestoreReport(CopyDirectory(directory), outcome.tables) +
                       (safety.folder().empty() ? "" : "\r\n" + safety.KeptSentence()));
    return told;
}

void FinishRestore() {
    cbk::BuildIndexes(false);
    cbk::FolderListStale = true;
}

}  // namespace maintenance
