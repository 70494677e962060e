#pragma once

// Pieces the report builders share: the amount form, the folder test asked once per entry,
// the progress of a scan, and the opening of a report's second section.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "reports/ReportDocument.h"

namespace engine {
struct Data4;
struct Field4;
struct Tag4;
}  // namespace engine

namespace reports {

// The first day of the month of `date`.
platform::DateTime FirstOfMonth(const platform::DateTime& date);

// An amount as every report shows it: "%13.2n".
std::string Amount(double value);

// The same, formatted on the stack for a cell written straight into the document.
class AmountText {
public:
    explicit AmountText(double value);
    operator std::string_view() const { return {text_ + start_, kCapacity - start_}; }

private:
    // Room for the largest double's 309 digits, their separators, sign and cents.
    static constexpr std::size_t kCapacity = 480;
    char text_[kCapacity];
    std::size_t start_ = kCapacity;
};

// An amount rounded to whole cents as "%13.2n" rounds it (half away from zero, from its 18
// significant digits); nothing for a value no amount holds (not finite, or too large for the
// cents to count).
std::optional<Cents> RoundCents(double value);

// An amount as a builder writes it into a cell: its cents, or the text of a value that holds
// none ("INF").
class Money {
public:
    explicit Money(double value);
    operator Entry() const { return cents_ ? Entry(*cents_) : Entry(text_); }

private:
    std::optional<Cents> cents_;
    std::string text_;
};

// A whole number in decimal, formatted on the stack.
class NumberText {
public:
    explicit NumberText(long value);
    operator std::string_view() const { return {text_, length_}; }

private:
    char text_[24];
    std::size_t length_ = 0;
};

// A date as a date cell holds it.
DayNumber DayNumberOf(const platform::DateTime& date);

// A stored date ("YYYYMMDD") as a number that orders as the stored bytes do, for comparing
// dates without a string.
std::uint64_t DateKey(std::string_view stored);

// The day of a stored date: the date itself, or `today` for a blank or unreadable one, as
// every record load reads them. Worked out once for each run of equal dates.
class StoredDays {
public:
    explicit StoredDays(DayNumber today) : today_(today) {}
    DayNumber of(std::string_view stored);

private:
    DayNumber today_;
    std::uint64_t key_ = ~std::uint64_t(0);
    DayNumber day_;
};

std::string Trimmed(std::string_view text);
std::string_view TrimmedView(std::string_view text);

// A stored date left blank. Such an entry is dated today, as every record load reads it, so
// each report counts it on the day it is run.
bool BlankDate(std::string_view stored);

// Calls `visit` on each entry of `table` whose stored date `date` is blank, the table standing
// on it. `byDate` is a tag whose key starts with the date (DTOS first), which puts these
// entries before any dated one; it is left selected.
void ForEachBlankDated(engine::Data4* table, engine::Tag4* byDate, engine::Field4* date,
                       const std::function<void()>& visit);

// Membership of an entry's folder in the selection, in constant time for four-digit numbers.
// Holds a reference to `folders`, which must outlive it.
class FolderSet {
public:
    explicit FolderSet(const std::vector<std::int32_t>& folders);
    bool contains(std::int32_t folder) const;

private:
    static constexpr std::int32_t kDirect = 10000;  // every four-digit folder number
    std::vector<bool> direct_;
    const std::vector<std::int32_t>& folders_;
};

// Progress of a scan of `total` steps, Trunc(done × 100 / total); the box is told only when
// the percentage moves.
class ScanProgress {
public:
    explicit ScanProgress(long total) : total_(total) {}
    void step(long steps = 1);

private:
    long total_;
    long done_ = 0;
    int shown_ = 0;
};

inline constexpr std::string_view kBuildingReport = "Building Report";

// The progress box with "Building Report", and its hiding.
void ShowBuildingProgress();
void HideBuildingProgress();

// Opens the section now in `doc.sectionText` under the rows already written: when the
// current page has room for six more lines, two blanks, the section line, a blank and the
// heading rows; otherwise the next page opens with them. Nothing while the document is
// empty, so a first section without rows leaves the second to open page 1.
void OpenNextSection(Document& doc);

}  // namespace reports
