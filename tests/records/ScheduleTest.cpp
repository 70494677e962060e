#include "records/Schedule.h"

#include <gtest/gtest.h>

#include <string>

using namespace records;
using platform::DateTime;

namespace {

DateTime D(int y, int m, int d) {
    return *DateTime::fromYmd(y, m, d);
}

std::string Text(const std::vector<DateTime>& dates) {
    std::string out;
    for (const DateTime& d : dates) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d ", d.year(), d.month(), d.dayOfMonth());
        out += buf;
    }
    return out;
}

TEST(ScheduleDates, EachRepeatAtMonthEndsLeapYearsEndsAndCounts) {
    struct Case {
        const char* what;
        ScheduleRule rule;
        DateTime after, upTo;
        const char* dates;
    };
    const Case cases[] = {
        {"weekly across a year end",
         {Repeat::Weekly, 1, 1, D(2025, 12, 24), {}, 0},
         D(2025, 12, 23),
         D(2026, 1, 8),
         "2025-12-24 2025-12-31 2026-01-07 "},
        {"every 2 weeks, the check day itself excluded",
         {Repeat::EveryNWeeks, 2, 1, D(2026, 1, 5), {}, 0},
         D(2026, 1, 5),
         D(2026, 2, 16),
         "2026-01-19 2026-02-02 2026-02-16 "},
        {"day 31 in short months",
         {Repeat::MonthlyOnDay, 1, 31, D(2026, 1, 1), {}, 0},
         D(2025, 12, 31),
         D(2026, 5, 1),
         "2026-01-31 2026-02-28 2026-03-31 2026-04-30 "},
        {"day 30 in a leap February",
         {Repeat::MonthlyOnDay, 1, 30, D(2028, 2, 1), {}, 0},
         D(2028, 1, 1),
         D(2028, 3, 31),
         "2028-02-29 2028-03-30 "},
        {"a monthly day before the start waits a month",
         {Repeat::MonthlyOnDay, 1, 5, D(2026, 3, 10), {}, 0},
         D(2026, 1, 1),
         D(2026, 5, 31),
         "2026-04-05 2026-05-05 "},
        {"last day of the month",
         {Repeat::MonthlyLastDay, 1, 1, D(2027, 12, 15), {}, 0},
         D(2027, 1, 1),
         D(2028, 3, 1),
         "2027-12-31 2028-01-31 2028-02-29 "},
        {"quarterly from the 31st",
         {Repeat::Quarterly, 1, 1, D(2026, 1, 31), {}, 0},
         D(2026, 1, 1),
         D(2026, 12, 31),
         "2026-01-31 2026-04-30 2026-07-31 2026-10-31 "},
        {"yearly 29 February",
         {Repeat::Yearly, 1, 1, D(2024, 2, 29), {}, 0},
         D(2024, 1, 1),
         D(2028, 12, 31),
         "2024-02-29 2025-02-28 2026-02-28 2027-02-28 2028-02-29 "},
        {"yearly at a fiscal year edge",
         {Repeat::Yearly, 1, 1, D(2025, 6, 30), {}, 0},
         D(2026, 6, 29),
         D(2026, 7, 1),
         "2026-06-30 "},
        {"the end day is the last",
         {Repeat::Weekly, 1, 1, D(2026, 1, 1), D(2026, 1, 15), 0},
         D(2025, 1, 1),
         D(2027, 1, 1),
         "2026-01-01 2026-01-08 2026-01-15 "},
        {"a count of 2 counts from the start",
         {Repeat::MonthlyOnDay, 1, 1, D(2026, 1, 15), {}, 2},
         D(2025, 1, 1),
         D(2027, 1, 1),
         "2026-02-01 2026-03-01 "},
        {"past its count nothing is due",
         {Repeat::Weekly, 1, 1, D(2026, 1, 1), {}, 3},
         D(2026, 1, 15),
         D(2027, 1, 1),
         ""},
        {"past its end nothing is due",
         {Repeat::Yearly, 1, 1, D(2020, 3, 1), D(2024, 3, 1), 0},
         D(2024, 3, 1),
         D(2030, 1, 1),
         ""},
        {"not yet started",
         {Repeat::Weekly, 1, 1, D(2027, 1, 1), {}, 0},
         D(2026, 1, 1),
         D(2026, 12, 31),
         ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Text(DatesBetween(c.rule, c.after, c.upTo)), c.dates) << c.what;
}

TEST(ScheduleDates, AListLeftUncheckedForYearsIsCapped) {
    const ScheduleRule weekly{Repeat::Weekly, 1, 1, D(2000, 1, 1), {}, 0};
    EXPECT_EQ(DatesBetween(weekly, D(1999, 1, 1), D(2026, 1, 1), 500).size(), 500u);
}

TEST(DueList, ByDateAcrossSchedulesWithMissingAccountOrFolderMarked) {
    Schedule rent{1,
                  ScheduleKind::Expense,
                  {Repeat::MonthlyOnDay, 1, 1, D(2026, 1, 1), {}, 0},
                  250,
                  1,
                  "Landlord",
                  900.0,
                  0,
                  "",
                  {}};
    Schedule fee{2,
                 ScheduleKind::Income,
                 {Repeat::Weekly, 1, 1, D(2026, 1, 3), {}, 0},
                 400,
                 7,
                 "Retainer",
                 50.0,
                 0,
                 "",
                 {}};
    Schedule phone{3,
                   ScheduleKind::Expense,
                   {Repeat::MonthlyLastDay, 1, 1, D(2026, 1, 1), {}, 0},
                   260,
                   1,
                   "Phone Co",
                   40.0,
                   0,
                   "",
                   {}};
    // Account 260 and folder 7 are gone; income account 400 and expense account 250 exist.
    const ChartLookup chart{[](ScheduleKind k, std::int32_t a) {
                                return k == ScheduleKind::Income ? a == 400 : a == 250;
                            },
                            [](std::int32_t f) { return f == 1; }};
    const auto lines = DueSince({rent, fee, phone}, D(2026, 1, 1), D(2026, 1, 31), chart);
    std::string got;
    for (const DueLine& l : lines)
        got += std::to_string(l.scheduleId) + "@" + std::to_string(l.date.dayOfMonth()) +
               (l.problem.empty() ? " " : "! ");
    // Rent on 1 January is the check day itself: already seen.
    EXPECT_EQ(got, "2@3! 2@10! 2@17! 2@24! 2@31! 3@31! ");
    EXPECT_EQ(lines.back().problem, "Account or folder no longer exists");
}

}  // namespace
