#include "records/AccountOps.h"

#include <gtest/gtest.h>

#include "data/Records.h"
#include "records/RecordTables.h"
#include "tests/records/RecordOpsFixture.h"

using namespace records;
using cbk::CloseAllTables;
using platform::Answer;
using platform::Buttons;
using platform::MessageKind;
using platform::RecordedMessage;

namespace {

class AccountOps : public cbk::testing::RecordOpsTest {
protected:
    void SetUp() override {
        RecordOpsTest::SetUp();
        if (HasFatalFailure()) return;
        OpenBoth();
    }
    void OpenBoth() {
        cbk::OpenAccounts();
        cbk::OpenIncomeAccounts();
    }

    long RecordOf(AccountChart chart, int n) {
        return AccountNoFree(chart, n) ? 0 : engine::d4recNo(AccountTable(chart));
    }

    cbk::AccountRec Loaded(AccountChart chart, long rec) {
        engine::d4go(AccountTable(chart), rec);
        LoadAccountOf(chart);
        cbk::AccountRec r = AccountBuffer(chart);
        r.AcDesc.erase(r.AcDesc.find_last_not_of(' ') + 1);
        return r;
    }

    static AccountEntry Entry(int n, std::string description, bool flag = true) {
        return {n, std::to_string(n), std::move(description), flag};
    }
};

}  // namespace

TEST_F(AccountOps, NewAccountIsOfferedOneMoreThanTheHighest) {
    EXPECT_EQ(NextAccountNo(AccountChart::Expense), 331);  // 100 ... 330
    EXPECT_EQ(NextAccountNo(AccountChart::Income), 51);    // 10 ... 50
    // Gaps are not reused; a deleted highest account no longer counts.
    DeleteRecord(cbk::IncomeAccounts, RecordOf(AccountChart::Income, 50));
    EXPECT_EQ(NextAccountNo(AccountChart::Income), 41);
    for (int n : {10, 20, 30, 40})
        DeleteRecord(cbk::IncomeAccounts, RecordOf(AccountChart::Income, n));
    EXPECT_EQ(NextAccountNo(AccountChart::Income), 1);
}

TEST_F(AccountOps, ANumberIsTakenOnlyByALiveAccountOfTheSameChart) {
    EXPECT_FALSE(AccountNoFree(AccountChart::Expense, 100));
    EXPECT_TRUE(AccountNoFree(AccountChart::Expense, 101));
    EXPECT_TRUE(AccountNoFree(AccountChart::Expense, 10));  // an income account only
    EXPECT_FALSE(AccountNoFree(AccountChart::Income, 10));
    EXPECT_TRUE(AccountNoFree(AccountChart::Expense, 9999));
    DeleteRecord(cbk::Accounts, RecordOf(AccountChart::Expense, 100));
    EXPECT_TRUE(AccountNoFree(AccountChart::Expense, 100));
}

TEST_F(AccountOps, NewAccountWithTheNumberOfADeletedUnpackedOneIsStored) {
    const long old = RecordOf(AccountChart::Expense, 150);
    DeleteRecord(cbk::Accounts, old);
    platform_->messages.answer(Answer::No);
    const AccountOutcome out =
        SaveNewAccount(AccountChart::Expense, Entry(150, "Tool Rental", false));
    EXPECT_EQ(out.step, AccountStep::Close);
    EXPECT_NE(out.choice, old);
    EXPECT_EQ(RecordOf(AccountChart::Expense, 150), out.choice);
    const cbk::AccountRec r = Loaded(AccountChart::Expense, out.choice);
    EXPECT_EQ(r.AccNo, 150);
    EXPECT_EQ(r.AcDesc, "Tool Rental");
    EXPECT_FALSE(r.AcDed);
    EXPECT_EQ(platform_->messages.shown.back(),
              (RecordedMessage{MessageKind::Confirm, "Add another account?", Buttons::YesNo}));
}

TEST_F(AccountOps, NewAccountWithATakenNumberIsRefusedAndNothingStored) {
    const long count = engine::d4recCount(cbk::Accounts);
    EXPECT_EQ(SaveNewAccount(AccountChart::Expense, Entry(110, "Trucks")).step,
              AccountStep::StayOpen);
    EXPECT_EQ(platform_->messages.shown.at(0),
              (RecordedMessage{MessageKind::Information,
                               "Account number already exists.  Please enter a different number.",
                               Buttons::OK}));
    EXPECT_EQ(engine::d4recCount(cbk::Accounts), count);
}

