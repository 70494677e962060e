// The end of a run on the books: an automatic backup that fails is told, and the exit goes on.

#include "maintenance/RunBooks.h"

#include "MaintenanceFixture.h"
#include "maintenance/AutoBackup.h"
#include "state/MainVars.h"

namespace cbk::testing {
namespace {

namespace fs = std::filesystem;

using RunBooks = MaintenanceTest;

TEST_F(RunBooks, EndTellsWhyTheAutomaticBackupFailedAndStillReleasesTheEngine) {
    const EnvSet config("XDG_CONFIG_HOME", (backupDir_ / "config").string());
    // A file where the backups' folder should be made: the backup cannot be made.
    WriteFile(backupDir_ / "data", "in the way");
    const EnvSet data("XDG_DATA_HOME", (backupDir_ / "data").string());
    const std::string told = maintenance::EndRun();
    const std::string_view failed = maintenance::kAutoBackupFailed;
    EXPECT_EQ(told.substr(0, failed.size()), failed);
    EXPECT_GT(told.size(), failed.size());
    EXPECT_EQ(cb, nullptr);
    EXPECT_EQ(maintenance::EndRun(), "");  // nothing started, nothing done
}

// Read-only books: nothing was changed in the run, so nothing is packed or backed up at its end.
TEST_F(RunBooks, ReadOnlyBooksAreNeitherPackedNorBackedUpAtTheEnd) {
    const EnvSet config("XDG_CONFIG_HOME", (backupDir_ / "config").string());
    const EnvSet data("XDG_DATA_HOME", (backupDir_ / "data").string());
    SetReadOnlyBooks(dir_->path());
    PackOnExit = true;
    EXPECT_EQ(maintenance::EndRun(), "");
    SetReadOnlyBooks("");
    EXPECT_FALSE(fs::exists(backupDir_ / "data"));
    EXPECT_EQ(cb, nullptr);
}

}  // namespace
}  // namespace cbk::testing
