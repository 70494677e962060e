// Inputs on which the fuzz targets (fuzz/) once found a crash, kept so that the fault stays
// fixed. Each test names what went wrong and holds the input as it was found.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/engine/KeyExpression.h"

namespace engine {
namespace {

std::vector<FieldLayout> expenseFields() {
    return {{"EXPDATE", 'D', 1, 8, 0}, {"ACCNO", 'N', 9, 4, 0}};
}

// fuzz_keyexpr: 5,576 opening parentheses, as an index header or a damaged file could carry,
// recursed once per parenthesis and overflowed the stack.
TEST(FuzzRegression, KeyExpressionNestedThousandsDeepIsRefusedNotAStackOverflow) {
    std::string error;
    EXPECT_FALSE(KeyExpression::parse(std::string(5576, '('), expenseFields(), &error));
    EXPECT_TRUE(error.ends_with(": expression nested too deeply")) << error.substr(0, 40);
    std::string nots;
    for (int i = 0; i < 3000; ++i) nots += ".NOT. ";
    EXPECT_FALSE(KeyExpression::parse(nots + "DELETED()", expenseFields(), &error));
}

TEST(FuzzRegression, KeyExpressionNestedAsRealKeysDoStillParses) {
    std::string text = "DTOS(EXPDATE)+STR(ACCNO,4)";
    for (int i = 0; i < 20; ++i) text = "(" + text + ")";
    auto key = KeyExpression::parse(text, expenseFields());
    ASSERT_TRUE(key);
    EXPECT_EQ(key->keyLength(), 12);
}

}  // namespace
}  // namespace engine
