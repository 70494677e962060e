#include "platform/DateTime.h"

namespace platform {

std::optional<DateTime> DateTime::fromYmd(int year, int month, int day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1) return std::nullopt;
    if (day > daysInMonth(year, month)) return std::nullopt;
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month{unsigned(month)},
                                          std::chrono::day{unsigned(day)}};
    return DateTime{std::chrono::sys_days{ymd}, std::chrono::milliseconds{0}};
}

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    if (month == 2 && std::chrono::year{year}.is_leap()) return 29;
    return kDays[month - 1];
}

}  // namespace platform
