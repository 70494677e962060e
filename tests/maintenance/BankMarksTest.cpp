#include <gtest/gtest.h>

#include <filesystem>
#include <tuple>

#include "bank/BankMarks.h"
#include "data/TableSession.h"
#include "maintenance/Archive.h"
#include "maintenance/CopyData.h"
#include "maintenance/Recovery.h"
#include "tests/maintenance/MaintenanceFixture.h"

using namespace bank;
using namespace engine;

namespace {

// One live record as the books show it: what it is, and its account and marks.
using Seen = std::tuple<char, std::string, std::int32_t, bool, std::uint32_t>;

class BankMarksThroughCommands : public cbk::testing::MaintenanceTest {
protected:
    std::vector<Seen> Snapshot() {
        cbk::TableSession session({"EXP5", "INC5"});
        const Marks marks = LoadMarks();
        std::vector<Seen> out;
        for (Kind kind : {Kind::Expense, Kind::Income})
            WalkKeys(kind, [&](long, const RecordKey& key) {
                const std::string what = kind == Kind::Expense
                                             ? f4str(cbk::ExpDateField) + f4str(cbk::PayToField) +
                                                   f4str(cbk::AmountField)
                                             : f4str(cbk::IncDateField) + f4str(cbk::IncDescField) +
                                                   f4str(cbk::IncAmtField);
                const Mark* m = marks.Find(key);
                out.emplace_back(char(kind), what, m ? m->bankNo : -1, m && m->cleared,
                                 m ? m->reconciled : 0u);
            });
        return out;
    }
};

TEST_F(BankMarksThroughCommands, PackArchiveRenumberBackupAndRestoreKeepEveryMark) {
    {
        cbk::TableSession session({"EXP5", "INC5"});
        // Two identical expenses, the first of them deleted below: the second's place moves.
        for (int i = 0; i < 2; ++i) AddExpense(cbk::testing::Ymd(2025, 6, 1), 100, 42);
        d4flush(cbk::Expenses);
        ASSERT_EQ(EnsureMarks(), "");
        Marks marks = LoadMarks();
        int n = 0;
        for (auto& [key, mark] : marks.byKey) {
            mark.bankNo = 1 + n % 3;
            mark.cleared = n % 2 == 0;
            if (n % 5 == 0) mark.reconciled = 20260131;
            ++n;
        }
        ASSERT_EQ(ReplaceMarks(marks), "");
        const long twin = d4recCount(cbk::Expenses) - 1;
        for (long recNo : {2L, twin}) {
            const Before before = MarkBefore(Kind::Expense, recNo);
            d4go(cbk::Expenses, recNo);
            d4delete(cbk::Expenses);
            ASSERT_EQ(MarkDeleted(Kind::Expense, before), "");
        }
        d4go(cbk::Income, 3);
        const Before before = MarkBefore(Kind::Income, 3);
        d4delete(cbk::Income);
        ASSERT_EQ(MarkDeleted(Kind::Income, before), "");
    }
    const std::vector<Seen> expected = Snapshot();
    ASSERT_GT(expected.size(), 10u);

    maintenance::PackDataFiles(true);
    EXPECT_EQ(Snapshot(), expected) << "pack";

    maintenance::ArchiveRecords(true, cbk::testing::Ymd(2000, 1, 1),
                                cbk::testing::Ymd(2025, 12, 31));
    EXPECT_EQ(Snapshot(), expected) << "archive";

    {  // a folder and an account renumbered, as their cascades write them
        cbk::TableSession session({"EXP5", "INC5"});
        for (int rc = d4top(cbk::Expenses); rc == r4success; rc = d4skip(cbk::Expenses, 1)) {
            f4assignLong(cbk::ExpFolNoField, 77);
            f4assignLong(cbk::ExpAccNoField, f4long(cbk::ExpAccNoField) + 1);
        }
        for (int rc = d4top(cbk::Income); rc == r4success; rc = d4skip(cbk::Income, 1))
            f4assignLong(cbk::IncFolNoField, 77);
    }
    EXPECT_EQ(Snapshot(), expected) << "renumber";

    ASSERT_TRUE(maintenance::CopyDataFiles(true, backupDir_.string(), false));
    {
        cbk::TableSession session({"EXP5", "INC5"});
        ASSERT_EQ(AssignAll(9), "");
    }
    ASSERT_TRUE(maintenance::CopyDataFiles(false, backupDir_.string(), false));
    maintenance::FinishRestore();
    EXPECT_EQ(Snapshot(), expected) << "restore";

    // A backup from before bank accounts brings records without marks: they come back in the
    // default account, uncleared.
    std::filesystem::remove(backupDir_ / "BANKMARK.bak");
    ASSERT_TRUE(maintenance::CopyDataFiles(false, backupDir_.string(), false));
    maintenance::FinishRestore();
    EXPECT_FALSE(std::filesystem::exists(fileIn("BANKMARK.dbf")));
    {
        cbk::TableSession session({"EXP5", "INC5"});
        ASSERT_EQ(EnsureMarks(), "");
    }
    for (const Seen& s : Snapshot()) {
        EXPECT_EQ(std::get<2>(s), 1);
        EXPECT_FALSE(std::get<3>(s));
    }
}

TEST_F(BankMarksThroughCommands, RecoveredRecordsComeBackIntoTheDefaultAccount) {
    {
        cbk::TableSession session({"EXP5", "INC5"});
        ASSERT_EQ(AssignAll(1), "");
        const Before before = MarkBefore(Kind::Expense, 1);
        d4go(cbk::Expenses, 1);
        d4delete(cbk::Expenses);
        ASSERT_EQ(MarkDeleted(Kind::Expense, before), "");
    }
    maintenance::PackDataFiles(true);
    const auto rows = maintenance::RecoverableRecords(maintenance::RecordKind::Expense);
    ASSERT_EQ(rows.size(), 1u);
    ASSERT_EQ(maintenance::RecoverRecords(maintenance::RecordKind::Expense, {rows[0].recNo}), 1);
    for (const Seen& s : Snapshot()) EXPECT_EQ(std::get<2>(s), 1) << std::get<1>(s);
}

}  // namespace
