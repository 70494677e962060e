#include "data/Database.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <sstream>

#include "data/Records.h"
#include "data/TableSession.h"
#include "support/DataFixture.h"

namespace cbk {
namespace {

namespace fs = std::filesystem;
using platform::ProgressCall;
using testing::DataTest;

const char* const kIndexFiles[] = {"AccTag.ntx", "Acc.cgp",     "AccITag.ntx", "AccI.cgp",
                                   "FolTag.ntx", "Folder.cgp",  "EDate.ntx",   "EAcc.ntx",
                                   "Exp5.cgp",   "IncDate.ntx", "IncAcc.ntx",  "INC5.cgp"};

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

std::string FailText(const std::string& name) {
    return "Unable to open file " + name + "\r\nProgram will now terminate.";
}

std::string IndexFailText(const std::string& name) {
    return "Unable to open file " + name + "\r\n" + kReIndexCures +
           "\r\nProgram will now terminate.";
}

// Overwrites a file with bytes of the same length that are no index.
void Scramble(const fs::path& path) {
    std::string bytes = Bytes(path);
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = char((i * 7919 + 13) % 251);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

class DatabaseTest : public DataTest {
protected:
    // Dates every index file back a day, so that a re-created file shows by its time.
    void AgeIndexFiles() {
        for (const char* name : kIndexFiles) {
            const fs::path path = fileIn(name);
            ASSERT_TRUE(fs::exists(path)) << name;
            fs::last_write_time(path, fs::last_write_time(path) - std::chrono::hours{24});
            aged_[name] = {fs::last_write_time(path), Bytes(path)};
        }
    }
    bool Recreated(const char* name) {
        return fs::last_write_time(fileIn(name)) != aged_[name].first;
    }
    bool Untouched(const char* name) {
        return fs::last_write_time(fileIn(name)) == aged_[name].first &&
               Bytes(fileIn(name)) == aged_[name].second;
    }

    // Runs `step`, which must end the program, and returns the messages shown.
    template <class Step>
    std::vector<platform::RecordedMessage> Ends(Step step) {
        platform_->messages.clear();
        EXPECT_THROW(step(), platform::ProgramEnded);
        return platform_->messages.shown;
    }

    std::map<std::string, std::pair<fs::file_time_type, std::string>> aged_;
};

TEST_F(DatabaseTest, DataFilesPresentNeedsAllSixTables) {
    EXPECT_TRUE(DataFilesPresent());
    for (const char* table :
         {"CBK1.dbf", "ACC.dbf", "EXP5.dbf", "FOLDER.dbf", "INC5.dbf", "ACCI.dbf"}) {
        const fs::path path = fileIn(table);
        fs::rename(path, path.string() + ".away");
        EXPECT_FALSE(DataFilesPresent()) << table;
        fs::rename(path.string() + ".away", path);
    }
    EXPECT_TRUE(DataFilesPresent());
}

TEST_F(DatabaseTest, FileNamesMatchWithoutRegardToCase) {
    fs::rename(fileIn("ACC.dbf"), fs::path(dir_->path()) / "acc.DBF");
    fs::rename(fileIn("EXP5.dbf"), fs::path(dir_->path()) / "Exp5.dbf");
    EXPECT_TRUE(DataFilesPresent());
    StartDataStore();
    EXPECT_TRUE(OpenAccounts());
    EXPECT_TRUE(OpenExpenses());
    EXPECT_NE(ResultWord, engine::r4eof);
    EXPECT_TRUE(LoadAccount());
    EXPECT_EQ(CurAccount.AccNo, 100);
}

TEST_F(DatabaseTest, StartUpReadsTheSettingsAndBuildsEveryMissingIndex) {
    StartDataStore();
    EXPECT_EQ(Settings.FyMonth, 1);
    EXPECT_EQ(Settings.FyDay, 1);
    EXPECT_EQ(Settings.FontName.substr(0, 6), "Arial ");
    EXPECT_EQ(Settings.FontSize, 10);
    for (const char* name : kIndexFiles) EXPECT_TRUE(fs::exists(fileIn(name))) << name;
    EXPECT_TRUE(platform_->progress.calls.empty());
    EXPECT_EQ(SettingsTable, nullptr);  // closed again
}

TEST_F(DatabaseTest, StartUpRebuildsOnlyTheTableWhoseIndexIsMissing) {
    StartDataStore();
    ShutDownDataStore(false);
    AgeIndexFiles();
    fs::remove(fileIn("EAcc.ntx"));

    StartDataStore();
    for (const char* name : {"EDate.ntx", "EAcc.ntx", "Exp5.cgp"}) {
        ASSERT_TRUE(fs::exists(fileIn(name))) << name;
        EXPECT_TRUE(Recreated(name)) << name;
    }
    for (const char* name : {"AccTag.ntx", "Acc.cgp", "AccITag.ntx", "AccI.cgp", "FolTag.ntx",
                             "Folder.cgp", "IncDate.ntx", "IncAcc.ntx", "INC5.cgp"}) {
        EXPECT_TRUE(Untouched(name)) << name;
    }
    EXPECT_TRUE(platform_->progress.calls.empty());
    EXPECT_TRUE(OpenExpenses());
}

// Books opened read-only are left byte for byte as they were found: a table left in flux is
// neither mended nor indexed again, a change is refused, and the pack asked for at shutdown
// does not run.
TEST_F(DatabaseTest, ReadOnlyBooksAreNeverWritten) {
    StartDataStore();
    ShutDownDataStore(false);
    {
        std::fstream exp(fileIn("EXP5.dbf"), std::ios::in | std::ios::out | std::ios::binary);
        exp.seekp(14);
        exp.put('\x01');  // the in-flux mark of a run that stopped
    }
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::directory_iterator(dir_->path()))
        before[entry.path().filename().string()] = Bytes(entry.path());
    struct Writable {
        ~Writable() { SetReadOnlyBooks(""); }
    } writableAgain;
    SetReadOnlyBooks(dir_->path());

    StartDataStore();
    EXPECT_TRUE(OpenExpenses());
    engine::d4go(Expenses, 1);
    EXPECT_NE(engine::f4assign(PayToField, "Changed"), 0);
    EXPECT_EQ(TakeEngineError(), engine::e4access);
    CloseAllTables();
    ShutDownDataStore(true);

    std::map<std::string, std::string> after;
    for (const auto& entry : fs::directory_iterator(dir_->path()))
        after[entry.path().filename().string()] = Bytes(entry.path());
    EXPECT_TRUE(after == before);
}

TEST_F(DatabaseTest, FullRebuildShowsItsProgressAndRecreatesEveryFile) {
    StartDataStore();
    AgeIndexFiles();
    BuildIndexes(false);
    const std::vector<ProgressCall> expected = {
        {ProgressCall::Show, true, "Rebuilding Indexes", 0},
        {ProgressCall::Set, false, "", 20},
        {ProgressCall::Set, false, "", 35},
        {ProgressCall::Set, false, "", 45},
        {ProgressCall::Set, false, "", 50},
        {ProgressCall::Set, false, "", 80},
        {ProgressCall::Set, false, "", 100},
        {ProgressCall::Show, false, "", 0},
    };
    EXPECT_EQ(platform_->progress.calls, expected);
    EXPECT_FALSE(platform_->progress.visible);
    for (const char* name : kIndexFiles) EXPECT_TRUE(Recreated(name)) << name;
}

TEST_F(DatabaseTest, RebuildCuresADamagedIndex) {
    StartDataStore();
    std::ofstream(fileIn("IncAcc.ntx"), std::ios::binary | std::ios::trunc) << "garbage";
    BuildIndexes(false);
    EXPECT_TRUE(OpenIncome());
    EXPECT_EQ(engine::d4check(Income, nullptr), 0);
}

TEST_F(DatabaseTest, MissingTableEndsTheProgramNamingItsFile) {
    StartDataStore();
    fs::remove(fileIn("ACC.dbf"));
    const auto shown = Ends([] { OpenAccounts(); });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].kind, platform::MessageKind::Information);
    EXPECT_EQ(shown[0].buttons, platform::Buttons::OK);
    EXPECT_EQ(shown[0].text, FailText("ACC.DBF"));

