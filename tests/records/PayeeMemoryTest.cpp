#include "records/PayeeMemory.h"

#include <gtest/gtest.h>

using namespace records;
using platform::DateTime;

namespace {

PayeeUse Use(int y, int m, int d, std::uint32_t rec, std::int32_t acc, std::int32_t fol = 1,
             double amount = 0.0) {
    return {*DateTime::fromYmd(y, m, d), rec, acc, fol, amount};
}

std::string Names(const std::vector<PayeeSuggestion>& found) {
    std::string out;
    for (const auto& s : found) out += s.name + "|";
    return out;
}

class PayeeMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        memory.Add("Shell Station   ", Use(2026, 3, 1, 1, 250, 2, 41.5));
        memory.Add("Sherwin Paints", Use(2026, 4, 1, 2, 270));
        memory.Add("shell station", Use(2026, 5, 1, 3, 251, 3, 38.0));
        memory.Add("Shea Butter Co", Use(2026, 2, 1, 4, 280));
        memory.Add("Phone Co", Use(2026, 6, 1, 5, 260));
        memory.Add("Sh", Use(2026, 1, 1, 6, 290));
        memory.Add("   ", Use(2026, 1, 1, 7, 290));
    }
    PayeeMemory memory;
};

TEST_F(PayeeMemoryTest, PrefixWithoutRegardToCaseMostRecentFirst) {
    struct Case {
        const char* typed;
        std::size_t limit;
        const char* names;
    } const cases[] = {
        {"She", 10, "shell station|Sherwin Paints|Shea Butter Co|"},
        {"SH", 10, "shell station|Sherwin Paints|Shea Butter Co|Sh|"},
        {"sh", 2, "shell station|Sherwin Paints|"},
        {"Shell Station", 10, "shell station|"},
        {"Shell Stations", 10, ""},
        {"Shell ", 10, "shell station|"},
        {"", 10, ""},
        {"x", 10, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Names(memory.Suggest(c.typed, c.limit)), c.names) << c.typed;
    EXPECT_EQ(memory.NameCount(), 5u);  // the blank name is not remembered
}

TEST_F(PayeeMemoryTest, TheLatestUseFillsAndADeletedRecordIsNotOffered) {
    auto shell = memory.Suggest("shell").at(0).last;
    EXPECT_EQ(shell.accNo, 251);
    EXPECT_EQ(shell.folNo, 3);
    EXPECT_DOUBLE_EQ(shell.amount, 38.0);

    memory.Remove("Shell Station", 3);  // the latest goes: the one before fills
    shell = memory.Suggest("shell").at(0).last;
    EXPECT_EQ(shell.accNo, 250);
    EXPECT_EQ(shell.recNo, 1u);

    memory.Remove("shell station", 1);  // no record left: no longer offered
    EXPECT_EQ(Names(memory.Suggest("shel")), "");
    memory.Remove("Nobody", 9);  // an unknown name changes nothing
    EXPECT_EQ(memory.NameCount(), 4u);
}

}  // namespace