TEST_F(AccountOps, AccountNumberZeroIsRefusedAtSave) {
    const long count = engine::d4recCount(cbk::IncomeAccounts);
    EXPECT_EQ(SaveNewAccount(AccountChart::Income, Entry(0, "Nothing")).step,
              AccountStep::StayOpen);
    const long rec = RecordOf(AccountChart::Income, 20);
    EXPECT_EQ(SaveExistingAccount(AccountChart::Income, rec, 20, Entry(0, "Nothing")).step,
              AccountStep::StayOpen);
    ASSERT_EQ(platform_->messages.shown.size(), 2u);
    for (const auto& m : platform_->messages.shown)
        EXPECT_EQ(m, (RecordedMessage{MessageKind::Information,
                                      "Account Number must be greater than zero.", Buttons::OK}));
    EXPECT_EQ(engine::d4recCount(cbk::IncomeAccounts), count);
    EXPECT_EQ(Loaded(AccountChart::Income, rec).AccNo, 20);
}

TEST_F(AccountOps, AddAnotherKeepsTheFormOpenForTheNextNumber) {
    platform_->messages.answer(Answer::Yes);
    EXPECT_EQ(SaveNewAccount(AccountChart::Income, Entry(51, "Grants")).step,
              AccountStep::AddAnother);
    EXPECT_EQ(NextAccountNo(AccountChart::Income), 52);
}

TEST_F(AccountOps, DescriptionAndFlagChangeTouchNoRecord) {
    const long rec = RecordOf(AccountChart::Expense, 280);
    const std::string before = RecordFiles();
    OpenBoth();
    const AccountOutcome out =
        SaveExistingAccount(AccountChart::Expense, rec, 280, Entry(280, "Meals", true));
    EXPECT_EQ(out.step, AccountStep::Close);
    EXPECT_EQ(out.choice, rec);
    EXPECT_TRUE(platform_->messages.shown.empty());
    const cbk::AccountRec r = Loaded(AccountChart::Expense, rec);
    EXPECT_EQ(r.AcDesc, "Meals");
    EXPECT_TRUE(r.AcDed);
    EXPECT_EQ(RecordFiles(), before);
}

TEST_F(AccountOps, ExpenseRenumberMovesEveryExpenseAndTouchesNoIncome) {
    CloseAllTables();
    HideSome("EXP5", true, 110);
    const auto exp = Raw("EXP5");
    const std::string income = Bytes("INC5.dbf");
    OpenBoth();
    const long rec = RecordOf(AccountChart::Expense, 110);

    const AccountOutcome out =
        SaveExistingAccount(AccountChart::Expense, rec, 110, Entry(115, "Vehicles"));
    EXPECT_EQ(platform_->messages.shown.at(0),
              (RecordedMessage{MessageKind::Information,
                               "ACCOUNT NUMBER CHANGED!\r\n\r\nIf you continue, all expenses in "
                               "account 110 will be moved to account number 115 AND Account "
                               "Number 110 will no longer exist.",
                               Buttons::OKCancel}));
    EXPECT_EQ(out.step, AccountStep::Close);
    EXPECT_EQ(out.choice, rec);
    EXPECT_FALSE(out.marked);
    EXPECT_EQ(RecordOf(AccountChart::Expense, 115), rec);
    EXPECT_EQ(Loaded(AccountChart::Expense, rec).AcDesc, "Vehicles");

    CloseAllTables();
    const auto after = Raw("EXP5");
    ASSERT_EQ(after.size(), exp.size());
    for (std::size_t i = 0; i < exp.size(); ++i) {
        EXPECT_EQ(after[i].accNo, exp[i].accNo == 110 ? 115 : exp[i].accNo);
        EXPECT_EQ(after[i].deleted, exp[i].deleted);
        EXPECT_EQ(after[i].archived, exp[i].archived);
    }
    EXPECT_GT(Count(after, true, 115, /*deletedOnly=*/true), 0);
    EXPECT_EQ(Bytes("INC5.dbf"), income);
    for (const char* t : {"EXP5", "ACC"}) ExpectSound(t);
}

TEST_F(AccountOps, IncomeMergeMovesIncomeDeletesTheTargetAndKeepsTheEditedRecord) {
    CloseAllTables();
    HideSome("INC5", true, 20);
    const auto inc = Raw("INC5");
    const std::string expenses = Bytes("EXP5.dbf");
    OpenBoth();
    const long edited = RecordOf(AccountChart::Income, 20);
    const long target = RecordOf(AccountChart::Income, 10);

    const AccountOutcome out = SaveExistingAccount(AccountChart::Income, edited, 20,
                                                   Entry(10, "Rents and Contracts", false));
    EXPECT_EQ(platform_->messages.shown.at(0).text,
              "ACCOUNT NUMBER 10 ALREADY EXISTS.\r\n\r\nIf you continue, all income in account 20 "
              "will be merged into account 10 which will be renamed to Rents and Contracts");
    EXPECT_EQ(out.step, AccountStep::Close);
    EXPECT_TRUE(out.marked);
    EXPECT_EQ(out.choice, edited);
    EXPECT_EQ(RecordOf(AccountChart::Income, 10), edited);
    const cbk::AccountRec r = Loaded(AccountChart::Income, edited);
    EXPECT_EQ(r.AcDesc, "Rents and Contracts");
    EXPECT_FALSE(r.AcDed);
    engine::d4go(cbk::IncomeAccounts, target);
    EXPECT_TRUE(engine::d4deleted(cbk::IncomeAccounts));

    CloseAllTables();
    const auto after = Raw("INC5");
    EXPECT_EQ(Count(after, true, 20), 0);
    EXPECT_EQ(Count(after, true, 10), Count(inc, true, 10) + Count(inc, true, 20));
    EXPECT_EQ(Bytes("EXP5.dbf"), expenses);
    for (const char* t : {"INC5", "ACCI"}) ExpectSound(t);
}

