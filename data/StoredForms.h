#pragma once

// The text forms in which the tables store and index dates and numbers: the stored date
// CCYYMMDD (what DTOS() yields in the key expressions) and the right-aligned number of the
// STR(n, 4) keys.

#include <string>
#include <string_view>

#include "platform/DateTime.h"

namespace cbk {

// The date library's conversion error for a year, month and day that make no date.
inline constexpr std::string_view kDateEncodeError = "Invalid argument to date encode";

// Result of StoredToDate: a date, or the conversion error that stopped it.
struct StoredDate {
    platform::DateTime date;
    std::string error;  // empty when `date` holds the result
    bool ok() const { return error.empty(); }
};

// "yyyymmdd" of `date` after the century window around the clock's current year Y: a year
// below Y - 40 gains 100 years, a year from Y + 60 on loses 100.
std::string DateToStored(const platform::DateTime& date);

// Reads a stored date. Blank text gives now (today with the clock's time of day). A year,
// month or day that is not a number fails with "'xx' is not a valid integer value"; an
// impossible date such as "20260230" fails with kDateEncodeError.
StoredDate StoredToDate(std::string_view stored);

// The decimal form of n, blank-padded on the left to at least `width` characters; never cut.
std::string PadNumber(long n, int width);

}  // namespace cbk