    fs::remove(fileIn("CBK1.dbf"));
    EXPECT_EQ(Ends([] { OpenSettings(); }).at(0).text, FailText("CBK1.DBF"));
}

TEST_F(DatabaseTest, GroupFileWithoutTheTagEndsTheProgramNamingTheTagFile) {
    StartDataStore();
    fs::copy_file(fileIn("FolTag.ntx"), fs::path(dir_->path()) / "FolOld.ntx");
    std::ofstream(fileIn("Folder.cgp"), std::ios::trunc) << "FolOld\r\n";
    EXPECT_EQ(Ends([] { OpenFolders(); }).at(0).text, IndexFailText("FolTag.Ntx"));

    std::ofstream(fileIn("Exp5.cgp"), std::ios::trunc) << "EDate\r\n";
    EXPECT_EQ(Ends([] { OpenExpenses(); }).at(0).text, IndexFailText("eAcc.Ntx"));
}

TEST_F(DatabaseTest, SettingsOpenWithoutAnyGroupFile) {
    StartDataStore();
    // A group file beside the settings table naming an index that is not there.
    std::ofstream(fs::path(dir_->path()) / "CBK1.cgp") << "Missing\r\n";
    EXPECT_TRUE(OpenSettings());
    EXPECT_EQ(ResultWord, engine::r4success);
    EXPECT_EQ(engine::d4recNo(SettingsTable), 1);
    CloseAllTables();
    // Automatic opening is back on for the other tables.
    EXPECT_TRUE(OpenExpenses());
    EXPECT_NE(EAccTag, nullptr);
}

