#include "records/ScheduleTable.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "support/FaultyFileSystem.h"
#include "tests/records/RecordOpsFixture.h"

using namespace records;
using platform::DateTime;

namespace {

DateTime D(int y, int m, int d) {
    return *DateTime::fromYmd(y, m, d);
}

class ScheduleTable : public cbk::testing::RecordOpsTest {};

TEST_F(ScheduleTable, EveryFieldAndTheLastCheckComeBackAndASaveReplacesTheOld) {
    EXPECT_TRUE(LoadSchedules().schedules.empty());  // no table yet: nothing, no error
    EXPECT_FALSE(LoadSchedules().lastCheck);

    Schedule crew{7,
                  ScheduleKind::Expense,
                  {Repeat::EveryNWeeks, 2, 1, D(2026, 1, 2), D(2026, 12, 31), 0},
                  250,
                  3,
                  "Crew Labor",
                  1234.56,
                  1001,
                  "weekly crew",
                  D(2026, 2, 27),
                  2};
    Schedule rent{9,
                  ScheduleKind::Income,
                  {Repeat::MonthlyOnDay, 1, 31, D(2026, 1, 31), {}, 12},
                  400,
                  1,
                  "Rent from shop",
                  800.0,
                  0,
                  "",
                  {}};
    ASSERT_EQ(SaveSchedules({crew, rent}, D(2026, 3, 5)), "");
    ASSERT_EQ(SaveSchedules({crew, rent}, D(2026, 3, 6)), "");  // the second save replaces

    StoredSchedules back = LoadSchedules();
    ASSERT_EQ(back.error, "");
    ASSERT_EQ(back.schedules.size(), 2u);
    EXPECT_EQ(back.lastCheck, D(2026, 3, 6));
    const Schedule& c = back.schedules[0];
    EXPECT_EQ(c.id, 7);
    EXPECT_EQ(c.kind, ScheduleKind::Expense);
    EXPECT_EQ(c.rule.repeat, Repeat::EveryNWeeks);
    EXPECT_EQ(c.rule.every, 2);
    EXPECT_EQ(c.rule.start, D(2026, 1, 2));
    EXPECT_EQ(c.rule.end, D(2026, 12, 31));
    EXPECT_EQ(c.accNo, 250);
    EXPECT_EQ(c.folNo, 3);
    EXPECT_EQ(c.payee, "Crew Labor");
    EXPECT_DOUBLE_EQ(c.amount, 1234.56);
    EXPECT_EQ(c.checkNo, 1001);
    EXPECT_EQ(c.memo, "weekly crew");
    EXPECT_EQ(c.done, D(2026, 2, 27));
    EXPECT_EQ(c.bankNo, 2);
    const Schedule& r = back.schedules[1];
    EXPECT_EQ(r.kind, ScheduleKind::Income);
    EXPECT_EQ(r.rule.repeat, Repeat::MonthlyOnDay);
    EXPECT_EQ(r.rule.day, 31);
    EXPECT_FALSE(r.rule.end);
    EXPECT_EQ(r.rule.count, 12);
    EXPECT_FALSE(r.done);
    EXPECT_EQ(r.bankNo, 0);  // the default account

    ASSERT_EQ(SaveSchedules({rent}, std::nullopt), "");
    back = LoadSchedules();
    ASSERT_EQ(back.schedules.size(), 1u);
    EXPECT_EQ(back.schedules[0].id, 9);
    EXPECT_FALSE(back.lastCheck);
}

// A save is written beside the table and renamed over it: a disk that refuses it leaves the
// schedules as they were, and says so.
TEST_F(ScheduleTable, ASaveTheDiskRefusesKeepsTheSchedulesThereWere) {
    Schedule rent;
    rent.id = 3;
    rent.rule.start = D(2026, 1, 1);
    rent.payee = "Landlord";
    ASSERT_EQ(SaveSchedules({rent}, D(2026, 3, 1)), "");
    for (const engine::FsOp op : {engine::FsOp::Write, engine::FsOp::Rename}) {
        engine::FaultyFileSystem disk;
        cbk::ShutDownDataStore(false);
        cbk::StartDataStore(disk);
        disk.failNth(op, 1, ENOSPC, /*sticky=*/true);
        EXPECT_EQ(SaveSchedules({}, D(2026, 3, 5)),
                  "The scheduled entries could not be saved; they are kept as they were.")
            << engine::fsOpName(op);
        disk.clearFaults();
        const StoredSchedules back = LoadSchedules();
        ASSERT_EQ(back.schedules.size(), 1u) << engine::fsOpName(op);
        EXPECT_EQ(back.schedules[0].payee, "Landlord");
        EXPECT_EQ(back.lastCheck, D(2026, 3, 1));
        cbk::ShutDownDataStore(false);
        cbk::StartDataStore();
    }
}

}  // namespace
