#include "records/PayeeMemory.h"

#include <algorithm>
#include <cctype>
#include <tuple>

namespace records {
namespace {

bool Earlier(const PayeeUse& a, const PayeeUse& b) {
    return std::tie(a.date, a.recNo) < std::tie(b.date, b.recNo);
}

std::string_view TrimEnd(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

}  // namespace

std::string PayeeKey(std::string_view text) {
    std::string key{TrimEnd(text)};
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

void PayeeMemory::Add(std::string_view name, const PayeeUse& use) {
    std::string key = PayeeKey(name);
    if (key.empty()) return;
    auto it = std::lower_bound(names_.begin(), names_.end(), key,
                               [](const Name& n, const std::string& k) { return n.key < k; });
    if (it == names_.end() || it->key != key) it = names_.insert(it, Name{key, {}, {}});
    auto at = std::upper_bound(it->uses.begin(), it->uses.end(), use, Earlier);
    if (at == it->uses.end()) it->shown = std::string{TrimEnd(name)};
    it->uses.insert(at, use);
}

void PayeeMemory::Remove(std::string_view name, std::uint32_t recNo) {
    const std::string key = PayeeKey(name);
    auto it = std::lower_bound(names_.begin(), names_.end(), key,
                               [](const Name& n, const std::string& k) { return n.key < k; });
    if (it == names_.end() || it->key != key) return;
    std::erase_if(it->uses, [recNo](const PayeeUse& u) { return u.recNo == recNo; });
    if (it->uses.empty()) names_.erase(it);
}

std::vector<PayeeSuggestion> PayeeMemory::Suggest(std::string_view prefix,
                                                  std::size_t limit) const {
    std::string key{prefix};
    for (char& c : key) c = char(std::tolower(static_cast<unsigned char>(c)));
    std::vector<PayeeSuggestion> found;
    if (key.empty() || limit == 0) return found;
    auto it = std::lower_bound(names_.begin(), names_.end(), key,
                               [](const Name& n, const std::string& k) { return n.key < k; });
    for (; it != names_.end() && it->key.starts_with(key); ++it)
        found.push_back({it->shown, it->uses.back()});
    auto recent = [](const PayeeSuggestion& a, const PayeeSuggestion& b) {
        return Earlier(b.last, a.last);
    };
    if (found.size() > limit) {
        std::partial_sort(found.begin(), found.begin() + std::ptrdiff_t(limit), found.end(),
                          recent);
        found.resize(limit);
    } else {
        std::sort(found.begin(), found.end(), recent);
    }
    return found;
}

}  // namespace records
