// Erasing the sample data: which questions follow which answers and what each empties; and a
// pack with nothing marked.

#include "maintenance/EraseData.h"

#include "MaintenanceFixture.h"
#include "maintenance/Archive.h"
#include "maintenance/CommandReports.h"

namespace cbk::testing {
namespace {

using platform::Answer;

const char* const kTables[] = {"INC5", "EXP5", "ACCI", "ACC", "FOLDER"};

class Erase : public MaintenanceTest {
protected:
    std::vector<long> Counts() {
        std::vector<long> counts;
        for (const char* t : kTables) counts.push_back(RecordsIn(t));
        return counts;
    }
};

TEST_F(Erase, EachQuestionFollowsOnlyTheErasuresItDependsOn) {
    struct Case {
        const char* name;
        std::vector<Answer> answers;
        std::vector<std::string> asked;
        std::vector<bool> emptied;  // INC5, EXP5, ACCI, ACC, FOLDER
    };
    const std::string inc(maintenance::kEraseIncome), exp(maintenance::kEraseExpense),
        incAcc(maintenance::kEraseIncomeAccounts), expAcc(maintenance::kEraseExpenseAccounts),
        fol(maintenance::kEraseFolders);
    const Case cases[] = {
        {"cancel both", {Answer::Cancel, Answer::Cancel}, {inc, exp}, {0, 0, 0, 0, 0}},
        {"income only",
         {Answer::OK, Answer::Cancel, Answer::OK},
         {inc, exp, incAcc},
         {1, 0, 1, 0, 0}},
        {"expense only, keep its accounts",
         {Answer::Cancel, Answer::OK, Answer::Cancel},
         {inc, exp, expAcc},
         {0, 1, 0, 0, 0}},
        {"records only",
         {Answer::OK, Answer::OK, Answer::Cancel, Answer::Cancel, Answer::Cancel},
         {inc, exp, incAcc, expAcc, fol},
         {1, 1, 0, 0, 0}},
        {"all five", {}, {inc, exp, incAcc, expAcc, fol}, {1, 1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        dir_.reset();
        SetUp();
        const std::vector<long> before = Counts();
        for (long n : before) ASSERT_GT(n, 0) << c.name;
        for (Answer a : c.answers) platform_->messages.answer(a);
        maintenance::EraseData();
        EXPECT_EQ(platform_->messages.texts(), c.asked) << c.name;
        for (const auto& m : platform_->messages.shown) {
            EXPECT_EQ(m.kind, platform::MessageKind::Information);
            EXPECT_EQ(m.buttons, platform::Buttons::OKCancel);
            EXPECT_EQ(m.byDefault, platform::DefaultButton::Negative) << "Enter must not erase";
        }
        const std::vector<long> after = Counts();
        for (std::size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i], c.emptied[i] ? 0 : before[i]) << c.name << " " << kTables[i];
            ExpectSound(kTables[i]);
        }
        EXPECT_EQ(Folders, nullptr);
        platform_->messages.clear();
    }
}

// The statement ids go with the records they describe, the recovery tables stay; a No before
// the first change erases nothing and asks nothing more.
TEST_F(Erase, StatementIdsGoWithTheRecordsAndANoBeforeTheChangeErasesNothing) {
    MakeSideTable("STMTIDS", {"FIT-1"});
    MakeSideTable("INC5REC", {"kept"});
    const std::string recovery = ReadFile(fileIn("INC5REC.dbf"));
    const std::vector<long> before = Counts();
    int asked = 0;
    EXPECT_FALSE(maintenance::EraseData(true, [&] { return ++asked, false; }).any());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{std::string(maintenance::kEraseIncome)});
    EXPECT_EQ(Counts(), before);
    EXPECT_TRUE(std::filesystem::exists(fileIn("STMTIDS.dbf")));

    for (Answer a : {Answer::OK, Answer::Cancel, Answer::Cancel}) platform_->messages.answer(a);
    EXPECT_TRUE(maintenance::EraseData(true, [&] { return ++asked, true; }).income);
    EXPECT_EQ(asked, 2);
    EXPECT_FALSE(std::filesystem::exists(fileIn("STMTIDS.dbf")));
    EXPECT_EQ(ReadFile(fileIn("INC5REC.dbf")), recovery);
}

// The pack tells how many deleted records it removed, and of which tables; the statement ids
// (keyed by the bank's id, not the record number) come through a pack and an archive unchanged.
TEST_F(Erase, PackReportsTheRecordsRemovedAndTheStatementIdsSurviveIt) {
    MakeSideTable("STMTIDS", {"FIT-1"});
    const std::string ids = ReadFile(fileIn("STMTIDS.dbf"));
    OpenExpenses();
    OpenIncome();
    for (long recNo : {1L, 2L}) {
        engine::d4go(Expenses, recNo);
        engine::d4delete(Expenses);
    }
    engine::d4go(Income, 1);
    engine::d4delete(Income);
    CloseAllTables();
    EXPECT_EQ(maintenance::PackCommand(true),
              "The pack removed 3 deleted records: 2 expenses, 1 income record.");
    EXPECT_EQ(maintenance::PackCommand(true), "The pack found no deleted records.");
    maintenance::ArchiveRecords(true, Ymd(2000, 1, 1), Ymd(2030, 12, 31));
    EXPECT_EQ(ReadFile(fileIn("STMTIDS.dbf")), ids);
}

TEST_F(Erase, PackWithNothingMarkedKeepsEveryRecord) {
    std::vector<std::string> before;
    for (const char* t : kTables) before.push_back(ReadFile(fileIn(std::string(t) + ".dbf")));
    PackDataFiles();
    for (std::size_t i = 0; i < std::size(kTables); ++i) {
        const std::string after = ReadFile(fileIn(std::string(kTables[i]) + ".dbf"));
        // Every record's bytes where they were; only the header's date may differ.
        EXPECT_EQ(after.substr(32), before[i].substr(32)) << kTables[i];
        ExpectSound(kTables[i]);
    }
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{10, 40, 50, 90, 95, 100}));
    EXPECT_FALSE(platform_->progress.visible);
}

}  // namespace
}  // namespace cbk::testing
