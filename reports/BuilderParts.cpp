#include "reports/BuilderParts.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

#include "data/StoredForms.h"
#include "data/engine/Engine.h"
#include "platform/Platform.h"
#include "rules/EntryRules.h"

namespace reports {

platform::DateTime FirstOfMonth(const platform::DateTime& date) {
    return *platform::DateTime::fromYmd(date.year(), date.month(), 1);
}

bool BlankDate(std::string_view stored) {
    return stored.find_first_not_of(' ') == std::string_view::npos;
}

void ForEachBlankDated(engine::Data4* table, engine::Tag4* byDate, engine::Field4* date,
                       const std::function<void()>& visit) {
    using namespace engine;
    d4tagSelect(table, byDate);
    std::string scratch;
    for (int rc = d4top(table); rc == r4success && BlankDate(f4strView(date, scratch));
         rc = d4skip(table, 1))
        if (!d4deleted(table)) visit();
}

std::string Amount(double value) {
    return std::string(std::string_view(AmountText(value)));
}

namespace {

// The cents of |value| rounded half away from zero, found from the binary value itself when
// it lies clearly off a half cent: then its 18 significant decimal digits, which the exact
// form rounds, round the same way. Empty near a half cent and for the values no amount holds.
std::optional<std::uint64_t> quickCents(double magnitude) {
    if (!(magnitude < 0x1p53)) return std::nullopt;
    const auto bits = std::bit_cast<std::uint64_t>(magnitude);
    const int biased = int(bits >> 52);
    if (biased == 0) return 0;  // zero, or far below a cent
    const std::uint64_t mantissa = (bits & ((std::uint64_t(1) << 52) - 1)) | std::uint64_t(1) << 52;
    const int shift = 1075 - biased;                   // magnitude = mantissa / 2^shift
    const std::uint64_t hundredfold = mantissa * 100;  // below 2^60
    if (shift == 0) return hundredfold;
    if (shift >= 64) return 0;  // below a sixteenth of a cent
    const std::uint64_t half = std::uint64_t(1) << (shift - 1);
    const std::uint64_t rest = hundredfold & ((half << 1) - 1);
    // The 18-digit form lies within 5e-18 of the value, relatively: far inside this margin.
    const std::uint64_t margin = hundredfold / 1'000'000'000'000'000 + 2;
    if ((rest > half ? rest - half : half - rest) <= margin) return std::nullopt;
    return (hundredfold >> shift) + (rest > half ? 1 : 0);
}

}  // namespace

// The rules' "%13.2n": the digits of |value| rounded half away from zero at two decimals,
// taken from its 18 significant decimal digits, with the regional separators, right-aligned
// in 13 characters; written backwards into the buffer without a string.
AmountText::AmountText(double value) {
    constexpr std::size_t kWidth = 13;
    const platform::RegionalSettings regional = platform::regional().settings();
    auto put = [this](char c) { text_[--start_] = c; };
    if (const auto cents = quickCents(std::fabs(value))) {
        std::uint64_t whole = *cents / 100;
        put(char('0' + *cents % 10));
        put(char('0' + *cents / 10 % 10));
        put(regional.decimalSeparator);
        for (int i = 0; i == 0 || whole > 0; ++i, whole /= 10) {
            if (i > 0 && i % 3 == 0 && regional.thousandSeparator != '\0')
                put(regional.thousandSeparator);
            put(char('0' + whole % 10));
        }
        if (value < 0 && *cents != 0) put('-');
    } else if (!std::isfinite(value)) {
        const std::string_view text = std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
        for (std::size_t i = text.size(); i > 0; --i) put(text[i - 1]);
    } else {
        char sci[40];
        const auto res = std::to_chars(sci, sci + sizeof sci, std::fabs(value),
                                       std::chars_format::scientific, 17);
        const std::size_t e = std::string_view(sci, std::size_t(res.ptr - sci)).find('e');
        int exponent = 0;
        std::from_chars(sci + e + 1 + (sci[e + 1] == '+' ? 1 : 0), res.ptr, exponent);

        // Digits with the decimal point after `point` of them; zeros in front of a small
        // value, so that the point always has a digit before it.
        char digits[400];
        int point = 1 + exponent;
        std::size_t n = 0;
        if (point <= 0) {
            n = std::size_t(1 - point);
            std::fill(digits, digits + n, '0');
            point = 1;
        }
        for (std::size_t i = 0; i < e; ++i)
            if (sci[i] >= '0' && sci[i] <= '9') digits[n++] = sci[i];
        const std::size_t cut = std::size_t(point) + 2;
        if (n <= cut) {
            std::fill(digits + n, digits + cut, '0');
        } else if (digits[cut] >= '5') {
            std::size_t i = cut;
            while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
            if (i == 0) {
                std::memmove(digits + 1, digits, cut);
                digits[0] = '1';
                ++point;
            } else {
                ++digits[i - 1];
            }
        }
        const char* whole = digits;
        std::size_t wholeLength = std::size_t(point);
        while (wholeLength > 1 && *whole == '0') ++whole, --wholeLength;
        const char* cents = digits + point;
        put(cents[1]);
        put(cents[0]);
        put(regional.decimalSeparator);
        for (std::size_t i = 0; i < wholeLength; ++i) {
            if (i > 0 && i % 3 == 0 && regional.thousandSeparator != '\0')
                put(regional.thousandSeparator);
            put(whole[wholeLength - 1 - i]);
        }
        const bool allZero =
            wholeLength == 1 && whole[0] == '0' && cents[0] == '0' && cents[1] == '0';
        if (value < 0 && !allZero) put('-');
    }
    while (kCapacity - start_ < kWidth) put(' ');
}

std::optional<Cents> RoundCents(double value) {
    if (const auto cents = quickCents(std::fabs(value))) {
        const auto signedCents = std::int64_t(*cents);
        return Cents{value < 0 ? -signedCents : signedCents};
    }
    // Near a half cent the digits decide, as the text has them.
    if (!std::isfinite(value) || std::fabs(value) >= 9e16) return std::nullopt;
    std::int64_t cents = 0;
    const AmountText text(value);
    for (const char c : std::string_view(text))
        if (c >= '0' && c <= '9') cents = cents * 10 + (c - '0');
    return Cents{value < 0 ? -cents : cents};
}

Money::Money(double value) : cents_(RoundCents(value)) {
    if (!cents_) text_ = Amount(value);
}

NumberText::NumberText(long value) {
    length_ = std::size_t(std::to_chars(text_, text_ + sizeof text_, value).ptr - text_);
}

DayNumber DayNumberOf(const platform::DateTime& date) {
    return {std::uint32_t(date.year() * 10000 + date.month() * 100 + date.dayOfMonth())};
}

std::uint64_t DateKey(std::string_view stored) {
    if (stored.size() >= 8) {
        std::uint64_t bytes;
        std::memcpy(&bytes, stored.data(), 8);
        return std::endian::native == std::endian::little ? __builtin_bswap64(bytes) : bytes;
    }
    std::uint64_t key = 0;
    for (std::size_t i = 0; i < 8; ++i)
        key = key << 8 | (i < stored.size() ? static_cast<unsigned char>(stored[i]) : 0u);
    return key;
}

DayNumber StoredDays::of(std::string_view stored) {
    const std::uint64_t key = DateKey(stored);
    if (key == key_) return day_;
    key_ = key;
    const cbk::StoredDate date = cbk::StoredToDate(stored);
    day_ = date.ok() ? DayNumberOf(date.date) : today_;
    return day_;
}

std::string_view TrimmedView(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return text;
}

std::string Trimmed(std::string_view text) {
    return std::string(TrimmedView(text));
}

FolderSet::FolderSet(const std::vector<std::int32_t>& folders)
    : direct_(kDirect), folders_(folders) {
    for (std::int32_t f : folders)
        if (f >= 0 && f < kDirect) direct_[std::size_t(f)] = true;
}

bool FolderSet::contains(std::int32_t folder) const {
    if (folder >= 0 && folder < kDirect) return direct_[std::size_t(folder)];
    return std::find(folders_.begin(), folders_.end(), folder) != folders_.end();
}

void ScanProgress::step(long steps) {
    done_ += steps;
    const int percent = total_ > 0 ? int(done_ * 100 / total_) : 0;
    if (percent != shown_) platform::progress().SetProgress(shown_ = percent);
}

void ShowBuildingProgress() {
    platform::progress().ShowProgress(true, std::string(kBuildingReport));
}

void HideBuildingProgress() {
    platform::progress().ShowProgress(false, "");
}

void OpenNextSection(Document& doc) {
    if (doc.empty() || doc.CheckPage(doc.lineOnPage + 6, true)) return;
    doc.AddRow(RowKind::Section);
    doc.AddRow(RowKind::Section);
    doc.AddRow(RowKind::Section);
    doc.SetCell(doc.lastRow, 0, "L00" + doc.sectionText);
    doc.AddRow(RowKind::Heading);
    for (const auto& heading : doc.columnHeadings) {
        doc.AddRow(RowKind::Heading);
        for (int c = 0; c < doc.cellsPerRow; ++c)
            doc.SetCell(doc.lastRow, c, heading[std::size_t(c)]);
    }
}

}  // namespace reports
