#pragma once

// The fiscal year of the settings (month FyMonth, day FyDay): where the year that holds a
// date begins. Reports take their year-to-date columns from it, the payment import its
// default range.

#include "platform/DateTime.h"

namespace rules {

// The first day of the fiscal year that holds `date`, for a fiscal year starting on day
// `fyDay` of month `fyMonth`. A stored start that is not a day of every year is read as the
// settings form would have let it be entered: the month held to 1..12 and the day to 1 and the
// month's length in a common year, so 29 February starts the year on 28 February.
platform::DateTime FiscalYearStart(const platform::DateTime& date, int fyMonth, int fyDay);

}  // namespace rules
