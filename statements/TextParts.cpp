#include "statements/TextParts.h"

#include <array>
#include <cctype>
#include <cstdlib>

#include "data/engine/CodePage.h"

namespace statements {

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int MonthByName(std::string_view word) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
    if (word.size() < 3) return 0;
    std::string low;
    for (char c : word.substr(0, 3))
        low += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (std::size_t i = 0; i < kMonths.size(); ++i)
        if (kMonths[i] == low) return static_cast<int>(i) + 1;
    return 0;
}

struct DateParts {
    std::vector<std::string> numbers;  // digit runs, in order
    int namedMonth = 0;                // a month given by name
    bool apostropheYear = false;       // QIF's "1/ 5'26": the year after "'" is 2000 on
    bool ok = true;
};

DateParts SplitDate(std::string_view text) {
    DateParts parts;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (IsDigit(c)) {
            std::size_t j = i;
            while (j < text.size() && IsDigit(text[j])) ++j;
            if (i > 0 && text[i - 1] == '\'' && parts.numbers.size() == 2)
                parts.apostropheYear = true;
            parts.numbers.emplace_back(text.substr(i, j - i));
            i = j;
        } else if (std::isalpha(static_cast<unsigned char>(c))) {
            std::size_t j = i;
            while (j < text.size() && std::isalpha(static_cast<unsigned char>(text[j]))) ++j;
            const int month = MonthByName(text.substr(i, j - i));
            if (month == 0 || parts.namedMonth != 0) parts.ok = false;
            parts.namedMonth = month;
            i = j;
        } else if (c == '/' || c == '-' || c == '.' || c == '\'' || c == ' ' || c == ',' ||
                   c == '\t') {
            ++i;
        } else {
            parts.ok = false;
            ++i;
        }
    }
    return parts;
}

int CurrentCentury() {
    return platform::clock().today().year() / 100 * 100;
}

std::optional<platform::DateTime> Make(long year, long month, long day, std::size_t yearDigits,
                                       bool apostrophe) {
    if (yearDigits <= 2)
        year += apostrophe ? 2000 : CurrentCentury();
    else if (yearDigits != 4)
        return std::nullopt;
    if (month < 1 || month > 12 || day < 1 || day > 31) return std::nullopt;
    return platform::DateTime::fromYmd(static_cast<int>(year), static_cast<int>(month),
                                       static_cast<int>(day));
}

long Num(const std::string& digits) {
    return digits.size() > 9 ? -1 : std::strtol(digits.c_str(), nullptr, 10);
}

}  // namespace

std::optional<platform::DateTime> ParseBankDate(std::string_view text, platform::DateOrder order) {
    const DateParts p = SplitDate(text);
    if (!p.ok) return std::nullopt;
    const auto& n = p.numbers;
    if (p.namedMonth != 0) {
        // "05-Mar-2026" or "Mar 5, 2026": the day and the year are the two numbers left; a
        // four-digit one is the year, otherwise the day comes first.
        if (n.size() != 2) return std::nullopt;
        const bool yearFirst = n[0].size() == 4;
        const std::string& day = yearFirst ? n[1] : n[0];
        const std::string& year = yearFirst ? n[0] : n[1];
        if (day.size() > 2) return std::nullopt;
        return Make(Num(year), p.namedMonth, Num(day), year.size(), p.apostropheYear);
    }
    if (n.size() == 1 && n[0].size() == 8)  // 20260305
        return Make(Num(n[0].substr(0, 4)), Num(n[0].substr(4, 2)), Num(n[0].substr(6, 2)), 4,
                    false);
    if (n.size() != 3) return std::nullopt;
    if (n[1].size() > 2) return std::nullopt;
    if (n[0].size() == 4 || (order == platform::DateOrder::YMD && n[2].size() <= 2)) {
        if (n[2].size() > 2) return std::nullopt;
        return Make(Num(n[0]), Num(n[1]), Num(n[2]), n[0].size(), false);
    }
    if (n[0].size() > 2) return std::nullopt;
    const bool monthFirst = order != platform::DateOrder::DMY;
    return Make(Num(n[2]), Num(monthFirst ? n[0] : n[1]), Num(monthFirst ? n[1] : n[0]),
                n[2].size(), p.apostropheYear);
}

