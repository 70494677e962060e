// The fiscal year start as Program Setup takes it: the month's range, the day brought back to
// the month's end, February at 28, and a stored month no month at all.

#include <gtest/gtest.h>

#include "rules/FiscalYear.h"

namespace {

struct Entered {
    int month;
    int day;
    const char* refused;
    int wantMonth = 0;
    int wantDay = 0;
};

void Expect(const rules::FiscalStart& got, const Entered& c) {
    EXPECT_EQ(got.refused, c.refused);
    if (*c.refused != '\0') return;
    EXPECT_EQ(got.month, c.wantMonth);
    EXPECT_EQ(got.day, c.wantDay);
}

TEST(FiscalStart, MonthIsHeldToTheYearAndTheDayToTheMonth) {
    const Entered cases[] = {
        {1, 31, "", 1, 31},
        {2, 31, "", 2, 28},
        {2, 28, "", 2, 28},
        {4, 31, "", 4, 30},
        {4, 15, "", 4, 15},
        {12, 31, "", 12, 31},
        {13, 1, "Month must be between 1 and 12", 0, 0},
        {0, 1, "Month must be between 1 and 12", 0, 0},
        {-1, 1, "Month must be between 1 and 12", 0, 0},
    };
    for (const Entered& c : cases) {
        SCOPED_TRACE(std::to_string(c.month) + "/" + std::to_string(c.day));
        Expect(rules::EnterFiscalMonth(c.month, c.day), c);
    }
}

TEST(FiscalStart, DayMustBeADayOfTheMonthInACommonYear) {
    const Entered cases[] = {
        {2, 28, "", 2, 28},
        {2, 29, "Invalid Day for Specified Month", 0, 0},
        {2, 0, "Invalid Day for Specified Month", 0, 0},
        {6, 30, "", 6, 30},
        {6, 31, "Invalid Day for Specified Month", 0, 0},
        {12, 31, "", 12, 31},
        // A stored month outside the year is measured as January.
        {14, 31, "", 14, 31},
        {0, 32, "Invalid Day for Specified Month", 0, 0},
    };
    for (const Entered& c : cases) {
        SCOPED_TRACE(std::to_string(c.month) + "/" + std::to_string(c.day));
        Expect(rules::EnterFiscalDay(c.month, c.day), c);
    }
}

}  // namespace
