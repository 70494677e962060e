#include "records/Schedule.h"

#include <algorithm>
#include <map>

namespace records {
namespace {

using platform::DateTime;
using namespace std::chrono;

DateTime OnDay(int year, int month, int day) {
    const int last = platform::daysInMonth(year, month);
    return *DateTime::fromYmd(year, month, std::min(day, last));
}

// The month `months` after the start's month, as a year and month.
std::pair<int, int> MonthsOn(const DateTime& start, int months) {
    const int index = start.year() * 12 + (start.month() - 1) + months;
    return {index / 12, index % 12 + 1};
}

}  // namespace

DateTime NthDate(const ScheduleRule& rule, int n) {
    const DateTime start = rule.start.dateOnly();
    switch (rule.repeat) {
        case Repeat::Weekly:
            return DateTime{start.day + days{7 * n}, milliseconds{0}};
        case Repeat::EveryNWeeks:
            return DateTime{start.day + days{7 * std::max(1, rule.every) * n}, milliseconds{0}};
        case Repeat::MonthlyOnDay: {
            const auto [y, m] = MonthsOn(start, n);
            return OnDay(y, m, std::clamp(rule.day, 1, 31));
        }
        case Repeat::MonthlyLastDay: {
            const auto [y, m] = MonthsOn(start, n);
            return OnDay(y, m, 31);
        }
        case Repeat::Quarterly: {
            const auto [y, m] = MonthsOn(start, 3 * n);
            return OnDay(y, m, start.dayOfMonth());
        }
        case Repeat::Yearly:
            return OnDay(start.year() + n, start.month(), start.dayOfMonth());
    }
    return start;
}

std::vector<DateTime> DatesBetween(const ScheduleRule& rule, const DateTime& after,
                                   const DateTime& upTo, int limit) {
    std::vector<DateTime> dates;
    const DateTime from = after.dateOnly();
    const DateTime to = upTo.dateOnly();
    const DateTime start = rule.start.dateOnly();
    int taken = 0;  // dates on or after the start, the ones the count counts
    for (int n = 0; rule.count <= 0 || taken < rule.count; ++n) {
        const DateTime date = NthDate(rule, n);
        // A monthly date may fall before the start within the start's own month.
        if (date < start) continue;
        ++taken;
        if (date > to || (rule.end && date > rule.end->dateOnly())) break;
        if (date > from) {
            if (int(dates.size()) == limit) break;
            dates.push_back(date);
        }
    }
    return dates;
}

std::vector<DueLine> DueSince(const std::vector<Schedule>& schedules, const DateTime& lastCheck,
                              const DateTime& today, const ChartLookup& chart) {
    std::vector<DueLine> lines;
    for (const Schedule& s : schedules) {
        const bool fine = chart.accountExists(s.kind, s.accNo) && chart.folderExists(s.folNo);
        const DateTime after = s.done ? *s.done : lastCheck;
        for (const DateTime& date : DatesBetween(s.rule, after, today))
            lines.push_back({s.id, date, fine ? std::string{} : kScheduleNeedsFixing});
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const DueLine& a, const DueLine& b) { return a.date < b.date; });
    return lines;
}

std::string ScheduleProblem(const Schedule& s) {
    const ScheduleRule& r = s.rule;
    if (r.end && r.end->dateOnly() < r.start.dateOnly())
        return "The end date is before the start date.";
    if (r.repeat == Repeat::EveryNWeeks && (r.every < 1 || r.every > 52))
        return "Every how many weeks: a number from 1 to 52.";
    if (r.repeat == Repeat::MonthlyOnDay && (r.day < 1 || r.day > 31))
        return "The day of the month is a number from 1 to 31.";
    if (r.count < 0 || r.count > 9999) return "The number of times is at most 9999.";
    if (r.end && r.count > 0) return "Give an end date or a number of times, not both.";
    return {};
}

int LeftBehind(const std::vector<DueLine>& lines, const std::vector<DueChoice>& choices) {
    std::map<std::int32_t, std::size_t> earliestLeft;  // by schedule: its earliest line left
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (choices[i] != DueChoice::Leave) continue;
        auto [at, added] = earliestLeft.try_emplace(lines[i].scheduleId, i);
        if (!added && lines[i].date < lines[at->second].date) at->second = i;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (choices[i] == DueChoice::Leave) continue;
        const auto left = earliestLeft.find(lines[i].scheduleId);
        if (left != earliestLeft.end() && lines[left->second].date < lines[i].date)
            return int(left->second);
    }
    return -1;
}

DateTime NoteHandled(std::vector<Schedule>& schedules, const std::vector<DueLine>& lines,
                     const std::vector<DueChoice>& choices,
                     const std::optional<DateTime>& lastCheck, const DateTime& today) {
    DateTime check = today.dateOnly();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const DueLine& line = lines[i];
        if (choices[i] == DueChoice::Leave) {
            check = std::min(check, DateTime{line.date.day - days{1}, milliseconds{0}});
            continue;
        }
        for (Schedule& s : schedules)
            if (s.id == line.scheduleId && (!s.done || *s.done < line.date)) s.done = line.date;
    }
    return lastCheck && *lastCheck > check ? *lastCheck : check;
}

DateTime NoCheckYet() {
    return *DateTime::fromYmd(1900, 1, 1);
}

}  // namespace records
