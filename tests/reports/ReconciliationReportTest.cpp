#include "reports/ReconciliationReport.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "bank/BankMarks.h"
#include "data/Database.h"
#include "data/TableSession.h"
#include "reports/BuilderParts.h"
#include "support/DataFixture.h"

namespace {

class ReconciliationReport : public cbk::testing::DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        cbk::StartDataStore();
        session_.emplace(std::initializer_list<std::string_view>{"EXP5", "INC5"});
    }
    void TearDown() override {
        session_.reset();
        DataTest::TearDown();
    }
    std::optional<cbk::TableSession> session_;
};

bank::ReconcileItem Item(bank::Kind kind, long recNo, bank::Cents amount, bool ticked) {
    bank::ReconcileItem item;
    item.row.kind = kind;
    item.row.recNo = std::uint32_t(recNo);
    item.row.date = 20260302;
    item.row.amount = amount;
    item.ticked = ticked;
    return item;
}

TEST_F(ReconciliationReport, ShowsTheBalancesTheClearedRecordsByKindAndTheUnclearedOnes) {
    bank::Reconciliation rec;
    rec.statementDate = 20260331;
    rec.startBalance = 1000'00;
    rec.statementBalance = 1000'00 + 250'00 - 40'10;
    rec.items = {Item(bank::Kind::Income, 1, 250'00, true),
                 Item(bank::Kind::Expense, 1, -40'10, true),
                 Item(bank::Kind::Expense, 2, -5'00, false)};
    reports::Document doc;
    reports::BuildReconciliation(rec, "Checking", 60, doc);

    ASSERT_FALSE(doc.titleLines.empty());
    EXPECT_EQ(doc.titleLines[0], reports::kReconciliationTitle);
    EXPECT_EQ(doc.titleLines[1], "Checking, statement of 03/31/26");
    // Each caption's amount, and the order the captions and records come in.
    std::map<std::string, std::string> totals;
    std::vector<std::string> order;
    for (int r = 0; r < doc.rowCount(); ++r) {
        const std::string caption =
            std::string(doc.cell(r, 2)).substr(std::min<std::size_t>(3, doc.cell(r, 2).size()));
        const std::string amount = reports::Trimmed(
            std::string(doc.cell(r, 3)).substr(std::min<std::size_t>(3, doc.cell(r, 3).size())));
        if (caption.empty()) continue;
        order.push_back(caption);
        totals[caption] = amount;
    }
    EXPECT_EQ(totals["Starting balance"], "1,000.00");
    EXPECT_EQ(totals["Total cleared deposits"], "250.00");
    EXPECT_EQ(totals["Total cleared payments"], "-40.10");
    EXPECT_EQ(totals["Cleared balance"], "1,209.90");
    EXPECT_EQ(totals["Statement ending balance"], "1,209.90");
    EXPECT_EQ(totals["Difference"], "0.00");
    EXPECT_EQ(totals["Total uncleared"], "-5.00");
    const auto at = [&](const std::string& c) {
        return std::find(order.begin(), order.end(), c) - order.begin();
    };
    EXPECT_LT(at("Cleared deposits"), at("Cleared payments"));
    EXPECT_LT(at("Difference"), at("Uncleared items"));
    EXPECT_EQ(at("Uncleared items") + 2, at("Total uncleared"));  // the one uncleared record
}

}  // namespace
