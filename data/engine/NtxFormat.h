#pragma once

// The .ntx file format as Clipper and Harbour lay it out: the header page and its field
// offsets, the item layout of a 1024-byte page (a count, max+1 slot offsets, items of child
// page, record number and key), the byte order of keys, and the page cache's look-up table.
// Shared by the index (Ntx*.cpp) and its bulk builder; nothing here touches a file.

#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "data/engine/Ntx.h"

namespace engine::ntx {

inline constexpr std::uint32_t kPage = 1024;
// No sound tree over 2^32 entries is this deep; a deeper descent means a damaged file.
inline constexpr std::size_t kMaxDepth = 48;
// Pages kept in memory per index: enough for the upper levels and the hot leaves.
inline constexpr std::size_t kCachePages = 4096;

// Header field offsets.
inline constexpr int hSignature = 0;
inline constexpr int hVersion = 2;
inline constexpr int hRoot = 4;
inline constexpr int hFree = 8;
inline constexpr int hItemSize = 12;
inline constexpr int hKeySize = 14;
inline constexpr int hKeyDec = 16;
inline constexpr int hMaxItems = 18;
inline constexpr int hHalfPage = 20;
inline constexpr int hExpression = 22;
inline constexpr int hUnique = 278;
inline constexpr int hDescending = 280;
inline constexpr int hFilter = 282;
inline constexpr int hTagName = 538;
inline constexpr int kTextLen = 256;
inline constexpr int kTagLen = 12;

inline std::uint16_t rd16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
inline std::uint32_t rd32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
inline void wr16(unsigned char* p, unsigned v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
inline void wr32(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

// Unsigned byte order, eight bytes at a time: the compare in every binary search of a page.
inline int compareBytes(const unsigned char* a, const unsigned char* b, std::size_t len) {
    while (len >= 8) {
        std::uint64_t x, y;
        std::memcpy(&x, a, 8);
        std::memcpy(&y, b, 8);
        if (x != y) {
            if constexpr (std::endian::native == std::endian::little) {
                x = __builtin_bswap64(x);
                y = __builtin_bswap64(y);
            }
            return x < y ? -1 : 1;
        }
        a += 8;
        b += 8;
        len -= 8;
    }
    for (; len > 0; ++a, ++b, --len)
        if (*a != *b) return *a < *b ? -1 : 1;
    return 0;
}

// Items per page as Clipper and Harbour lay them out: the count, max+1 slot offsets and
// max+1 items of key+8 bytes must fit in a page; an odd count above 2 is made even.
inline int maxItemsFor(int keySize) {
    int m = 1022 / (keySize + 10) - 1;
    if (m > 2 && (m & 1)) --m;
    return m;
}

struct Geometry {
    int keySize = 0;
    int itemSize = 0;
    int maxItems = 0;
    int base = 0;  // offset of item 0 in a page laid out afresh
};

inline Geometry geometryFor(int keySize, int maxItems) {
    Geometry g;
    g.keySize = keySize;
    g.itemSize = keySize + 8;
    g.maxItems = maxItems;
    g.base = 2 * (maxItems + 2);
    return g;
}

// A page kept in memory in its fresh layout: slot i at base + i*itemSize, so that items
// can be shifted with memmove. Pages read from disk are brought into this layout.
struct Frame {
    std::uint32_t offset = 0;
    bool inUse = false;
    bool dirty = false;
    bool referenced = false;
    std::array<unsigned char, kPage> data{};
};

struct Level {
    std::uint32_t page;
    int index;
};

// The cached pages by file offset: open addressing with linear probing, so that a look-up,
// made several times for every move of a cursor, is a multiply and a probe or two. Offset 0
// (the header) is never cached and marks an empty slot.
class PageMap {
public:
    Frame* find(std::uint32_t off) const {
        if (slots_.empty()) return nullptr;
        for (std::size_t i = home(off);; i = (i + 1) & mask_) {
            if (slots_[i].off == off) return slots_[i].frame;
            if (slots_[i].off == 0) return nullptr;
        }
    }

    // `off` must not be present.
    void insert(std::uint32_t off, Frame* frame) {
        if ((size_ + 1) * 2 > slots_.size()) grow();
        std::size_t i = home(off);
        while (slots_[i].off != 0) i = (i + 1) & mask_;
        slots_[i] = {off, frame};
        ++size_;
    }

    void erase(std::uint32_t off) {
        if (slots_.empty()) return;
        std::size_t i = home(off);
        while (slots_[i].off != off) {
            if (slots_[i].off == 0) return;
            i = (i + 1) & mask_;
        }
        // Backward shift: later entries of the run move into the hole when their home allows.
        for (std::size_t j = (i + 1) & mask_; slots_[j].off != 0; j = (j + 1) & mask_) {
            const std::size_t h = home(slots_[j].off);
            if (((j - h) & mask_) >= ((j - i) & mask_)) {
                slots_[i] = slots_[j];
                i = j;
            }
        }
        slots_[i] = {};
        --size_;
    }

    std::size_t size() const { return size_; }

private:
    struct Slot {
        std::uint32_t off = 0;
        Frame* frame = nullptr;
    };

    std::size_t home(std::uint32_t off) const {
        return static_cast<std::size_t>((off / kPage) * 0x9E3779B97F4A7C15ull >> 32) & mask_;
    }

    void grow() {
        std::vector<Slot> old = std::move(slots_);
        slots_.assign(old.empty() ? 64 : old.size() * 2, Slot{});
        mask_ = slots_.size() - 1;
        size_ = 0;
        for (const Slot& s : old)
            if (s.off != 0) insert(s.off, s.frame);
    }

    std::vector<Slot> slots_;
    std::size_t mask_ = 0;
    std::size_t size_ = 0;
};

// Reads a NUL-terminated text field; false when it holds anything but printable ASCII.
bool readText(const unsigned char* p, int len, std::string& out);
std::string canonicalExpression(const std::string& text);
void resetPage(const Geometry& g, unsigned char* d);
// Writes the fresh header page of a new index file.
void makeHeader(const NtxHeader& h, const Geometry& g, std::uint32_t root, unsigned char* d);
int validateNewHeader(const NtxHeader& h);
std::string directoryOf(const std::string& path);

}  // namespace engine::ntx
