// Automatic backups: the folder, its name, the rotation and the one-a-minute rule on a pinned
// clock, what a full disk leaves; and the safeguard switches' file.

#include "maintenance/AutoBackup.h"

#include <cerrno>
#include <cstring>
#include <set>
#include <stdexcept>
#include <stop_token>
#include <thread>

#include "MaintenanceFixture.h"
#include "maintenance/CopyData.h"
#include "maintenance/Safeguards.h"
#include "support/ScratchDir.h"

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

// The next run compresses the plain set; the exit within the minute still sees the books as it
// holds them, and the restore reads the compressed files.
TEST_F(AutoBackup, CompressedLaterAndRestoredFromTheCompressedFiles) {
    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30)), "");
    const fs::path folder = fs::path(root()) / "2026-03-05_103000";
    ASSERT_EQ(maintenance::CompressBackups(root()), "");
    std::set<std::string> held;
    for (const auto& e : fs::directory_iterator(folder)) held.insert(e.path().filename());
    EXPECT_EQ(held, (std::set<std::string>{"ACC.bak.zst", "ACCI.bak.zst", "CBK1.bak.zst",
                                           "EXP5.bak.zst", "FOLDER.bak.zst", "INC5.bak.zst"}));
    for (const char* t : {"CBK1", "EXP5", "INC5"})
        EXPECT_EQ(Unpacked(folder / (std::string(t) + ".bak.zst")),
                  ReadFile(fileIn(std::string(t) + ".dbf")))
            << t;
    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30, 40)), "");
    EXPECT_EQ(Folders().size(), 1u);

    const std::string expenses = ReadFile(fileIn("EXP5.dbf"));
    EmptyRecordTables();
    EXPECT_TRUE(maintenance::CopyDataFiles(false, folder.string(), false));
    EXPECT_EQ(ReadFile(fileIn("EXP5.dbf")), expenses);
}

// On its own thread the compression gets to the backup made while it runs; the exit's stop
// ends it.
TEST_F(AutoBackup, TheRunsCompressionTakesTheBackupsMadeMeanwhile) {
    maintenance::StartBackupCompression(root());
    std::string folder;
    ASSERT_EQ(maintenance::MakeBackupNow(root(), At(2026, 3, 5, 10, 30), folder), "");
    const fs::path packed = fs::path(folder) / "EXP5.bak.zst";
    for (int waited = 0; fs::exists(fs::path(folder) / "EXP5.bak") && waited < 1000; ++waited)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_TRUE(maintenance::StopBackupCompression());
    EXPECT_FALSE(maintenance::StopBackupCompression());
    EXPECT_EQ(Unpacked(packed), ReadFile(fileIn("EXP5.dbf")));
}

// A full disk, or the run's end, in the middle of the compression leaves the folder listed with
// each table whole in one form, and the books as they were; the next run finishes it.
TEST_F(AutoBackup, FullDiskOrStopMidCompressionLeavesEveryTableWhole) {
    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30)), "");
    const fs::path folder = fs::path(root()) / "2026-03-05_103000";
    const std::string live = ReadFile(fileIn("EXP5.dbf"));
    faulty_.onlyPaths("EXP5.bak.zst");
    faulty_.failNth(engine::FsOp::Write, 1, ENOSPC, true);
    StartDataStore(faulty_);
    EXPECT_EQ(maintenance::CompressBackups(root()),
              (folder / "EXP5.bak").string() + ": " + std::strerror(ENOSPC));
    EXPECT_EQ(ReadFile(folder / "EXP5.bak"), live);
    EXPECT_FALSE(fs::exists(folder / "EXP5.bak.zst"));

    std::stop_source stop;
    faulty_.clearFaults();
    faulty_.onlyPaths("INC5.bak.zst");
    faulty_.setHook([&](engine::FsOp op, const std::string&) {
        if (op == engine::FsOp::Write) stop.request_stop();
        return 0;
    });
    EXPECT_EQ(maintenance::CompressBackups(root(), stop.get_token()), "");
    EXPECT_TRUE(fs::exists(folder / "INC5.bak"));
    EXPECT_FALSE(fs::exists(folder / "INC5.bak.zst"));
    EXPECT_EQ(Folders(), std::set<std::string>{"2026-03-05_103000"});
    EXPECT_EQ(ReadFile(fileIn("EXP5.dbf")), live);
    EmptyRecordTables();
    EXPECT_TRUE(maintenance::CopyDataFiles(false, folder.string(), false));
    EXPECT_EQ(ReadFile(fileIn("EXP5.dbf")), live);

    faulty_.setHook({});
    ASSERT_EQ(maintenance::CompressBackups(root()), "");
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 6);
    EXPECT_EQ(Unpacked(folder / "INC5.bak.zst"), ReadFile(fileIn("INC5.dbf")));
}

