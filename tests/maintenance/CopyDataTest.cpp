// Backup and restore: the files written and left alone, the names from the chosen directory,
// what a full or write-protected medium leaves, missing and unfit backup files, and the
// questions for another disk.

#include "maintenance/CopyData.h"

#include <cerrno>
#include <set>

#include "MaintenanceFixture.h"
#include "data/TableCatalogue.h"
#include "maintenance/Drives.h"

namespace cbk::testing {
namespace {

namespace fs = std::filesystem;

// The copy as its command runs it: why it was not copied told in an information box.
bool CopyDataFiles(bool backup, const std::string& dir, bool removable) {
    const maintenance::CopyOutcome outcome = maintenance::CopyDataFiles(backup, dir, removable);
    if (!outcome.why.empty())
        platform::messages().show(platform::MessageKind::Information, outcome.why,
                                  platform::Buttons::OK);
    return outcome.copied;
}

const char* const kTables[] = {"ACC", "ACCI", "FOLDER", "EXP5", "INC5"};

std::set<std::string> NamesIn(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir)) names.insert(entry.path().filename());
    return names;
}

class CopyData : public MaintenanceTest {
protected:
    std::string Live(const std::string& table) { return ReadFile(fileIn(table + ".dbf")); }
    std::string Bak(const std::string& table) { return ReadFile(backupDir_ / (table + ".bak")); }
    std::string LiveFiles() {
        std::string all;
        for (const char* t : kTables) all += Live(t);
        return all + Live("CBK1");
    }
};

TEST_F(CopyData, BackupWritesTheFiveTablesOverOlderBackupsAndNothingElse) {
    WriteFile(backupDir_ / "ACC.bak", "an older backup");
    WriteFile(backupDir_ / "acci.BAK", "an older backup, named in another case");
    ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), false));
    for (const char* t : kTables)
        EXPECT_EQ(ReadFile(engine::resolvePath(engine::posixFileSystem(), backupDir_,
                                               std::string(t) + ".bak")),
                  Live(t))
            << t;
    EXPECT_EQ(NamesIn(backupDir_),
              (std::set<std::string>{"ACC.bak", "acci.BAK", "FOLDER.bak", "EXP5.bak", "INC5.bak"}));
    EXPECT_EQ(platform_->progress.calls.front(),
              (platform::ProgressCall{platform::ProgressCall::Show, true, "Copying Data Files"}));
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{10, 30, 40, 50, 90, 100}));
    EXPECT_TRUE(platform_->progress.visible);  // the caller hides it
    EXPECT_TRUE(platform_->messages.shown.empty());
}

// The statement ids and the recovery tables go with the books both ways; a backup without them
// (made before the books had them) still restores: the ids of the records it replaced go, the
// recovery tables stay; a side table the books no longer have leaves no older backup of it.
TEST_F(CopyData, SideTablesTravelWithTheBooksAndAnOlderBackupWithoutThemRestores) {
    MakeSideTable("STMTIDS", {"FIT-1"});
    MakeSideTable("EXP5REC", {"kept"});
    ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), false));
    EXPECT_EQ(NamesIn(backupDir_).size(), 7u);
    EXPECT_EQ(Bak("STMTIDS"), Live("STMTIDS"));
    EXPECT_EQ(Bak("EXP5REC"), Live("EXP5REC"));
    const std::string recovery = Live("EXP5REC");
    fs::remove(fileIn("STMTIDS.dbf"));
    MakeSideTable("STMTIDS", {"FIT-1", "FIT-2"});
    ASSERT_TRUE(CopyDataFiles(false, backupDir_.string(), false));
    EXPECT_EQ(Live("STMTIDS"), Bak("STMTIDS"));

    fs::remove(backupDir_ / "STMTIDS.bak");
    fs::remove(backupDir_ / "EXP5REC.bak");
    ASSERT_TRUE(CopyDataFiles(false, backupDir_.string(), false));
    EXPECT_FALSE(fs::exists(fileIn("STMTIDS.dbf")));
    EXPECT_EQ(Live("EXP5REC"), recovery);

    WriteFile(backupDir_ / "stmtids.BAK", "ids of an older backup");
    ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), false));
    EXPECT_EQ(NamesIn(backupDir_), (std::set<std::string>{"ACC.bak", "ACCI.bak", "FOLDER.bak",
                                                          "EXP5.bak", "INC5.bak", "EXP5REC.bak"}));
}

