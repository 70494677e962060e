#include "maintenance/RunBooks.h"

#include "data/Database.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/Recovery.h"
#include "maintenance/Safeguards.h"
#include "platform/Platform.h"
#include "state/MainVars.h"

namespace maintenance {

std::string StartRun(const std::string& folder) {
    if (!cbk::DataFilesPresent(folder.empty() ? "." : folder))
        return std::string(kDataFilesMissing);
    cbk::StartDataStore(engine::posixFileSystem(), folder);
    cbk::FolderIndex = 0;
    cbk::DefaultFolder = -1;
    cbk::PackOnExit = false;
    cbk::FolderListStale = true;
    cbk::SetDefaultPeriod();
    return {};
}

std::string EndRun() {
    if (cbk::cb == nullptr) return {};
    engine::error4exitTest(cbk::cb);
    // The backups are left as the compression got them; it goes on at the next start.
    StopBackupCompression();
    const Safeguards guards = CurrentSafeguards();
    // Read-only books are left exactly as they were found: nothing was deleted from them, and
    // the run could not change them, so a backup would hold nothing new.
    const bool writable = !cbk::BooksReadOnly();
    if (cbk::PackOnExit && writable) PackDataFiles(guards.keepDeleted);
    std::string told;
    if (guards.autoBackup && writable) {
        const std::string why = MakeAutomaticBackup(AutoBackupFolder(), platform::clock().now());
        if (!why.empty()) told = std::string(kAutoBackupFailed) + why;
    }
    cbk::ShutDownDataStore(false);
    return told;
}

void CompressBackupsDuringRun() {
    if (cbk::cb != nullptr && !cbk::BooksReadOnly() && CurrentSafeguards().autoBackup)
        StartBackupCompression(AutoBackupFolder());
}

}  // namespace maintenance