// A crash at any call of the exit's backup or of the compression leaves the listed folders
// whole: every table there, plain or compressed, as the books hold it. The next backup clears
// what an unfinished one left.
TEST_F(AutoBackup, ACrashAnywhereLeavesOnlyWholeFoldersListed) {
    auto listedWhole = [&](int n) {
        for (const auto& backup : maintenance::AutomaticBackups(root()))
            for (const char* t : {"CBK1", "ACC", "ACCI", "FOLDER", "EXP5", "INC5"}) {
                const fs::path plain = fs::path(backup.path) / (std::string(t) + ".bak");
                EXPECT_EQ(fs::exists(plain) ? ReadFile(plain) : Unpacked(plain.string() + ".zst"),
                          ReadFile(fileIn(std::string(t) + ".dbf")))
                    << t << " after call " << n;
            }
    };
    // In memory, where the campaign's thousand syncs cost nothing.
    const enginetest::ScratchDir memory;
    fs::create_directory_symlink(memory.path(), backupDir_ / "Cantabook");
    for (int step = 0; step < 2; ++step) {
        bool crashed = true;
        for (int n = 1; crashed; ++n) {
            fs::remove_all(root());
            if (step == 1) {
                ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5)), "");
            }
            StartDataStore(faulty_);
            int calls = 0;
            // The process may stop before any call that changes the disk.
            faulty_.setHook([&](engine::FsOp op, const std::string&) -> int {
                const bool changes = op == engine::FsOp::Write || op == engine::FsOp::Rename ||
                                     op == engine::FsOp::Remove || op == engine::FsOp::Sync ||
                                     op == engine::FsOp::SyncDir || op == engine::FsOp::Open;
                if (changes && ++calls == n) throw std::runtime_error("the process stops");
                return 0;
            });
            try {
                if (step == 0)
                    (void)maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30));
                else
                    (void)maintenance::CompressBackups(root());
                crashed = false;
            } catch (const std::runtime_error&) {
            }
            faulty_.setHook({});
            listedWhole(n);
            if (step == 0 && crashed) {
                ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 32)), "");
                for (const std::string& name : Folders())
                    EXPECT_TRUE(maintenance::BackupFolderTime(name)) << name << " after call " << n;
            }
        }
    }
}

// A compressed backup file that does not decompress whole is refused, by name, before any
// live table changes: cut short at its start, or damaged within.
TEST_F(AutoBackup, ADamagedCompressedFileIsRefusedByTheRestore) {
    ASSERT_EQ(maintenance::MakeAutomaticBackup(root(), At(2026, 3, 5, 10, 30)), "");
    ASSERT_EQ(maintenance::CompressBackups(root()), "");
    const fs::path folder = fs::path(root()) / "2026-03-05_103000";
    const std::string acc = ReadFile(folder / "ACC.bak.zst"),
                      exp = ReadFile(folder / "EXP5.bak.zst");
    std::string damaged = exp;
    damaged[damaged.size() / 2] ^= 0x10;
    const std::pair<const char*, std::string> cases[] = {{"ACC", acc.substr(0, 9)},
                                                         {"EXP5", damaged}};
    EmptyRecordTables();
    const std::string emptied = ReadFile(fileIn("EXP5.dbf"));
    for (const auto& [table, bytes] : cases) {
        WriteFile(folder / "ACC.bak.zst", acc);
        WriteFile(folder / "EXP5.bak.zst", exp);
        WriteFile(folder / (std::string(table) + ".bak.zst"), bytes);
        const maintenance::CopyOutcome out =
            maintenance::CopyDataFiles(false, folder.string(), false);
        EXPECT_FALSE(out);
        EXPECT_EQ(out.why, std::string(table) +
                               ".bak.zst is damaged and cannot be read\r\nFunction Aborted");
        EXPECT_EQ(ReadFile(fileIn("EXP5.dbf")), emptied) << table;
    }
}

}  // namespace
}  // namespace cbk::testing
