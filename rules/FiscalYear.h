#pragma once

// The fiscal year of the settings (month FyMonth, day FyDay): where the year that holds a
// date begins. Reports take their year-to-date columns from it, the payment import its
// default range.

#include <string>
#include <string_view>

#include "platform/DateTime.h"

namespace rules {

// The first day of the fiscal year that holds `date`, for a fiscal year starting on day
// `fyDay` of month `fyMonth`. A stored start that is not a day of every year is read as the
// settings form would have let it be entered: the month held to 1..12 and the day to 1 and the
// month's length in a common year, so 29 February starts the year on 28 February.
platform::DateTime FiscalYearStart(const platform::DateTime& date, int fyMonth, int fyDay);

inline constexpr std::string_view kMonthOutOfRange = "Month must be between 1 and 12";
inline constexpr std::string_view kDayOutOfMonth = "Invalid Day for Specified Month";

// The fiscal year start as the Program Setup fields take it. `refused` is the information
// box's text when the value is refused, and then nothing changes.
struct FiscalStart {
    std::string refused;
    int month = 1;
    int day = 1;
};

// A start month entered while the start day is `day`: 1 to 12, else kMonthOutOfRange. A day
// past the month's end (February has 28) becomes its last day.
FiscalStart EnterFiscalMonth(int month, int day);

// A start day entered for the start month `month`: 1 to the month's days, else kDayOutOfMonth.
// A stored month outside 1 to 12 cannot say how long it is, and is measured as January.
FiscalStart EnterFiscalDay(int month, int day);

}  // namespace rules
