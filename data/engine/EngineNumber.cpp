#include "data/engine/EngineNumber.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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

// `v` in `dec` decimals, rounded half away from zero on its shortest decimal form (so 2.675
// gives 2.68, as a person reading the number expects). False for NaN and infinities.
bool formatNumber(double v, int dec, std::string& out) {
    if (!std::isfinite(v)) return false;
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (r.ec != std::errc()) return false;
    std::string s(buf, r.ptr);
    bool neg = !s.empty() && s[0] == '-';
    if (neg) s.erase(0, 1);
    auto dot = s.find('.');
    std::string ip = dot == std::string::npos ? s : s.substr(0, dot);
    std::string fp = dot == std::string::npos ? "" : s.substr(dot + 1);
    bool up = fp.size() > static_cast<std::size_t>(dec) && fp[dec] >= '5';
    fp.resize(dec, '0');
    std::string digits = ip + fp;
    if (up) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i];
    }
    ip = digits.substr(0, digits.size() - dec);
    fp = digits.substr(digits.size() - dec);
    bool zero = digits.find_first_not_of('0') == std::string::npos;
    out.clear();
    if (neg && !zero) out.push_back('-');
    out += ip;
    if (dec > 0) out += "." + fp;
    return true;
}

}  // namespace engine
