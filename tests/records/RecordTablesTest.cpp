#include "records/RecordTables.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "data/Records.h"
#include "data/TableSession.h"
#include "support/FaultyFileSystem.h"
#include "tests/records/RecordOpsFixture.h"

using namespace records;

namespace {

class RecordTables : public cbk::testing::RecordOpsTest {};

}  // namespace

TEST_F(RecordTables, ChoiceListEntriesCarryTheStoredNumberTextAndChooseTheWantedOne) {
    cbk::OpenFolders();
    ChoiceList list = BuildChoiceList(cbk::Folders, cbk::FolNoField, cbk::FolNameField, 3);
    ASSERT_EQ(list.entries.size(), 5u);
    EXPECT_EQ(list.entries[0].substr(0, 14), "   1 - General");
    EXPECT_EQ(list.chosen, 2);
    EXPECT_EQ(list.entries[2].substr(0, 24), "   3 - Smith Kitchen Job");
    // A number that is not there (no default folder) chooses the first entry.
    EXPECT_EQ(BuildChoiceList(cbk::Folders, cbk::FolNoField, cbk::FolNameField, -1).chosen, 0);

    cbk::OpenAccounts();
    list = BuildChoiceList(cbk::Accounts, cbk::AccNoField, cbk::AcDescField, 280);
    EXPECT_EQ(list.entries.at(list.chosen).substr(0, 30), " 280 - Meals and Entertainment");
}

TEST_F(RecordTables, AnEmptyTableGivesAnEmptyListWithNothingChosen) {
    cbk::OpenIncomeAccounts();
    for (long r = 1; r <= engine::d4recCount(cbk::IncomeAccounts); ++r)
        DeleteRecord(cbk::IncomeAccounts, r);
    const ChoiceList list =
        BuildChoiceList(cbk::IncomeAccounts, cbk::IncAccNoField, cbk::IncAcDescField, 0);
    EXPECT_TRUE(list.entries.empty());
    EXPECT_EQ(list.chosen, -1);
}

TEST_F(RecordTables, StoreRecordAppendsForZeroAndRewritesTheGivenRecordOtherwise) {
    cbk::OpenFolders();
    const long count = engine::d4recCount(cbk::Folders);
    cbk::CurFolder = {7, "Seven"};
    const long added = StoreRecord(cbk::Folders, 0, cbk::StoreFolder);
    EXPECT_EQ(added, count + 1);
    cbk::CurFolder = {2, "Two"};
    EXPECT_EQ(StoreRecord(cbk::Folders, 2, cbk::StoreFolder), 2);
    engine::d4go(cbk::Folders, added);
    cbk::LoadFolder();
    EXPECT_EQ(cbk::CurFolder.FolNo, 7);
    engine::d4go(cbk::Folders, 2);
    cbk::LoadFolder();
    EXPECT_EQ(cbk::CurFolder.FolName.substr(0, 4), "Two ");
    EXPECT_EQ(engine::d4recCount(cbk::Folders), count + 1);
}

TEST_F(RecordTables, ASaveIsReportedSavedExactlyWhenTheDiskHoldsItWhicheverWriteFails) {
    engine::FaultyFileSystem disk;
    cbk::StartDataStore(disk);
    for (const long recNo : {0L, 2L}) {
        bool refused = false;
        for (int n = 1;; ++n) {
            cbk::OpenFolders();
            const long count = engine::d4recCount(cbk::Folders);
            platform_->messages.clear();
            cbk::CurFolder = {100 + n, "Renamed"};
            const int writes = disk.calls(engine::FsOp::Write);
            disk.failNth(engine::FsOp::Write, n, ENOSPC);
            const long stored = StoreRecord(cbk::Folders, recNo, cbk::StoreFolder);
            const bool faultMet = disk.calls(engine::FsOp::Write) - writes >= n;
            disk.clearFaults();
            EXPECT_EQ(engine::code4errorCode(cbk::cb, 0), 0) << recNo << " write " << n;
            // The next command opens the table as the disk holds it.
            cbk::CloseAllTables();
            cbk::OpenFolders();
            const long at = recNo == 0 ? count + 1 : recNo;
            bool there = false;
            if (at <= engine::d4recCount(cbk::Folders)) {
                engine::d4go(cbk::Folders, at);
                cbk::LoadFolder();
                there = cbk::CurFolder.FolNo == 100 + n;
            }
            EXPECT_EQ(stored != 0, there) << recNo << " write " << n;
            EXPECT_EQ(platform_->messages.texts(),
                      stored != 0 ? std::vector<std::string>{}
                                  : std::vector<std::string>{SaveRefusedMessage(engine::e4full)});
            refused = refused || stored == 0;
            cbk::CloseAllTables();
            ExpectSound("FOLDER");
            if (!faultMet) break;
        }
        EXPECT_TRUE(refused) << recNo;
    }
    cbk::StartDataStore();  // back on the real disk before this one goes
}

