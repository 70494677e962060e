// The rate change: the account list, the conversions and checks in their order, the range's
// edges, rounding, and the reverse change.

#include "maintenance/RateChange.h"

#include "MaintenanceFixture.h"

namespace cbk::testing {
namespace {

using maintenance::RateChangeInput;

// The rate change as its form applies it: a refusal told in a warning box.
bool Apply(const RateChangeInput& input) {
    const maintenance::RateChangeOutcome outcome = maintenance::ApplyRateChange(input);
    if (!outcome)
        platform::messages().show(platform::MessageKind::Warning, outcome.refused,
                                  platform::Buttons::OK);
    return bool(outcome);
}

class RateChange : public MaintenanceTest {
protected:
    void SetUp() override {
        MaintenanceTest::SetUp();
        if (HasFatalFailure()) return;
        EmptyRecordTables();
        OpenAccounts();
        OpenExpenses();
        before_ = AddExpense(Ymd(2026, 1, 31), 130, 150);
        first_ = AddExpense(Ymd(2026, 2, 1), 130, 150);
        other_ = AddExpense(Ymd(2026, 2, 10), 120, 150);
        last_ = AddExpense(Ymd(2026, 2, 28), 130, 99.99);
        after_ = AddExpense(Ymd(2026, 3, 1), 130, 150);
    }

    std::vector<double> Amounts() {
        std::vector<double> out;
        for (long r : {before_, first_, other_, last_, after_}) {
            engine::d4go(Expenses, r);
            out.push_back(engine::f4double(AmountField));
        }
        return out;
    }

    long before_ = 0, first_ = 0, other_ = 0, last_ = 0, after_ = 0;
};

TEST_F(RateChange, AccountListIsTheExpenseAccountsInNumberOrder) {
    const std::vector<std::string> entries = maintenance::ExpenseAccountEntries();
    ASSERT_FALSE(entries.empty());
    for (const std::string& e : entries) ASSERT_EQ(e.substr(4, 3), " - ") << e;
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end()));
    engine::d4tagSelect(Accounts, AccTag);
    engine::d4top(Accounts);
    EXPECT_EQ(entries.front(), engine::f4str(AccNoField) + " - " + engine::f4str(AcDescField));
}

TEST_F(RateChange, RescalesTheAccountWithinTheRangeEdgesIncluded) {
    ASSERT_TRUE(
        Apply({"    0.3000", "    0.3150", "02/01/26", "02/28/26", std::string(" 130 - Car")}));
    EXPECT_EQ(Amounts(), (std::vector<double>{150, 157.5, 150, 104.99, 150}));
    EXPECT_TRUE(platform_->messages.shown.empty());
    // The reverse change gives the first amounts back up to each step's rounding.
    ASSERT_TRUE(Apply({"0.3150", "0.3000", "02/01/26", "02/28/26", " 130 - Car"}));
    EXPECT_EQ(Amounts(), (std::vector<double>{150, 150, 150, 99.99, 150}));
    // Twice the same change scales twice.
    Apply({"1", "2", "02/01/26", "02/28/26", " 130 - Car"});
    Apply({"1", "2", "02/01/26", "02/28/26", " 130 - Car"});
    EXPECT_EQ(Amounts(), (std::vector<double>{150, 600, 150, 399.96, 150}));
    CloseAllTables();
    ExpectSound("EXP5");
}

TEST_F(RateChange, RefusalsComeInTheirOrderAndChangeNothing) {
    const std::pair<RateChangeInput, std::string_view> cases[] = {
        {{"    1.0000", "    1.0000", "01/01/26", "03/05/26", " 130 - Car"},
         maintenance::kRatesNotEqual},
        {{"0", "0.31", "01/01/26", "03/05/26", " 130 - Car"}, maintenance::kRatesNonZero},
        {{"0.3", "0", "01/01/26", "03/05/26", " 130 - Car"}, maintenance::kRatesNonZero},
        {{"0.3", "0.3", "03/05/26", "01/01/26", " 130 - Car"}, maintenance::kRatesNotEqual},
        {{"0.3", "0.31", "03/05/26", "01/01/26", " 130 - Car"}, maintenance::kBeginningAfterEnd},
        {{"0,3", "0.31", "01/01/26", "03/05/26", " 130 - Car"}, maintenance::kConversionError},
        {{"0", "0", "02/30/26", "03/05/26", " 130 - Car"}, maintenance::kConversionError},
        {{"0.3", "0.31", "01/01/26", "  /  /  ", " 130 - Car"}, maintenance::kConversionError},
        {{"0.3", "0.31", "01/01/26", "03/05/26", std::nullopt}, maintenance::kConversionError},
    };
    const std::vector<double> amounts = Amounts();
    for (const auto& [input, warning] : cases) {
        platform_->messages.clear();
        EXPECT_FALSE(Apply(input)) << warning;
        EXPECT_EQ(
            platform_->messages.shown,
            (std::vector<platform::RecordedMessage>{
                {platform::MessageKind::Warning, std::string(warning), platform::Buttons::OK}}));
    }
    EXPECT_EQ(Amounts(), amounts);
}

TEST_F(RateChange, NothingOnOrAfterTheStartChangesNothingAndCloses) {
    const std::vector<double> amounts = Amounts();
    // A two-digit year through the century window: "12/31/97" is 1997, long before the records.
    EXPECT_TRUE(Apply({"1", "2", "04/01/26", "12/31/26", " 130 - Car"}));
    EXPECT_TRUE(Apply({"1", "2", "01/01/97", "12/31/97", " 130 - Car"}));
    EXPECT_EQ(Amounts(), amounts);
    EXPECT_EQ(maintenance::RescaleAmounts(130, Ymd(1997, 1, 1), Ymd(2026, 2, 1), 1, 2), 2);
}

}  // namespace
}  // namespace cbk::testing
