#pragma once

// The rate change: the amounts of one expense account over a date range rescaled from an old
// rate to a new one (amount × new ÷ old). ACC and EXP5 are open (OpenAccounts, OpenExpenses)
// while the form runs; the main window closes them, which writes the changed records.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace maintenance {

inline constexpr std::string_view kNoExpenseAccounts =
    "Expense Accounts must be defined before entering Expense Records";
inline constexpr std::string_view kConversionError =
    "Data Conversion Error. Please check values and try again";
inline constexpr std::string_view kRatesNonZero = "RATES MUST BE NON-ZERO";
inline constexpr std::string_view kRatesNotEqual = "RATES MUST NOT BE EQUAL";
inline constexpr std::string_view kBeginningAfterEnd =
    "Beginning date must be on or before end date.";
// The rate fields show their rates by this pattern.
inline constexpr std::string_view kRatePattern = "%10.4f";

// One entry per expense account in AccTag order: stored AccNo, " - ", stored AcDesc.
std::vector<std::string> ExpenseAccountEntries();

// What the form holds when Apply is pressed; `account` is the chosen list entry, if any.
struct RateChangeInput {
    std::string oldRate;
    std::string newRate;
    std::string start;
    std::string end;
    std::optional<std::string> account;
};

struct RateChangeOutcome {
    // The warning box's text when the input was refused (nothing changed; the form stays open
    // for correction); empty when the amounts were rescaled and the form is done.
    std::string refused;
    long changed = 0;      // records rescaled
    bool stopped = false;  // beforeChange said no
    explicit operator bool() const { return refused.empty(); }
};

// Converts and checks the input, then asks `beforeChange` (false: nothing changes, and the
// outcome is neither refused nor done: `stopped`), then rescales.
RateChangeOutcome ApplyRateChange(
    const RateChangeInput& input, const std::function<bool()>& beforeChange = [] { return true; });

// Walks EXP5 in date order from `start` through `end` (whole days, both included) and sets the
// Amount of every record of account `accNo` to Amount × newRate ÷ oldRate, multiplied first,
// stored with two decimals. Returns how many records changed.
long RescaleAmounts(std::int32_t accNo, const platform::DateTime& start,
                    const platform::DateTime& end, double oldRate, double newRate);

}  // namespace maintenance