TEST_F(DatabaseTest, MissingIndexFileEndsTheProgramUntilRebuilt) {
    StartDataStore();
    fs::remove(fileIn("AccITag.ntx"));
    const auto shown = Ends([] { OpenIncomeAccounts(); });
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, IndexFailText("AcciTag.Ntx"));
    BuildIndexes(false);
    EXPECT_TRUE(OpenIncomeAccounts());
}

TEST_F(DatabaseTest, OpenersLeaveTheFirstRecordOfTheDefaultTag) {
    StartDataStore();
    OpenExpenses();
    EXPECT_EQ(engine::d4tagSelected(Expenses), EDateTag);
    EXPECT_EQ(ResultWord, engine::r4success);
    LoadExpense();
    const platform::DateTime first = CurExpense.ExpDate;
    int count = 0;
    for (int rc = engine::d4top(Expenses); rc != engine::r4eof; rc = engine::d4skip(Expenses, 1)) {
        LoadExpense();
        EXPECT_LE(first, CurExpense.ExpDate);
        ++count;
    }
    EXPECT_EQ(count, engine::d4recCount(Expenses));

    OpenIncome();
    EXPECT_EQ(engine::d4tagSelected(Income), IncDateTag);
    OpenFolders();
    LoadFolder();
    EXPECT_EQ(CurFolder.FolNo, 1);
}

TEST_F(DatabaseTest, OpenerOnAnEmptyTableReturnsAtEndOfFile) {
    StartDataStore();
    OpenExpenses();
    ASSERT_EQ(engine::d4zap(Expenses, 1, engine::d4recCount(Expenses)), 0);
    CloseAllTables();
    ResultWord = 0;
    EXPECT_TRUE(OpenExpenses());
    EXPECT_EQ(ResultWord, engine::r4eof);
    EXPECT_TRUE(engine::d4eof(Expenses));
}

