#include "rules/EntryRules.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <system_error>

#include "data/StoredForms.h"
#include "platform/Platform.h"

namespace rules {

namespace {

using platform::DateOrder;

// Right-aligned decimal text, never cut.
std::string padLeft(std::string text, std::size_t width) {
    if (text.size() < width) text.insert(0, width - text.size(), ' ');
    return text;
}

std::string_view trimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Reads the parts of a typed date one at a time.
class DateScanner {
public:
    DateScanner(std::string_view text, char separator) : text_(text), separator_(separator) {}

    // A run of digits after optional blanks.
    std::optional<int> number() {
        skipBlanks();
        int value = 0;
        std::size_t digits = 0;
        while (pos_ < text_.size() && isDigit(text_[pos_])) {
            if (++digits > 9) return std::nullopt;
            value = value * 10 + (text_[pos_++] - '0');
        }
        if (digits == 0) return std::nullopt;
        return value;
    }

    // The date separator after optional blanks.
    bool separator() {
        skipBlanks();
        if (pos_ < text_.size() && text_[pos_] == separator_) {
            ++pos_;
            return true;
        }
        return false;
    }

    bool atEnd() {
        skipBlanks();
        return pos_ == text_.size();
    }

private:
    void skipBlanks() {
        while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
    }

    std::string_view text_;
    char separator_;
    std::size_t pos_ = 0;
};

std::string twoDigits(int n) {
    n %= 100;
    return std::string{char('0' + n / 10), char('0' + n % 10)};
}

struct Pattern {
    std::size_t width = 0;
    int precision = 2;
    bool thousands = false;
};

// "%W.Pf" or "%W.Pn".
Pattern parsePattern(std::string_view pattern) {
    Pattern p;
    std::size_t i = pattern.find('%');
    i = (i == std::string_view::npos) ? pattern.size() : i + 1;
    std::size_t width = 0;
    while (i < pattern.size() && isDigit(pattern[i])) width = width * 10 + (pattern[i++] - '0');
    p.width = width;
    if (i < pattern.size() && pattern[i] == '.') {
        int precision = 0;
        ++i;
        while (i < pattern.size() && isDigit(pattern[i]))
            precision = precision * 10 + (pattern[i++] - '0');
        p.precision = precision > 18 ? 18 : precision;
    }
    p.thousands = i < pattern.size() && (pattern[i] == 'n' || pattern[i] == 'N');
    return p;
}

// The digits of |value| rounded half away from zero at `precision` decimals, taken from its
// 18 significant decimal digits, as integer part and fraction.
std::pair<std::string, std::string> fixedDigits(double value, int precision) {
    char buf[64];
    const auto res =
        std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 17);
    const std::string_view sci(buf, std::size_t(res.ptr - buf));
    const std::size_t e = sci.find('e');
    std::string digits;
    for (char c : sci.substr(0, e))
        if (isDigit(c)) digits += c;
    int point = 1;  // digits before the decimal point
    {
        int exponent = 0;
        std::from_chars(sci.data() + e + 1 + (sci[e + 1] == '+' ? 1 : 0), sci.data() + sci.size(),
                        exponent);
        point += exponent;
    }
    if (point <= 0) {
        digits.insert(0, std::size_t(1 - point), '0');
        point = 1;
    }
    if (digits.size() < std::size_t(point)) digits.append(std::size_t(point) - digits.size(), '0');
    const std::size_t cut = std::size_t(point + precision);
    if (cut < digits.size()) {
        const bool up = digits[cut] >= '5';
        digits.resize(cut);
        if (up) {
            std::size_t i = cut;
            while (i > 0 && digits[i - 1] == '9') digits[--i] = '0';
            if (i == 0) {
                digits.insert(0, 1, '1');
                ++point;
            } else {
                ++digits[i - 1];
            }
        }
    } else {
        digits.append(cut - digits.size(), '0');
    }
    std::string whole = digits.substr(0, std::size_t(point));
    const std::size_t first = whole.find_first_not_of('0');
    whole = first == std::string::npos ? "0" : whole.substr(first);
    return {whole, digits.substr(std::size_t(point))};
}

std::string groupThousands(const std::string& whole, char separator) {
    if (separator == '\0') return whole;
    std::string out;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) out += separator;
        out += whole[i];
    }
    return out;
}