TEST_F(CopyData, ChosenDirectoryIsTrimmedAndEndsWithASlash) {
    const std::pair<const char*, const char*> cases[] = {{"/media/stick", "/media/stick/"},
                                                         {"/media/stick/", "/media/stick/"},
                                                         {"  /media/stick  ", "/media/stick/"},
                                                         {"/", "/"},
                                                         {"   ", "/"}};
    for (const auto& [chosen, dir] : cases) EXPECT_EQ(maintenance::CopyDirectory(chosen), dir);
    ASSERT_TRUE(CopyDataFiles(true, " " + backupDir_.string() + "   ", false));
    EXPECT_EQ(Bak("INC5"), Live("INC5"));
    EXPECT_EQ(NamesIn(backupDir_).size(), 5u);
}

TEST_F(CopyData, RemovableMediaAndDrivesAreFoundByTheirMountPoints) {
    const std::pair<const char*, bool> places[] = {{"/media/ann/STICK", true},
                                                   {"/run/media/ann/SD", true},
                                                   {"/mnt", true},
                                                   {"/mnt/cdrom/x", true},
                                                   {"/home/ann", false},
                                                   {"/mediaeval", false},
                                                   {"/", false}};
    for (const auto& [dir, removable] : places)
        EXPECT_EQ(maintenance::OnRemovableMedium(dir), removable) << dir;

    const auto drives = maintenance::DrivesOf(
        {"/", "/boot", "/media/ann/STICK", "/run/media/ann/SD CARD", "/mnt", "/media/ann/STICK"},
        "/home/ann");
    std::vector<std::pair<std::string, std::string>> listed;
    for (const auto& d : drives) listed.emplace_back(d.name, d.root);
    EXPECT_EQ(listed, (std::vector<std::pair<std::string, std::string>>{
                          {"/", "/"},
                          {"Home", "/home/ann"},
                          {"STICK", "/media/ann/STICK"},
                          {"SD CARD", "/run/media/ann/SD CARD"}}));
    EXPECT_EQ(maintenance::DriveOf(drives, "/media/ann/STICK/books"), 2);
    EXPECT_EQ(maintenance::DriveOf(drives, "/home/ann"), 1);
    EXPECT_EQ(maintenance::DriveOf(drives, "/home/annie"), 0);
    EXPECT_EQ(maintenance::DriveOf({}, "/x"), -1);
}

// A full disk, a write-protected one and any other fault: what each asks on a removable medium
// and what it leaves of the previous backup.
TEST_F(CopyData, FailedBackupKeepsThePreviousBackupWhole) {
    struct Case {
        int err;
        bool removable;
        std::vector<std::string> asked;
    };
    const Case cases[] = {{ENOSPC,
                           false,
                           {"There is no room for the new backup beside the old one in " +
                            backupDir_.string() + "/\r\nThe old backup is kept whole."}},
                          {ENOSPC, true, {"Disk Full. Insert another disk.ACC.bak"}},
                          {EROFS, true, {"Disk is Write Protected"}},
                          {EIO, true, {}}};
    for (const Case& c : cases) {
        WriteFile(backupDir_ / "ACC.bak", "the previous backup");
        faulty_.clearFaults();
        faulty_.onlyPaths("backup");
        faulty_.setTornWrites(true);
        faulty_.failNth(engine::FsOp::Write, 1, c.err, true);
        StartDataStore(faulty_);
        platform_->messages.clear();
        platform_->messages.answer(platform::Answer::Cancel);
        EXPECT_FALSE(CopyDataFiles(true, backupDir_.string(), c.removable)) << c.err;
        EXPECT_EQ(platform_->messages.texts(), c.asked) << c.err;
        EXPECT_EQ(Bak("ACC"), "the previous backup") << c.err;
        EXPECT_EQ(NamesIn(backupDir_), std::set<std::string>{"ACC.bak"}) << c.err;
        EXPECT_EQ(platform_->progress.percents().back(), 10);
        StartDataStore();
    }
}

