// Recovery of deleted records: what a pack keeps, what the list shows, what comes back, what
// a full disk leaves, the age limit, erase, and the tables as another xBase tool reads them.

#include "maintenance/Recovery.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "MaintenanceFixture.h"
#include "maintenance/EraseData.h"

namespace cbk::testing {
namespace {

using maintenance::RecordKind;

// The bytes of record `recNo` of the .dbf at `path`, from the header's own lengths.
std::string RecordBytes(const std::filesystem::path& path, long recNo) {
    const std::string file = ReadFile(path);
    const auto u16 = [&](std::size_t at) {
        return std::size_t(static_cast<unsigned char>(file[at])) |
               std::size_t(static_cast<unsigned char>(file[at + 1])) << 8;
    };
    const std::size_t header = u16(8), length = u16(10);
    return file.substr(header + std::size_t(recNo - 1) * length, length);
}

class Recovery : public MaintenanceTest {
protected:
    void SetUp() override {
        MaintenanceTest::SetUp();
        EmptyRecordTables();
        OpenExpenses();
        OpenIncome();
        AddExpense(Ymd(2026, 1, 10), 100, 12.5);
        expense_ = AddExpense(Ymd(2026, 2, 11), 200, 1450.0, true);
        AddIncome(Ymd(2026, 2, 1), 300.0);
        income_ = AddIncome(Ymd(2026, 2, 20), 4800.0);
        CloseAllTables();
        expenseBytes_ = RecordBytes(fileIn("EXP5.dbf"), expense_);
        incomeBytes_ = RecordBytes(fileIn("INC5.dbf"), income_);
    }
    void Delete(const char* table, long recNo) {
        engine::Data4* t = engine::d4open(cb, table);
        engine::d4go(t, recNo);
        engine::d4delete(t);
        engine::d4close(t);
    }
    std::vector<std::string> Listed(RecordKind kind) {
        std::vector<std::string> lines;
        for (const auto& row : maintenance::RecoverableRecords(kind)) {
            std::string line;
            for (const auto& cell : row.cells) line += cell + "|";
            lines.push_back(line);
        }
        return lines;
    }
    long expense_ = 0, income_ = 0;
    std::string expenseBytes_, incomeBytes_;
};

TEST_F(Recovery, DeletedRecordsComeBackByteForByteAfterAPackAndARestart) {
    Delete("EXP5", expense_);
    Delete("INC5", income_);
    maintenance::PackDataFiles(true);
    EXPECT_EQ(RecordsIn("EXP5"), 1);
    EXPECT_EQ(RecordsIn("INC5"), 1);
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{10, 40, 50, 90, 95, 100}));
    StartDataStore();

    EXPECT_EQ(Listed(RecordKind::Expense),
              std::vector<std::string>{"02/11/26|200|1|0|1,450.00|Payee|03/05/26|"});
    EXPECT_EQ(Listed(RecordKind::Income),
              std::vector<std::string>{"02/20/26|1|4,800.00|Income|03/05/26|"});
    for (RecordKind kind : {RecordKind::Expense, RecordKind::Income}) {
        const auto rows = maintenance::RecoverableRecords(kind);
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(maintenance::RecoverRecords(kind, {rows[0].recNo}), 1);
        EXPECT_TRUE(maintenance::RecoverableRecords(kind).empty());
    }
    EXPECT_EQ(RecordBytes(fileIn("EXP5.dbf"), 2), expenseBytes_);
    EXPECT_EQ(RecordBytes(fileIn("INC5.dbf"), 2), incomeBytes_);
    ExpectSound("EXP5");
    ExpectSound("INC5");
    EXPECT_TRUE(platform_->messages.shown.empty());
    // The recovered rows leave the recovery table for good at the next pack.
    maintenance::PackDataFiles(true);
    EXPECT_EQ(RecordsIn("EXP5REC"), 0);
}

// Before a pack a deleted record is still in its table: listed first, it comes back by losing
// its mark, beside one that comes back from the recovery table.
TEST_F(Recovery, UnpackedRecordsAreListedFirstAndRecoveredInPlace) {
    Delete("EXP5", expense_);
    maintenance::PackDataFiles(true);
    Delete("EXP5", 1);
    const auto rows = maintenance::RecoveryList(RecordKind::Expense);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0].unpacked);
    EXPECT_EQ(rows[0].recNo, 1);
    EXPECT_EQ(rows[0].cells.back(), maintenance::kNotPacked);
    EXPECT_FALSE(rows[1].unpacked);
    EXPECT_EQ(maintenance::RecoverRows(RecordKind::Expense, rows), 2);
    EXPECT_TRUE(maintenance::RecoveryList(RecordKind::Expense).empty());
    EXPECT_EQ(RecordsIn("EXP5"), 2);
    OpenExpenses();
    engine::d4go(Expenses, 1);
    EXPECT_FALSE(engine::d4deleted(Expenses));
    CloseAllTables();
    ExpectSound("EXP5");
    EXPECT_TRUE(platform_->messages.shown.empty());
}

