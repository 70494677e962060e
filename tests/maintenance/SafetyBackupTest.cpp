// The backup a restore takes of the books first: the report of what came back and where the
// books as they were are kept, the undo from that folder, and a backup that cannot be made.

#include "maintenance/SafetyBackup.h"

#include <cerrno>

#include "MaintenanceFixture.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/CopyData.h"
#include "maintenance/Safeguards.h"

namespace cbk::testing {
namespace {

namespace fs = std::filesystem;

class SafetyBackup : public MaintenanceTest {
protected:
    void SetUp() override {
        MaintenanceTest::SetUp();
        if (HasFatalFailure()) return;
        config_.emplace("XDG_CONFIG_HOME", (fs::path(dir_->path()) / "config").string());
        data_.emplace("XDG_DATA_HOME", (fs::path(dir_->path()) / "data").string());
        EmptyRecordTables();
        OpenExpenses();
        OpenIncome();
        AddExpense(Ymd(2026, 1, 5), 100, 12.5);
        AddExpense(Ymd(2026, 1, 6), 100, 7.25);
        AddIncome(Ymd(2026, 1, 7), 300);
        CloseAllTables();
        EXPECT_TRUE(maintenance::CopyDataFiles(true, backupDir_.string(), false));
        // Added since the backup: a restore must not lose it for good.
        OpenIncome();
        AddIncome(Ymd(2026, 2, 1), 45);
        CloseAllTables();
        liveIncome_ = ReadFile(fileIn("INC5.dbf"));
    }

    std::string Report() {
        return "Restored from " + backupDir_.string() +
               "/: ACC, ACCI, FOLDER, EXP5, INC5.\r\n2 expenses, 1 income record, " +
               std::to_string(RecordsIn("ACC")) + " expense accounts, " +
               std::to_string(RecordsIn("ACCI")) + " income accounts, " +
               std::to_string(RecordsIn("FOLDER")) + " folders.";
    }

    std::optional<EnvSet> config_, data_;
    std::string liveIncome_;
};

TEST_F(SafetyBackup, RestoreKeepsTheBooksAsTheyWereAndSaysWhere) {
    const std::vector<std::string> told = maintenance::CopyCommand(false, backupDir_.string());
    const auto kept = maintenance::AutomaticBackups(maintenance::AutoBackupFolder());
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(told, std::vector<std::string>{Report() + "\r\n" +
                                             std::string(maintenance::kPreviousStateKept) +
                                             kept[0].path + "."});
    EXPECT_EQ(RecordsIn("INC5"), 1);
    // Undone from the restore chooser's folder: the income added since is back.
    ASSERT_TRUE(maintenance::CopyDataFiles(false, kept[0].path, false));
    EXPECT_EQ(ReadFile(fileIn("INC5.dbf")), liveIncome_);
}

// The oldest of ten automatic backups is still there for the restore that chose it.
TEST_F(SafetyBackup, RestoreFromTheOldestAutomaticBackupFindsItThere) {
    const std::string root = maintenance::AutoBackupFolder();
    std::string folder, oldest;
    for (int s = 0; s < maintenance::kKeepLatest; ++s) {
        ASSERT_EQ(maintenance::MakeBackupNow(root, {Ymd(2026, 3, 5).day, std::chrono::seconds(s)},
                                             folder),
                  "");
        if (s == 0) oldest = folder;
    }
    const std::vector<std::string> told = maintenance::CopyCommand(false, oldest);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].substr(0, 14), "Restored from ") << told[0];
    EXPECT_EQ(ReadFile(fileIn("INC5.dbf")), ReadFile(fs::path(oldest) / "INC5.bak"));
}

// A safety backup that cannot be made is told with the question, No by default: No restores
// nothing, Yes restores without the sentence. Turned off, none is taken and nothing is asked.
TEST_F(SafetyBackup, FailedBackupAsksBeforeGoingOnAndTurnedOffTakesNone) {
    faulty_.onlyPaths(".bak.cbk-copy");
    faulty_.failNth(engine::FsOp::Write, 1, ENOSPC, true);
    StartDataStore(faulty_);
    const platform::RecordedMessage question{
        platform::MessageKind::Warning,
        std::string(maintenance::kSafetyBackupFailed) +
            "CBK1.dbf: the disk is full\r\nGo on without a backup?",
        platform::Buttons::YesNo, platform::DefaultButton::Negative};
    platform_->messages.answer(platform::Answer::No);
    EXPECT_TRUE(maintenance::CopyCommand(false, backupDir_.string()).empty());
    EXPECT_EQ(platform_->messages.shown, std::vector<platform::RecordedMessage>{question});
    EXPECT_EQ(ReadFile(fileIn("INC5.dbf")), liveIncome_);

    platform_->messages.clear();
    platform_->messages.answer(platform::Answer::Yes);
    EXPECT_EQ(maintenance::CopyCommand(false, backupDir_.string()),
              std::vector<std::string>{Report()});
    EXPECT_EQ(platform_->messages.shown, std::vector<platform::RecordedMessage>{question});
    StartDataStore();

    ASSERT_TRUE(maintenance::WriteSafeguards(maintenance::SafeguardsFile(), {true, false}));
    platform_->messages.clear();
    EXPECT_EQ(maintenance::CopyCommand(false, backupDir_.string()),
              std::vector<std::string>{Report()});
    EXPECT_TRUE(platform_->messages.shown.empty());
    EXPECT_TRUE(maintenance::AutomaticBackups(maintenance::AutoBackupFolder()).empty());
}

}  // namespace
}  // namespace cbk::testing
