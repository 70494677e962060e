#include "maintenance/Archive.h"

#include <algorithm>
#include <optional>
#include <string>

#include "data/Database.h"
#include "data/StoredForms.h"
#include "data/TableSession.h"
#include "platform/Platform.h"

namespace maintenance {

namespace {

platform::DateTime Day(int year, int month, int day) {
    return *platform::DateTime::fromYmd(year, month,
                                        std::clamp(day, 1, platform::daysInMonth(year, month)));
}

// The bar over both tables; it is painted only when its percentage moves, since the walk can
// pass millions of records.
class ArchiveProgress {
public:
    explicit ArchiveProgress(long total) : total_(total) {}
    void step() {
        ++counter_;
        const int percent = total_ > 0 ? static_cast<int>(counter_ * 100 / total_) : 0;
        if (percent != shown_) {
            shown_ = percent;
            platform::progress().SetProgress(percent);
        }
    }

private:
    long total_;
    long counter_ = 0;
    int shown_ = 0;
};

// Walks `table` in the order of its selected date tag and writes `mark` into every record whose
// stored date lies from `from` through `through`. A blank date reads as today. One bulk change:
// the marked records are gathered and written in record order at its end.
void MarkRange(engine::Data4* table, engine::Field4* date, engine::Field4* archive,
               const char* mark, const std::string& from, const std::string& through,
               ArchiveProgress& progress) {
    const std::string today = cbk::DateToStored(platform::clock().today());
    std::string scratch;
    engine::d4appendStart(table);
    for (int rc = engine::d4top(table); rc == engine::r4success; rc = engine::d4skip(table, 1)) {
        progress.step();
        std::string_view stored = engine::f4strView(date, scratch);
        if (stored.find_first_not_of(' ') == std::string_view::npos) stored = today;
        if (from <= stored && stored <= through) engine::f4assign(archive, mark);
    }
    engine::d4appendEnd(table);
}

}  // namespace

platform::DateTime Windowed(const platform::DateTime& date) {
    const cbk::StoredDate stored = cbk::StoredToDate(cbk::DateToStored(date));
    return stored.ok() ? stored.date.dateOnly() : date.dateOnly();
}

DateRange DefaultArchiveRange(const platform::DateTime& today, int fyMonth, int fyDay) {
    int y = today.year();
    const int m = today.month();
    const int d = today.dayOfMonth();
    if ((m == fyMonth && d < fyDay) || m < fyMonth) --y;
    const platform::DateTime fyStart = Day(y, fyMonth, fyDay);
    return {Day(y - 1, fyMonth, fyDay),
            platform::DateTime{fyStart.day - std::chrono::days{1}, std::chrono::milliseconds{0}}};
}

void ArchiveRecords(bool archive, const platform::DateTime& start, const platform::DateTime& end) {
    const char* mark = archive ? "T" : "F";
    const std::string from = cbk::DateToStored(start);
    const std::string through = cbk::DateToStored(end);
    std::optional<platform::ProgressShown> shown;
    {
        cbk::TableSession session({"EXP5", "INC5"});
        ArchiveProgress progress(engine::d4recCount(cbk::Expenses) +
                                 engine::d4recCount(cbk::Income));
        shown.emplace(kArchivingData);
        MarkRange(cbk::Expenses, cbk::ExpDateField, cbk::ExpArchiveField, mark, from, through,
                  progress);
        MarkRange(cbk::Income, cbk::IncDateField, cbk::IncArchiveField, mark, from, through,
                  progress);
    }
    // A record that could not be written is an engine error, and that ends the program.
    engine::error4exitTest(cbk::cb);
}

}  // namespace maintenance
