#include "records/FolderOps.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "data/Records.h"
#include "records/RecordTables.h"
#include "support/FaultyFileSystem.h"
#include "tests/records/RecordOpsFixture.h"

using namespace records;
using cbk::CloseAllTables;
using cbk::testing::RawRecord;
using platform::Answer;
using platform::Buttons;
using platform::MessageKind;
using platform::RecordedMessage;

namespace {

class FolderOps : public cbk::testing::RecordOpsTest {
protected:
    void SetUp() override {
        RecordOpsTest::SetUp();
        if (HasFatalFailure()) return;
        cbk::OpenFolders();
    }

    // Record number of the folder numbered n, by a walk of the live folders.
    long RecordOf(int n) { return LiveFolderRecord(n); }

    void MarkFolderDeleted(int n) {
        const long rec = RecordOf(n);
        ASSERT_GT(rec, 0);
        DeleteRecord(cbk::Folders, rec);
    }

    std::string FolderName(long rec) {
        engine::d4go(cbk::Folders, rec);
        cbk::LoadFolder();
        return cbk::CurFolder.FolName.substr(0, cbk::CurFolder.FolName.find_last_not_of(' ') + 1);
    }
};

}  // namespace

TEST_F(FolderOps, NewFolderTakesTheFirstGapOrOneMoreThanTheLast) {
    EXPECT_EQ(NextFreeFolderNo(), 6);  // folders 1 to 5
    MarkFolderDeleted(3);              // deleted but not yet packed: its number is free
    EXPECT_EQ(NextFreeFolderNo(), 3);
    MarkFolderDeleted(1);
    MarkFolderDeleted(4);
    MarkFolderDeleted(5);
    EXPECT_EQ(NextFreeFolderNo(), 1);  // folder 2 only
    MarkFolderDeleted(2);
    EXPECT_EQ(NextFreeFolderNo(), 1);  // none at all
}

TEST_F(FolderOps, AFolderNumberedZeroDoesNotHideTheTakenNumbers) {
    // The number field accepts 0, so a folder can be renumbered to it.
    const long rec = RecordOf(3);
    EXPECT_EQ(SaveExistingFolder(rec, 3, 0, "0", "Scratch").step, FolderStep::Close);
    EXPECT_EQ(NextFreeFolderNo(), 3);
    platform_->messages.answer(Answer::No);
    SaveNewFolder("New");
    EXPECT_EQ(NextFreeFolderNo(), 6);
}

TEST_F(FolderOps, SaveNewFolderAppendsTheNextFreeNumberAndAsksForAnother) {
    MarkFolderDeleted(2);
    platform_->messages.answer(Answer::Yes);
    FolderOutcome out = SaveNewFolder("Elm Street Flip");
    EXPECT_EQ(out.step, FolderStep::AddAnother);
    EXPECT_EQ(RecordOf(2), engine::d4recCount(cbk::Folders));
    EXPECT_EQ(FolderName(RecordOf(2)), "Elm Street Flip");
    EXPECT_EQ(platform_->messages.shown.back(),
              (RecordedMessage{MessageKind::Confirm, "Add another folder?", Buttons::YesNo}));

    platform_->messages.answer(Answer::No);
    out = SaveNewFolder("Lake House");
    EXPECT_EQ(out.step, FolderStep::Close);
    EXPECT_EQ(out.choice, RecordOf(6));
    EXPECT_FALSE(out.marked);
    EXPECT_EQ(FolderName(out.choice), "Lake House");
}

// The disk fills up part-way through a new folder and stays full: the table is left without
// its index, so a second try is refused before it looks for a free number in the wrong order;
// once there is room the folder takes the next free number.
TEST_F(FolderOps, AFolderRefusedByAFullDiskTakesTheNextFreeNumberOnceThereIsRoom) {
    engine::FaultyFileSystem disk;
    cbk::StartDataStore(disk);
    cbk::OpenFolders();
    disk.failNth(engine::FsOp::Write, 2, ENOSPC, /*sticky=*/true);
    EXPECT_EQ(SaveNewFolder("Lake House").choice, 0);
    EXPECT_EQ(SaveNewFolder("Lake House").choice, 0);
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>(2, SaveRefusedMessage(engine::e4full)));
    EXPECT_EQ(engine::code4errorCode(cbk::cb, 0), 0);

    disk.clearFaults();
    platform_->messages.answer(Answer::No);
    const FolderOutcome out = SaveNewFolder("Lake House");
    EXPECT_EQ(out.step, FolderStep::Close);
    EXPECT_EQ(RecordOf(6), out.choice);
    EXPECT_EQ(FolderName(out.choice), "Lake House");
    CloseAllTables();
    ExpectSound("FOLDER");
    cbk::StartDataStore();
}

