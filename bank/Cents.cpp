#include "bank/Cents.h"

#include <cstdlib>

namespace bank {

namespace {

std::string_view Trimmed(std::string_view t) {
    while (!t.empty() && t.front() == ' ') t.remove_prefix(1);
    while (!t.empty() && t.back() == ' ') t.remove_suffix(1);
    return t;
}

// Digits, at most one `decimal` followed by at most two digits; `thousands` skipped when
// `grouped`. A stored number may also carry more decimals than two: it is then no amount.
std::optional<Cents> Parse(std::string_view t, char decimal, char thousands, bool grouped) {
    t = Trimmed(t);
    bool negative = false;
    if (!t.empty() && (t.front() == '-' || t.front() == '+')) {
        negative = t.front() == '-';
        t.remove_prefix(1);
    }
    Cents whole = 0;
    int decimals = -1;  // -1: before the separator
    Cents fraction = 0;
    bool digit = false;
    for (char c : t) {
        if (c >= '0' && c <= '9') {
            digit = true;
            if (decimals < 0) {
                if (whole > 9'000'000'000'000'000LL / 10) return std::nullopt;
                whole = whole * 10 + (c - '0');
            } else {
                if (++decimals > 2) return std::nullopt;
                fraction = fraction * 10 + (c - '0');
            }
        } else if (c == decimal && decimals < 0) {
            decimals = 0;
        } else if (grouped && c == thousands && decimals < 0) {
            continue;
        } else {
            return std::nullopt;
        }
    }
    if (!digit) return std::nullopt;
    if (decimals == 1) fraction *= 10;
    const Cents cents = whole * 100 + fraction;
    return negative ? -cents : cents;
}

}  // namespace

std::optional<Cents> StoredCents(std::string_view text) {
    if (Trimmed(text).empty()) return Cents{0};
    return Parse(text, '.', ',', false);
}

std::optional<Cents> TypedCents(std::string_view text, char decimal, char thousands) {
    return Parse(text, decimal, thousands, true);
}

namespace {

std::string Written(Cents cents, char decimal, char thousands, bool grouped) {
    const bool negative = cents < 0;
    const std::uint64_t v = negative ? 0 - std::uint64_t(cents) : std::uint64_t(cents);
    std::string whole = std::to_string(v / 100);
    if (grouped)
        for (int i = int(whole.size()) - 3; i > 0; i -= 3)
            whole.insert(std::size_t(i), 1, thousands);
    const unsigned frac = unsigned(v % 100);
    std::string out = negative ? "-" : "";
    out += whole;
    out += decimal;
    out += char('0' + frac / 10);
    out += char('0' + frac % 10);
    return out;
}

}  // namespace

std::string CentsText(Cents cents, char decimal, char thousands) {
    return Written(cents, decimal, thousands, true);
}

std::string StoredText(Cents cents) {
    return Written(cents, '.', ',', false);
}

}  // namespace bank
