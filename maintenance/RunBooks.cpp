#include "maintenance/RunBooks.h"

#include "data/Database.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/Recovery.h"
#include "maintenance/Safeguards.h"
#include "platform/Platform.h"
#include "state/MainVars.h"

namespace maintenance {

std::string StartRun() {
    if (!cbk::DataFilesPresent()) return std::string(kDataFilesMissing);
    cbk::StartDataStore();
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
    const Safeguards guards = CurrentSafeguards();
    if (cbk::PackOnExit) PackDataFiles(guards.keepDeleted);
    std::string told;
    if (guards.autoBackup) {
        const std::string why = MakeAutomaticBackup(AutoBackupFolder(), platform::clock().now());
        if (!why.empty()) told = std::string(kAutoBackupFailed) + why;
    }
    cbk::ShutDownDataStore(false);
    return told;
}

}  // namespace maintenance