TEST_F(FolderOps, RenameTouchesNoIncomeOrExpenseRecord) {
    const long rec = RecordOf(4);
    const std::string before = RecordFiles();
    cbk::OpenFolders();
    const FolderOutcome out = SaveExistingFolder(rec, 4, 4, "4", "Oak Avenue Fourplex");
    EXPECT_EQ(out.step, FolderStep::Close);
    EXPECT_EQ(out.choice, rec);
    EXPECT_TRUE(platform_->messages.shown.empty());
    EXPECT_EQ(FolderName(rec), "Oak Avenue Fourplex");
    EXPECT_EQ(RecordFiles(), before);
}

TEST_F(FolderOps, RenumberIntoAFreeNumberMovesEveryRecordDeletedAndArchivedIncluded) {
    CloseAllTables();
    HideSome("EXP5", false, 5);
    HideSome("INC5", false, 5);
    const auto exp = Raw("EXP5");
    const auto inc = Raw("INC5");
    cbk::OpenFolders();
    const long rec = RecordOf(5);

    const FolderOutcome out = SaveExistingFolder(rec, 5, 8, "8", "Harbor Office");
    EXPECT_EQ(platform_->messages.shown.at(0),
              (RecordedMessage{MessageKind::Information,
                               "FOLDER NUMBER CHANGED!\r\n\r\nIf you continue, all income and "
                               "expenses in folder 5 will be assigned to folder number 8 AND "
                               "Folder Number 5 will no longer exist.",
                               Buttons::OKCancel}));
    EXPECT_EQ(out.step, FolderStep::Close);
    EXPECT_EQ(out.choice, rec);
    EXPECT_FALSE(out.marked);
    EXPECT_EQ(RecordOf(8), rec);
    EXPECT_EQ(RecordOf(5), 0);
    EXPECT_EQ(FolderName(rec), "Harbor Office");

    CloseAllTables();
    const auto expAfter = Raw("EXP5");
    const auto incAfter = Raw("INC5");
    EXPECT_EQ(Count(expAfter, false, 5), 0);
    EXPECT_EQ(Count(incAfter, false, 5), 0);
    EXPECT_EQ(Count(expAfter, false, 8), Count(exp, false, 5));
    EXPECT_EQ(Count(incAfter, false, 8), Count(inc, false, 5));
    for (std::size_t i = 0; i < exp.size(); ++i) {
        // Only the folder number changes: the delete marks and archive flags stay.
        EXPECT_EQ(expAfter[i].folNo, exp[i].folNo == 5 ? 8 : exp[i].folNo);
        EXPECT_EQ(expAfter[i].deleted, exp[i].deleted);
        EXPECT_EQ(expAfter[i].archived, exp[i].archived);
    }
    for (const char* t : {"EXP5", "INC5", "FOLDER"}) ExpectSound(t);
}

TEST_F(FolderOps, RenumberIntoALiveNumberMergesAndTheTargetFolderGoes) {
    CloseAllTables();
    HideSome("EXP5", false, 5);
    const auto exp = Raw("EXP5");
    const auto inc = Raw("INC5");
    cbk::OpenFolders();
    const long edited = RecordOf(5);
    const long target = RecordOf(3);

    const FolderOutcome out = SaveExistingFolder(edited, 5, 3, "3", "Kitchen and Office");
    EXPECT_EQ(platform_->messages.shown.at(0).text,
              "FOLDER NUMBER 3 ALREADY EXISTS.\r\n\r\nIf you continue, all income and expenses in "
              "folder 5 will be merged into folder number 3 which will be renamed to Kitchen and "
              "Office");
    EXPECT_EQ(platform_->messages.shown.at(0).buttons, Buttons::OKCancel);
    EXPECT_EQ(out.step, FolderStep::Close);
    EXPECT_TRUE(out.marked);
    EXPECT_EQ(out.choice, edited);  // the survivor, not the folder merged away
    EXPECT_EQ(RecordOf(3), edited);
    EXPECT_EQ(FolderName(edited), "Kitchen and Office");
    engine::d4go(cbk::Folders, target);
    EXPECT_TRUE(engine::d4deleted(cbk::Folders));

    CloseAllTables();
    EXPECT_EQ(Count(Raw("EXP5"), false, 3), Count(exp, false, 3) + Count(exp, false, 5));
    EXPECT_EQ(Count(Raw("INC5"), false, 3), Count(inc, false, 3) + Count(inc, false, 5));
    EXPECT_EQ(Count(Raw("EXP5"), false, 5), 0);
    for (const char* t : {"EXP5", "INC5", "FOLDER"}) ExpectSound(t);
}

