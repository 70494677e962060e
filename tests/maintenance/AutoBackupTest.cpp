// Automatic backups: the folder, its name, the rotation and the one-a-minute rule on a pinned
// clock, what a full disk leaves; and the safeguard switches' file.

#include "maintenance/AutoBackup.h"

#include <cerrno>
#include <set>

#include "MaintenanceFixture.h"
#include "maintenance/CopyData.h"
#include "maintenance/Safeguards.h"

namespace cbk::testing {
namespace {

namespace fs = std::filesystem;

platform::DateTime At(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
    return {Ymd(y, mo, d).day, std::chrono::seconds(h * 3600 + mi * 60 + s)};
}

TEST(AutoBackupNames, FolderRootNameAndTime) {
    EXPECT_EQ(maintenance::AutoBackupRoot("", "/home/ann", "/home/ann/Books/Shop/"),
              "/home/ann/.local/share/Cantabook/backups/Shop");
    EXPECT_EQ(maintenance::AutoBackupRoot("/x/data", "/home/ann", "/srv/acme"),
              "/x/data/Cantabook/backups/acme");
    EXPECT_EQ(maintenance::BackupFolderName(At(2026, 3, 5, 9, 7, 3)), "2026-03-05_090703");
    EXPECT_EQ(maintenance::BackupFolderTime("2026-03-05_090703"), At(2026, 3, 5, 9, 7, 3));
    EXPECT_EQ(maintenance::BackupFolderTime("2026-03-05_090703-12"), At(2026, 3, 5, 9, 7, 3));
    for (const char* bad : {"2026-02-30_090703", "2026-03-05_250703", "2026-03-05 090703", "notes",
                            "2026-03-05_09070", "2026-03-05_090703-", "2026-03-05_090703-1",
                            "2026-03-05_090703-2x", "2026-03-05_090703_2"})
        EXPECT_FALSE(maintenance::BackupFolderTime(bad)) << bad;
}

TEST(AutoBackupRotation, KeepsTheLastTenAndTheNewestOfEachOfTwelveMonths) {
    const platform::DateTime now = At(2026, 3, 5, 12);
    std::vector<std::string> names = {"keep-me.txt"};
    // Twelve this month (the two oldest go), two in February (the older goes), one in each
    // month from March 2025 (kept: 12th month back is April 2025) and one in February 2025.
    for (int d = 1; d <= 12; ++d)
        names.push_back(maintenance::BackupFolderName(At(2026, 3, 5, 0, d)));
    names.push_back("2026-02-10_080000");
    names.push_back("2026-02-20_080000");
    names.push_back("2025-04-30_235959");
    names.push_back("2025-03-31_235959");
    names.push_back("2025-02-01_000000");
    auto removed = maintenance::FoldersToRemove(names, now);
    std::sort(removed.begin(), removed.end());
    EXPECT_EQ(removed, (std::vector<std::string>{"2025-02-01_000000", "2025-03-31_235959",
                                                 "2026-02-10_080000", "2026-03-05_000100",
                                                 "2026-03-05_000200"}));

    const std::pair<platform::DateTime, bool> due[] = {{At(2026, 3, 5, 0, 12, 59), false},
                                                       {At(2026, 3, 5, 0, 13, 0), true},
                                                       {At(2026, 3, 5, 0, 11, 1), false},
                                                       {At(2026, 3, 6), true}};
    for (const auto& [when, expected] : due)
        EXPECT_EQ(maintenance::BackupDue(names, when), expected)
            << maintenance::BackupFolderName(when);
}

TEST(AutoBackupSwitches, ParsedWrittenAndReadBack) {
    EXPECT_EQ(maintenance::ParseSafeguards(""), (maintenance::Safeguards{true, true}));
    EXPECT_EQ(maintenance::ParseSafeguards("automatic-backups=no\r\nkeep-deleted-records=maybe\n"),
              (maintenance::Safeguards{true, false}));
    EXPECT_EQ(maintenance::SafeguardsPath("", "/home/ann"),
              "/home/ann/.config/Cantabook/cantabook.conf");
    const fs::path dir = fs::temp_directory_path() / ("cbk-conf-" + std::to_string(getpid()));
    const std::string path = maintenance::SafeguardsPath(dir.string(), "");
    EXPECT_EQ(maintenance::ReadSafeguards(path), (maintenance::Safeguards{true, true}));
    ASSERT_TRUE(maintenance::WriteSafeguards(path, {false, true}));
    EXPECT_EQ(ReadFile(path), "keep-deleted-records=no\nautomatic-backups=yes\n");
    EXPECT_EQ(maintenance::ReadSafeguards(path), (maintenance::Safeguards{false, true}));
    fs::remove_all(dir);
}

class AutoBackup : public MaintenanceTest {
protected:
    std::string root() const { return (backupDir_ / "Cantabook/backups/books").string(); }
    std::set<std::string> Folders() {
        std::set<std::string> names;
        if (fs::exists(root()))
            for (const auto& e : fs::directory_iterator(root())) names.insert(e.path().filename());
        return names;
    }
};

TEST_F(AutoBackup, SixTablesOnceAMinuteAndTheNewestRestores) {
    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30)), "");
    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30, 59)), "");
    EXPECT_EQ(Folders(), std::set<std::string>{"2026-03-05_103000"});
    const fs::path folder = fs::path(root()) / "2026-03-05_103000";
    for (const char* t : {"CBK1", "ACC", "ACCI", "FOLDER", "EXP5", "INC5"})
        EXPECT_EQ(ReadFile(folder / (std::string(t) + ".bak")),
                  ReadFile(fileIn(std::string(t) + ".dbf")))
            << t;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);

    const auto offered = maintenance::AutomaticBackups(root());
    ASSERT_EQ(offered.size(), 1u);
    EXPECT_EQ(offered[0].label, "2026-03-05 10:30:00");
    EmptyRecordTables();
    EXPECT_TRUE(maintenance::CopyDataFiles(false, offered[0].path, false));
    EXPECT_EQ(ReadFile(fileIn("EXP5.dbf")), ReadFile(folder / "EXP5.bak"));
}

