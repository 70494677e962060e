#pragma once

// The scheduled entries as the books keep them, in the side table SCHED (made at the first
// save), and the entry of a due date as an ordinary expense or income record. Row 0 of the
// table (SCHID 0) keeps, in START, the day of the books' last Due check.

#include <optional>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "records/Schedule.h"

namespace records {

struct StoredSchedules {
    std::vector<Schedule> schedules;              // in SCHID order as saved
    std::optional<platform::DateTime> lastCheck;  // none before the first Due check
    std::string error;  // why the table could not be read; empty when fine
};

// Reads SCHED; a missing table is no schedules and no check yet.
StoredSchedules LoadSchedules();

// Writes `schedules` and the last check over whatever SCHED held. Returns why it failed, or
// an empty text.
std::string SaveSchedules(const std::vector<Schedule>& schedules,
                          const std::optional<platform::DateTime>& lastCheck);

// Appends the record of `schedule` on `date` (with `amount`, which the user may have changed)
// to EXP5 or INC5 through the save path of the record forms. The tables must be open. Returns
// the record number, 0 when the save was refused (the message was shown).
long EnterDueRecord(const Schedule& schedule, const platform::DateTime& date, double amount);

struct DueEntered {
    int entered = 0;
    int skipped = 0;
    bool stopped = false;  // a save was refused: the lines from it on stay due
    std::vector<std::pair<std::size_t, long>> records;  // line entered, its record number
    std::string error;  // why SCHED could not note what was done; empty when fine
};

// Does what the user chose for each line of the Due list (DueSince of `books`): the lines to
// enter (with their `amounts`) become records in date order, and SCHED then notes them and
// the lines skipped (NoteHandled), so none of them falls due again. EXP5 and INC5 must be
// open. When SCHED cannot be written the records stay entered and `error` says why.
DueEntered EnterDue(StoredSchedules& books, const std::vector<DueLine>& lines,
                    std::vector<DueChoice> choices, const std::vector<double>& amounts,
                    const platform::DateTime& today);

}  // namespace records
