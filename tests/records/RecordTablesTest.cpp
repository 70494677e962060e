#include "records/RecordTables.h"

#include <gtest/gtest.h>

#include "data/Records.h"
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
