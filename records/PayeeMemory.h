#pragma once

// Payee memory: the payees (expenses) or descriptions (incomes) used before, offered as the
// user types. Names are held in a compact list sorted by their lower-case form, so a keystroke
// is a search of that list, never a walk of the records. Each name keeps its uses, so deleting
// the latest record falls back to the one before and a name whose records are all gone is
// no longer offered.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace records {

// One record's use of a name: what choosing the name fills in.
struct PayeeUse {
    platform::DateTime date;
    std::uint32_t recNo = 0;
    std::int32_t accNo = 0;
    std::int32_t folNo = 0;
    double amount = 0.0;
};

struct PayeeSuggestion {
    std::string name;  // as last typed, trailing blanks cut
    PayeeUse last;     // the most recent use (latest date, then the highest record number)
};

class PayeeMemory {
public:
    // A record with `name` (blank names are not remembered).
    void Add(std::string_view name, const PayeeUse& use);
    // Record `recNo` with `name` is deleted or changed away from it.
    void Remove(std::string_view name, std::uint32_t recNo);

    // The names starting with `prefix` (without regard to case; blanks at its end count),
    // most recent first, at most `limit`. An empty prefix offers nothing.
    std::vector<PayeeSuggestion> Suggest(std::string_view prefix, std::size_t limit = 10) const;

    std::size_t NameCount() const { return names_.size(); }

private:
    struct Name {
        std::string key;             // lower case, trailing blanks cut
        std::string shown;           // the spelling of the latest use
        std::vector<PayeeUse> uses;  // by date, then record number
    };
    std::vector<Name> names_;  // by key
};

// `text` in lower case (ASCII) with trailing blanks cut: the key names are matched by.
std::string PayeeKey(std::string_view text);

}  // namespace records
