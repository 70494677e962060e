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
    // Records the walk passes over without reading them count as read.
    void skip(long records) {
        for (long i = 0; i < records; ++i) step();
    }

private:
    long total_;
    long counter_ = 0;
    int shown_ = 0;
};

// A stored date the date tag keeps as eight blanks (blank, or zeros as some tools write it).
bool BlankInKey(std::string_view stored) {
    return stored.find_first_not_of(std::string_view("0 \0", 3)) == std::string_view::npos;
}

// Writes `mark` into every record of `table` whose stored date lies from `from` through
// `through`, a blank date read as today. The date tag's keys begin with the stored date, so
// such records lie in two runs of it: the blank keys at its top, and the range; the walk
// visits those runs alone. One bulk change: the marked records are gathered and written in
// record order at its end.
void MarkRange(engine::Data4* table, engine::Tag4* dateTag, engine::Field4* date,
               engine::Field4* archive, const char* mark, const std::string& from,
               const std::string& through, ArchiveProgress& progress) {
    const std::string today = cbk::DateToStored(platform::clock().today());
    std::string scratch;
    engine::d4tagSelect(table, dateTag);
    const long entries = engine::t4count(dateTag);
    long visited = 0;
    const auto markIfInRange = [&](std::string_view stored) {
        progress.step();
        ++visited;
        if (stored.find_first_not_of(' ') == std::string_view::npos) stored = today;
        if (from <= stored && stored <= through) engine::f4assign(archive, mark);
    };
    engine::d4appendStart(table);
    const auto walk = [&](const std::string& start, auto inRun) {
        for (int rc = engine::d4seek(table, start);
             rc == engine::r4success || rc == engine::r4after; rc = engine::d4skip(table, 1)) {
            const std::string_view stored = engine::f4strView(date, scratch);
            if (!inRun(stored)) break;
            markIfInRange(stored);
        }
    };
    walk(std::string(8, ' '), BlankInKey);
    if (from <= through && !BlankInKey(from))
        walk(from, [&](std::string_view stored) { return stored <= through; });
    engine::d4appendEnd(table);
    progress.skip(entries - visited);
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
        MarkRange(cbk::Expenses, cbk::EDateTag, cbk::ExpDateField, cbk::ExpArchiveField, mark, from,
                  through, progress);
        MarkRange(cbk::Income, cbk::IncDateTag, cbk::IncDateField, cbk::IncArchiveField, mark, from,
                  through, progress);
    }
    // A record that could not be written is an engine error, and that ends the program.
    engine::error4exitTest(cbk::cb);
}

}  // namespace maintenance
