#include "rules/FiscalYear.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace rules {

namespace {

// Month lengths of a common year: the days the settings form offers.
constexpr std::array<int, 12> kCommonYear = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

}  // namespace

platform::DateTime FiscalYearStart(const platform::DateTime& date, int fyMonth, int fyDay) {
    const int month = std::clamp(fyMonth, 1, 12);
    const int day = std::clamp(fyDay, 1, kCommonYear[std::size_t(month - 1)]);
    int year = date.year();
    if ((date.month() == month && date.dayOfMonth() < day) || date.month() < month) --year;
    return *platform::DateTime::fromYmd(year, month, day);
}

FiscalStart EnterFiscalMonth(int month, int day) {
    if (month < 1 || month > 12) return {std::string(kMonthOutOfRange), month, day};
    return {{}, month, std::min(day, kCommonYear[std::size_t(month - 1)])};
}

FiscalStart EnterFiscalDay(int month, int day) {
    const int days = kCommonYear[month >= 1 && month <= 12 ? std::size_t(month - 1) : 0];
    if (day < 1 || day > days) return {std::string(kDayOutOfMonth), month, day};
    return {{}, month, day};
}

}  // namespace rules
