#include "statements/ImportRules.h"

#include <algorithm>
#include <cctype>

#include "data/Books.h"
#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "statements/TextParts.h"

namespace statements {

using namespace engine;

namespace {

// The new list is written under this name and renamed over the old one.
constexpr std::string_view kNewRulesTable = "STMTRULN";

bool Listed(const std::vector<std::int32_t>& list, std::int32_t n) {
    return std::find(list.begin(), list.end(), n) != list.end();
}

std::string AmountText(std::int64_t cents) {
    const std::string digits = std::to_string(cents / 100);
    const std::int64_t part = cents % 100;
    return digits + (part < 10 ? ".0" : ".") + std::to_string(part);
}

std::shared_ptr<const std::regex> Compiled(const std::string& pattern, std::string* why) {
    try {
        return std::make_shared<const std::regex>(
            pattern, std::regex::ECMAScript | std::regex::icase | std::regex::optimize);
    } catch (const std::regex_error& e) {
        if (why) *why = e.what();
        return nullptr;
    }
}

// Codes of the stored fields.
char TextCode(RuleText t) {
    return t == RuleText::Payee ? 'P' : t == RuleText::Memo ? 'M' : 'E';
}
char MatchCode(RuleMatch m) {
    return m == RuleMatch::Contains ? 'C' : m == RuleMatch::StartsWith ? 'S' : 'R';
}

std::optional<std::int64_t> StoredCents(Field4* f) {
    const std::string text = Trimmed(f4str(f));
    if (text.empty()) return std::nullopt;
    const double v = f4double(f);
    return static_cast<std::int64_t>(v * 100.0 + 0.5);
}

}  // namespace

std::string UpperText(std::string_view text) {
    std::string up(text);
    std::transform(up.begin(), up.end(), up.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return up;
}

std::string RuleProblem(const ImportRule& rule) {
    if (Trimmed(rule.pattern).empty()) return "Give the text the rule looks for.";
    // Characters as the table stores them, not UTF-8 bytes.
    const auto characters = std::count_if(rule.pattern.begin(), rule.pattern.end(),
                                          [](unsigned char c) { return (c & 0xC0) != 0x80; });
    if (characters > kPatternWidth)
        return "The rule's text is longer than " + std::to_string(kPatternWidth) + " characters.";
    std::string why;
    if (rule.match == RuleMatch::Pattern && !Compiled(rule.pattern, &why))
        return "\"" + rule.pattern + "\" is not a regular expression (" + why +
               "). The rule was not saved.";
    if ((rule.minCents && (*rule.minCents < 0 || *rule.minCents > 99'999'999)) ||
        (rule.maxCents && (*rule.maxCents < 0 || *rule.maxCents > 99'999'999)))
        return "The rule's amounts must lie between 0.00 and 999999.99.";
    if (rule.minCents && rule.maxCents && *rule.minCents > *rule.maxCents)
        return "The rule's lowest amount is above its highest.";
    if (rule.account == 0) return "Choose the account the rule sets.";
    return {};
}

std::string RuleSkipped(const ImportRule& rule, const Choices& choices) {
    const bool expense = rule.kind == Kind::Expense;
    if (!Listed(expense ? choices.expenseAccounts : choices.incomeAccounts, rule.account))
        return std::string(expense ? "expense" : "income") + " account " +
               std::to_string(rule.account) + " no longer exists";
    if (rule.folder != 0 && !Listed(choices.folders, rule.folder))
        return "folder " + std::to_string(rule.folder) + " no longer exists";
    if (rule.match == RuleMatch::Pattern && !Compiled(rule.pattern, nullptr))
        return "its text is not a regular expression";
    return {};
}

std::string RuleSummary(const ImportRule& rule) {
    static const char* const kText[] = {"Payee", "Memo", "Payee or memo"};
    static const char* const kMatch[] = {"contains", "starts with", "matches"};
    std::string s = std::string(kText[static_cast<int>(rule.text)]) + " " +
                    kMatch[static_cast<int>(rule.match)] + " \"" + rule.pattern + "\"";
    if (rule.minCents && rule.maxCents)
        s += ", " + AmountText(*rule.minCents) + " to " + AmountText(*rule.maxCents);
    else if (rule.minCents)
        s += ", " + AmountText(*rule.minCents) + " or more";
    else if (rule.maxCents)
        s += ", up to " + AmountText(*rule.maxCents);
    return s + (rule.kind == Kind::Expense ? ", expense" : ", income");
}

RuleSet::RuleSet(const std::vector<ImportRule>& rules, const Choices& choices) : rules_(rules) {
    for (std::size_t i = 0; i < rules_.size(); ++i) {
        const ImportRule& r = rules_[i];
        if (!RuleSkipped(r, choices).empty()) continue;
        Ready ready{i + 1, UpperText(r.pattern), nullptr};
        if (r.match == RuleMatch::Pattern) ready.regex = Compiled(r.pattern, nullptr);
        ready_.push_back(std::move(ready));
    }
}

std::vector<std::size_t> RuleSet::TextHits(Kind kind, RuleText field, std::string_view text) const {
    std::vector<std::size_t> hits;
    for (const Ready& ready : ready_) {
        const ImportRule& r = rules_[ready.number - 1];
        if (r.kind != kind || (r.text != RuleText::Either && r.text != field)) continue;
        bool hit = false;
        switch (r.match) {
            case RuleMatch::Contains:
                hit = text.find(ready.text) != std::string_view::npos;
                break;
            case RuleMatch::StartsWith:
                hit = text.substr(0, ready.text.size()) == ready.text;
                break;
            default:
                hit = std::regex_search(text.begin(), text.end(), *ready.regex);
        }
        if (hit) hits.push_back(ready.number);
    }
    return hits;
}

std::size_t RuleSet::FirstWithin(const std::vector<std::size_t>& payeeHits,
                                 const std::vector<std::size_t>& memoHits,
                                 std::int64_t cents) const {
    const std::int64_t amount = cents < 0 ? -cents : cents;
    auto within = [&](std::size_t n) {
        const ImportRule& r = rules_[n - 1];
        return (!r.minCents || amount >= *r.minCents) && (!r.maxCents || amount <= *r.maxCents);
    };
    // Both lists are in the list's order: the first rule of the two that holds the amount.
    auto p = payeeHits.begin(), m = memoHits.begin();
    while (p != payeeHits.end() || m != memoHits.end()) {
        const bool fromPayee = m == memoHits.end() || (p != payeeHits.end() && *p <= *m);
        const std::size_t n = fromPayee ? *p++ : *m++;
        if (within(n)) return n;
    }
    return 0;
}

std::size_t RuleSet::FirstMatch(Kind kind, std::int64_t cents, std::string_view upperPayee,
                                std::string_view upperMemo) const {
    return FirstWithin(TextHits(kind, RuleText::Payee, upperPayee),
                       TextHits(kind, RuleText::Memo, upperMemo), cents);
}

const std::vector<std::size_t>& RuleMatcher::Hits(Kind kind, RuleText field,
                                                  std::string_view text) {
    std::string key;
    key.reserve(text.size() + 2);
    key += kind == Kind::Expense ? 'E' : 'I';
    key += field == RuleText::Payee ? 'P' : 'M';
    key += text;
    auto it = seen_.find(key);
    if (it == seen_.end())
        it = seen_.emplace(std::move(key), rules_.TextHits(kind, field, text)).first;
    return it->second;
}

std::size_t RuleMatcher::FirstMatch(Kind kind, std::int64_t cents, std::string_view upperPayee,
                                    std::string_view upperMemo) {
    if (rules_.empty()) return 0;
    return rules_.FirstWithin(Hits(kind, RuleText::Payee, upperPayee),
                              Hits(kind, RuleText::Memo, upperMemo), cents);
}

std::vector<ImportRule> LoadRules(std::string& error) {
    std::vector<ImportRule> rules;
    const std::string file = std::string(kRulesTable) + ".dbf";
    if (!cbk::BooksHold(kRulesTable)) return rules;
    Data4* table = cbk::OpenSideTable(kRulesTable);
    std::vector<Field4*> f;
    for (const char* name :
         {"TEXTIN", "MATCH", "PATTERN", "MINAMT", "MAXAMT", "KIND", "ACCNO", "FOLNO"})
        f.push_back(table ? d4field(table, name) : nullptr);
    const bool sound = std::find(f.begin(), f.end(), nullptr) == f.end();
    if (sound) {
        for (int rc = d4top(table); rc == r4success; rc = d4skip(table, 1)) {
            if (d4deleted(table)) continue;
            ImportRule r;
            const std::string text = f4str(f[0]), match = f4str(f[1]);
            r.text = text == "M"   ? RuleText::Memo
                     : text == "E" ? RuleText::Either
                                   : RuleText::Payee;
            r.match = match == "S"   ? RuleMatch::StartsWith
                      : match == "R" ? RuleMatch::Pattern
                                     : RuleMatch::Contains;
            r.pattern = Trimmed(f4str(f[2]));
            r.minCents = StoredCents(f[3]);
            r.maxCents = StoredCents(f[4]);
            r.kind = f4str(f[5]) == "I" ? Kind::Income : Kind::Expense;
            r.account = f4int(f[6]);
            r.folder = f4int(f[7]);
            rules.push_back(std::move(r));
        }
    }
    if (table) d4close(table);
    if (cbk::TakeEngineError() < 0 || !sound) {
        rules.clear();
        error = file + " cannot be read: the rules for imported lines are not used.";
    }
    return rules;
}

std::string SaveRules(const std::vector<ImportRule>& rules) {
    engine::FileSystem& fs = cbk::DataFileSystem();
    cbk::TakeEngineError();
    Data4* table =
        cbk::MakeBare(kNewRulesTable, cbk::CreateFields(*cbk::FindBooksTable(kRulesTable)));
    bool ok = table != nullptr;
    if (ok) {
        std::vector<Field4*> f;
        for (const char* name :
             {"TEXTIN", "MATCH", "PATTERN", "MINAMT", "MAXAMT", "KIND", "ACCNO", "FOLNO"})
            f.push_back(d4field(table, name));
        for (const ImportRule& r : rules) {
            if (!(ok = d4appendBlank(table) == 0)) break;
            f4assign(f[0], std::string(1, TextCode(r.text)));
            f4assign(f[1], std::string(1, MatchCode(r.match)));
            f4assign(f[2], r.pattern);
            if (r.minCents) f4assignDouble(f[3], static_cast<double>(*r.minCents) / 100.0);
            if (r.maxCents) f4assignDouble(f[4], static_cast<double>(*r.maxCents) / 100.0);
            f4assign(f[5], r.kind == Kind::Income ? "I" : "E");
            f4assignInt(f[6], r.account);
            f4assignInt(f[7], r.folder);
        }
        ok = d4close(table) == 0 && ok;
    }
    const std::string written = resolvePath(fs, ".", std::string(kNewRulesTable) + ".dbf");
    ok = cbk::TakeEngineError() >= 0 && ok;
    if (ok)
        ok = fs.rename(written, resolvePath(fs, ".", std::string(kRulesTable) + ".dbf")) == 0 &&
             fs.syncDir(".") == 0;
    if (ok) return {};
    fs.remove(written);
    return "The rules could not be saved; the rules as they were are kept.";
}

}  // namespace statements
