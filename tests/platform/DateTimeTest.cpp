#include <gtest/gtest.h>

#include "platform/DateTime.h"

using platform::DateTime;
using platform::daysInMonth;

TEST(DateTime, FromYmdRefusesDaysTheCalendarLacks) {
    EXPECT_FALSE(DateTime::fromYmd(2026, 2, 29));
    EXPECT_FALSE(DateTime::fromYmd(2026, 2, 30));
    EXPECT_FALSE(DateTime::fromYmd(2026, 4, 31));
    EXPECT_FALSE(DateTime::fromYmd(2026, 13, 1));
    EXPECT_FALSE(DateTime::fromYmd(2026, 0, 1));
    EXPECT_FALSE(DateTime::fromYmd(2026, 1, 0));
    EXPECT_FALSE(DateTime::fromYmd(0, 1, 1));
    EXPECT_FALSE(DateTime::fromYmd(10000, 1, 1));
    EXPECT_TRUE(DateTime::fromYmd(2024, 2, 29));
    EXPECT_TRUE(DateTime::fromYmd(9999, 12, 31));
    EXPECT_TRUE(DateTime::fromYmd(1, 1, 1));
}

TEST(DateTime, FromYmdGivesAPlainDateThatReadsBack) {
    const auto d = DateTime::fromYmd(2026, 3, 5);
    ASSERT_TRUE(d);
    EXPECT_EQ(d->year(), 2026);
    EXPECT_EQ(d->month(), 3);
    EXPECT_EQ(d->dayOfMonth(), 5);
    EXPECT_EQ(d->time.count(), 0);
    EXPECT_LT(*d, *DateTime::fromYmd(2026, 3, 6));
    EXPECT_EQ(d->dateOnly(), *d);
}

TEST(DateTime, DaysInMonthFollowsLeapYears) {
    EXPECT_EQ(daysInMonth(2026, 2), 28);
    EXPECT_EQ(daysInMonth(2024, 2), 29);
    EXPECT_EQ(daysInMonth(1900, 2), 28);
    EXPECT_EQ(daysInMonth(2000, 2), 29);
    EXPECT_EQ(daysInMonth(2026, 12), 31);
    EXPECT_EQ(daysInMonth(2026, 4), 30);
    EXPECT_EQ(daysInMonth(2026, 13), 0);
}
