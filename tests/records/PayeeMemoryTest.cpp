#include "records/PayeeMemory.h"

#include <gtest/gtest.h>

#include "data/Database.h"
#include "data/Records.h"
#include "records/RecordTables.h"
#include "tests/records/RecordOpsFixture.h"

using namespace records;

namespace {

PayeeUse Use(std::int32_t date, std::uint32_t rec, std::int32_t acc = 250) {
    return {date, rec, acc, 1, 10.0};
}

std::string Names(const std::vector<PayeeSuggestion>& found) {
    std::string out;
    for (const auto& s : found) out += s.name + "|";
    return out;
}

TEST(PayeeMemory, PrefixesAtTheBoundaries) {
    PayeeMemory empty;
    EXPECT_EQ(Names(empty.Suggest("S")), "");

    PayeeMemory m;
    m.Add("Shell Station  ", Use(20260301, 1));
    m.Add("Sherwin Paints", Use(20260401, 2));
    m.Add("shell station", Use(20260501, 3));  // the same name: its latest spelling shows
    m.Add("Shea Butter Co", Use(20260201, 4));
    m.Add("Sh", Use(20260101, 5));
    m.Add("Élan Café", Use(20250101, 6));
    m.Add("ŠKODA Parts", Use(20250102, 7));
    m.Add("   ", Use(20260101, 8));  // blank: not remembered
    struct Case {
        const char* typed;
        std::size_t limit;
        const char* names;
    } const cases[] = {
        {"She", 10, "shell station|Sherwin Paints|Shea Butter Co|"},  // most recent first
        {"SH", 10, "shell station|Sherwin Paints|Shea Butter Co|Sh|"},
        {"sh", 2, "shell station|Sherwin Paints|"},
        {"Sh", 10, "shell station|Sherwin Paints|Shea Butter Co|Sh|"},  // a whole name, and more
        {"shell station", 10, "shell station|"},                        // the whole name
        {"Shell Stations", 10, ""},
        {"  shell ", 10, "shell station|"},  // blanks before ignored, after counted
        {"shellac", 10, ""},
        {"élan", 10, "Élan Café|"},  // Latin-1 letters without regard to case
        {"ÉLAN CAFÉ", 10, "Élan Café|"},
        {"škoda", 10, "ŠKODA Parts|"},  // and the letters Windows-1252 adds
        {"", 10, ""},
        {"x", 10, ""},
    };
    for (const Case& c : cases) EXPECT_EQ(Names(m.Suggest(c.typed, c.limit)), c.names) << c.typed;
    EXPECT_EQ(m.NameCount(), 6u);
}

TEST(PayeeMemory, TheLatestUseFillsAndADeletedRecordFallsBackOrGoes) {
    PayeeMemory m;
    m.Add("Shell", Use(20260301, 1, 250));
    m.Add("Shell", Use(20260501, 2, 251));
    m.Add("Shell", Use(20260501, 9, 252));  // same day, higher record: the latest
    m.Add("Shell", Use(20260101, 3, 253));  // older than all kept
    EXPECT_EQ(m.Suggest("shell").at(0).last.accNo, 252);

    m.Remove("SHELL", 9);  // the latest deleted: the one before fills
    EXPECT_EQ(m.Suggest("shell").at(0).last.accNo, 251);
    m.Remove("Shell", 2);
    m.Remove("Shell", 1);
    // One record is left, but its use was not among the latest kept: offered, nothing to fill.
    ASSERT_EQ(m.Suggest("shell").size(), 1u);
    EXPECT_FALSE(m.Suggest("shell")[0].known);
    m.Remove("Shell", 3);
    EXPECT_EQ(Names(m.Suggest("sh")), "");  // no record left: no longer offered
    m.Remove("Nobody", 4);                  // an unknown name changes nothing
    EXPECT_EQ(m.NameCount(), 0u);

    // An edit is a remove and an add: the name changed away is no longer the record's.
    m.Add("Phone Co", Use(20260301, 5));
    m.Remove("Phone Co", 5);
    m.Add("Phone Company", Use(20260301, 5));
    EXPECT_EQ(Names(m.Suggest("phone")), "Phone Company|");
}

TEST(PayeeMemory, SuggestionsAreCappedAtTen) {
    PayeeMemory m;
    for (int i = 0; i < 25; ++i)
        m.Add("Store " + std::to_string(100 + i), Use(20260100 + i, i + 1));
    const auto found = m.Suggest("store");
    ASSERT_EQ(found.size(), PayeeMemory::kSuggestions);
    EXPECT_EQ(found.front().name, "Store 124");
    EXPECT_EQ(found.back().name, "Store 115");
}

class PayeeMemoryRead : public cbk::testing::RecordOpsTest {
protected:
    long Append(const char* payTo, int y, int m, int d, std::int32_t acc) {
        cbk::CurExpense = cbk::ExpenseRec{
            *platform::DateTime::fromYmd(y, m, d), 0, acc, 2, payTo, 12.5, "", false};
        return StoreRecord(cbk::Expenses, 0, cbk::StoreExpense);
    }
};

TEST_F(PayeeMemoryRead, OnePassOverTheTableLeavesDeletedRecordsOutAndTheBuffersAlone) {
    cbk::OpenExpenses();
    const long newer = Append("Zeta Works", 2026, 2, 1, 190);
    Append("ZETA WORKS", 2025, 2, 1, 100);  // later in the file, earlier in date
    const long gone = Append("Zyx Only Once", 2026, 1, 1, 150);
    engine::d4go(cbk::Expenses, gone);
    engine::d4delete(cbk::Expenses);
    cbk::CurExpense.PayTo = "the form's";

    const PayeeMemory m = ReadPayeeMemory(RecordTable::Expenses);
    EXPECT_EQ(cbk::CurExpense.PayTo, "the form's");
    const auto zeta = m.Suggest("z");
    ASSERT_EQ(zeta.size(), 1u);  // the deleted record's name is not there
    EXPECT_EQ(zeta[0].name, "Zeta Works");
    EXPECT_EQ(zeta[0].last.recNo, std::uint32_t(newer));
    EXPECT_EQ(zeta[0].last.accNo, 190);
    EXPECT_EQ(zeta[0].last.folNo, 2);
    EXPECT_EQ(zeta[0].last.date, 20260201);
    EXPECT_DOUBLE_EQ(zeta[0].last.amount, 12.5);
}

}  // namespace
