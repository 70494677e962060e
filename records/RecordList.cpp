#include "records/RecordList.h"

#include <algorithm>
#include <string_view>

#include "data/Database.h"
#include "platform/Platform.h"

namespace records {

using namespace engine;

namespace {

template <class Keep>
ListWalk Walk(Data4* table, Tag4* tag, std::int32_t wanted, Keep keep) {
    ListWalk walk;
    d4tagSelect(table, tag);
    for (cbk::ResultWord = d4top(table); cbk::ResultWord == 0; cbk::ResultWord = d4skip(table, 1)) {
        if (!keep()) continue;
        const long n = d4recNo(table);
        if (n == wanted) walk.matched = long(walk.rows.size());
        walk.rows.push_back(std::uint32_t(n));
    }
    return walk;
}

// The fields a find looks at.
struct FindFields {
    Data4* table;
    Field4* date;
    Field4* text1;
    Field4* text2;   // nullptr for income: no memo
    Field4* number;  // check number; nullptr for income
    Field4* amount;
};

FindFields FieldsOf(RecordTable which) {
    if (which == RecordTable::Expenses)
        return {cbk::Expenses,   cbk::ExpDateField, cbk::PayToField,
                cbk::EMemoField, cbk::CheckNoField, cbk::AmountField};
    return {cbk::Income, cbk::IncDateField, cbk::IncDescField, nullptr, nullptr, cbk::IncAmtField};
}

char Fold(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

std::string_view Trimmed(std::string_view s) {
    const auto b = s.find_first_not_of(' ');
    if (b == std::string_view::npos) return {};
    return s.substr(b, s.find_last_not_of(' ') - b + 1);
}

std::string Folded(std::string_view s) {
    std::string out(Trimmed(s));
    for (char& c : out) c = Fold(c);
    return out;
}

// The typed text as an amount is stored: no thousands separators, a '.' for the decimals.
std::string AmountNeedle(std::string_view folded) {
    const platform::RegionalSettings r = platform::regional().settings();
    std::string out;
    for (char c : folded) {
        if (c == r.thousandSeparator) continue;
        out += c == r.decimalSeparator ? '.' : c;
    }
    return out;
}

bool Contains(std::string_view haystack, std::string_view foldedNeedle) {
    return std::search(haystack.begin(), haystack.end(), foldedNeedle.begin(), foldedNeedle.end(),
                       [](char a, char b) { return Fold(a) == b; }) != haystack.end();
}

}  // namespace

ListWalk WalkTable(Data4* table, Tag4* tag, bool liveOnly, std::int32_t wanted) {
    return Walk(table, tag, wanted, [&] { return !liveOnly || !d4deleted(table); });
}

ListWalk WalkRecordList(RecordTable which, std::int32_t defaultFolder, std::int32_t wanted) {
    const bool expenses = which == RecordTable::Expenses;
    Field4* folder = expenses ? cbk::ExpFolNoField : cbk::IncFolNoField;
    Field4* archive = expenses ? cbk::ExpArchiveField : cbk::IncArchiveField;
    return Walk(expenses ? cbk::Expenses : cbk::Income, expenses ? cbk::EDateTag : cbk::IncDateTag,
                wanted, [&] {
                    return (defaultFolder == -1 || f4int(folder) == defaultFolder) &&
                           f4true(archive) != 1;
                });
}

bool FindRequest::empty() const {
    return Trimmed(text).empty() && from.empty() && through.empty();
}

ListRows FindRows(RecordTable which, const ListRows& rows, const FindRequest& find) {
    const FindFields f = FieldsOf(which);
    auto begin = rows.begin();
    auto end = rows.end();
    // The rows are in date order: the range is a run of them.
    if (!find.from.empty())
        begin = std::partition_point(begin, end, [&](std::uint32_t n) {
            return d4go(f.table, long(n)) == 0 && f4str(f.date) < find.from;
        });
    if (!find.through.empty())
        end = std::partition_point(begin, end, [&](std::uint32_t n) {
            return d4go(f.table, long(n)) == 0 && f4str(f.date) <= find.through;
        });

    const std::string needle = Folded(find.text);
    if (needle.empty()) return ListRows(begin, end);
    // Fields that cannot hold the text are not read: a number never holds a letter.
    const std::string amountNeedle = AmountNeedle(needle);
    const bool numeric = needle.find_first_not_of("0123456789-") == std::string::npos;
    const bool amount = amountNeedle.find_first_not_of("0123456789-.") == std::string::npos;
    const auto matches = [&] {
        return Contains(f4str(f.text1), needle) || (f.text2 && Contains(f4str(f.text2), needle)) ||
               (numeric && f.number && Contains(f4str(f.number), needle)) ||
               (amount && !amountNeedle.empty() && Contains(f4str(f.amount), amountNeedle));
    };

    // The records are read in file order: in the list's order they lie scattered over the
    // table, and each would be a wait on its own.
    enum : std::uint8_t { kNo, kListed, kFound };
    const long count = d4recCount(f.table);
    std::vector<std::uint8_t> mark(std::size_t(count) + 1, kNo);
    for (auto it = begin; it != end; ++it)
        if (long(*it) <= count) mark[*it] = kListed;
    for (long n = 1; n <= count; ++n)
        if (mark[std::size_t(n)] == kListed && d4go(f.table, n) == 0 && matches())
            mark[std::size_t(n)] = kFound;
    ListRows found;
    for (auto it = begin; it != end; ++it)
        if (long(*it) <= count && mark[*it] == kFound) found.push_back(*it);
    return found;
}

bool Narrows(const FindRequest& before, const FindRequest& now) {
    const bool fromInside = before.from.empty() || (!now.from.empty() && now.from >= before.from);
    const bool throughInside =
        before.through.empty() || (!now.through.empty() && now.through <= before.through);
    return fromInside && throughInside &&
           Folded(now.text).find(Folded(before.text)) != std::string::npos;
}

}  // namespace records
