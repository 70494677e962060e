#include "reports/GraphFigures.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ScriptedPlatform.h"

using namespace reports;

namespace {

std::string Ticks(const AmountScale& scale) {
    std::string text;
    for (const AmountTick& tick : scale.ticks) text += (text.empty() ? "" : " ") + tick.label;
    return text;
}

}  // namespace

// The value axes end and step on round amounts that hold zero, every figure and the room asked
// for, and label their ticks as the reports show amounts, in the region's separators.
TEST(GraphScale, RoundStepsLabelledAsTheReportsShowAmounts) {
    platform::ScriptedPlatformScope platform;
    struct Case {
        double low, high, room;
        int steps;
        std::string ticks;
    };
    const std::vector<Case> cases = {
        {0, 30000, 0.3, 4, "0.00 10,000.00 20,000.00 30,000.00 40,000.00"},
        {-9452.58, 13111.50, 0.08, 8,
         "-15,000.00 -10,000.00 -5,000.00 0.00 5,000.00 10,000.00 15,000.00"},
        {12, 45, 0, 5, "0.00 10.00 20.00 30.00 40.00 50.00"},
        {-0.4, -0.1, 0, 4, "-0.40 -0.30 -0.20 -0.10 0.00"},  // below zero only: up to zero
        {0, 0, 0, 5, "0.00 1.00"},                           // nothing to show: still an axis
    };
    for (const Case& c : cases) {
        const AmountScale scale = ScaleFor(c.low, c.high, c.room, c.steps);
        EXPECT_EQ(Ticks(scale), c.ticks) << c.low << ".." << c.high;
        EXPECT_EQ(scale.low, scale.ticks.front().value);
        EXPECT_EQ(scale.high, scale.ticks.back().value);
    }
    platform->regional.setDmy();  // a decimal comma, thousands by points
    EXPECT_EQ(Ticks(ScaleFor(0, 2500, 0, 2)), "0,00 2.000,00 4.000,00");
    EXPECT_EQ(GraphAmount(-1234.5), "-1.234,50");
}
