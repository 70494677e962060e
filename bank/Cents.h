#pragma once

// Money as the bank counts it: whole cents in a 64-bit integer, so that a running balance over
// millions of records is exact. Amounts come from the tables' stored text, never through a
// double that is then summed.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace bank {

using Cents = std::int64_t;

// The cents of a stored N field's text ("   1234.50", "-12.3", blank = 0); nullopt when the
// text is no number.
std::optional<Cents> StoredCents(std::string_view text);

// The cents of what a user typed: an optional sign, digits with the regional thousands
// separator `thousands` anywhere among them, and at most two decimals after `decimal`.
// nullopt when it is no amount.
std::optional<Cents> TypedCents(std::string_view text, char decimal = '.', char thousands = ',');

// "1,234.56", "-0.05": the thousands grouped, two decimals.
std::string CentsText(Cents cents, char decimal = '.', char thousands = ',');

// The stored form of an N(n, 2) field: "1234.56".
std::string StoredText(Cents cents);

}  // namespace bank