TEST_F(RecordTables, AChangeToAReadOnlyTableIsReportedAndTheTableReadsAsBefore) {
    engine::FaultyFileSystem disk;
    cbk::StartDataStore(disk);
    disk.onlyPaths(fileIn("FOLDER.dbf").filename().string());
    disk.failNth(engine::FsOp::Open, 1, EACCES);  // opened read-only instead
    cbk::OpenFolders();
    disk.clearFaults();
    cbk::CurFolder = {9, "Nine"};
    EXPECT_EQ(StoreRecord(cbk::Folders, 2, cbk::StoreFolder), 0);
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{SaveRefusedMessage(engine::e4access)});
    EXPECT_EQ(engine::code4errorCode(cbk::cb, 0), 0);
    engine::d4go(cbk::Folders, 2);
    cbk::LoadFolder();
    EXPECT_EQ(cbk::CurFolder.FolNo, 2);
    cbk::CloseAllTables();
    cbk::StartDataStore();
}

// A disk that fills up part-way through the save of an expense or an income record, new or
// changed, and stays full: the save is refused with the disk named, the program goes on, the
// table reads while the disk is still full, and once there is room the table is whole, without
// a half record, with a count that tells the truth and sound indexes.
TEST_F(RecordTables, ARecordSavedOntoADiskThatFillsUpIsRefusedAndTheTableStaysWhole) {
    engine::FaultyFileSystem disk;
    cbk::StartDataStore(disk);
    for (const char* table : {"EXP5", "INC5"}) {
        const bool expenses = table == std::string("EXP5");
        engine::Data4** handle = expenses ? &cbk::Expenses : &cbk::Income;
        for (const long recNo : {0L, 3L}) {
            bool refused = false;
            for (int n = 1;; ++n) {
                SCOPED_TRACE(std::string(table) + " " + std::to_string(recNo) + " " +
                             std::to_string(n));
                cbk::OpenTableNamed(table);
                const long count = engine::d4recCount(*handle);
                engine::d4go(*handle, 1);  // record 1's values under a payee of its own
                expenses ? cbk::LoadExpense() : cbk::LoadIncome();
                (expenses ? cbk::CurExpense.PayTo : cbk::CurIncome.IncDesc) = "Full disk";
                platform_->messages.clear();
                const int writes = disk.calls(engine::FsOp::Write);
                disk.failNth(engine::FsOp::Write, n, ENOSPC, /*sticky=*/true);
                const long stored =
                    StoreRecord(*handle, recNo, expenses ? cbk::StoreExpense : cbk::StoreIncome);
                const bool faultMet = disk.calls(engine::FsOp::Write) - writes >= n;
                refused = refused || stored == 0;
                EXPECT_EQ(platform_->messages.texts(),
                          stored != 0
                              ? std::vector<std::string>{}
                              : std::vector<std::string>{SaveRefusedMessage(engine::e4full)});
                EXPECT_EQ(engine::d4top(*handle), 0);
                EXPECT_EQ(engine::code4errorCode(cbk::cb, 0), 0);
                cbk::CloseAllTables();
                disk.clearFaults();
                ExpectSound(table);
                cbk::OpenTableNamed(table);
                const long added = recNo == 0 && stored != 0 ? 1 : 0;
                EXPECT_EQ(engine::d4recCount(*handle), count + added);
                cbk::CloseAllTables();
                if (!faultMet) break;
            }
            EXPECT_TRUE(refused);
        }
    }
    cbk::StartDataStore();
}