TEST_F(DatabaseTest, DeletedRecordsAreNeverMetInAnyTagNorFoundBySeek) {
    StartDataStore();
    OpenExpenses();
    engine::d4appendBlank(Expenses);
    CurExpense =
        ExpenseRec{*platform::DateTime::fromYmd(2030, 1, 2), 0, 9999, 1, "Gone", 5.0, "", false};
    StoreExpense();
    engine::d4delete(Expenses);
    long deleted = 1;
    // And every record of account 190.
    engine::d4tagSelect(Expenses, EAccTag);
    for (int rc = engine::d4seek(Expenses, " 190"); rc != engine::r4eof;
         rc = engine::d4skip(Expenses, 1)) {
        LoadExpense();
        if (CurExpense.AccNo != 190) break;
        engine::d4delete(Expenses);
        ++deleted;
    }
    ASSERT_GT(deleted, 2);
    const long total = engine::d4recCount(Expenses);
    CloseAllTables();

    OpenExpenses();
    for (engine::Tag4* tag : {EDateTag, EAccTag}) {
        engine::d4tagSelect(Expenses, tag);
        long met = 0;
        for (int rc = engine::d4top(Expenses); rc != engine::r4eof;
             rc = engine::d4skip(Expenses, 1)) {
            EXPECT_FALSE(engine::d4deleted(Expenses));
            LoadExpense();
            EXPECT_NE(CurExpense.AccNo, 190);
            ++met;
        }
        EXPECT_EQ(met, total - deleted);
    }
    engine::d4tagSelect(Expenses, EDateTag);
    EXPECT_EQ(engine::d4seek(Expenses, "20300102"), engine::r4eof);
    engine::d4tagSelect(Expenses, EAccTag);
    const int rc = engine::d4seek(Expenses, " 190");
    if (rc != engine::r4eof) {
        LoadExpense();
        EXPECT_NE(CurExpense.AccNo, 190);
    }
}

TEST_F(DatabaseTest, CloseAllTablesVoidsEveryHandle) {
    StartDataStore();
    OpenAccounts();
    OpenExpenses();
    OpenSettings();
    CloseAllTables();
    EXPECT_EQ(Accounts, nullptr);
    EXPECT_EQ(Expenses, nullptr);
    EXPECT_EQ(ExpDateField, nullptr);
    EXPECT_EQ(EAccTag, nullptr);
    EXPECT_EQ(FontNameField, nullptr);
}

TEST_F(DatabaseTest, TableSessionOpensTheNamedTablesAndClosesThemAllOrItsOwnAtItsEnd) {
    StartDataStore();
    {
        TableSession session({"exp5", "ACC"});
        EXPECT_NE(Expenses, nullptr);
        EXPECT_NE(EAccTag, nullptr);
        EXPECT_NE(Accounts, nullptr);
        EXPECT_EQ(Income, nullptr);
        EXPECT_FALSE(OpenTableNamed("NOSUCH"));
    }
    EXPECT_EQ(Expenses, nullptr);
    EXPECT_EQ(Accounts, nullptr);
    EXPECT_EQ(TakeEngineError(), 0);
    {
        TableSession command({"FOLDER"});
        {
            TableSession own({"inc5", "ACCI"}, TableSession::Closes::Own);
            EXPECT_NE(Income, nullptr);
            EXPECT_NE(IncomeAccounts, nullptr);
        }
        EXPECT_EQ(Income, nullptr);
        EXPECT_EQ(IncAccField, nullptr);
        EXPECT_EQ(IncDateTag, nullptr);
        EXPECT_EQ(IncomeAccounts, nullptr);
        ASSERT_NE(Folders, nullptr);
        EXPECT_EQ(engine::d4top(Folders), 0);
    }
    EXPECT_EQ(Folders, nullptr);
}

TEST_F(DatabaseTest, PackRemovesMarkedRecordsWithItsProgress) {
    StartDataStore();
    OpenExpenses();
    const long before = engine::d4recCount(Expenses);
    engine::d4go(Expenses, 2);
    engine::d4delete(Expenses);
    engine::d4go(Expenses, 5);
    engine::d4delete(Expenses);
    CloseAllTables();

    PackDataFiles();
    const std::vector<int> percents = {10, 40, 50, 90, 95, 100};
    EXPECT_EQ(platform_->progress.percents(), percents);
    EXPECT_EQ(platform_->progress.calls.front(),
              (ProgressCall{ProgressCall::Show, true, "Packing Data Files", 0}));
    EXPECT_FALSE(platform_->progress.visible);

    OpenExpenses();
    EXPECT_EQ(engine::d4recCount(Expenses), before - 2);
    EXPECT_EQ(engine::d4check(Expenses, nullptr), 0);
}

