#include "records/RecordList.h"

#include <gtest/gtest.h>

#include "data/Records.h"
#include "tests/records/RecordOpsFixture.h"

using namespace records;

namespace {

struct Expense {
    int y, m, d, folder;
    const char* payTo;
    const char* memo;
    int check;
    double amount;
    bool archived = false;
};

class RecordList : public cbk::testing::RecordOpsTest {
protected:
    // Empties EXP5 and adds `rows` in that record order; returns their record numbers.
    std::vector<std::uint32_t> Expenses(const std::vector<Expense>& rows) {
        cbk::OpenExpenses();
        engine::d4zap(cbk::Expenses, 1, engine::d4recCount(cbk::Expenses));
        std::vector<std::uint32_t> recs;
        for (const Expense& e : rows) {
            cbk::CurExpense = {*platform::DateTime::fromYmd(e.y, e.m, e.d),
                               e.check,
                               100,
                               e.folder,
                               e.payTo,
                               e.amount,
                               e.memo,
                               e.archived};
            recs.push_back(std::uint32_t(StoreRecord(cbk::Expenses, 0, cbk::StoreExpense)));
        }
        return recs;
    }
};

TEST_F(RecordList, ExpenseWalkKeepsDateOrderTheDefaultFolderAndLeavesArchivedOut) {
    const auto r = Expenses({{2026, 3, 1, 1, "March", "", 0, 1},
                             {2026, 1, 1, 2, "January", "", 0, 1},
                             {2026, 2, 1, 1, "Archived", "", 0, 1, true},
                             {2026, 2, 2, 1, "February", "", 0, 1}});
    const ListWalk every = WalkRecordList(RecordTable::Expenses, -1, std::int32_t(r[3]));
    EXPECT_EQ(every.rows, (ListRows{r[1], r[3], r[0]}));
    EXPECT_EQ(every.matched, 1);
    EXPECT_EQ(cbk::ResultWord, engine::r4eof);

    const ListWalk folder1 = WalkRecordList(RecordTable::Expenses, 1, std::int32_t(r[2]));
    EXPECT_EQ(folder1.rows, (ListRows{r[3], r[0]}));
    EXPECT_EQ(folder1.matched, -1);  // archived: not listed
}

TEST_F(RecordList, FindMatchesTextMemoCheckNumberAmountWithinTheDates) {
    const auto r = Expenses({{2026, 1, 5, 1, "Home Depot", "Lumber", 1001, 1234.5},
                             {2026, 2, 10, 1, "Shell", "Fuel", 2002, 45},
                             {2026, 3, 15, 1, "Staples", "Paper", 3003, -7.25}});
    const ListRows all = WalkRecordList(RecordTable::Expenses, -1, 0).rows;
    ASSERT_EQ(all, (ListRows{r[0], r[1], r[2]}));
    const struct {
        FindRequest find;
        ListRows found;
    } cases[] = {
        {{"", "", ""}, {r[0], r[1], r[2]}},
        {{"depot", "", ""}, {r[0]}},
        {{"DEPOT", "", ""}, {r[0]}},    // ASCII case does not count
        {{"  fuel ", "", ""}, {r[1]}},  // the memo; blanks around the text do not count
        {{"300", "", ""}, {r[2]}},      // the check number
        {{"1,234.5", "", ""}, {r[0]}},  // the amount as the list shows it
        {{"1234.50", "", ""}, {r[0]}},  // and as it is typed in the form
        {{"-7.2", "", ""}, {r[2]}},
        {{"s", "20260201", ""}, {r[1], r[2]}},
        {{"", "20260210", "20260315"}, {r[1], r[2]}},  // both ends within
        {{"", "", "20260209"}, {r[0]}},
        {{"", "20260316", ""}, {}},
        {{"zzz", "", ""}, {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FindRows(RecordTable::Expenses, all, c.find), c.found)
            << '"' << c.find.text << "\" " << c.find.from << "-" << c.find.through;
}

TEST_F(RecordList, IncomeFindLooksAtTheDescriptionAndAmount) {
    cbk::OpenIncome();
    engine::d4zap(cbk::Income, 1, engine::d4recCount(cbk::Income));
    std::vector<std::uint32_t> r;
    for (const auto& [day, desc, amount] :
         {std::tuple{1, "Unit A rent", 900.0}, std::tuple{2, "Interest 1001", 12.34}}) {
        cbk::CurIncome = {10, *platform::DateTime::fromYmd(2026, 1, day), desc, amount, 1};
        r.push_back(std::uint32_t(StoreRecord(cbk::Income, 0, cbk::StoreIncome)));
    }
    const ListRows all = WalkRecordList(RecordTable::Income, -1, 0).rows;
    EXPECT_EQ(FindRows(RecordTable::Income, all, {"RENT", "", ""}), ListRows{r[0]});
    EXPECT_EQ(FindRows(RecordTable::Income, all, {"12.3", "", ""}), ListRows{r[1]});
    EXPECT_EQ(FindRows(RecordTable::Income, all, {"100", "", ""}), ListRows{r[1]});
}

TEST(RecordListFind, NarrowsWhenTheTextGrowsOrTheDatesShrink) {
    const struct {
        FindRequest before, now;
        bool narrows;
    } cases[] = {
        {{"", "", ""}, {"a", "", ""}, true},
        {{"ab", "", ""}, {"abc", "", ""}, true},
        {{"ab", "", ""}, {"xAB", "", ""}, true},
        {{"abc", "", ""}, {"ab", "", ""}, false},
        {{"", "20260101", ""}, {"", "20260201", ""}, true},
        {{"", "20260201", ""}, {"", "20260101", ""}, false},
        {{"", "20260201", ""}, {"", "", ""}, false},
        {{"", "", "20260301"}, {"", "", "20260201"}, true},
        {{"", "", "20260301"}, {"", "", ""}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Narrows(c.before, c.now), c.narrows)
            << '"' << c.before.text << "\" " << c.before.from << "-" << c.before.through << " to \""
            << c.now.text << "\" " << c.now.from << "-" << c.now.through;
}

}  // namespace