// The conversion messages quote the text. Built by appending: GCC 12 at -O3 mistakes the
// inlined `"'" + std::string(...)` for an overlapping copy (-Wrestrict).
std::string conversionMessage(std::string_view text, std::string_view what) {
    std::string message;
    message.reserve(text.size() + what.size() + 2);
    message.append(1, '\'').append(text).append(1, '\'').append(what);
    return message;
}

void reportIntegerError(std::string_view text) {
    platform::messages().error(conversionMessage(text, " is not a valid integer value"));
}

}  // namespace

// ---- dates ----------------------------------------------------------------------------
std::optional<platform::DateTime> TextToDate(std::string_view text) {
    const auto regional = platform::regional().settings();
    DateScanner scan(text, regional.dateSeparator);
    const auto n1 = scan.number();
    if (!n1 || !scan.separator()) return std::nullopt;
    const auto n2 = scan.number();
    if (!n2) return std::nullopt;
    std::optional<int> n3;
    if (scan.separator()) {
        n3 = scan.number();
        // A separator after two numbers may only end the text.
        if (!n3 && !scan.atEnd()) return std::nullopt;
        if (n3) scan.separator();
    }
    if (!scan.atEnd()) return std::nullopt;

    int year = 0, month = 0, day = 0;
    if (!n3) {
        year = platform::clock().today().year();
        if (regional.dateOrder == DateOrder::DMY) {
            day = *n1;
            month = *n2;
        } else {
            month = *n1;
            day = *n2;
        }
    } else {
        switch (regional.dateOrder) {
            case DateOrder::MDY:
                month = *n1, day = *n2, year = *n3;
                break;
            case DateOrder::DMY:
                day = *n1, month = *n2, year = *n3;
                break;
            case DateOrder::YMD:
                year = *n1, month = *n2, day = *n3;
                break;
        }
        if (year <= 99) year += platform::clock().today().year() / 100 * 100;
    }
    return platform::DateTime::fromYmd(year, month, day);
}

std::string DateToText(const platform::DateTime& date) {
    const auto regional = platform::regional().settings();
    const std::string y = twoDigits(date.year()), m = twoDigits(date.month()),
                      d = twoDigits(date.dayOfMonth());
    const char s = regional.dateSeparator;
    switch (regional.dateOrder) {
        case DateOrder::DMY:
            return d + s + m + s + y;
        case DateOrder::YMD:
            return y + s + m + s + d;
        case DateOrder::MDY:
            break;
    }
    return m + s + d + s + y;
}

bool CheckDate(std::string& text) {
    const auto date = TextToDate(text);
    if (!date) {
        platform::messages().show(platform::MessageKind::Warning, "Invalid Date Entered",
                                  platform::Buttons::OK);
        return false;
    }
    text = DateToText(*date);
    return true;
}

