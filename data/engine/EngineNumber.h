#pragma once

// Number fields as text: the stored form read into a double and a double written in a
// field's decimals.

#include <cstddef>
#include <string>
#include <string_view>

namespace engine {

// The value of a number field's bytes (blanks, sign, digits, one '.' or ',', an exponent);
// 0 when there are no digits.
double parseNumber(std::string_view s);
// The same text as a whole number (the fraction cut off), as f4int and f4long read it.
long long parseWholeNumber(std::string_view s);
// `v` in `dec` decimals, rounded half away from zero on its shortest decimal form. False for
// NaN and infinities.
bool formatNumber(double v, int dec, std::string& out);
// The same into `out`, which holds kFormatBuffer bytes; the length written, 0 for NaN,
// infinities and more than kMaxFormatDecimals decimals.
inline constexpr int kMaxFormatDecimals = 255;
inline constexpr std::size_t kFormatBuffer = 400 + kMaxFormatDecimals + 4;
std::size_t formatNumber(double v, int dec, char* out);

}  // namespace engine
