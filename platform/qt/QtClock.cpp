#include "platform/qt/QtClock.h"

#include <QDate>
#include <QDateTime>
#include <QTime>

namespace platform::qt {

DateTime toDateTime(const QDateTime& moment) {
    const QDate date = moment.date();
    const std::chrono::year_month_day ymd{std::chrono::year{date.year()},
                                          std::chrono::month{unsigned(date.month())},
                                          std::chrono::day{unsigned(date.day())}};
    return DateTime{std::chrono::sys_days{ymd},
                    std::chrono::milliseconds{moment.time().msecsSinceStartOfDay()}};
}

DateTime QtClock::now() {
    return toDateTime(QDateTime::currentDateTime());
}

}  // namespace platform::qt
