#include "platform/qt/QtRegional.h"

#include <gtest/gtest.h>

#include "platform/qt/QtClock.h"

#include <QDateTime>

using platform::DateOrder;
using platform::qt::dateSettingsOf;
using platform::qt::regionalSettingsOf;

TEST(QtRegional, ShortDateFormatsGiveTheirOrderAndSeparator) {
    auto s = dateSettingsOf("M/d/yy");
    EXPECT_EQ(s.dateOrder, DateOrder::MDY);
    EXPECT_EQ(s.dateSeparator, '/');
    s = dateSettingsOf("dd.MM.yyyy");
    EXPECT_EQ(s.dateOrder, DateOrder::DMY);
    EXPECT_EQ(s.dateSeparator, '.');
    s = dateSettingsOf("yyyy-MM-dd");
    EXPECT_EQ(s.dateOrder, DateOrder::YMD);
    EXPECT_EQ(s.dateSeparator, '-');
    s = dateSettingsOf("d. M. yyyy");
    EXPECT_EQ(s.dateOrder, DateOrder::DMY);
    EXPECT_EQ(s.dateSeparator, '.');
}

TEST(QtRegional, AFormatWithoutASeparatorFallsBackToMonthDayYear) {
    auto s = dateSettingsOf("d MMM yyyy");
    EXPECT_EQ(s.dateOrder, DateOrder::MDY);
    EXPECT_EQ(s.dateSeparator, '/');
    s = dateSettingsOf("yyyy'\u5e74'M'\u6708'd'\u65e5'");
    EXPECT_EQ(s.dateSeparator, '/');
}

TEST(QtRegional, LocalesGiveTheirNumberSeparators) {
    const auto us = regionalSettingsOf(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(us.dateOrder, DateOrder::MDY);
    EXPECT_EQ(us.dateSeparator, '/');
    EXPECT_EQ(us.decimalSeparator, '.');
    EXPECT_EQ(us.thousandSeparator, ',');
    const auto de = regionalSettingsOf(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(de.dateOrder, DateOrder::DMY);
    EXPECT_EQ(de.dateSeparator, '.');
    EXPECT_EQ(de.decimalSeparator, ',');
    EXPECT_EQ(de.thousandSeparator, '.');
    // A non-breaking space between thousands becomes a plain blank.
    const auto fr = regionalSettingsOf(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(fr.decimalSeparator, ',');
    EXPECT_EQ(fr.thousandSeparator, ' ');
}

TEST(QtClock, LocalMomentsKeepDayAndTime) {
    const QDateTime moment(QDate(2026, 2, 28), QTime(23, 59, 59, 250));
    const auto d = platform::qt::toDateTime(moment);
    EXPECT_EQ(d.year(), 2026);
    EXPECT_EQ(d.month(), 2);
    EXPECT_EQ(d.dayOfMonth(), 28);
    EXPECT_EQ(d.time.count(), ((23 * 60 + 59) * 60 + 59) * 1000 + 250);
}
