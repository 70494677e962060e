#pragma once

// Scheduled entries: when a repeating expense or income falls due, and which of them fell due
// since the last Due check. Nothing here posts a record; the Due list only offers them.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/DateTime.h"

namespace records {

enum class Repeat {
    Weekly,          // every 7 days from the start
    EveryNWeeks,     // every `every` weeks from the start
    MonthlyOnDay,    // on `day` of every month from the start's month; a short month: its last day
    MonthlyLastDay,  // on the last day of every month from the start's month
    Quarterly,       // every 3 months on the start's day (held to the month's length)
    Yearly,          // on the start's day and month; 29 February is 28 February in common years
};

struct ScheduleRule {
    Repeat repeat = Repeat::MonthlyOnDay;
    int every = 1;  // weeks between dates for EveryNWeeks (1 or more)
    int day = 1;    // day of the month for MonthlyOnDay (1 to 31)
    platform::DateTime start;
    std::optional<platform::DateTime> end;  // the last day a date may fall on, if any
    int count = 0;                          // how many dates in all; 0: no limit
};

// The n-th date of the rule (n from 0), before the end and count are applied.
platform::DateTime NthDate(const ScheduleRule& rule, int n);

// The rule's dates after `after` up to and including `upTo`, in date order; a date before the
// start, past the end or beyond the count is none. At most `limit` dates, so a weekly schedule
// left unchecked for years cannot flood the list.
std::vector<platform::DateTime> DatesBetween(const ScheduleRule& rule,
                                             const platform::DateTime& after,
                                             const platform::DateTime& upTo, int limit = 500);

enum class ScheduleKind { Expense, Income };

struct Schedule {
    std::int32_t id = 0;
    ScheduleKind kind = ScheduleKind::Expense;
    ScheduleRule rule;
    std::int32_t accNo = 0;
    std::int32_t folNo = 0;
    std::string payee;  // PayTo of an expense, IncDesc of an income
    double amount = 0.0;
    std::int32_t checkNo = 0;
    std::string memo;
    // The latest date of the schedule entered or skipped from the Due list (for a schedule made
    // or moved in the editor, the day before its start): its dates after it fall due, whatever
    // the last Due check of the books says. None: the dates after the last check do.
    std::optional<platform::DateTime> done;
    std::int32_t bankNo = 0;  // the bank account the entries move through; 0: the default
};

// Why `schedule` cannot be kept as it stands (its dates, its repeat, its count), in the words
// the editor shows; empty when it can.
std::string ScheduleProblem(const Schedule& schedule);

inline constexpr const char* kScheduleNeedsFixing = "Account or folder no longer exists";

// One line of the Due list: a schedule's date that fell due. `problem` is empty when the line
// can be entered, else why it cannot be until the schedule is fixed.
struct DueLine {
    std::int32_t scheduleId = 0;
    platform::DateTime date;
    std::string problem;
};

// Whether an account of the kind's chart (expense: ACC, income: ACCI) or a folder exists.
struct ChartLookup {
    std::function<bool(ScheduleKind, std::int32_t)> accountExists;
    std::function<bool(std::int32_t)> folderExists;
};

// The dates that fell due after the schedule's `done` (without one, after the last Due check)
// up to today, by date, then in schedule order. A schedule whose account or folder is gone is
// listed with kScheduleNeedsFixing.
std::vector<DueLine> DueSince(const std::vector<Schedule>& schedules,
                              const platform::DateTime& lastCheck, const platform::DateTime& today,
                              const ChartLookup& chart);

// What the user does with a line of the Due list.
enum class DueChoice { Leave, Enter, Skip };

// The first line handled (entered or skipped) while an earlier date of the same schedule is
// left: the index of that earlier line, or -1. A schedule's dates are handled in their order,
// so that none is passed over unseen.
int LeftBehind(const std::vector<DueLine>& lines, const std::vector<DueChoice>& choices);

// Notes what was handled: each schedule's `done` moves to its latest line handled, and the
// books' last check moves up to the day before the earliest line left (to `today` when none
// is), never back. Returns the new last check.
platform::DateTime NoteHandled(std::vector<Schedule>& schedules, const std::vector<DueLine>& lines,
                               const std::vector<DueChoice>& choices,
                               const std::optional<platform::DateTime>& lastCheck,
                               const platform::DateTime& today);

// The last check of books that never had one: every date from a schedule's start falls due.
platform::DateTime NoCheckYet();

}  // namespace records
