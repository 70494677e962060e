#pragma once

// Rules for imported lines: an ordered list, each saying "a line whose payee (or memo)
// contains, starts with or matches this text, of this kind and within this amount, goes to
// this account and folder". The first rule that matches a line proposes its account, before
// the payee's last record does.
//
// The rules belong to the books, as their accounts do: they are kept in a side table of the
// import's own, STMTRULE.dbf in the data directory (made when rules are first saved), one
// record a rule in the list's order.

#include <cstdint>
#include <memory>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "data/TableCatalogue.h"

namespace statements {

inline constexpr std::string_view kRulesTable = cbk::kImportRulesTable;
inline constexpr int kPatternWidth = 60;

enum class Kind { Expense, Income };
enum class RuleText { Payee, Memo, Either };
enum class RuleMatch { Contains, StartsWith, Pattern };

struct ImportRule {
    RuleText text = RuleText::Payee;
    RuleMatch match = RuleMatch::Contains;
    std::string pattern;  // compared without regard to case
    // The line's amount without its sign, in cents, within both bounds when they are given.
    std::optional<std::int64_t> minCents, maxCents;
    // The account is of one list, so a rule is for expenses or for income.
    Kind kind = Kind::Expense;
    std::int32_t account = 0;
    std::int32_t folder = 0;  // 0: the line keeps its folder

    bool operator==(const ImportRule&) const = default;
};

// The numbers in the account and folder lists, in the lists' order.
struct Choices {
    std::vector<std::int32_t> expenseAccounts;
    std::vector<std::int32_t> incomeAccounts;
    std::vector<std::int32_t> folders;
};

// Why `rule` cannot be saved, "" when it can: an empty text, a regular expression that is not
// one, bounds the wrong way round, no account.
std::string RuleProblem(const ImportRule& rule);

// Why a saved rule is not used: its account or folder is no longer in the lists ("account 240
// no longer exists"); "" when it is used.
std::string RuleSkipped(const ImportRule& rule, const Choices& choices);

// "Payee contains "HARBOR", 10.00 to 99.99, expense".
std::string RuleSummary(const ImportRule& rule);

// The rules made ready for a preview: the ones that can be used, with their texts upper-cased
// and their patterns compiled once.
class RuleSet {
public:
    RuleSet() = default;
    RuleSet(const std::vector<ImportRule>& rules, const Choices& choices);

    // The first rule that matches a line (its payee and memo upper-cased as by UpperText):
    // its place in the list, from 1, or 0 when none does.
    std::size_t FirstMatch(Kind kind, std::int64_t cents, std::string_view upperPayee,
                           std::string_view upperMemo) const;
    const ImportRule& rule(std::size_t number) const { return rules_[number - 1]; }
    bool empty() const { return ready_.empty(); }

    // The places of the rules for `kind` that look at `field` (the payee or the memo) and
    // whose text matches `upperText`, in the list's order.
    std::vector<std::size_t> TextHits(Kind kind, RuleText field, std::string_view upperText) const;
    // Of the rules in `payeeHits` and `memoHits`, the first whose amounts hold `cents`; 0 when
    // none does.
    std::size_t FirstWithin(const std::vector<std::size_t>& payeeHits,
                            const std::vector<std::size_t>& memoHits, std::int64_t cents) const;

private:
    struct Ready {
        std::size_t number;
        std::string text;
        std::shared_ptr<const std::regex> regex;
    };
    std::vector<ImportRule> rules_;
    std::vector<Ready> ready_;
};

// The matching of a whole statement: a payee or memo seen before is not compared with the
// rules again (a statement names the same payees month after month), only its amount is.
class RuleMatcher {
public:
    explicit RuleMatcher(const RuleSet& rules) : rules_(rules) {}
    std::size_t FirstMatch(Kind kind, std::int64_t cents, std::string_view upperPayee,
                           std::string_view upperMemo);

private:
    const std::vector<std::size_t>& Hits(Kind kind, RuleText field, std::string_view text);

    const RuleSet& rules_;
    std::unordered_map<std::string, std::vector<std::size_t>> seen_;
};

// ASCII letters upper-cased, as the matching compares them.
std::string UpperText(std::string_view text);

// The saved rules, in order; none when the side table is not there yet. A table that cannot
// be read gives `error` and no rules.
std::vector<ImportRule> LoadRules(std::string& error);

// Saves `rules` in place of the saved ones: written into a new table beside the old one and
// renamed over it, so that the old list or the new one is kept, never a mix. "" or why not.
std::string SaveRules(const std::vector<ImportRule>& rules);

}  // namespace statements
