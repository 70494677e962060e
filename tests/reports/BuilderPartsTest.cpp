#include "reports/BuilderParts.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <string>

#include "platform/ScriptedPlatform.h"
#include "rules/EntryRules.h"

using namespace reports;

// The amounts written straight into the document are the rules' "%13.2n" to the byte: the
// roundings at half a cent, the carries, the signs of amounts that round to zero, the
// separators of the region and the values no amount field holds.
TEST(ReportAmounts, AmountTextIsTheRulesFormat) {
    platform::ScriptedPlatformScope platform;
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.004,
                                  0.005,
                                  -0.005,
                                  -0.004,
                                  0.995,
                                  999.995,
                                  -999999.995,
                                  1234.5,
                                  1e15,
                                  123456789012.345,
                                  1e300,
                                  -1.7976931348623157e308,
                                  1e-300,
                                  std::numeric_limits<double>::quiet_NaN(),
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity()};
    std::mt19937_64 random(20261208);
    std::uniform_int_distribution<long> cents(-10'000'000'000L, 10'000'000'000L);
    std::uniform_real_distribution<double> any(-1e7, 1e7);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(double(cents(random)) / 100.0);
        values.push_back(double(cents(random)) / 1000.0 + 0.005);
        values.push_back(any(random));
    }
    for (const auto& [decimal, thousands] :
         {std::pair{'.', ','}, {',', '.'}, {'.', ' '}, {'.', '\0'}}) {
        platform->regional.value.decimalSeparator = decimal;
        platform->regional.value.thousandSeparator = thousands;
        int mismatches = 0;
        for (double v : values) {
            // What a cell of the amount's cents shows, where cents hold it.
            std::string fromCents = std::string(AmountText(v));
            if (const auto cents = RoundCents(v)) {
                fromCents.clear();
                AppendCents(cents->value, decimal, thousands, fromCents);
            }
            const std::string rules = rules::FormatNumber("%13.2n", v);
            if ((std::string_view(AmountText(v)) != rules || fromCents != rules) &&
                ++mismatches < 5)
                ADD_FAILURE() << v << ": " << std::string_view(AmountText(v)) << " | " << fromCents
                              << " | " << rules;
        }
        EXPECT_EQ(mismatches, 0) << decimal << thousands;
    }
    EXPECT_EQ(Amount(-1234.5), std::string(AmountText(-1234.5)));
}

TEST(ReportAmounts, NumbersTrimsAndDaysAsCellsHoldThem) {
    EXPECT_EQ(std::string_view(NumberText(0)), "0");
    EXPECT_EQ(std::string_view(NumberText(-2147483648L)), "-2147483648");
    EXPECT_EQ(TrimmedView("  Rent  "), "Rent");
    EXPECT_EQ(TrimmedView("   "), "");
    EXPECT_EQ(DayNumberOf(*platform::DateTime::fromYmd(2024, 1, 2)).yyyymmdd, 20240102u);
}