// ---- numbers --------------------------------------------------------------------------
std::optional<std::int32_t> ToWholeNumber(std::string_view text) {
    text = trimBlanks(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
        if (value > std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
    return std::int32_t(value);
}

std::optional<double> ToFloat(std::string_view text) {
    text = trimBlanks(text);
    const char decimal = platform::regional().settings().decimalSeparator;
    std::string plain;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        if (text[i] == '-') plain += '-';
        ++i;
    }
    std::size_t digits = 0;
    bool point = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (isDigit(c)) {
            plain += c;
            ++digits;
        } else if (c == decimal && !point) {
            plain += '.';
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digits == 0) return std::nullopt;
    double value = 0;
    const auto res = std::from_chars(plain.data(), plain.data() + plain.size(), value);
    if (res.ec != std::errc{} || res.ptr != plain.data() + plain.size()) return std::nullopt;
    return value;
}

std::string FormatNumber(std::string_view pattern, double value) {
    const Pattern p = parsePattern(pattern);
    const auto regional = platform::regional().settings();
    std::string text;
    if (!std::isfinite(value)) {
        text = std::isnan(value) ? "NAN" : (value < 0 ? "-INF" : "INF");
        return padLeft(text, p.width);
    }
    auto [whole, fraction] = fixedDigits(value, p.precision);
    const bool allZero = whole == "0" && fraction.find_first_not_of('0') == std::string::npos;
    if (value < 0 && !allZero) text += '-';
    text += p.thousands ? groupThousands(whole, regional.thousandSeparator) : whole;
    if (p.precision > 0) text += regional.decimalSeparator + fraction;
    return padLeft(text, p.width);
}

std::optional<std::string> FormatAmount(std::string_view text, std::string_view pattern) {
    std::string plain;
    for (char c : text)
        if (c != ' ') plain += c;
    const auto value = ToFloat(plain);
    if (!value) {
        platform::messages().error(
            conversionMessage(plain, " is not a valid floating point value"));
        return std::nullopt;
    }
    std::string result = FormatNumber(pattern, *value);
    // A minus typed in front of a zero amount survives reformatting.
    if (!plain.empty() && plain.front() == '-' && *value >= 0)
        result = padLeft(std::string(1, '-').append(trimBlanks(result)), text.size());
    return result;
}

bool AmountShowsRed(std::string_view text) {
    return text.find('-') != std::string_view::npos;
}

std::optional<std::int32_t> ChoiceNumber(std::string_view entry) {
    return ToWholeNumber(entry.substr(0, 4));
}

std::optional<std::size_t> TypedChoice(const std::vector<std::string>& entries,
                                       std::string_view typed) {
    if (typed.empty()) return std::nullopt;
    const auto startsWith = [typed](std::string_view text) {
        return text.size() >= typed.size() &&
               std::equal(typed.begin(), typed.end(), text.begin(), [](char a, char b) {
                   return std::toupper(static_cast<unsigned char>(a)) ==
                          std::toupper(static_cast<unsigned char>(b));
               });
    };
    std::optional<std::size_t> begins;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const std::string_view entry = entries[i];
        const std::size_t dash = entry.find(" - ");
        const std::string_view number =
            trimBlanks(dash == std::string_view::npos ? entry : entry.substr(0, dash));
        const std::string_view description =
            dash == std::string_view::npos ? std::string_view() : entry.substr(dash + 3);
        if (number == typed) return i;
        if (!begins && (startsWith(number) || startsWith(description))) begins = i;
    }
    return begins;
}

bool CheckWholeNumber(std::string& text, int width) {
    const std::string_view trimmed = trimBlanks(text);
    const auto number = ToWholeNumber(trimmed);
    if (!number) {
        reportIntegerError(trimmed);
        return false;
    }
    text = cbk::PadNumber(*number, width);
    return true;
}

bool CheckAccountNumber(std::string& text) {
    const std::string_view trimmed = trimBlanks(text);
    const auto number = ToWholeNumber(trimmed);
    if (!number) {
        reportIntegerError(trimmed);
        return false;
    }
    if (*number <= 0) {
        platform::messages().show(platform::MessageKind::Information,
                                  "Account Number must be greater than zero.",
                                  platform::Buttons::OK);
        return false;
    }
    text = cbk::PadNumber(*number, 4);
    return true;
}

// ---- save-time conversion --------------------------------------------------------------
SaveConversion& SaveConversion::add(bool converted, std::function<void()> assign) {
    if (converted)
        assignments_.push_back(std::move(assign));
    else
        ok_ = false;
    return *this;
}

SaveConversion& SaveConversion::date(std::string_view text, platform::DateTime& target) {
    const auto value = TextToDate(text);
    return add(value.has_value(), [&target, value] { target = *value; });
}

SaveConversion& SaveConversion::amount(std::string_view text, double& target) {
    const auto value = ToFloat(text);
    return add(value.has_value(), [&target, value] { target = *value; });
}

bool SaveConversion::commit() {
    if (!ok_) {
        platform::messages().show(platform::MessageKind::Warning,
                                  "Data Conversion Error. Please check values and try again",
                                  platform::Buttons::OK);
        return false;
    }
    for (auto& assign : assignments_) assign();
    assignments_.clear();
    return true;
}

// ---- help button ----------------------------------------------------------------------
void ShowFormHelp(int helpContext) {
    platform::help().topic("contents");
    platform::help().jump(std::to_string(helpContext));
}

}  // namespace rules
