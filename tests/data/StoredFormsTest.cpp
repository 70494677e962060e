#include "data/StoredForms.h"

#include <gtest/gtest.h>

#include "platform/ScriptedPlatform.h"

namespace cbk {
namespace {

using std::chrono::hours;

platform::DateTime Ymd(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

class StoredFormsTest : public ::testing::Test {
protected:
    StoredFormsTest() { platform_->clock.set(2026, 3, 5, hours{9}); }
    platform::ScriptedPlatformScope platform_;
};

TEST_F(StoredFormsTest, CenturyWindowKeepsYearsUpToEightyFiveInThisCentury) {
    EXPECT_EQ(DateToStored(Ymd(2000, 1, 1)), "20000101");
    EXPECT_EQ(DateToStored(Ymd(2026, 3, 5)), "20260305");
    EXPECT_EQ(DateToStored(Ymd(2085, 12, 31)), "20851231");
}

TEST_F(StoredFormsTest, CenturyWindowMovesEightySixToNinetyNineBackACentury) {
    EXPECT_EQ(DateToStored(Ymd(2086, 1, 1)), "19860101");
    EXPECT_EQ(DateToStored(Ymd(2099, 12, 31)), "19991231");
}

TEST_F(StoredFormsTest, CenturyWindowMovesYearsBeforeTheWindowForward) {
    EXPECT_EQ(DateToStored(Ymd(1985, 6, 30)), "20850630");
    EXPECT_EQ(DateToStored(Ymd(1986, 6, 30)), "19860630");
    EXPECT_EQ(DateToStored(Ymd(1912, 2, 29)), "20120229");
}

TEST_F(StoredFormsTest, CenturyWindowFollowsTheClock) {
    platform_->clock.set(2030, 1, 1);
    EXPECT_EQ(DateToStored(Ymd(2089, 1, 1)), "20890101");
    EXPECT_EQ(DateToStored(Ymd(2090, 1, 1)), "19900101");
    EXPECT_EQ(DateToStored(Ymd(1989, 1, 1)), "20890101");
}

TEST_F(StoredFormsTest, StoredToDateReadsYearMonthDay) {
    const StoredDate date = StoredToDate("20260305");
    ASSERT_TRUE(date.ok()) << date.error;
    EXPECT_EQ(date.date, Ymd(2026, 3, 5));
    EXPECT_EQ(date.date.time.count(), 0);
    EXPECT_EQ(StoredToDate(" 19991231 ").date, Ymd(1999, 12, 31));
}

TEST_F(StoredFormsTest, BlankStoredDateIsNowWithTheTimeOfDay) {
    const StoredDate date = StoredToDate("        ");
    ASSERT_TRUE(date.ok());
    EXPECT_EQ(date.date, (platform::DateTime{Ymd(2026, 3, 5).day, hours{9}}));
    // Later than any earlier moment of today, the plain date included.
    EXPECT_GT(date.date, Ymd(2026, 3, 5));
    EXPECT_TRUE(StoredToDate("").ok());
}

TEST_F(StoredFormsTest, ImpossibleDateFailsWithTheDateEncodeError) {
    for (const char* text : {"20260230", "20261301", "20260000", "00000101", "20250229"}) {
        const StoredDate date = StoredToDate(text);
        EXPECT_FALSE(date.ok()) << text;
        EXPECT_EQ(date.error, "Invalid argument to date encode") << text;
    }
    EXPECT_TRUE(StoredToDate("20240229").ok());
}

TEST_F(StoredFormsTest, NonDigitPartFailsWithTheIntegerConversionError) {
    EXPECT_EQ(StoredToDate("2026AB05").error, "'AB' is not a valid integer value");
    EXPECT_EQ(StoredToDate("202603").error, "'' is not a valid integer value");
    EXPECT_EQ(StoredToDate("x0260305").error, "'x026' is not a valid integer value");
}

TEST_F(StoredFormsTest, StoredFormRoundTrips) {
    for (const auto& date : {Ymd(1986, 1, 1), Ymd(2024, 2, 29), Ymd(2085, 12, 31)}) {
        const StoredDate back = StoredToDate(DateToStored(date));
        ASSERT_TRUE(back.ok());
        EXPECT_EQ(back.date, date);
    }
}

TEST(PadNumber, RightAlignsInTheWidth) {
    EXPECT_EQ(PadNumber(7, 4), "   7");
    EXPECT_EQ(PadNumber(9999, 4), "9999");
    EXPECT_EQ(PadNumber(-12, 4), " -12");
    EXPECT_EQ(PadNumber(0, 1), "0");
}

TEST(PadNumber, NeverCutsALongerNumber) {
    EXPECT_EQ(PadNumber(12345, 4), "12345");
    EXPECT_EQ(PadNumber(-1000, 4), "-1000");
}

}  // namespace
}  // namespace cbk
