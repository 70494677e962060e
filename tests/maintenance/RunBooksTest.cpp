// A run's start and end on the books: what the start sets up or refuses, and the exit's pack,
// automatic backup and release.

#include "maintenance/RunBooks.h"

#include <cstdlib>
#include <cstring>
#include <optional>

#include "MaintenanceFixture.h"
#include "maintenance/AutoBackup.h"
#include "state/MainVars.h"

namespace cbk::testing {
namespace {

namespace fs = std::filesystem;

// An environment variable set for the length of a scope, then put back.
class EnvSet {
public:
    EnvSet(const char* name, const std::string& value) : name_(name) {
        if (const char* was = std::getenv(name)) was_ = was;
        ::setenv(name, value.c_str(), 1);
    }
    ~EnvSet() {
        if (was_)
            ::setenv(name_, was_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> was_;
};

std::uint32_t HeaderCount(const fs::path& table) {
    const std::string bytes = ReadFile(table);
    std::uint32_t count = 0;
    for (int i = 3; i >= 0; --i) count = count * 256 + static_cast<unsigned char>(bytes.at(4 + i));
    return count;
}

using RunBooks = MaintenanceTest;

TEST_F(RunBooks, StartRefusesWithoutEveryTableElseStartsTheStoreAndSetsTheRun) {
    ShutDownDataStore(false);
    const fs::path acci = fileIn("ACCI.dbf");
    fs::rename(acci, backupDir_ / "ACCI.dbf");
    EXPECT_EQ(maintenance::StartRun(), maintenance::kDataFilesMissing);
    EXPECT_EQ(cb, nullptr);
    fs::rename(backupDir_ / "ACCI.dbf", acci);

    DefaultFolder = 5;
    FolderIndex = 3;
    PackOnExit = true;
    FolderListStale = false;
    ReportFrom = ReportThrough = Ymd(2001, 6, 9);
    Settings = SettingsRec{};
    EXPECT_EQ(maintenance::StartRun(), "");
    EXPECT_NE(cb, nullptr);
    EXPECT_EQ(DefaultFolder, -1);
    EXPECT_EQ(FolderIndex, 0);
    EXPECT_FALSE(PackOnExit);
    EXPECT_TRUE(FolderListStale);
    EXPECT_EQ(ReportFrom, Ymd(2026, 3, 1));
    EXPECT_EQ(ReportThrough, Ymd(2026, 3, 31));
    EXPECT_GE(Settings.FyMonth, 1);  // the settings record was read
    EXPECT_EQ(SettingsTable, nullptr);
}

TEST_F(RunBooks, EndPacksAfterADeletionThenTellsWhyTheBackupFailedAndReleases) {
    const EnvSet config("XDG_CONFIG_HOME", (backupDir_ / "config").string());
    // A file where the backups' folder should be made: the backup cannot be made.
    WriteFile(backupDir_ / "data", "in the way");
    const EnvSet data("XDG_DATA_HOME", (backupDir_ / "data").string());
    OpenExpenses();
    ASSERT_EQ(engine::d4top(Expenses), 0);
    ASSERT_EQ(engine::d4delete(Expenses), 0);
    CloseAllTables();
    const std::uint32_t before = HeaderCount(fileIn("EXP5.dbf"));

    PackOnExit = true;
    const std::string told = maintenance::EndRun();
    const std::string_view failed = maintenance::kAutoBackupFailed;
    EXPECT_EQ(told.substr(0, failed.size()), failed);
    EXPECT_GT(told.size(), failed.size());
    EXPECT_EQ(cb, nullptr);
    EXPECT_EQ(HeaderCount(fileIn("EXP5.dbf")), before - 1);
    EXPECT_EQ(maintenance::EndRun(), "");  // nothing started, nothing done
}

}  // namespace
}  // namespace cbk::testing
