// A payment entered from the Due list is an ordinary record: the bank statement that later
// lists it must find it as a probable duplicate, not a new line.

#include <gtest/gtest.h>

#include "data/Database.h"
#include "records/Schedule.h"
#include "records/ScheduleTable.h"
#include "statements/StatementImport.h"
#include "support/DataFixture.h"

namespace cbk::testing {
namespace {

using records::Repeat;
using records::Schedule;
using records::ScheduleKind;
using statements::LineState;

platform::DateTime Ymd(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

statements::StatementLine Line(platform::DateTime date, std::int64_t cents, std::string payee) {
    statements::StatementLine line;
    line.date = date;
    line.cents = cents;
    line.payee = std::move(payee);
    return line;
}

class ScheduledEntryDuplicate : public DataTest {};

TEST_F(ScheduledEntryDuplicate, EnteredDueDatesAreProbableDuplicatesOfTheStatementLines) {
    StartDataStore();
    const Schedule phone{1,
                         ScheduleKind::Expense,
                         {Repeat::MonthlyOnDay, 1, 31, Ymd(2026, 1, 31), {}, 0},
                         120,
                         1,
                         "Northwind Phone",
                         64.37,
                         0,
                         "",
                         {}};
    const Schedule retainer{2,
                            ScheduleKind::Income,
                            {Repeat::Weekly, 1, 1, Ymd(2026, 2, 6), {}, 0},
                            10,
                            1,
                            "Quarry Retainer",
                            250.0,
                            0,
                            "",
                            {}};
    const records::ChartLookup chart{[](ScheduleKind, std::int32_t) { return true; },
                                     [](std::int32_t) { return true; }};
    const auto due =
        records::DueSince({phone, retainer}, Ymd(2026, 1, 31), Ymd(2026, 2, 28), chart);
    ASSERT_EQ(due.size(), 5u);  // the phone on 28 February, the retainer on four Fridays
    OpenExpenses();
    OpenIncome();
    for (const auto& line : due) {
        const Schedule& s = line.scheduleId == 1 ? phone : retainer;
        ASSERT_GT(records::EnterDueRecord(s, line.date, s.amount), 0);
    }
    const auto p = statements::Propose({Line(Ymd(2026, 2, 28), -6437, "NORTHWIND PHONE"),
                                        Line(Ymd(2026, 2, 13), 25000, "Quarry Retainer"),
                                        Line(Ymd(2026, 2, 14), 25000, "Quarry Retainer")},
                                       {{120}, {10}, {1}}, 1, {});
    CloseAllTables();
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[0].state, LineState::Duplicate);
    EXPECT_EQ(p[1].state, LineState::Duplicate);
    EXPECT_EQ(p[2].state, LineState::New);  // a day off is not the entered payment
}

}  // namespace
}  // namespace cbk::testing
