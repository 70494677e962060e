#include "records/PayeeMemory.h"

#include <algorithm>
#include <tuple>

#include "data/Database.h"
#include "data/TableSession.h"

namespace records {
namespace {

using namespace engine;

bool Later(const PayeeUse& a, const PayeeUse& b) {
    return std::tie(a.date, a.recNo) > std::tie(b.date, b.recNo);
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The lower case of a letter Windows-1252 can store; any other code point is itself.
char32_t Lower(char32_t c) {
    if (c >= U'A' && c <= U'Z') return c + 0x20;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 0x20;
    switch (c) {
        case 0x152:  // OE
        case 0x160:  // S caron
        case 0x17D:  // Z caron
            return c + 1;
        case 0x178:  // Y diaeresis
            return 0xFF;
        default:
            return c;
    }
}

void PutUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
}

// A stored date "CCYYMMDD" as a number; blank or damaged: 0, older than any date.
std::int32_t DateNumber(std::string_view text) {
    if (text.size() != 8) return 0;
    std::int32_t n = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    return n;
}

}  // namespace

// Folds `text` into `out`, which keeps its room from one record to the next.
void FoldInto(std::string_view text, std::string& out) {
    text = Trim(text);
    out.clear();
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            out += char(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
            ++i;
            continue;
        }
        // Two-byte sequences hold every Latin-1 letter the tables can store and the few that
        // Windows-1252 adds; anything else is copied as it stands.
        if ((b & 0xE0) == 0xC0 && i + 1 < text.size()) {
            PutUtf8(Lower(char32_t((b & 0x1F) << 6 | (text[i + 1] & 0x3F))), out);
            i += 2;
        } else {
            out += text[i++];
        }
    }
}

std::string FoldPayee(std::string_view text) {
    std::string out;
    FoldInto(text, out);
    return out;
}

void PayeeMemory::Note(Name& name, std::string_view shown, const PayeeUse& use) {
    ++name.records;
    auto end = name.uses.begin() + std::ptrdiff_t(name.kept);
    auto at =
        std::find_if(name.uses.begin(), end, [&](const PayeeUse& u) { return Later(use, u); });
    if (at == end && name.kept == kKept) return;  // older than every use kept
    if (at == name.uses.begin()) name.shown = std::string(shown);
    std::move_backward(at, name.uses.end() - 1, name.uses.end());
    *at = use;
    name.kept = std::min(name.kept + 1, kKept);
}

void PayeeMemory::SortKeys() {
    sorted_.clear();
    sorted_.reserve(names_.size());
    for (const auto& [key, name] : names_) sorted_.push_back(&key);
    std::sort(sorted_.begin(), sorted_.end(),
              [](const std::string* a, const std::string* b) { return *a < *b; });
}

void PayeeMemory::Add(std::string_view name, const PayeeUse& use) {
    std::string key = FoldPayee(name);
    if (key.empty()) return;
    auto [it, added] = names_.try_emplace(std::move(key));
    Note(it->second, Trim(name), use);
    if (!added) return;
    const auto at =
        std::lower_bound(sorted_.begin(), sorted_.end(), &it->first,
                         [](const std::string* a, const std::string* b) { return *a < *b; });
    sorted_.insert(at, &it->first);
}

void PayeeMemory::Remove(std::string_view name, std::uint32_t recNo) {
    const auto it = names_.find(FoldPayee(name));
    if (it == names_.end()) return;
    Name& n = it->second;
    if (--n.records <= 0) {
        const auto at =
            std::lower_bound(sorted_.begin(), sorted_.end(), &it->first,
                             [](const std::string* a, const std::string* b) { return *a < *b; });
        if (at != sorted_.end() && *at == &it->first) sorted_.erase(at);
        names_.erase(it);
        return;
    }
    const auto end = n.uses.begin() + std::ptrdiff_t(n.kept);
    const auto gone =
        std::find_if(n.uses.begin(), end, [&](const PayeeUse& u) { return u.recNo == recNo; });
    if (gone == end) return;
    std::move(gone + 1, end, gone);
    --n.kept;
}

std::vector<PayeeSuggestion> PayeeMemory::Suggest(std::string_view typed, std::size_t limit) const {
    std::vector<PayeeSuggestion> found;
    while (!typed.empty() && (typed.front() == ' ' || typed.front() == '\t'))
        typed.remove_prefix(1);
    if (typed.empty() || limit == 0) return found;
    // Blanks typed after a word count: "Shell " is not "Shellac".
    std::string prefix = FoldPayee(typed);
    prefix.append(typed.size() - typed.find_last_not_of(" \t") - 1, ' ');
    auto it = std::lower_bound(sorted_.begin(), sorted_.end(), prefix,
                               [](const std::string* a, const std::string& p) { return *a < p; });
    std::vector<const Name*> matches;
    for (; it != sorted_.end() && (*it)->starts_with(prefix); ++it)
        matches.push_back(&names_.find(**it)->second);
    const auto recent = [](const Name* a, const Name* b) {
        if (a->kept == 0 || b->kept == 0) return a->kept > b->kept;
        return Later(a->uses[0], b->uses[0]);
    };
    const std::size_t n = std::min(limit, matches.size());
    std::partial_sort(matches.begin(), matches.begin() + std::ptrdiff_t(n), matches.end(), recent);
    for (std::size_t i = 0; i < n; ++i) {
        const Name& m = *matches[i];
        found.push_back({m.shown, m.kept > 0, m.kept > 0 ? m.uses[0] : PayeeUse{}});
    }
    return found;
}

PayeeMemory ReadPayeeMemory(RecordTable which) {
    const bool expenses = which == RecordTable::Expenses;
    Data4* table = expenses ? cbk::Expenses : cbk::Income;
    Field4* text = expenses ? cbk::PayToField : cbk::IncDescField;
    Field4* date = expenses ? cbk::ExpDateField : cbk::IncDateField;
    Field4* acc = expenses ? cbk::ExpAccNoField : cbk::IncAccField;
    Field4* fol = expenses ? cbk::ExpFolNoField : cbk::IncFolNoField;
    Field4* amount = expenses ? cbk::AmountField : cbk::IncAmtField;

    PayeeMemory memory;
    std::string scratch;
    std::string dateScratch;
    std::string key;
    const long count = d4recCount(table);
    for (long n = 1; n <= count; ++n) {
        if (d4go(table, n) != 0) break;
        if (d4deleted(table)) continue;
        const std::string_view name = Trim(f4strView(text, scratch));
        if (name.empty()) continue;
        FoldInto(name, key);
        auto it = memory.names_.find(key);
        if (it == memory.names_.end()) it = memory.names_.try_emplace(key).first;
        PayeeMemory::Name& entry = it->second;
        PayeeUse use{DateNumber(f4strView(date, dateScratch)), std::uint32_t(n), 0, 0, 0.0};
        // Most records are older than the latest uses kept: counted, their numbers not read.
        if (entry.kept == PayeeMemory::kKept && !Later(use, entry.uses.back())) {
            ++entry.records;
            continue;
        }
        use.accNo = f4int(acc);
        use.folNo = f4int(fol);
        use.amount = f4double(amount);
        memory.Note(entry, name, use);
    }
    cbk::TakeEngineError();  // a record that cannot be read is one name less, not a failure
    memory.SortKeys();
    return memory;
}

}  // namespace records
