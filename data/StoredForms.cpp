#include "data/StoredForms.h"

#include <cstdio>
#include <optional>

#include "platform/Platform.h"

namespace cbk {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return text;
}

// One part of a stored date as a decimal integer; nothing when it is not one (an empty or
// short part included, as when the stored text is cut short).
std::optional<int> DatePart(std::string_view part) {
    if (part.empty() || part.size() > 4) return std::nullopt;
    int value = 0;
    for (char c : part) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string NotAnInteger(std::string_view part) {
    std::string text = "'";
    text.append(part);
    text.append("' is not a valid integer value");
    return text;
}

}  // namespace

std::string DateToStored(const platform::DateTime& date) {
    const int currentYear = platform::clock().now().year();
    int year = date.year();
    if (year < currentYear - 40) {
        year += 100;
    } else if (year >= currentYear + 60) {
        year -= 100;
    }
    // The year, month and day are written as numbers, not re-encoded: a 29 February moved
    // into a year that has none is stored as it was typed.
    const int month = date.month();
    const int day = date.dayOfMonth();
    if (year < 0 || year > 9999 || month < 0 || month > 99 || day < 0 || day > 99) {
        char text[32];
        std::snprintf(text, sizeof text, "%04d%02d%02d", year, month, day);
        return text;
    }
    // Written digit by digit: a date is stored for every appended record.
    const char text[8] = {
        static_cast<char>('0' + year / 1000),    static_cast<char>('0' + year / 100 % 10),
        static_cast<char>('0' + year / 10 % 10), static_cast<char>('0' + year % 10),
        static_cast<char>('0' + month / 10),     static_cast<char>('0' + month % 10),
        static_cast<char>('0' + day / 10),       static_cast<char>('0' + day % 10)};
    return std::string(text, sizeof text);
}

StoredDate StoredToDate(std::string_view stored) {
    // Eight digits, as nearly every stored date is: read at once, as the parts below would.
    if (stored.size() == 8) {
        int digits[8];
        bool plain = true;
        for (int i = 0; i < 8; ++i) {
            digits[i] = stored[static_cast<std::size_t>(i)] - '0';
            plain = plain && digits[i] >= 0 && digits[i] <= 9;
        }
        if (plain) {
            const std::optional<platform::DateTime> date = platform::DateTime::fromYmd(
                digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3],
                digits[4] * 10 + digits[5], digits[6] * 10 + digits[7]);
            if (!date) return StoredDate{{}, std::string(kDateEncodeError)};
            return StoredDate{*date, {}};
        }
    }
    const std::string_view text = TrimBlanks(stored);
    if (text.empty()) return StoredDate{platform::clock().now(), {}};

    const std::string_view parts[3] = {text.substr(0, 4), text.size() > 4 ? text.substr(4, 2) : "",
                                       text.size() > 6 ? text.substr(6, 2) : ""};
    int values[3] = {};
    for (int i = 0; i < 3; ++i) {
        const std::optional<int> value = DatePart(parts[i]);
        if (!value) return StoredDate{{}, NotAnInteger(parts[i])};
        values[i] = *value;
    }
    const std::optional<platform::DateTime> date =
        platform::DateTime::fromYmd(values[0], values[1], values[2]);
    if (!date) return StoredDate{{}, std::string(kDateEncodeError)};
    return StoredDate{*date, {}};
}

std::string PadNumber(long n, int width) {
    const std::string digits = std::to_string(n);
    const int blanks = width - static_cast<int>(digits.size());
    if (blanks <= 0) return digits;
    std::string text(static_cast<std::size_t>(width), ' ');
    text.replace(static_cast<std::size_t>(blanks), digits.size(), digits);
    return text;
}

}  // namespace cbk
