#pragma once

// Payee memory: the payees (expenses) or descriptions (income) used before, offered as the user
// types, each with what its latest record was filed under. Read once in one pass over the
// record table, then kept current by the saves and deletes of the run: a keystroke is a search
// of a sorted list of names, never a walk of the records.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/DateTime.h"
#include "records/RecordTables.h"

namespace records {

// One record's use of a name: what choosing the name fills in.
struct PayeeUse {
    std::int32_t date = 0;  // the record's date as the number CCYYMMDD
    std::uint32_t recNo = 0;
    std::int32_t accNo = 0;
    std::int32_t folNo = 0;
    double amount = 0.0;
};

inline std::int32_t DateNumber(const platform::DateTime& date) {
    return date.year() * 10000 + date.month() * 100 + date.dayOfMonth();
}

struct PayeeSuggestion {
    std::string name;   // spelled as in its latest record, blanks around it cut
    bool known = true;  // false when the records that fill it were all deleted in the run
    PayeeUse last;      // the latest use: latest date, then the highest record number
};

class PayeeMemory {
public:
    inline static constexpr std::size_t kSuggestions = 10;

    PayeeMemory() = default;
    // The sorted list points into the map: a move keeps both, a copy could not.
    PayeeMemory(PayeeMemory&&) = default;
    PayeeMemory& operator=(PayeeMemory&&) = default;
    PayeeMemory(const PayeeMemory&) = delete;
    PayeeMemory& operator=(const PayeeMemory&) = delete;

    // A record with `name`; a blank name is not remembered.
    void Add(std::string_view name, const PayeeUse& use);
    // Record `recNo` with `name` was deleted, or changed away from what it held.
    void Remove(std::string_view name, std::uint32_t recNo);

    // The names that start with `typed` (letters compared without regard to case, blanks
    // before it ignored, after it counted), most recent first, at most `limit`. Nothing for an
    // empty text.
    std::vector<PayeeSuggestion> Suggest(std::string_view typed,
                                         std::size_t limit = kSuggestions) const;

    std::size_t NameCount() const { return names_.size(); }

private:
    // The latest uses of a name, newest first. A few are kept, so that deleting the latest
    // record falls back to the one before without reading the table again.
    static constexpr std::size_t kKept = 3;
    struct Name {
        std::string shown;
        long records = 0;  // live records with the name
        std::size_t kept = 0;
        std::array<PayeeUse, kKept> uses{};
    };
    friend PayeeMemory ReadPayeeMemory(RecordTable);
    void Note(Name& name, std::string_view shown, const PayeeUse& use);
    void SortKeys();

    std::unordered_map<std::string, Name> names_;  // by folded name
    std::vector<const std::string*> sorted_;       // the keys of names_, in byte order
};

// `text` as names are compared: blanks around it cut, ASCII letters and the letters of
// Windows-1252 (the stored text's code page) in lower case.
std::string FoldPayee(std::string_view text);

// The memory of EXP5 (pay-to texts) or INC5 (descriptions), which must be open: one pass in
// record order, deleted records left out. The selected tag and the record buffers are left as
// they were; the current record is not.
PayeeMemory ReadPayeeMemory(RecordTable which);

}  // namespace records
