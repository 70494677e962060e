#include <gtest/gtest.h>

#include "data/Database.h"
#include "data/Records.h"
#include "records/Schedule.h"
#include "records/ScheduleTable.h"
#include "tests/records/RecordOpsFixture.h"

using namespace records;
using platform::DateTime;

namespace {

DateTime D(int y, int m, int d) {
    return *DateTime::fromYmd(y, m, d);
}

const ChartLookup kAll{[](ScheduleKind, std::int32_t) { return true; },
                       [](std::int32_t) { return true; }};

Schedule Weekly(std::int32_t id, DateTime start) {
    Schedule s;
    s.id = id;
    s.rule = {Repeat::Weekly, 1, 1, start, {}, 0};
    s.accNo = 250;
    s.folNo = 1;
    s.payee = "Crew " + std::to_string(id);
    s.amount = 400.0;
    return s;
}

TEST(DueHandling, TheCheckMovesOnlyOverWhatWasHandledAndNothingHandledComesBack) {
    using C = DueChoice;
    constexpr C L = C::Leave, E = C::Enter, S = C::Skip;
    struct Case {
        const char* what;
        std::vector<DueChoice> choices;  // A 3/1, B 3/2, A 3/8
        std::optional<DateTime> before;
        std::optional<DateTime> done;  // of both schedules
        DateTime check;
        int dueAgain;  // lines DueSince gives afterwards
        int leftBehind;
    } const cases[] = {
        {"all entered", {E, E, E}, D(2026, 2, 28), {}, D(2026, 3, 10), 0, -1},
        {"the first entered", {E, L, L}, D(2026, 2, 28), {}, D(2026, 3, 1), 2, -1},
        {"a later one skipped first", {L, S, L}, D(2026, 2, 28), {}, D(2026, 2, 28), 2, -1},
        {"nothing done: cancelled", {L, L, L}, D(2026, 2, 28), {}, D(2026, 2, 28), 3, -1},
        {"never back before the last check",
         {L, E, L},
         D(2026, 3, 5),
         D(2026, 2, 28),
         D(2026, 3, 5),
         2,
         -1},
        {"no check yet", {E, E, E}, std::nullopt, {}, D(2026, 3, 10), 0, -1},
        {"a schedule's later date before its earlier", {L, L, E}, D(2026, 2, 28), {}, {}, 0, 0},
    };
    for (const Case& c : cases) {
        std::vector<Schedule> schedules = {Weekly(1, D(2026, 3, 1)), Weekly(2, D(2026, 3, 2))};
        schedules[1].rule.count = 1;
        for (Schedule& s : schedules) s.done = c.done;
        const DateTime today = D(2026, 3, 10);
        const auto lines = DueSince(schedules, c.before.value_or(NoCheckYet()), today, kAll);
        ASSERT_EQ(lines.size(), 3u) << c.what;
        EXPECT_EQ(LeftBehind(lines, c.choices), c.leftBehind) << c.what;
        if (c.leftBehind >= 0) continue;
        const DateTime check = NoteHandled(schedules, lines, c.choices, c.before, today);
        EXPECT_EQ(check, c.check) << c.what;
        EXPECT_EQ(DueSince(schedules, check, today, kAll).size(), std::size_t(c.dueAgain))
            << c.what;
    }
}

class DueEntry : public cbk::testing::RecordOpsTest {};

TEST_F(DueEntry, EnteredLinesAreRecordsWithTheirAmountsAndSchedNotesThem) {
    Schedule rent = Weekly(4, D(2026, 2, 20));
    rent.payee = "Rent from shop";
    rent.kind = ScheduleKind::Income;
    rent.accNo = 400;
    rent.rule = {Repeat::MonthlyOnDay, 1, 1, D(2026, 2, 1), {}, 0};
    ASSERT_EQ(SaveSchedules({Weekly(3, D(2026, 2, 20)), rent}, D(2026, 2, 24)), "");
    StoredSchedules books = LoadSchedules();
    const auto lines = DueSince(books.schedules, *books.lastCheck, D(2026, 3, 5), kAll);
    // crew 2/27, rent 3/1, crew 3/6 is not yet due
    ASSERT_EQ(lines.size(), 2u);

    cbk::OpenExpenses();
    cbk::OpenIncome();
    const long expenses = engine::d4recCount(cbk::Expenses);
    const long incomes = engine::d4recCount(cbk::Income);
    const DueEntered done =
        EnterDue(books, lines, {DueChoice::Enter, DueChoice::Skip}, {412.349, 0}, D(2026, 3, 5));
    EXPECT_EQ(done.entered, 1);
    EXPECT_EQ(done.skipped, 1);
    EXPECT_EQ(done.error, "");
    ASSERT_EQ(engine::d4recCount(cbk::Expenses), expenses + 1);
    EXPECT_EQ(engine::d4recCount(cbk::Income), incomes);  // skipped: no record
    ASSERT_EQ(done.records.size(), 1u);
    EXPECT_EQ(done.records[0].second, expenses + 1);
    engine::d4go(cbk::Expenses, expenses + 1);
    cbk::LoadExpense();
    EXPECT_EQ(cbk::CurExpense.ExpDate, D(2026, 2, 27));
    EXPECT_DOUBLE_EQ(cbk::CurExpense.Amount, 412.35);
    EXPECT_EQ(cbk::CurExpense.AccNo, 250);

    const StoredSchedules back = LoadSchedules();
    EXPECT_EQ(back.lastCheck, D(2026, 3, 5));
    ASSERT_EQ(back.schedules.size(), 2u);
    EXPECT_EQ(back.schedules[0].done, D(2026, 2, 27));
    EXPECT_EQ(back.schedules[1].done, D(2026, 3, 1));
    EXPECT_TRUE(DueSince(back.schedules, *back.lastCheck, D(2026, 3, 5), kAll).empty());

    // A line that cannot be entered stops there: it and the ones after it stay due.
    StoredSchedules again = back;
    std::vector<DueLine> later = DueSince(again.schedules, *again.lastCheck, D(2026, 3, 13), kAll);
    ASSERT_EQ(later.size(), 2u);  // crew 3/6 and 3/13
    later[0].problem = kScheduleNeedsFixing;
    const DueEntered stopped =
        EnterDue(again, later, {DueChoice::Enter, DueChoice::Enter}, {400, 400}, D(2026, 3, 13));
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.entered, 0);
    EXPECT_EQ(engine::d4recCount(cbk::Expenses), expenses + 1);
    EXPECT_EQ(DueSince(LoadSchedules().schedules, D(2026, 3, 5), D(2026, 3, 13), kAll).size(), 2u);
}

}  // namespace
