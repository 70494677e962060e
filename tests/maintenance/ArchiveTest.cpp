// Archive and de-archive: the default range, the range's edges, a narrower de-archive after a
// wider archive, empty tables and the one progress bar over both tables.

#include "maintenance/Archive.h"

#include "MaintenanceFixture.h"

namespace cbk::testing {
namespace {

using maintenance::ArchiveRecords;

TEST(ArchiveRange, IsTheLastCompleteFiscalYear) {
    struct Case {
        platform::DateTime today;
        int fyMonth, fyDay;
        platform::DateTime start, end;
    };
    const Case cases[] = {
        {Ymd(1998, 3, 15), 1, 1, Ymd(1997, 1, 1), Ymd(1997, 12, 31)},
        {Ymd(1998, 3, 15), 7, 1, Ymd(1996, 7, 1), Ymd(1997, 6, 30)},
        {Ymd(1998, 7, 1), 7, 1, Ymd(1997, 7, 1), Ymd(1998, 6, 30)},   // the first day
        {Ymd(1998, 6, 30), 7, 1, Ymd(1996, 7, 1), Ymd(1997, 6, 30)},  // the last day
        {Ymd(2024, 3, 20), 3, 21, Ymd(2022, 3, 21), Ymd(2023, 3, 20)},
        {Ymd(2025, 3, 15), 3, 1, Ymd(2024, 3, 1), Ymd(2025, 2, 28)},
    };
    for (const Case& c : cases) {
        const maintenance::DateRange range =
            maintenance::DefaultArchiveRange(c.today, c.fyMonth, c.fyDay);
        EXPECT_EQ(range.start, c.start) << c.today.year() << "-" << c.today.month();
        EXPECT_EQ(range.end, c.end) << c.today.year() << "-" << c.today.month();
    }
}

class Archive : public MaintenanceTest {
protected:
    void SetUp() override {
        MaintenanceTest::SetUp();
        if (HasFatalFailure()) return;
        EmptyRecordTables();
        OpenExpenses();
        OpenIncome();
        // Inserted out of date order, so that the walk's order is the tag's.
        exp_.after = AddExpense(Ymd(2025, 1, 1), 100, 10);
        exp_.last = AddExpense(Ymd(2024, 12, 31), 100, 10);
        exp_.first = AddExpense(Ymd(2024, 1, 1), 100, 10);
        exp_.before = AddExpense(Ymd(2023, 12, 31), 100, 10, true);
        inc_.last = AddIncome(Ymd(2024, 12, 31), 10);
        inc_.after = AddIncome(Ymd(2025, 1, 1), 10);
        inc_.first = AddIncome(Ymd(2024, 1, 1), 10);
        inc_.before = AddIncome(Ymd(2023, 12, 31), 10);
        CloseAllTables();
    }

    struct Marks {
        long before, first, last, after;
    };
    std::string Marked(const char* table, const Marks& m) {
        std::string s;
        for (long r : {m.before, m.first, m.last, m.after}) s += FieldOf(table, r, "Archive");
        return s;
    }

    Marks exp_{}, inc_{};
};

TEST_F(Archive, MarksTheRecordsOnAndBetweenTheEdgesAndNoOthers) {
    ArchiveRecords(true, Ymd(2024, 1, 1), Ymd(2024, 12, 31));
    EXPECT_EQ(Marked("EXP5", exp_), "TTTF");  // the one before was archived already
    EXPECT_EQ(Marked("INC5", inc_), "FTTF");
    EXPECT_EQ(platform_->progress.calls.front(),
              (platform::ProgressCall{platform::ProgressCall::Show, true, "Archiving Data"}));
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{12, 25, 37, 50, 62, 75, 87, 100}));
    EXPECT_FALSE(platform_->progress.visible);
    ExpectSound("EXP5");
    ExpectSound("INC5");
}

TEST_F(Archive, DeArchiveOfARangeClearsRecordsOfAnEarlierWiderArchive) {
    ArchiveRecords(true, Ymd(2023, 1, 1), Ymd(2025, 12, 31));
    ASSERT_EQ(Marked("EXP5", exp_), "TTTT");
    ArchiveRecords(false, Ymd(2024, 1, 1), Ymd(2024, 12, 31));
    EXPECT_EQ(Marked("EXP5", exp_), "TFFT");
    EXPECT_EQ(Marked("INC5", inc_), "TFFT");
    // A reversed range matches nothing.
    ArchiveRecords(false, Ymd(2025, 12, 31), Ymd(2023, 1, 1));
    EXPECT_EQ(Marked("EXP5", exp_), "TFFT");
}

TEST_F(Archive, DeletedRecordsAreCountedButNotVisitedAndEmptyTablesWalkNothing) {
    OpenIncome();
    engine::d4go(Income, inc_.first);
    engine::d4delete(Income);
    CloseAllTables();
    ArchiveRecords(true, Ymd(2024, 1, 1), Ymd(2024, 12, 31));
    EXPECT_EQ(FieldOf("INC5", inc_.first, "Archive"), "F");
    EXPECT_EQ(platform_->progress.percents().back(), 87);  // the bar stops short

    EmptyRecordTables();
    platform_->progress.calls.clear();
    ArchiveRecords(true, Ymd(2024, 1, 1), Ymd(2024, 12, 31));
    EXPECT_EQ(RecordsIn("EXP5") + RecordsIn("INC5"), 0);
    EXPECT_TRUE(platform_->progress.percents().empty());
    EXPECT_FALSE(platform_->progress.visible);
    EXPECT_EQ(Expenses, nullptr);
}

}  // namespace
}  // namespace cbk::testing
