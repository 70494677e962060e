#include "data/engine/EngineNumber.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace engine {

namespace {

// Number text: blanks, sign, digits, one '.' or ',' and an exponent; anything else ends it.
// The common stored form, at most 15 digits with or without a decimal point and no exponent:
// the digits are an exact integer and a power of ten up to 1e15 is exact, so one division
// gives the correctly rounded value, the same as the full conversion below. Empty when the
// text needs that conversion.
std::optional<double> parsePlainNumber(std::string_view s) {
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            if (++count > 15) return std::nullopt;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            decimals += point;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else if (c == 'e' || c == 'E') {
            return std::nullopt;
        } else {
            break;
        }
    }
    if (count == 0) return std::nullopt;
    const double v = static_cast<double>(digits) / kTens[decimals];
    return negative ? -v : v;
}

}  // namespace

// A stored whole number, at most 15 digits and no point or exponent, read without a double:
// its value is the digits themselves, as the full reading would give. Empty for other text.
static std::optional<long long> parsePlainWhole(std::string_view s) {
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    long long digits = 0;
    int count = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            if (++count > 15) return std::nullopt;
            digits = digits * 10 + (c - '0');
        } else if (c == '.' || c == ',' || c == 'e' || c == 'E') {
            return std::nullopt;
        } else {
            break;
        }
    }
    if (count == 0) return std::nullopt;
    return negative ? -digits : digits;
}

long long parseWholeNumber(std::string_view s) {
    if (const std::optional<long long> plain = parsePlainWhole(s)) return *plain;
    const double v = parseNumber(s);
    if (v >= 9.2e18) return 9200000000000000000LL;
    if (v <= -9.2e18) return -9200000000000000000LL;
    return static_cast<long long>(v);
}

double parseNumber(std::string_view s) {
    if (const std::optional<double> plain = parsePlainNumber(s)) return *plain;
    char buf[64];
    std::size_t n = 0;
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        if (s[i] == '-') buf[n++] = '-';
        ++i;
    }
    bool point = false;
    for (; i < s.size() && n < sizeof buf - 1; ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            buf[n++] = c;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            buf[n++] = '.';
        } else if ((c == 'e' || c == 'E') && i + 1 < s.size()) {
            buf[n++] = 'e';
            if (s[i + 1] == '-' || s[i + 1] == '+') buf[n++] = s[++i];
            point = true;
        } else {
            break;
        }
    }
    double v = 0;
    auto r = std::from_chars(buf, buf + n, v);
    if (r.ec != std::errc()) return 0;
    return v;
}

// A value within a millionth of a unit of its last decimal place has, in its shortest form,
// after that place only zeros or nines, which the rounding below would carry into the same
// whole number of units: that number is written directly.
static std::size_t formatNearUnits(double v, int dec, char* out) {
    static constexpr double kTens[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
    if (dec >= static_cast<int>(std::size(kTens))) return 0;
    const double scaled = v * kTens[dec];
    if (!(std::fabs(scaled) < 1e15)) return 0;
    const double units = std::nearbyint(scaled);
    if (std::fabs(scaled - units) >= 1e-6) return 0;
    const long long whole = static_cast<long long>(units);
    // The digits, with zeros in front up to one before the point.
    const std::size_t udec = static_cast<std::size_t>(dec);
    char digits[40];
    char raw[24];
    const std::size_t n = static_cast<std::size_t>(
        std::to_chars(raw, raw + sizeof raw, whole < 0 ? -whole : whole).ptr - raw);
    const std::size_t width = std::max(n, udec + 1);
    std::memset(digits, '0', width - n);
    std::memcpy(digits + width - n, raw, n);
    std::size_t len = 0;
    if (whole < 0) out[len++] = '-';
    std::memcpy(out + len, digits, width - udec);
    len += width - udec;
    if (dec > 0) {
        out[len++] = '.';
        std::memcpy(out + len, digits + width - udec, udec);
        len += udec;
    }
    return len;
}

// `v` in `dec` decimals, rounded half away from zero on its shortest decimal form (so 2.675
// gives 2.68, as a person reading the number expects). False for NaN and infinities. Worked
// in buffers on the stack: a number is written for every amount of every appended record.
std::size_t formatNumber(double v, int dec, char* out) {
    if (!std::isfinite(v) || dec < 0 || dec > kMaxFormatDecimals) return 0;
    if (const std::size_t len = formatNearUnits(v, dec, out)) return len;
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (r.ec != std::errc()) return 0;
    const bool neg = buf[0] == '-';
    const char* s = buf + (neg ? 1 : 0);
    const char* end = r.ptr;
    const char* dot = std::find(s, end, '.');
    const char* fp = dot == end ? end : dot + 1;
    const std::size_t fpLen = static_cast<std::size_t>(end - fp);
    const std::size_t udec = static_cast<std::size_t>(dec);
    // One spare place in front for a carry out of the top digit.
    char digits[sizeof buf + kMaxFormatDecimals + 1];
    char* d = digits + 1;
    std::size_t n = 0;
    for (const char* p = s; p < dot; ++p) d[n++] = *p;
    for (std::size_t i = 0; i < udec; ++i) d[n++] = i < fpLen ? fp[i] : '0';
    if (fpLen > udec && fp[udec] >= '5') {
        std::size_t i = n;
        while (i > 0 && d[i - 1] == '9') d[--i] = '0';
        if (i == 0) {
            *--d = '1';
            ++n;
        } else {
            ++d[i - 1];
        }
    }
    bool zero = true;
    for (std::size_t i = 0; i < n; ++i) zero = zero && d[i] == '0';
    std::size_t len = 0;
    if (neg && !zero) out[len++] = '-';
    std::memcpy(out + len, d, n - udec);
    len += n - udec;
    if (dec > 0) {
        out[len++] = '.';
        std::memcpy(out + len, d + n - udec, udec);
        len += udec;
    }
    return len;
}

bool formatNumber(double v, int dec, std::string& out) {
    char text[kFormatBuffer];
    const std::size_t len = formatNumber(v, dec, text);
    if (len == 0) return false;
    out.assign(text, len);
    return true;
}

}  // namespace engine