TEST_F(DatabaseTest, ShutDownPacksOnlyWhenAsked) {
    StartDataStore();
    OpenIncome();
    const long before = engine::d4recCount(Income);
    engine::d4go(Income, 1);
    engine::d4delete(Income);
    CloseAllTables();
    ShutDownDataStore(false);
    StartDataStore();
    OpenIncome();
    EXPECT_EQ(engine::d4recCount(Income), before);
    CloseAllTables();
    ShutDownDataStore(true);
    EXPECT_EQ(cb, nullptr);
    StartDataStore();
    OpenIncome();
    EXPECT_EQ(engine::d4recCount(Income), before - 1);
}

TEST_F(DatabaseTest, ShutDownWithAPendingErrorEndsTheProgramBeforeThePack) {
    StartDataStore();
    engine::d4open(cb, "NOSUCH");
    const auto shown = Ends([] { ShutDownDataStore(true); });
    EXPECT_TRUE(platform_->progress.calls.empty());
    ASSERT_EQ(shown.size(), 1u);  // the program never ends without a word
    EXPECT_EQ(shown[0].text, EngineErrorMessage("table NOSUCH not found"));
}

TEST_F(DatabaseTest, AChangedTableCarriesTheProgramsDateInItsHeader) {
    platform_->clock.set(2031, 11, 30, std::chrono::hours{9});
    StartDataStore();
    OpenFolders();
    LoadFolder();
    CurFolder.FolName = "Renamed";
    StoreFolder();
    CloseAllTables();
    const std::string head = Bytes(fileIn("FOLDER.dbf")).substr(1, 3);
    EXPECT_EQ(head, std::string({char(131), char(11), char(30)}));  // 2031 - 1900, 11, 30
}

TEST_F(DatabaseTest, StartUpBuildsAgainAnIndexThatIsNoSoundIndexOfItsTag) {
    StartDataStore();
    const fs::path eDate = fileIn("EDate.ntx"), eAcc = fileIn("EAcc.ntx"),
                   group = fileIn("Exp5.cgp");
    struct Case {
        const char* what;
        std::function<void()> damage;
    };
    const Case cases[] = {
        {"random bytes", [&] { Scramble(eDate); }},
        {"another tag's index",
         [&] { fs::copy_file(eAcc, eDate, fs::copy_options::overwrite_existing); }},
        {"cut short", [&] { fs::resize_file(eDate, 700); }},
        {"group file of junk", [&] { std::ofstream(group, std::ios::trunc) << "\x01\x02"; }},
    };
    ShutDownDataStore(false);
    for (const Case& c : cases) {
        AgeIndexFiles();
        c.damage();
        platform_->messages.clear();
        StartDataStore();
        EXPECT_TRUE(platform_->messages.shown.empty()) << c.what;
        EXPECT_TRUE(Recreated("EDate.ntx") && Recreated("EAcc.ntx")) << c.what;
        EXPECT_TRUE(Untouched("AccTag.ntx") && Untouched("IncDate.ntx")) << c.what;
        OpenExpenses();
        std::string report;
        EXPECT_EQ(engine::d4check(Expenses, &report), 0) << c.what << ": " << report;
        ShutDownDataStore(false);
    }
}

TEST_F(DatabaseTest, IndexDamagedAfterStartUpIsNamedNotItsTable) {
    StartDataStore();
    const std::string table = Bytes(fileIn("EXP5.dbf"));
    Scramble(fileIn("EDate.ntx"));
    EXPECT_EQ(Ends([] { OpenExpenses(); }).at(0).text, IndexFailText("eDate.Ntx"));
    Scramble(fileIn("IncAcc.ntx"));
    EXPECT_EQ(Ends([] { OpenIncome(); }).at(0).text, IndexFailText("IncAcc.Ntx"));
    EXPECT_EQ(Bytes(fileIn("EXP5.dbf")), table);
    BuildIndexes(false);  // the cure the message names
    EXPECT_TRUE(OpenExpenses());
    EXPECT_TRUE(OpenIncome());
}

}  // namespace
}  // namespace cbk
