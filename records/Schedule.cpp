#include "records/Schedule.h"

#include <algorithm>

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
        for (const DateTime& date : DatesBetween(s.rule, lastCheck, today))
            lines.push_back({s.id, date, fine ? std::string{} : kScheduleNeedsFixing});
    }
    std::stable_sort(lines.begin(), lines.end(),
                     [](const DueLine& a, const DueLine& b) { return a.date < b.date; });
    return lines;
}

}  // namespace records