TEST_F(CopyData, AnotherDiskAfterAFullOneTakesTheTableWhole) {
    WriteFile(backupDir_ / "EXP5.bak", "the previous backup");
    faulty_.onlyPaths("EXP5.bak");
    faulty_.failNth(engine::FsOp::Write, 1, ENOSPC);
    StartDataStore(faulty_);
    platform_->messages.answer(platform::Answer::OK);
    ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), true));
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Disk Full. Insert another disk.EXP5.bak"});
    for (const char* t : kTables) EXPECT_EQ(Bak(t), Live(t)) << t;
}

// A full disk at any file of the set, backing up and restoring: the old backup set, or the
// live tables, stay byte for byte as they were, and no temporary file is left behind.
TEST_F(CopyData, FullDiskAtAnyFileOfTheSetChangesNothing) {
    ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), false));
    const std::string oldSet = [&] {
        std::string all;
        for (const char* t : kTables) all += Bak(t);
        return all;
    }();
    OpenAccounts();
    engine::d4appendBlank(Accounts);
    CurAccount = {997, "Added after the backup", true};
    StoreAccount();
    CloseAllTables();
    const std::string live = LiveFiles();
    const auto liveNames = NamesIn(dir_->path());
    for (const bool backup : {true, false}) {
        for (const char* t : kTables) {
            faulty_.clearFaults();
            faulty_.onlyPaths(backup ? "/" + std::string(t) + ".bak.cbk-copy"
                                     : fileIn(std::string(t) + ".dbf").filename().string() +
                                           ".cbk-copy");
            faulty_.failNth(engine::FsOp::Write, 1, ENOSPC, true);
            StartDataStore(faulty_);
            platform_->messages.clear();
            EXPECT_FALSE(CopyDataFiles(backup, backupDir_.string(), false)) << t;
            std::string set;
            for (const char* b : kTables) set += Bak(b);
            EXPECT_EQ(set, oldSet) << backup << " " << t;
            EXPECT_EQ(LiveFiles(), live) << backup << " " << t;
            EXPECT_EQ(NamesIn(backupDir_).size(), 5u) << t;
            EXPECT_EQ(NamesIn(dir_->path()), liveNames) << t;
            StartDataStore();
        }
    }
}

// A restore from a set that lacks any one file changes no live table and names the file.
TEST_F(CopyData, RestoreOfASetMissingAnyFileChangesNoLiveTable) {
    ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), false));
    const fs::path aside = fs::path(dir_->path()) / "aside";
    OpenAccounts();
    engine::d4appendBlank(Accounts);
    CurAccount = {999, "Added after the backup", true};
    StoreAccount();
    CloseAllTables();
    const std::string live = LiveFiles();
    for (const char* t : kTables) {
        fs::rename(backupDir_ / (std::string(t) + ".bak"), aside);
        platform_->messages.clear();
        platform_->progress.calls.clear();
        EXPECT_FALSE(CopyDataFiles(false, backupDir_.string(), false)) << t;
        EXPECT_EQ(LiveFiles(), live) << t;
        EXPECT_EQ(platform_->messages.texts(),
                  std::vector<std::string>{"Unable to find " + backupDir_.string() + "/" + t +
                                           ".bak\r\nFunction Aborted"});
        EXPECT_EQ(platform_->progress.percents(), std::vector<int>{10}) << t;
        fs::rename(aside, backupDir_ / (std::string(t) + ".bak"));
    }
}