TEST_F(Recovery, ListIsNewestFirstAndFindLooksInEveryColumn) {
    Delete("INC5", income_);
    maintenance::PackDataFiles(true);
    platform_->clock.set(2026, 3, 9, kPinnedTime);
    OpenIncome();
    const long second = AddIncome(Ymd(2025, 12, 24), 75.0);
    CloseAllTables();
    Delete("INC5", second);
    maintenance::PackDataFiles(true);
    const auto rows = maintenance::RecoverableRecords(RecordKind::Income);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].cells.front(), "12/24/25");
    EXPECT_EQ(rows[1].cells.front(), "02/20/26");
    const std::pair<const char*, std::vector<bool>> finds[] = {{"", {true, true}},
                                                               {"4,800", {false, true}},
                                                               {"03/09", {true, false}},
                                                               {"INCOME", {true, true}},
                                                               {"nothing", {false, false}}};
    for (const auto& [find, matches] : finds)
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(maintenance::RowMatches(rows[i], find), matches[i]) << find << " " << i;
}

// A full disk at any write of the save: every deleted record is either still in its table,
// marked and unpacked, or offered for recovery; never both, never neither.
TEST_F(Recovery, FullDiskDuringTheSaveLosesNothing) {
    Delete("EXP5", expense_);
    maintenance::PackDataFiles(true);  // the recovery table exists from here on
    int refused = 0;
    for (int nth = 1; nth <= 8; ++nth) {
        OpenExpenses();
        const long more[] = {AddExpense(Ymd(2026, 2, 12), 201, 1.0),
                             AddExpense(Ymd(2026, 2, 13), 202, 2.0)};
        CloseAllTables();
        for (long recNo : more) Delete("EXP5", recNo);
        const long before = long(Listed(RecordKind::Expense).size());
        faulty_.clearFaults();
        faulty_.onlyPaths("EXP5REC");
        faulty_.failNth(engine::FsOp::Write, nth, ENOSPC);
        StartDataStore(faulty_);
        platform_->messages.clear();
        maintenance::PackDataFiles(true);
        StartDataStore();
        const long marked = RecordsIn("EXP5") - 1;
        refused += marked > 0;
        EXPECT_EQ(marked + long(Listed(RecordKind::Expense).size()), before + 2) << nth;
        EXPECT_EQ(platform_->messages.texts().size(), marked == 0 ? 0u : 1u) << nth;
        ExpectSound("EXP5");
        maintenance::PackDataFiles(true);
        EXPECT_EQ(RecordsIn("EXP5"), 1) << nth;
        EXPECT_EQ(long(Listed(RecordKind::Expense).size()), before + 2) << nth;
    }
    EXPECT_GE(refused, 2);
}

TEST_F(Recovery, RecordsRemovedMoreThan180DaysAgoAreDroppedAtTheNextPack) {
    Delete("EXP5", expense_);
    maintenance::PackDataFiles(true);  // removed 5 March 2026
    const std::pair<int, std::size_t> days[] = {{180, 1}, {181, 0}};
    for (const auto& [after, left] : days) {
        const auto day = Ymd(2026, 3, 5).day + std::chrono::days{after};
        const std::chrono::year_month_day ymd{day};
        platform_->clock.set(int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())),
                             kPinnedTime);
        maintenance::PackDataFiles(true);
        EXPECT_EQ(Listed(RecordKind::Expense).size(), left) << after;
    }
}

TEST_F(Recovery, TurnedOffThePackKeepsNothingAndEraseKeepsOnlyTheMarkedRecords) {
    Delete("EXP5", expense_);
    maintenance::PackDataFiles(false);
    EXPECT_EQ(RecordsIn("EXP5"), 1);
    EXPECT_FALSE(std::filesystem::exists(fileIn("EXP5REC.dbf")));

    Delete("INC5", income_);
    platform_->messages.answer(platform::Answer::OK);
    platform_->messages.answer(platform::Answer::Cancel);
    platform_->messages.answer(platform::Answer::Cancel);
    maintenance::EraseData();
    EXPECT_EQ(RecordsIn("INC5"), 0);
    EXPECT_EQ(Listed(RecordKind::Income),
              std::vector<std::string>{"02/20/26|1|4,800.00|Income|03/05/26|"});
}

// Another xBase tool reads the recovery table: the record's fields and its removal date.
TEST_F(Recovery, RecoveryTableOpensInPythonDbf) {
    if (std::system("/usr/bin/python3 -c 'import dbf' >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "python3-dbf is not installed";
    Delete("EXP5", expense_);
    maintenance::PackDataFiles(true);
    const std::string command =
        "/usr/bin/python3 -c \"import dbf,sys; t=dbf.Table(sys.argv[1]); t.open(dbf.READ_ONLY); "
        "r=t[0]; print(t.field_names[-1], r.payto.strip(), r.amount, r.removed, r.archive)\" " +
        fileIn("EXP5REC.dbf").string();
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_NE(pipe, nullptr);
    char line[256] = {};
    ASSERT_NE(fgets(line, sizeof line, pipe.get()), nullptr);
    EXPECT_STREQ(line, "removed Payee 1450.0 2026-03-05 True\n");
}

}  // namespace
}  // namespace cbk::testing
