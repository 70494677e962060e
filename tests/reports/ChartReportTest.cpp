#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "reports/ReportBuilders.h"
#include "reports/ReportExport.h"
#include "reports/ReportTablesFixture.h"

using namespace reports;
using namespace reports::testing;

namespace {

class ChartReport : public ReportTablesTest {
protected:
    static std::vector<std::string> Header(const std::string& title, const std::string& section,
                                           int page = 1) {
        return {"L00Page " + std::to_string(page) + "|R403/5/26|",
                "||",
                "C20" + title + "||B",
                "||",
                "L00" + section + "||",
                "||",
                kHeading};
    }
    static std::string Account(const std::string& number, const std::string& name,
                               const std::string& flag = "") {
        return "R05" + number + "|L10" + Stored(name) + "|" + flag;
    }
    static std::vector<std::string> Section(const std::string& name) {
        return {"||", "||", "L00" + name + "||", "||", kHeading};
    }
    static std::vector<std::string> Join(std::vector<std::vector<std::string>> parts) {
        std::vector<std::string> all;
        for (const auto& part : parts) all.insert(all.end(), part.begin(), part.end());
        return all;
    }
    static inline const std::string kHeading = "R05Acnt.|L10Account Name|U";
    using ReportTablesTest::Account;
};

}  // namespace

TEST_F(ChartReport, DeductibleAccountsFirstThenTheOthersInNumberOrder) {
    Account(200, "Meals", false);
    Account(150, "Bank Fees", true);
    Account(100, "Advertising", true);
    Delete(cbk::Accounts, Account(120, "Closed", true));
    Account(90, "Gifts", false);

    BuildExpenseChart(Request(Day(2024, 4, 1), Day(2024, 4, 30), {}), ReportDocument);
    const std::vector<std::string> expected = Join({
        Header("Expense Accounts", "Deductible Accounts"),
        {Account("100", "Advertising"), Account("150", "Bank Fees", "U")},
        Section("Non-Deductible Accounts"),
        {Account("90", "Gifts"), Account("200", "Meals", "U"), "||"},
    });
    EXPECT_EQ(Rows(ReportDocument), expected);
    // Two passes over five records, the deleted one counted though never visited.
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80}));
    EXPECT_FALSE(platform_->progress.visible);
}

TEST_F(ChartReport, AnEmptySectionKeepsItsPlace) {
    // No taxable account: page 1 opens with the second section.
    IncomeAccount(410, "Interest", false);
    BuildIncomeChart(Request(Day(2024, 4, 1), Day(2024, 4, 30), {}), ReportDocument);
    EXPECT_EQ(Rows(ReportDocument), Join({Header("Income Accounts", "Non-Taxable Accounts"),
                                          {Account("410", "Interest", "U"), "||"}}));

    // Only deductible accounts: the second section's line and headings follow with no rows.
    ReportDocument.ClearDocument();
    Account(100, "Advertising", true);
    BuildExpenseChart(Request(Day(2024, 4, 1), Day(2024, 4, 30), {}), ReportDocument);
    EXPECT_EQ(Rows(ReportDocument), Join({Header("Expense Accounts", "Deductible Accounts"),
                                          {Account("100", "Advertising", "U")},
                                          Section("Non-Deductible Accounts"),
                                          {"||"}}));

    // No live account: nothing to show.
    ReportDocument.ClearDocument();
    Delete(cbk::IncomeAccounts, 1);
    BuildIncomeChart(Request(Day(2024, 4, 1), Day(2024, 4, 30), {}), ReportDocument);
    EXPECT_TRUE(ReportDocument.empty());
}

TEST_F(ChartReport, SecondSectionWithoutRoomOpensTheNextPage) {
    // The header takes 7 lines; with 10 to a page the section needs lines 9 to 14.
    Account(100, "Advertising", true);
    Account(110, "Bank Fees", true);
    Account(200, "Meals", false);
    ReportRequest request = Request(Day(2024, 4, 1), Day(2024, 4, 30), {});
    request.linesPerPage = 10;
    BuildExpenseChart(request, ReportDocument);
    const std::vector<std::string> expected = Join({
        Header("Expense Accounts", "Deductible Accounts"),
        {Account("100", "Advertising"), Account("110", "Bank Fees", "U"), "EJECT||"},
        Header("Expense Accounts", "Non-Deductible Accounts", 2),
        {Account("200", "Meals", "U"), "||"},
    });
    EXPECT_EQ(Rows(ReportDocument), expected);
}

TEST_F(ChartReport, ExportsAsTextAndDelimited) {
    Account(100, "Advertising", true);
    Account(200, "Meals", false);
    BuildExpenseChart(Request(Day(2024, 4, 1), Day(2024, 4, 30), {}), ReportDocument);

    const std::string pad = Spaces(30 - 5);  // "Meals" as stored
    const std::vector<std::string> text = {
        "Page 1" + Spaces(28) + "3/5/26",
        "",
        Spaces(12) + "Expense Accounts",
        "",
        "Deductible Accounts",
        "",
        "Acnt.     Account Name",
        "  100     Advertising" + Spaces(19),
        "",
        "",
        "Non-Deductible Accounts",
        "",
        "Acnt.     Account Name",
        "  200     Meals" + pad,
        "",
    };
    EXPECT_EQ(ExportBytes(ReportDocument, ExportKind::Text), ExportLines(text));
    const std::vector<std::string> delimited = {
        "Page 1\t3/5/26",
        "",
        "Expense Accounts",
        "",
        "Deductible Accounts",
        "",
        "Acnt.\tAccount Name",
        "100\tAdvertising" + Spaces(19),
        "",
        "",
        "Non-Deductible Accounts",
        "",
        "Acnt.\tAccount Name",
        "200\tMeals" + pad,
        "",
    };
    EXPECT_EQ(ExportBytes(ReportDocument, ExportKind::Delimited), ExportLines(delimited));
}