bool DateOrderAmbiguous(std::string_view text) {
    const auto mdy = ParseBankDate(text, platform::DateOrder::MDY);
    const auto dmy = ParseBankDate(text, platform::DateOrder::DMY);
    return mdy != dmy;
}

platform::DateOrder GuessDateOrder(const std::vector<std::string>& dates,
                                   platform::DateOrder preferred) {
    const auto readsAll = [&dates](platform::DateOrder order) {
        for (const std::string& d : dates)
            if (!ParseBankDate(d, order)) return false;
        return true;
    };
    if (preferred == platform::DateOrder::YMD) preferred = platform::DateOrder::MDY;
    const platform::DateOrder other =
        preferred == platform::DateOrder::MDY ? platform::DateOrder::DMY : platform::DateOrder::MDY;
    return !readsAll(preferred) && readsAll(other) ? other : preferred;
}

std::optional<std::int64_t> ParseAmount(std::string_view text, char decimalMark) {
    std::string s;
    bool negative = false;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '$' || c == '\'' || c == '"' || c == '+') continue;
        if (c == '(' || c == ')' || c == '-') {
            negative = true;
            continue;
        }
        if (static_cast<unsigned char>(c) >= 0x80) continue;  // currency signs such as €, £
        if (!IsDigit(c) && c != '.' && c != ',') return std::nullopt;
        s += c;
    }
    if (decimalMark == 0) {
        decimalMark = '.';
        const std::size_t last = s.find_last_of(".,");
        if (last != std::string::npos && s[last] == ',' && s.size() - last - 1 <= 2 &&
            s.size() - last - 1 >= 1)
            decimalMark = ',';
    }
    const char thousands = decimalMark == '.' ? ',' : '.';
    std::string whole, fraction;
    bool inFraction = false;
    for (char c : s) {
        if (c == thousands) {
            if (inFraction) return std::nullopt;
            continue;
        }
        if (c == decimalMark) {
            if (inFraction) return std::nullopt;
            inFraction = true;
            continue;
        }
        (inFraction ? fraction : whole) += c;
    }
    if (whole.empty() && fraction.empty()) return std::nullopt;
    while (whole.size() > 1 && whole[0] == '0') whole.erase(0, 1);
    if (whole.size() > 15) return std::nullopt;
    std::int64_t cents = whole.empty() ? 0 : std::strtoll(whole.c_str(), nullptr, 10) * 100;
    // Two decimals are kept; a third rounds half away from zero, as the amount fields do.
    if (!fraction.empty()) cents += (fraction[0] - '0') * 10;
    if (fraction.size() > 1) cents += fraction[1] - '0';
    if (fraction.size() > 2 && fraction[2] >= '5') cents += 1;
    return negative ? -cents : cents;
}

std::string CentsText(std::int64_t cents) {
    const std::int64_t a = cents < 0 ? -cents : cents;
    std::string frac = std::to_string(a % 100);
    if (frac.size() < 2) frac = "0" + frac;
    return (cents < 0 ? "-" : "") + std::to_string(a / 100) + "." + frac;
}

std::int32_t ParseCheckNo(std::string_view text) {
    const std::string t = Trimmed(text);
    if (t.empty() || t.size() > 8) return 0;
    for (char c : t)
        if (!IsDigit(c)) return 0;
    return static_cast<std::int32_t>(std::strtol(t.c_str(), nullptr, 10));
}

namespace {

// Length of the UTF-8 sequence starting at s[i], or 0 when it is not one.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
    const auto b = static_cast<unsigned char>(s[i]);
    std::size_t len = b < 0x80         ? 1
                      : (b >> 5) == 6  ? 2
                      : (b >> 4) == 14 ? 3
                      : (b >> 3) == 30 ? 4
                                       : 0;
    if (len == 0 || i + len > s.size()) return 0;
    for (std::size_t k = 1; k < len; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    return len;
}

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = Utf8Length(s, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

}  // namespace

std::string FieldText(std::string_view text, int width) {
    std::string utf8 =
        ValidUtf8(text) ? std::string(text) : engine::CodePage::windows1252().decode(text);
    for (char& c : utf8)
        if (static_cast<unsigned char>(c) < 0x20) c = ' ';
    utf8 = Trimmed(utf8);
    std::size_t i = 0;
    for (int chars = 0; i < utf8.size() && chars < width; ++chars) i += Utf8Length(utf8, i);
    return Trimmed(utf8.substr(0, i));
}

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos) return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace statements