// A backup file that is no table of its kind stops the restore before any live table changes,
// even one that comes earlier in the copy order.
TEST_F(CopyData, RestoreOfAnUnfitBackupChangesNoLiveFile) {
    const std::pair<std::string, std::string> unfit[] = {
        {"FOLDER", "Date,Amount\n2026-03-05,12.50\n"},
        {"INC5", ""},
    };
    for (const auto& [table, bytes] : unfit) {
        ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), false));
        OpenAccounts();
        engine::d4appendBlank(Accounts);
        CurAccount = {998, "Differs from the backup", true};
        StoreAccount();
        CloseAllTables();
        WriteFile(backupDir_ / (table + ".bak"), bytes);
        const std::string live = LiveFiles();
        platform_->messages.clear();
        EXPECT_FALSE(CopyDataFiles(false, backupDir_.string(), false)) << table;
        EXPECT_EQ(LiveFiles(), live) << table;
        ASSERT_EQ(platform_->messages.texts().size(), 1u);
        const std::string text = platform_->messages.texts()[0];
        EXPECT_EQ(text.rfind(table + ".bak is not a dBASE table (", 0), 0u) << text;
        EXPECT_EQ(text.substr(text.size() - 18), "\r\nFunction Aborted");
    }
    // A table of another kind: the expense accounts' backup under the expense records' name.
    WriteFile(backupDir_ / "FOLDER.bak", Live("FOLDER"));
    WriteFile(backupDir_ / "INC5.bak", Live("INC5"));
    WriteFile(backupDir_ / "EXP5.bak", Live("ACC"));
    const std::string live = LiveFiles();
    platform_->messages.clear();
    EXPECT_FALSE(CopyDataFiles(false, backupDir_.string(), false));
    EXPECT_EQ(LiveFiles(), live);
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"EXP5.bak is not a valid Cantabook data file: field "
                                       "EXPDATE is missing\r\nFunction Aborted"});
}

// The user changes disks while the question is up: on the `insertAt`-th question the backup
// file appears.
class DiskChangingMessages : public platform::ScriptedMessages {
public:
    platform::Answer show(platform::MessageKind kind, const std::string& text,
                          platform::Buttons buttons) override {
        if (++asked == insertAt) WriteFile(to, ReadFile(from));
        return ScriptedMessages::show(kind, text, buttons);
    }
    int asked = 0;
    int insertAt = 0;
    fs::path from, to;
};

TEST_F(CopyData, MissingBackupOnRemovableMediumIsAskedForUntilItComesOrCancel) {
    ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), false));
    const fs::path secondDisk = fs::path(dir_->path()) / "second-disk.bak";
    fs::rename(backupDir_ / "INC5.bak", secondDisk);
    DiskChangingMessages messages;
    messages.from = secondDisk;
    messages.to = backupDir_ / "INC5.bak";
    messages.insertAt = 3;
    platform::Services services = platform_->services();
    services.messages = &messages;
    platform::install(services);
    platform_->progress.calls.clear();

    EXPECT_TRUE(CopyDataFiles(false, backupDir_.string(), true));
    EXPECT_EQ(messages.texts(), std::vector<std::string>(3, "Insert disk containing INC5.bak"));
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{10, 30, 40, 50, 90, 100}));

    fs::remove(backupDir_ / "INC5.bak");
    messages.clear();
    messages.insertAt = 0;
    messages.answer(platform::Answer::OK);
    messages.answer(platform::Answer::Cancel);
    EXPECT_FALSE(CopyDataFiles(false, backupDir_.string(), true));
    EXPECT_EQ(messages.texts(), std::vector<std::string>(2, "Insert disk containing INC5.bak"));
    platform::install(platform_->services());
}

// The scheduled entries go with the books both ways; a backup made before the books had any
// leaves the live ones, which name accounts and folders, not records.
TEST_F(CopyData, TheScheduledEntriesTravelWithTheBooks) {
    const auto schedule = [](const char* payee) {
        engine::Data4* t =
            engine::d4create(cb, kSchedulesTable, CreateFields(*FindBooksTable(kSchedulesTable)));
        ASSERT_NE(t, nullptr);
        engine::d4appendBlank(t);
        engine::f4assign(engine::d4field(t, "PAYEE"), payee);
        engine::d4close(t);
    };
    schedule("Shell Station");
    ASSERT_TRUE(CopyDataFiles(true, backupDir_.string(), false));
    EXPECT_EQ(Bak("SCHED"), Live("SCHED"));
    const std::string saved = Live("SCHED");
    fs::remove(fileIn("SCHED.dbf"));
    schedule("Phone Co");
    ASSERT_TRUE(CopyDataFiles(false, backupDir_.string(), false));
    EXPECT_EQ(Live("SCHED"), saved);

    fs::remove(backupDir_ / "SCHED.bak");
    ASSERT_TRUE(CopyDataFiles(false, backupDir_.string(), false));
    EXPECT_EQ(Live("SCHED"), saved);
}

}  // namespace
}  // namespace cbk::testing