TEST_F(AccountOps, CancelThenDeleteDeletesTheAccountShownNotTheOneTyped) {
    const long rec = RecordOf(AccountChart::Expense, 200);
    const std::string before = RecordFiles() + Bytes("ACC.dbf");
    OpenBoth();
    platform_->messages.answer(Answer::Cancel);
    EXPECT_EQ(SaveExistingAccount(AccountChart::Expense, rec, 200, Entry(190, "x")).step,
              AccountStep::StayOpen);
    platform_->messages.answer(Answer::Cancel);
    EXPECT_EQ(SaveExistingAccount(AccountChart::Expense, rec, 200, Entry(205, "x")).step,
              AccountStep::StayOpen);
    EXPECT_EQ(RecordFiles() + Bytes("ACC.dbf"), before);

    OpenBoth();
    const auto exp = Raw("EXP5");
    platform_->messages.answer(Answer::Yes);
    const AccountOutcome out = DeleteAccount(AccountChart::Expense, rec, 200);
    EXPECT_EQ(out.step, AccountStep::Close);
    EXPECT_EQ(out.choice, 0);
    EXPECT_TRUE(out.marked);
    EXPECT_EQ(RecordOf(AccountChart::Expense, 200), 0);
    EXPECT_NE(RecordOf(AccountChart::Expense, 190), 0);
    const auto after = Raw("EXP5");
    for (std::size_t i = 0; i < exp.size(); ++i)
        EXPECT_EQ(after[i].deleted, exp[i].accNo == 200 || exp[i].deleted) << i;
}

TEST_F(AccountOps, IncomeAccountDeleteAsksInItsOwnWordsAndMarksOnlyIncome) {
    CloseAllTables();
    HideSome("INC5", true, 10);
    const auto inc = Raw("INC5");
    const std::string expenses = Bytes("EXP5.dbf");
    OpenBoth();
    platform_->messages.answer(Answer::No);
    EXPECT_EQ(DeleteAccount(AccountChart::Income, RecordOf(AccountChart::Income, 10), 10).step,
              AccountStep::StayOpen);
    EXPECT_EQ(platform_->messages.shown.at(0),
              (RecordedMessage{MessageKind::Warning,
                               "WARNING: All income assigned to this account will be "
                               "deleted.\r\n\r\nARE YOU SURE YOU WANT TO DELETE THIS ACCOUNT?",
                               Buttons::YesNo, platform::DefaultButton::Negative}));
    EXPECT_EQ(Raw("INC5").size(), inc.size());
    EXPECT_EQ(Count(Raw("INC5"), true, 10, true), 1);  // only the one hidden above

    DeleteAccount(AccountChart::Income, RecordOf(AccountChart::Income, 10), 10);
    EXPECT_EQ(Count(Raw("INC5"), true, 10, true), Count(inc, true, 10));
    EXPECT_EQ(DeleteAccountQuestion(AccountChart::Expense),
              "WARNING: All expenses assigned to this account will be deleted.\r\n\r\nARE YOU "
              "SURE YOU WANT TO DELETE THIS ACCOUNT?");
    CloseAllTables();
    EXPECT_EQ(Bytes("EXP5.dbf"), expenses);
    for (const char* t : {"INC5", "ACCI"}) ExpectSound(t);
}

TEST(AccountChartOf, KindIChoosesIncomeAndAnythingElseExpense) {
    EXPECT_EQ(ChartOf('I'), AccountChart::Income);
    EXPECT_EQ(ChartOf('E'), AccountChart::Expense);
    EXPECT_EQ(TaxCaption(AccountChart::Expense), "Tax Deductible");
    EXPECT_EQ(TaxCaption(AccountChart::Income), "Taxable");
    EXPECT_EQ(AccountChangedMessage(AccountChart::Income, 20, "25"),
              "ACCOUNT NUMBER CHANGED!\r\n\r\nIf you continue, all income in account 20 will be "
              "moved to account number 25 AND Account Number 20 will no longer exist.");
}