// Every side table the books hold is in the set; a backup of the same second gets a folder of
// its own; at exit, one of the last minute is enough only while the books are as it holds them.
TEST_F(AutoBackup, SideTablesSameSecondAndAChangedSessionWithinTheMinute) {
    MakeSideTable("STMTIDS", {"FIT-1"});
    MakeSideTable("EXP5REC", {});
    std::string first, second;
    ASSERT_EQ(maintenance::MakeBackupNow(root(), At(2026, 3, 5, 10, 30), first), "");
    ASSERT_EQ(maintenance::MakeBackupNow(root(), At(2026, 3, 5, 10, 30), second), "");
    EXPECT_EQ(fs::path(second).filename(), "2026-03-05_103000-2");
    for (const char* t : {"STMTIDS", "EXP5REC"})
        EXPECT_EQ(ReadFile(fs::path(first) / (std::string(t) + ".bak")),
                  ReadFile(fileIn(std::string(t) + ".dbf")))
            << t;
    EXPECT_EQ(std::distance(fs::directory_iterator(first), fs::directory_iterator()), 8);

    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30, 5)), "");
    EXPECT_EQ(Folders().size(), 2u);  // nothing changed since
    OpenIncome();
    AddIncome(Ymd(2026, 3, 5), 10);
    CloseAllTables();
    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30, 5)), "");
    std::vector<std::string> labels;
    for (const auto& b : maintenance::AutomaticBackups(root())) labels.push_back(b.label);
    EXPECT_EQ(labels, (std::vector<std::string>{"2026-03-05 10:30:05", "2026-03-05 10:30:00 (2)",
                                                "2026-03-05 10:30:00"}));
}

// A full disk at any table of the set: no folder of it is left, the earlier ones stay whole,
// and the reason comes back.
TEST_F(AutoBackup, FullDiskAtAnyTableLeavesNoFolderAndTheOlderOnesWhole) {
    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 4, 18)), "");
    const std::string older = ReadFile(fs::path(root()) / "2026-03-04_180000" / "EXP5.bak");
    for (const char* t : {"CBK1", "ACC", "ACCI", "FOLDER", "EXP5", "INC5"}) {
        faulty_.clearFaults();
        faulty_.onlyPaths("/" + std::string(t) + ".bak.cbk-copy");
        faulty_.failNth(engine::FsOp::Write, 1, ENOSPC, true);
        StartDataStore(faulty_);
        const std::string why = maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30));
        EXPECT_EQ(why, std::string(t) + ".dbf: the disk is full");
        EXPECT_EQ(Folders(), std::set<std::string>{"2026-03-04_180000"}) << t;
        StartDataStore();
    }
    EXPECT_EQ(ReadFile(fs::path(root()) / "2026-03-04_180000" / "EXP5.bak"), older);
}

}  // namespace
}  // namespace cbk::testing