TEST_F(FolderOps, CancelToEitherNumberQuestionChangesNothing) {
    const long rec = RecordOf(5);
    const std::string records = RecordFiles();
    const std::string folders = Bytes("FOLDER.dbf");
    cbk::OpenFolders();
    platform_->messages.answer(Answer::Cancel);
    EXPECT_EQ(SaveExistingFolder(rec, 5, 8, "8", "x").step, FolderStep::StayOpen);
    platform_->messages.answer(Answer::Cancel);
    EXPECT_EQ(SaveExistingFolder(rec, 5, 3, "3", "x").step, FolderStep::StayOpen);
    EXPECT_EQ(platform_->messages.shown.size(), 2u);
    EXPECT_EQ(RecordFiles(), records);
    EXPECT_EQ(Bytes("FOLDER.dbf"), folders);
}

TEST_F(FolderOps, DeleteMarksEveryRecordOfTheFolderAndNothingElse) {
    CloseAllTables();
    HideSome("EXP5", false, 2);
    HideSome("INC5", false, 2);
    const auto exp = Raw("EXP5");
    const auto inc = Raw("INC5");
    cbk::OpenFolders();
    const long rec = RecordOf(2);

    const FolderOutcome out = DeleteFolder(rec, 2);
    EXPECT_EQ(platform_->messages.shown.at(0),
              (RecordedMessage{MessageKind::Warning,
                               "WARNING: All income and expenses assigned to this folder will be "
                               "deleted.\r\n\r\nARE YOU SURE YOU WANT TO DELETE THIS FOLDER?",
                               Buttons::YesNo, platform::DefaultButton::Negative}));
    EXPECT_EQ(out.step, FolderStep::Close);
    EXPECT_EQ(out.choice, 0);
    EXPECT_TRUE(out.marked);
    EXPECT_EQ(RecordOf(2), 0);

    CloseAllTables();
    for (const auto& [before, after] : {std::pair{exp, Raw("EXP5")}, std::pair{inc, Raw("INC5")}}) {
        ASSERT_EQ(before.size(), after.size());
        EXPECT_GT(Count(before, false, 2), 2);
        for (std::size_t i = 0; i < before.size(); ++i)
            EXPECT_EQ(after[i].deleted, before[i].folNo == 2 || before[i].deleted) << i;
    }
    for (const char* t : {"EXP5", "INC5", "FOLDER"}) ExpectSound(t);
}

TEST_F(FolderOps, DeleteAnsweredNoChangesNothing) {
    const long rec = RecordOf(2);
    const std::string records = RecordFiles();
    const std::string folders = Bytes("FOLDER.dbf");
    cbk::OpenFolders();
    platform_->messages.answer(Answer::No);
    EXPECT_EQ(DeleteFolder(rec, 2).step, FolderStep::StayOpen);
    EXPECT_EQ(RecordFiles(), records);
    EXPECT_EQ(Bytes("FOLDER.dbf"), folders);
}

TEST_F(FolderOps, MoveFolderLeavesTheRecordTablesClosed) {
    EXPECT_GT(MoveFolder(1, 9), 0);
    EXPECT_EQ(cbk::Expenses, nullptr);
    EXPECT_EQ(cbk::Income, nullptr);
    EXPECT_NE(cbk::Folders, nullptr);
    EXPECT_EQ(MoveFolder(1, 9), 0);  // nothing left in folder 1
}
