#include "data/engine/NtxFormat.h"

#include "data/engine/Errors.h"

namespace engine::ntx {

// Reads a NUL-terminated text field; false when it holds anything but printable ASCII.
bool readText(const unsigned char* p, int len, std::string& out) {
    out.clear();
    for (int i = 0; i < len; ++i) {
        if (p[i] == 0) return true;
        if (p[i] < 0x20 || p[i] > 0x7E) return false;
        out.push_back(static_cast<char>(p[i]));
    }
    return false;
}

std::string canonicalExpression(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == ' ' || c == '\t') continue;
        out.push_back(c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c);
    }
    return out;
}

void resetPage(const Geometry& g, unsigned char* d) {
    std::memset(d, 0, kPage);
    for (int i = 0; i <= g.maxItems; ++i) wr16(d + 2 + 2 * i, g.base + i * g.itemSize);
}

// Writes the fresh header page of a new index file.
void makeHeader(const NtxHeader& h, const Geometry& g, std::uint32_t root, unsigned char* d) {
    std::memset(d, 0, kPage);
    wr16(d + hSignature, 6);
    wr16(d + hVersion, 1);
    wr32(d + hRoot, root);
    wr32(d + hFree, 0);
    wr16(d + hItemSize, g.itemSize);
    wr16(d + hKeySize, g.keySize);
    wr16(d + hKeyDec, h.keyDecimals);
    wr16(d + hMaxItems, g.maxItems);
    wr16(d + hHalfPage, g.maxItems / 2);
    std::string expr = canonicalExpression(h.expression);
    std::memcpy(d + hExpression, expr.data(), expr.size());
    d[hUnique] = h.unique ? 1 : 0;
    d[hDescending] = h.descending ? 1 : 0;
    std::memcpy(d + hFilter, h.filter.data(), h.filter.size());
    std::memcpy(d + hTagName, h.tagName.data(), h.tagName.size());
}

int validateNewHeader(const NtxHeader& h) {
    if (h.keySize < 1 || h.keySize > 256 || h.keyDecimals < 0 || h.keyDecimals > 255) return e4parm;
    std::string expr = canonicalExpression(h.expression);
    if (expr.empty() || expr.size() >= static_cast<std::size_t>(kTextLen)) return e4expr;
    if (h.filter.size() >= static_cast<std::size_t>(kTextLen)) return e4expr;
    if (h.tagName.size() > 10) return e4tagName;
    return 0;
}

std::string directoryOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

}  // namespace engine::ntx
