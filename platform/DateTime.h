#pragma once

// Dates as the program holds them: a calendar day plus, for "now", a time of day. Dates
// typed or stored carry no time; StoredToDate of a blank date gives now, with its time.

#include <chrono>
#include <compare>
#include <optional>

namespace platform {

struct DateTime {
    std::chrono::sys_days day{};
    std::chrono::milliseconds time{0};  // time of day, 0 for plain dates

    static std::optional<DateTime> fromYmd(int year, int month, int day);
    std::chrono::year_month_day ymd() const { return std::chrono::year_month_day{day}; }
    int year() const { return int(ymd().year()); }
    int month() const { return int(unsigned(ymd().month())); }
    int dayOfMonth() const { return int(unsigned(ymd().day())); }
    DateTime dateOnly() const { return DateTime{day, std::chrono::milliseconds{0}}; }

    auto operator<=>(const DateTime&) const = default;
    bool operator==(const DateTime&) const = default;
};

int daysInMonth(int year, int month);

}  // namespace platform
