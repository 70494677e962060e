// The matching of rules for imported lines: how each kind of rule compares, the amount and
// kind it is for, the list's order, rules that are skipped, and the rules that are refused.

#include "statements/ImportRules.h"

#include <gtest/gtest.h>

namespace statements {
namespace {

ImportRule Rule(RuleMatch match, std::string pattern, std::int32_t account = 200,
                RuleText text = RuleText::Payee) {
    ImportRule r;
    r.match = match;
    r.pattern = std::move(pattern);
    r.account = account;
    r.text = text;
    return r;
}

const Choices kChoices{{120, 200, 240}, {10, 20}, {1, 2, 3}};

TEST(ImportRules, EachKindOfRuleMatchesWithoutRegardToCase) {
    const struct {
        ImportRule rule;
        const char* payee;
        const char* memo;
        bool hit;
    } cases[] = {
        {Rule(RuleMatch::Contains, "office sup"), "Harbor Office Supply", "", true},
        {Rule(RuleMatch::Contains, "office sup"), "Harbor Office", "office supplies", false},
        {Rule(RuleMatch::Contains, "CHECK", 200, RuleText::Memo), "Check Cashing", "", false},
        {Rule(RuleMatch::Contains, "check", 200, RuleText::Memo), "x", "Check 1043", true},
        {Rule(RuleMatch::Contains, "check", 200, RuleText::Either), "x", "Check 1043", true},
        {Rule(RuleMatch::Contains, "check", 200, RuleText::Either), "Check Co", "", true},
        {Rule(RuleMatch::StartsWith, "harbor"), "Harbor Office Supply", "", true},
        {Rule(RuleMatch::StartsWith, "harbor"), "The Harbor", "", false},
        {Rule(RuleMatch::StartsWith, "Harbor Office Supply, Inc."), "Harbor Office", "", false},
        {Rule(RuleMatch::Pattern, "^city\\s+water"), "City  Water & Power", "", true},
        {Rule(RuleMatch::Pattern, "^city\\s+water"), "The City Water", "", false},
        {Rule(RuleMatch::Pattern, "\\d{4}$", 200, RuleText::Memo), "x", "check 1043", true},
        {Rule(RuleMatch::Pattern, "amzn|amazon"), "AMZN Mktp US", "", true},
    };
    for (const auto& c : cases) {
        const RuleSet set({c.rule}, kChoices);
        EXPECT_EQ(set.FirstMatch(Kind::Expense, -1000, UpperText(c.payee), UpperText(c.memo)),
                  c.hit ? 1u : 0u)
            << c.rule.pattern << " / " << c.payee << " / " << c.memo;
    }
}

TEST(ImportRules, AmountRangeAndKindBound) {
    ImportRule r = Rule(RuleMatch::Contains, "water");
    r.minCents = 1000;
    r.maxCents = 5000;
    ImportRule income = Rule(RuleMatch::Contains, "water", 20);
    income.kind = Kind::Income;
    const RuleSet set({r, income}, kChoices);
    const struct {
        Kind kind;
        std::int64_t cents;
        std::size_t rule;
    } cases[] = {
        {Kind::Expense, -999, 0},  {Kind::Expense, -1000, 1}, {Kind::Expense, -5000, 1},
        {Kind::Expense, -5001, 0}, {Kind::Income, 3000, 2},   {Kind::Income, 1, 2},
    };
    for (const auto& c : cases)
        EXPECT_EQ(set.FirstMatch(c.kind, c.cents, "CITY WATER", ""), c.rule) << c.cents;
}

TEST(ImportRules, FirstUsableRuleWinsAndRulesOfGoneAccountsOrFoldersAreSkipped) {
    ImportRule goneFolder = Rule(RuleMatch::Contains, "harbor", 120);
    goneFolder.folder = 9;
    const std::vector<ImportRule> rules = {
        Rule(RuleMatch::Contains, "harbor", 999),    // account gone
        goneFolder,                                  // folder gone
        Rule(RuleMatch::StartsWith, "harbor", 240),  // the first one used
        Rule(RuleMatch::Contains, "office", 200),
    };
    const RuleSet set(rules, kChoices);
    EXPECT_EQ(set.FirstMatch(Kind::Expense, -100, "HARBOR OFFICE", ""), 3u);
    EXPECT_EQ(set.rule(3).account, 240);
    EXPECT_EQ(set.FirstMatch(Kind::Expense, -100, "THE OFFICE", ""), 4u);
    EXPECT_EQ(RuleSkipped(rules[0], kChoices), "expense account 999 no longer exists");
    EXPECT_EQ(RuleSkipped(rules[1], kChoices), "folder 9 no longer exists");
    EXPECT_EQ(RuleSkipped(rules[2], kChoices), "");
    ImportRule income = rules[3];
    income.kind = Kind::Income;  // 200 is an expense account, not an income one
    EXPECT_EQ(RuleSkipped(income, kChoices), "income account 200 no longer exists");
}

TEST(ImportRules, RulesThatCannotBeSavedAreRefusedWithWhy) {
    ImportRule bad = Rule(RuleMatch::Pattern, "(harbor");
    EXPECT_EQ(RuleProblem(bad).rfind("\"(harbor\" is not a regular expression (", 0), 0u)
        << RuleProblem(bad);
    // The same text is fine where it is not a pattern, and a set holding it never throws.
    bad.match = RuleMatch::Contains;
    EXPECT_EQ(RuleProblem(bad), "");
    bad.match = RuleMatch::Pattern;
    EXPECT_EQ(RuleSet({bad}, kChoices).FirstMatch(Kind::Expense, -1, "(HARBOR", ""), 0u);
    EXPECT_EQ(RuleSkipped(bad, kChoices), "its text is not a regular expression");

    ImportRule r = Rule(RuleMatch::Contains, "  ");
    EXPECT_EQ(RuleProblem(r), "Give the text the rule looks for.");
    r.pattern = "water";
    r.minCents = 5001;
    r.maxCents = 5000;
    EXPECT_EQ(RuleProblem(r), "The rule's lowest amount is above its highest.");
    r.maxCents = 5001;  // one amount exactly
    EXPECT_EQ(RuleProblem(r), "");
    r.account = 0;
    EXPECT_EQ(RuleProblem(r), "Choose the account the rule sets.");
    r.account = 200;
    r.pattern = std::string(59, 'x') + "\xC3\xA9";  // 60 characters, 61 bytes: the field holds it
    EXPECT_EQ(RuleProblem(r), "");
    r.pattern += "x";
    EXPECT_EQ(RuleProblem(r), "The rule's text is longer than 60 characters.");
}

TEST(ImportRules, Summary) {
    ImportRule r = Rule(RuleMatch::StartsWith, "Harbor");
    EXPECT_EQ(RuleSummary(r), "Payee starts with \"Harbor\", expense");
    r.minCents = 1005;
    r.maxCents = 250000;
    r.text = RuleText::Either;
    r.kind = Kind::Income;
    EXPECT_EQ(RuleSummary(r), "Payee or memo starts with \"Harbor\", 10.05 to 2500.00, income");
    r.minCents.reset();
    EXPECT_EQ(RuleSummary(r), "Payee or memo starts with \"Harbor\", up to 2500.00, income");
}

}  // namespace
}  // namespace statements
