#pragma once

// Archive and de-archive: the Archive mark of every expense and income record dated within a
// range is set (archive) or cleared (de-archive). Archived records leave the pick lists; the
// reports still count them.

#include "platform/DateTime.h"

namespace maintenance {

inline constexpr const char* kArchivingData = "Archiving Data";

struct DateRange {
    platform::DateTime start;
    platform::DateTime end;
};

// The date after the century window of the stored form, as a whole day.
platform::DateTime Windowed(const platform::DateTime& date);

// The last complete fiscal year before `today` for a fiscal year starting on month `fyMonth`,
// day `fyDay` (a day past the month's end counts as its last day).
DateRange DefaultArchiveRange(const platform::DateTime& today, int fyMonth, int fyDay);

// Opens EXP5 and INC5, walks each in date order with one progress bar "Archiving Data" over
// both (counts include deleted records, which the walk does not visit) and writes the mark
// ("T" archive, "F" de-archive) into every record dated from `start` through `end`; then closes
// all tables and hides the progress box. The dates are whole days after the century window.
void ArchiveRecords(bool archive, const platform::DateTime& start, const platform::DateTime& end);

}  // namespace maintenance
