#include "data/engine/Ntx.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <vector>

#include "data/engine/Errors.h"

namespace engine {

namespace {

constexpr std::uint32_t kPage = 1024;
// No sound tree over 2^32 entries is this deep; a deeper descent means a damaged file.
constexpr std::size_t kMaxDepth = 48;
// Pages kept in memory per index: enough for the upper levels and the hot leaves.
constexpr std::size_t kCachePages = 4096;

// Header field offsets.
constexpr int hSignature = 0;
constexpr int hVersion = 2;
constexpr int hRoot = 4;
constexpr int hFree = 8;
constexpr int hItemSize = 12;
constexpr int hKeySize = 14;
constexpr int hKeyDec = 16;
constexpr int hMaxItems = 18;
constexpr int hHalfPage = 20;
constexpr int hExpression = 22;
constexpr int hUnique = 278;
constexpr int hDescending = 280;
constexpr int hFilter = 282;
constexpr int hTagName = 538;
constexpr int kTextLen = 256;
constexpr int kTagLen = 12;

std::uint16_t rd16(const unsigned char* p) {
    return static_cast<std::uint16_t>(p[0] | p[1] << 8);
}
std::uint32_t rd32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
void wr16(unsigned char* p, unsigned v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
}
void wr32(unsigned char* p, std::uint32_t v) {
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
int maxItemsFor(int keySize) {
    int m = 1022 / (keySize + 10) - 1;
    if (m > 2 && (m & 1)) --m;
    return m;
}

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

struct Geometry {
    int keySize = 0;
    int itemSize = 0;
    int maxItems = 0;
    int base = 0;  // offset of item 0 in a page laid out afresh
};

Geometry geometryFor(int keySize, int maxItems) {
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

}  // namespace

struct Ntx::Impl {
    Impl(FileSystem& f, std::string p, bool ro) : fs(f), path(std::move(p)), readOnly(ro) {}

    FileSystem& fs;
    std::string path;
    bool readOnly;
    std::unique_ptr<File> file;

    NtxHeader hdr;
    Geometry geo;
    std::array<unsigned char, kPage> rawHeader{};
    std::uint16_t version = 0;
    std::uint32_t root = 0;
    std::uint32_t freeHead = 0;
    std::uint64_t pageCount = 0;  // pages in the file, header included
    int minKeys = 1;
    bool descending = false;
    bool headerDirty = false;
    bool unsynced = false;  // written since the last sync

    // Page cache.
    std::vector<std::unique_ptr<Frame>> frames;
    std::vector<Frame*> spare;
    PageMap map;
    std::size_t hand = 0;
    std::size_t capacity = kCachePages;
    const char* view = nullptr;  // read-only mapping of the file, when offered
    std::uint64_t viewLength = 0;
    bool remapWanted = false;

    // Cursor.
    enum class Pos { None, On, Eof, Bof };
    std::vector<Level> cursor;
    Pos pos = Pos::None;
    std::string curKey;
    std::uint32_t curRec = 0;
    std::uint64_t treeVersion = 0;
    std::uint64_t cursorVersion = 0;
    // Operations begun (each begins with trim()); a page taken during one stays in memory
    // until the next. The current entry's page, taken during operation `stepOp`.
    std::uint64_t opCount = 0;
    const unsigned char* stepFrame = nullptr;
    std::uint64_t stepOp = 0;

    std::vector<Level> opPath;
    std::vector<unsigned char> scratch;
    std::vector<unsigned char> carry;

    // ---- page access -------------------------------------------------------------------

    // Reading works on a page's bytes in the fresh layout, wherever they lie: in a cached
    // frame or, for a sound page laid out so on file, in the file's view.
    int count(const unsigned char* d) const { return rd16(d); }
    const unsigned char* item(const unsigned char* d, int i) const {
        return d + geo.base + i * geo.itemSize;
    }
    std::uint32_t child(const unsigned char* d, int i) const { return rd32(item(d, i)); }
    std::uint32_t recAt(const unsigned char* d, int i) const { return rd32(item(d, i) + 4); }
    const unsigned char* keyAt(const unsigned char* d, int i) const { return item(d, i) + 8; }
    bool isBranch(const unsigned char* d) const { return child(d, 0) != 0; }

    int count(const Frame* f) const { return count(f->data.data()); }
    void setCount(Frame* f, int n) { wr16(f->data.data(), n); }
    unsigned char* item(Frame* f, int i) { return f->data.data() + geo.base + i * geo.itemSize; }
    const unsigned char* item(const Frame* f, int i) const { return item(f->data.data(), i); }
    std::uint32_t child(const Frame* f, int i) const { return child(f->data.data(), i); }
    void setChild(Frame* f, int i, std::uint32_t c) { wr32(item(f, i), c); }
    std::uint32_t recAt(const Frame* f, int i) const { return recAt(f->data.data(), i); }
    const unsigned char* keyAt(const Frame* f, int i) const { return keyAt(f->data.data(), i); }
    bool isBranch(const Frame* f) const { return isBranch(f->data.data()); }

    int keyCmp(const unsigned char* a, const void* b, std::size_t len) const {
        int c = compareBytes(a, static_cast<const unsigned char*>(b), len);
        return descending ? -c : c;
    }

    bool validOffset(std::uint32_t off) const {
        return off != 0 && off % kPage == 0 && off / kPage < pageCount;
    }

    // Checks a page read from disk: 0 when sound, with `fresh` telling whether its items
    // already lie in the fresh layout.
    int inspect(const unsigned char* raw, std::uint32_t self, bool& fresh) const {
        int n = rd16(raw);
        if (n > geo.maxItems) return e4index;
        bool branch = false;
        fresh = true;
        for (int i = 0; i <= n; ++i) {
            unsigned o = rd16(raw + 2 + 2 * i);
            if (o < 2 || o + geo.itemSize > kPage) return e4index;
            fresh = fresh && o == static_cast<unsigned>(geo.base + i * geo.itemSize);
            std::uint32_t c = rd32(raw + o);
            if (i == 0) branch = c != 0;
            if (branch ? (!validOffset(c) || c == self) : c != 0) return e4index;
        }
        return 0;
    }

    // Checks a page read from disk and brings it into the fresh layout.
    int normalize(const unsigned char* raw, Frame* f, std::uint32_t self) {
        bool fresh = true;
        if (int rc = inspect(raw, self, fresh)) return rc;
        const int n = rd16(raw);
        unsigned char* d = f->data.data();
        if (fresh) {
            std::memcpy(d, raw, geo.base + (n + 1) * geo.itemSize);
            std::memset(d + geo.base + n * geo.itemSize + 4, 0,
                        kPage - (geo.base + n * geo.itemSize + 4));
        } else {
            std::memset(d, 0, kPage);
            for (int i = 0; i <= n; ++i)
                std::memcpy(d + geo.base + i * geo.itemSize, raw + rd16(raw + 2 + 2 * i),
                            static_cast<std::size_t>(i == n ? 4 : geo.itemSize));
            setCount(f, n);
        }
        for (int i = n + 1; i <= geo.maxItems; ++i)
            wr16(d + 2 + 2 * i, geo.base + i * geo.itemSize);
        return 0;
    }

    Frame* takeFrame() {
        Frame* f;
        if (!spare.empty()) {
            f = spare.back();
            spare.pop_back();
        } else {
            frames.push_back(std::make_unique<Frame>());
            f = frames.back().get();
        }
        f->inUse = true;
        f->dirty = false;
        f->referenced = true;
        return f;
    }

    void releaseFrame(Frame* f) {
        f->inUse = false;
        spare.push_back(f);
    }

    int fetch(std::uint32_t off, Frame*& out) {
        if (!validOffset(off)) return e4index;
        if (Frame* hit = map.find(off)) {
            hit->referenced = true;
            out = hit;
            return 0;
        }
        std::array<unsigned char, kPage> buf;
        const unsigned char* raw = buf.data();
        if (view && std::uint64_t{off} + kPage <= viewLength) {
            raw = reinterpret_cast<const unsigned char*>(view) + off;
        } else {
            std::size_t got = 0;
            int err = file->read(off, buf.data(), kPage, got);
            if (err) return errnoToError(err, e4read);
            if (got != kPage) return e4index;
        }
        Frame* f = takeFrame();
        int rc = normalize(raw, f, off);
        if (rc) {
            releaseFrame(f);
            return rc;
        }
        f->offset = off;
        map.insert(off, f);
        out = f;
        return 0;
    }

    // A page for reading only: the cached frame; or, once the cache is full, the page in the
    // file's view when it is sound and in the fresh layout (random seeks in a large index then
    // neither copy pages nor push out the upper levels); or else fetched. The bytes stay valid
    // until the next operation.
    int peek(std::uint32_t off, const unsigned char*& out) {
        if (!validOffset(off)) return e4index;
        if (Frame* hit = map.find(off)) {
            hit->referenced = true;
            out = hit->data.data();
            return 0;
        }
        if (view && map.size() >= capacity && std::uint64_t{off} + kPage <= viewLength) {
            const unsigned char* raw = reinterpret_cast<const unsigned char*>(view) + off;
            bool fresh = false;
            if (int rc = inspect(raw, off, fresh)) return rc;
            if (fresh) {
                out = raw;
                return 0;
            }
        }
        Frame* f;
        int rc = fetch(off, f);
        if (rc) return rc;
        out = f->data.data();
        return 0;
    }

    int writeFrame(Frame* f) {
        int err = file->write(f->offset, f->data.data(), kPage);
        if (err) return errnoToError(err, e4write);
        unsynced = true;
        f->dirty = false;
        if (f->offset < viewLength) {
            // The mapping may not show our own writes: read through the file until remapped.
            view = nullptr;
            viewLength = 0;
            remapWanted = true;
        }
        return 0;
    }

    // Evicts pages beyond the cache's bound. Called only between operations, so that no
    // operation ever loses a page it holds.
    int trim() {
        ++opCount;
        while (map.size() > capacity) {
            Frame* f = frames[hand].get();
            hand = (hand + 1) % frames.size();
            if (!f->inUse) continue;
            if (f->referenced) {
                f->referenced = false;
                continue;
            }
            if (f->dirty) {
                int rc = writeFrame(f);
                if (rc) return rc;
            }
            map.erase(f->offset);
            releaseFrame(f);
        }
        return 0;
    }

    void remap() {
        remapWanted = false;
        std::uint64_t size = 0;
        if (file->size(size) != 0) return;
        size -= size % kPage;
        stepFrame = nullptr;  // it may lie in the view that goes
        view = size ? file->map(size) : nullptr;
        viewLength = view ? size : 0;
    }

    void touch(Frame* f) {
        f->dirty = true;
        ++treeVersion;
    }

    int allocPage(Frame*& out) {
        if (freeHead != 0) {
            Frame* f;
            int rc = fetch(freeHead, f);
            if (rc) return rc;
            if (count(f) != 0 || freeHead == root) return e4index;
            freeHead = child(f, 0);
            if (freeHead != 0 && !validOffset(freeHead)) return e4index;
            resetPage(geo, f->data.data());
            touch(f);
            headerDirty = true;
            out = f;
            return 0;
        }
        if (pageCount >= 0xFFFFFFFFull / kPage) return e4full;
        Frame* f = takeFrame();
        f->offset = static_cast<std::uint32_t>(pageCount * kPage);
        ++pageCount;
        resetPage(geo, f->data.data());
        map.insert(f->offset, f);
        touch(f);
        out = f;
        return 0;
    }

    void freePage(Frame* f) {
        resetPage(geo, f->data.data());
        setChild(f, 0, freeHead);
        freeHead = f->offset;
        headerDirty = true;
        touch(f);
    }

    // ---- item moves (pages in the fresh layout) -----------------------------------------

    // Inserts (leftChild, key, rec) as item i; the items from i on move one slot up.
    void insertItem(Frame* f, int i, std::uint32_t leftChild, const unsigned char* key,
                    std::uint32_t rec) {
        int n = count(f);
        std::memmove(item(f, i + 1), item(f, i),
                     static_cast<std::size_t>(n - i + 1) * geo.itemSize);
        unsigned char* it = item(f, i);
        wr32(it, leftChild);
        wr32(it + 4, rec);
        std::memcpy(it + 8, key, geo.keySize);
        setCount(f, n + 1);
        touch(f);
    }

    // Removes item i (its key and its left child); the items above move down.
    void removeItem(Frame* f, int i) {
        int n = count(f);
        std::memmove(item(f, i), item(f, i + 1), static_cast<std::size_t>(n - i) * geo.itemSize);
        std::memset(item(f, n), 0, geo.itemSize);
        setCount(f, n - 1);
        touch(f);
    }

    // Clears the record number and key of the rightmost item, which carries only a child.
    void clearTail(Frame* f) { std::memset(item(f, count(f)) + 4, 0, geo.itemSize - 4); }

    // ---- searching ---------------------------------------------------------------------

    struct Probe {
        const unsigned char* key;
        std::size_t len;
        bool withRec;
        std::uint32_t rec;
    };

    int compare(const unsigned char* d, int i, const Probe& p) const {
        int c = keyCmp(keyAt(d, i), p.key, p.len);
        if (c != 0 || !p.withRec) return c;
        std::uint32_t r = recAt(d, i);
        return r < p.rec ? -1 : r > p.rec ? 1 : 0;
    }
    int compare(const Frame* f, int i, const Probe& p) const {
        return compare(f->data.data(), i, p);
    }

    // First item i with compare > 0 (upper) or >= 0 (lower).
    int bound(const Frame* f, const Probe& p, bool upper) const {
        return bound(f->data.data(), p, upper);
    }
    int bound(const unsigned char* f, const Probe& p, bool upper) const {
        int lo = 0, hi = count(f);
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            int c = compare(f, mid, p);
            if (upper ? c <= 0 : c < 0)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }

    // ---- cursor walking -----------------------------------------------------------------

    int pushLeftmost(std::vector<Level>& path, std::uint32_t page) {
        for (;;) {
            if (path.size() >= kMaxDepth) return e4index;
            Frame* f;
            int rc = fetch(page, f);
            if (rc) return rc;
            path.push_back({page, 0});
            if (!isBranch(f)) return count(f) > 0 ? 1 : ascendNext(path);
            page = child(f, 0);
        }
    }

    int pushRightmost(std::vector<Level>& path, std::uint32_t page) {
        for (;;) {
            if (path.size() >= kMaxDepth) return e4index;
            Frame* f;
            int rc = fetch(page, f);
            if (rc) return rc;
            int n = count(f);
            if (!isBranch(f)) {
                path.push_back({page, n - 1});
                return n > 0 ? 1 : ascendPrev(path);
            }
            path.push_back({page, n});
            page = child(f, n);
        }
    }

    // The top level is exhausted: climbs to the first ancestor key after it. 1 when
    // positioned, 0 at the end.
    int ascendNext(std::vector<Level>& path) {
        path.pop_back();
        while (!path.empty()) {
            Frame* f;
            int rc = fetch(path.back().page, f);
            if (rc) return rc;
            if (path.back().index < count(f)) return 1;
            path.pop_back();
        }
        return 0;
    }

    int ascendPrev(std::vector<Level>& path) {
        path.pop_back();
        while (!path.empty()) {
            if (path.back().index > 0) {
                --path.back().index;
                return 1;
            }
            path.pop_back();
        }
        return 0;
    }

    // Positions `path` on the first entry not below (upper: above) the probe.
    int descend(const Probe& p, std::vector<Level>& path, bool upper) {
        path.clear();
        std::uint32_t page = root;
        for (;;) {
            if (path.size() >= kMaxDepth) return e4index;
            const unsigned char* f;
            int rc = peek(page, f);
            if (rc) return rc;
            int i = bound(f, p, upper);
            path.push_back({page, i});
            if (isBranch(f)) {
                page = child(f, i);
                continue;
            }
            if (i < count(f)) return 1;
            return ascendNext(path);
        }
    }

    // Takes the entry the cursor reached. A move (direction +1 or -1) must reach an entry
    // strictly beyond the one it left: in a damaged file whose pages are shared by several
    // parents this stops the walk at the first repeat instead of running on and on.
    int step(int found, Pos ifNone, int direction = 0) {
        if (found < 0) return found;
        if (found == 0) {
            pos = ifNone;
            cursor.clear();
            return ifNone == Pos::Bof ? r4bof : r4eof;
        }
        const unsigned char* f;
        int rc = peek(cursor.back().page, f);
        if (rc) return rc;
        if (direction != 0) {
            Probe old{reinterpret_cast<const unsigned char*>(curKey.data()), curKey.size(), true,
                      curRec};
            if (compare(f, cursor.back().index, old) * direction <= 0) {
                pos = Pos::None;
                cursor.clear();
                return e4index;
            }
        }
        curKey.assign(reinterpret_cast<const char*>(keyAt(f, cursor.back().index)), geo.keySize);
        curRec = recAt(f, cursor.back().index);
        pos = Pos::On;
        cursorVersion = treeVersion;
        stepFrame = f;
        stepOp = opCount;
        return r4success;
    }

    int moveFirst() {
        cursor.clear();
        return step(pushLeftmost(cursor, root), Pos::Eof);
    }

    int moveLast() {
        cursor.clear();
        return step(pushRightmost(cursor, root), Pos::Eof);
    }

    // A step back from the end lands on the last entry, or before the first when empty.
    int lastOrBof() {
        int rc = moveLast();
        if (rc != r4eof) return rc;
        pos = Pos::Bof;
        return r4bof;
    }

    int moveNext() {
        Level& top = cursor.back();
        Frame* f;
        int rc = fetch(top.page, f);
        if (rc) return rc;
        if (isBranch(f)) {
            ++top.index;
            return step(pushLeftmost(cursor, child(f, top.index)), Pos::Eof, 1);
        }
        if (top.index + 1 < count(f)) {
            ++top.index;
            return step(1, Pos::Eof, 1);
        }
        return step(ascendNext(cursor), Pos::Eof, 1);
    }

    int movePrev() {
        Level& top = cursor.back();
        Frame* f;
        int rc = fetch(top.page, f);
        if (rc) return rc;
        if (isBranch(f)) return step(pushRightmost(cursor, child(f, top.index)), Pos::Bof, -1);
        if (top.index > 0) {
            --top.index;
            return step(1, Pos::Bof, -1);
        }
        return step(ascendPrev(cursor), Pos::Bof, -1);
    }

    // After a change of the tree the cursor's pages may have moved: find the current entry
    // again. Returns 1 when back on it, 0 when it is gone and the cursor stands on the entry
    // after it, r4eof when nothing follows.
    int resync() {
        Probe p{reinterpret_cast<const unsigned char*>(curKey.data()), curKey.size(), true, curRec};
        int found = descend(p, cursor, false);
        if (found < 0) return found;
        if (found == 0) {
            pos = Pos::Eof;
            cursor.clear();
            return r4eof;
        }
        Frame* f;
        int rc = fetch(cursor.back().page, f);
        if (rc) return rc;
        bool same = compare(f, cursor.back().index, p) == 0;
        rc = step(1, Pos::Eof);
        if (rc) return rc;
        return same ? 1 : 0;
    }

    // ---- changes ------------------------------------------------------------------------

    int insertEntry(const unsigned char* key, std::uint32_t rec) {
        Probe p{key, static_cast<std::size_t>(geo.keySize), true, rec};
        if (hdr.unique) {
            Probe k{key, p.len, false, 0};
            int found = descend(k, opPath, false);
            if (found < 0) return found;
            if (found == 1) {
                Frame* f;
                int rc = fetch(opPath.back().page, f);
                if (rc) return rc;
                if (compare(f, opPath.back().index, k) == 0) return 0;
            }
        }
        // Down to the leaf, remembering the way.
        opPath.clear();
        std::uint32_t page = root;
        for (;;) {
            if (opPath.size() >= kMaxDepth) return e4index;
            Frame* f;
            int rc = fetch(page, f);
            if (rc) return rc;
            int i = bound(f, p, true);
            if (i > 0 && compare(f, i - 1, p) == 0) return e4info;  // already there
            opPath.push_back({page, i});
            if (!isBranch(f)) break;
            page = child(f, i);
        }
        // Insert, splitting full pages on the way back up.
        std::vector<unsigned char>& carryKey = carry;
        carryKey.assign(key, key + geo.keySize);
        std::uint32_t carryRec = rec;
        std::uint32_t carryRight = 0;
        for (std::size_t lv = opPath.size(); lv-- > 0;) {
            Frame* f;
            int rc = fetch(opPath[lv].page, f);
            if (rc) return rc;
            int i = opPath[lv].index;
            if (count(f) < geo.maxItems) {
                insertItem(f, i, child(f, i), carryKey.data(), carryRec);
                setChild(f, i + 1, carryRight);
                return 0;
            }
            rc = split(f, i, carryKey, carryRec, carryRight);
            if (rc) return rc;
            if (lv == 0) return newRoot(f->offset, carryKey, carryRec, carryRight);
        }
        return 0;
    }

    // Inserts into a full page by splitting it: the lower half stays in `f`, the upper half
    // goes to a new page, and the middle entry is handed back in carry* for the parent.
    int split(Frame* f, int i, std::vector<unsigned char>& carryKey, std::uint32_t& carryRec,
              std::uint32_t& carryRight) {
        Frame* right;
        int rc = allocPage(right);
        if (rc) return rc;
        const int n = count(f);  // == maxItems
        const std::size_t is = geo.itemSize;
        // Lay out all n+1 keys and the tail in the scratch buffer.
        scratch.resize((n + 2) * is);
        unsigned char* s = scratch.data();
        std::memcpy(s, item(f, 0), i * is);
        unsigned char* it = s + i * is;
        wr32(it, child(f, i));
        wr32(it + 4, carryRec);
        std::memcpy(it + 8, carryKey.data(), geo.keySize);
        std::memcpy(s + (i + 1) * is, item(f, i), (n - i + 1) * is);
        wr32(s + (i + 1) * is, carryRight);
        const int total = n + 1;
        const int left = total / 2;
        // Left page: keys 0..left-1, tail = child of the middle item.
        unsigned char* d = f->data.data();
        std::memset(d + geo.base, 0, kPage - geo.base);
        std::memcpy(item(f, 0), s, (left + 1) * is);
        setCount(f, left);
        clearTail(f);
        touch(f);
        // Middle entry goes up.
        unsigned char* mid = s + left * is;
        carryRec = rd32(mid + 4);
        std::memcpy(carryKey.data(), mid + 8, geo.keySize);
        carryRight = right->offset;
        // Right page: keys left+1..total-1 and the tail.
        std::memcpy(item(right, 0), s + (left + 1) * is, (total - left) * is);
        setCount(right, total - left - 1);
        return 0;
    }

    int newRoot(std::uint32_t left, const std::vector<unsigned char>& key, std::uint32_t rec,
                std::uint32_t right) {
        Frame* r;
        int rc = allocPage(r);
        if (rc) return rc;
        unsigned char* it = item(r, 0);
        wr32(it, left);
        wr32(it + 4, rec);
        std::memcpy(it + 8, key.data(), geo.keySize);
        setChild(r, 1, right);
        setCount(r, 1);
        root = r->offset;
        headerDirty = true;
        return 0;
    }

    int eraseEntry(const unsigned char* key, std::uint32_t rec) {
        Probe p{key, static_cast<std::size_t>(geo.keySize), true, rec};
        opPath.clear();
        std::uint32_t page = root;
        Frame* f;
        int at;
        for (;;) {
            if (opPath.size() >= kMaxDepth) return e4index;
            int rc = fetch(page, f);
            if (rc) return rc;
            at = bound(f, p, false);
            opPath.push_back({page, at});
            if (at < count(f) && compare(f, at, p) == 0) break;
            if (!isBranch(f)) return e4index;
            page = child(f, at);
        }
        if (isBranch(f)) {
            // Replace the entry by its predecessor, the last entry of its left subtree.
            Frame* leaf;
            std::uint32_t down = child(f, at);
            for (;;) {
                if (opPath.size() >= kMaxDepth) return e4index;
                int rc = fetch(down, leaf);
                if (rc) return rc;
                int n = count(leaf);
                opPath.push_back({down, n});
                if (!isBranch(leaf)) break;
                down = child(leaf, n);
            }
            int last = count(leaf) - 1;
            if (last < 0) return e4index;  // an empty leaf inside the tree: damaged
            unsigned char* dst = item(f, at);
            std::memcpy(dst + 4, item(leaf, last) + 4, geo.itemSize - 4);
            touch(f);
            removeItem(leaf, last);
        } else {
            removeItem(f, at);
        }
        return rebalance();
    }

    // Restores the fill of the pages on opPath from the bottom up after a removal.
    int rebalance() {
        for (std::size_t lv = opPath.size(); lv-- > 1;) {
            Frame* x;
            int rc = fetch(opPath[lv].page, x);
            if (rc) return rc;
            if (count(x) >= minKeys) return 0;
            Frame* parent;
            rc = fetch(opPath[lv - 1].page, parent);
            if (rc) return rc;
            int i = opPath[lv - 1].index;
            int pn = count(parent);
            Frame* left = nullptr;
            Frame* right = nullptr;
            if (i > 0 && (rc = fetch(child(parent, i - 1), left))) return rc;
            if (i < pn && (rc = fetch(child(parent, i + 1), right))) return rc;
            if (left && count(left) > minKeys) {
                // Rotate right: the separator comes down in front of x, left's last key up.
                int ln = count(left);
                insertItem(x, 0, child(left, ln), keyAt(parent, i - 1), recAt(parent, i - 1));
                std::memcpy(item(parent, i - 1) + 4, item(left, ln - 1) + 4, geo.itemSize - 4);
                touch(parent);
                setChild(left, ln, child(left, ln - 1));
                removeItem(left, ln - 1);
                clearTail(left);
                return 0;
            }
            if (right && count(right) > minKeys) {
                // Rotate left: the separator goes to x's end, right's first key up.
                int xn = count(x);
                insertItem(x, xn, child(x, xn), keyAt(parent, i), recAt(parent, i));
                setChild(x, xn + 1, child(right, 0));
                std::memcpy(item(parent, i) + 4, item(right, 0) + 4, geo.itemSize - 4);
                touch(parent);
                removeItem(right, 0);
                return 0;
            }
            if (left) {
                merge(parent, i - 1, left, x);
            } else if (right) {
                merge(parent, i, x, right);
            } else {
                return e4index;  // a branch with a single child: damaged
            }
        }
        // The root may have lost its last key.
        Frame* r;
        int rc = fetch(root, r);
        if (rc) return rc;
        if (count(r) == 0 && isBranch(r)) {
            std::uint32_t only = child(r, 0);
            freePage(r);
            root = only;
            headerDirty = true;
        }
        return 0;
    }

    // Joins `b` into `a` around the parent's separator k, and frees `b`.
    void merge(Frame* parent, int k, Frame* a, Frame* b) {
        int an = count(a), bn = count(b);
        unsigned char* it = item(a, an);
        wr32(it + 4, recAt(parent, k));
        std::memcpy(it + 8, keyAt(parent, k), geo.keySize);
        std::memcpy(item(a, an + 1), item(b, 0), static_cast<std::size_t>(bn + 1) * geo.itemSize);
        setCount(a, an + 1 + bn);
        touch(a);
        setChild(parent, k + 1, a->offset);
        removeItem(parent, k);
        freePage(b);
    }

    // ---- header and flush ---------------------------------------------------------------

    int parseHeader(std::uint64_t fileSize) {
        const unsigned char* h = rawHeader.data();
        int sig = rd16(h + hSignature);
        if (sig != 3 && sig != 6 && sig != 7) return e4index;
        int itemSize = rd16(h + hItemSize);
        int keySize = rd16(h + hKeySize);
        int maxItems = rd16(h + hMaxItems);
        if (keySize < 1 || keySize > 256 || itemSize != keySize + 8) return e4index;
        if (maxItems < 2 || 2 + (maxItems + 1) * (keySize + 10) > static_cast<int>(kPage))
            return e4index;
        geo = geometryFor(keySize, maxItems);
        minKeys = std::max(1, maxItems / 2);
        version = rd16(h + hVersion);
        root = rd32(h + hRoot);
        freeHead = rd32(h + hFree);
        pageCount = fileSize / kPage;
        if (!validOffset(root)) return e4index;
        if (freeHead != 0 && !validOffset(freeHead)) return e4index;
        hdr.keySize = keySize;
        hdr.keyDecimals = rd16(h + hKeyDec);
        hdr.unique = h[hUnique] != 0;
        hdr.descending = h[hDescending] != 0;
        descending = hdr.descending;
        if (!readText(h + hExpression, kTextLen, hdr.expression) || hdr.expression.empty())
            return e4index;
        if (!readText(h + hFilter, kTextLen, hdr.filter)) hdr.filter.clear();
        if (!readText(h + hTagName, kTagLen, hdr.tagName)) hdr.tagName.clear();
        return 0;
    }

    int flush() {
        if (readOnly) return 0;
        if (!headerDirty && std::none_of(frames.begin(), frames.end(),
                                         [](const auto& f) { return f->inUse && f->dirty; }))
            return 0;
        std::vector<Frame*> dirty;
        for (auto& f : frames)
            if (f->inUse && f->dirty) dirty.push_back(f.get());
        std::sort(dirty.begin(), dirty.end(),
                  [](const Frame* a, const Frame* b) { return a->offset < b->offset; });
        for (Frame* f : dirty) {
            int rc = writeFrame(f);
            if (rc) return rc;
        }
        ++version;
        wr16(rawHeader.data() + hVersion, version);
        wr32(rawHeader.data() + hRoot, root);
        wr32(rawHeader.data() + hFree, freeHead);
        int err = file->write(0, rawHeader.data(), kPage);
        if (err) return errnoToError(err, e4write);
        unsynced = true;
        headerDirty = false;
        if (remapWanted) remap();
        return 0;
    }

    // ---- structural check ---------------------------------------------------------------

    int check(std::string* report, std::uint64_t* entries) {
        std::string msg;
        auto fail = [&](const std::string& m) {
            if (report) *report = m;
            return e4index;
        };
        std::vector<bool> seen(pageCount, false);
        struct Walk {
            std::uint32_t page;
            int next;
            int depth;
        };
        std::vector<Walk> stack;
        stack.push_back({root, 0, 0});
        seen[root / kPage] = true;
        std::vector<unsigned char> lastKey;
        std::uint32_t lastRec = 0;
        bool haveLast = false;
        std::uint64_t n = 0;
        int leafDepth = -1;
        auto visit = [&](const Frame* f, int i) {
            const unsigned char* k = keyAt(f, i);
            std::uint32_t r = recAt(f, i);
            if (haveLast) {
                int c = keyCmp(lastKey.data(), k, geo.keySize);
                if (c > 0 || (c == 0 && lastRec >= r)) return false;
            }
            lastKey.assign(k, k + geo.keySize);
            lastRec = r;
            haveLast = true;
            ++n;
            return true;
        };
        while (!stack.empty()) {
            int rc = trim();
            if (rc) return rc;
            Walk& w = stack.back();
            Frame* f;
            rc = fetch(w.page, f);
            if (rc) return fail("page " + std::to_string(w.page) + " is damaged");
            int cnt = count(f);
            if (w.next == 0 && w.depth > 0 && cnt == 0)
                return fail("page " + std::to_string(w.page) + " is empty");
            if (!isBranch(f)) {
                if (leafDepth < 0) leafDepth = w.depth;
                if (leafDepth != w.depth)
                    return fail("leaf " + std::to_string(w.page) + " at another depth");
                for (int i = 0; i < cnt; ++i)
                    if (!visit(f, i))
                        return fail("key out of order in page " + std::to_string(w.page));
                stack.pop_back();
                continue;
            }
            if (w.next > cnt) {
                stack.pop_back();
                continue;
            }
            if (w.next > 0 && !visit(f, w.next - 1))
                return fail("key out of order in page " + std::to_string(w.page));
            std::uint32_t c = child(f, w.next);
            ++w.next;
            if (seen[c / kPage]) return fail("page " + std::to_string(c) + " reached twice");
            if (w.depth + 1 >= static_cast<int>(kMaxDepth)) return fail("tree too deep");
            seen[c / kPage] = true;
            stack.push_back({c, 0, w.depth + 1});
        }
        // The free list: pages outside the tree, each once.
        std::uint32_t fp = freeHead;
        for (std::uint64_t steps = 0; fp != 0; ++steps) {
            if (steps >= pageCount || !validOffset(fp) || seen[fp / kPage])
                return fail("free page list is damaged");
            seen[fp / kPage] = true;
            Frame* f;
            int rc = fetch(fp, f);
            if (rc || count(f) != 0) return fail("free page list is damaged");
            fp = child(f, 0);
        }
        if (entries) *entries = n;
        if (report) report->clear();
        return trim();
    }
};

// ---- Ntx --------------------------------------------------------------------------------

Ntx::Ntx(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Ntx::Ntx(Passkey, std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Ntx::~Ntx() {
    if (impl_) impl_->flush();
}

int Ntx::open(FileSystem& fs, const std::string& path, bool readOnly, std::unique_ptr<Ntx>& out) {
    auto impl = std::make_unique<Impl>(fs, path, readOnly);
    int err = fs.open(path, readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite, impl->file);
    if (err) return errnoToError(err, e4open);
    std::uint64_t size = 0;
    err = impl->file->size(size);
    if (err) return errnoToError(err, e4read);
    std::size_t got = 0;
    err = impl->file->read(0, impl->rawHeader.data(), kPage, got);
    if (err) return errnoToError(err, e4read);
    if (got != kPage) return e4index;
    int rc = impl->parseHeader(size);
    if (rc) return rc;
    impl->remap();
    Frame* f;
    rc = impl->fetch(impl->root, f);
    if (rc) return rc;
    out = std::make_unique<Ntx>(Passkey{}, std::move(impl));
    return 0;
}

int Ntx::readHeader(FileSystem& fs, const std::string& path, NtxHeader& out) {
    Impl m(fs, path, true);
    int err = fs.open(path, OpenMode::ReadOnly, m.file);
    if (err) return errnoToError(err, e4open);
    std::size_t got = 0;
    err = m.file->read(0, m.rawHeader.data(), kPage, got);
    if (err) return errnoToError(err, e4read);
    if (got != kPage) return e4index;
    // As if the file reached as far as a page offset can: the tree is not looked at.
    int rc = m.parseHeader(std::uint64_t{UINT32_MAX} + 1);
    if (rc) return rc;
    out = m.hdr;
    return 0;
}

const NtxHeader& Ntx::header() const {
    return impl_->hdr;
}

int Ntx::insert(std::string_view key, std::uint32_t recNo) {
    Impl& m = *impl_;
    if (m.readOnly || key.size() != static_cast<std::size_t>(m.geo.keySize)) return e4parm;
    int rc = m.trim();
    if (rc) return rc;
    return m.insertEntry(reinterpret_cast<const unsigned char*>(key.data()), recNo);
}

int Ntx::erase(std::string_view key, std::uint32_t recNo) {
    Impl& m = *impl_;
    if (m.readOnly || key.size() != static_cast<std::size_t>(m.geo.keySize)) return e4parm;
    int rc = m.trim();
    if (rc) return rc;
    return m.eraseEntry(reinterpret_cast<const unsigned char*>(key.data()), recNo);
}

int Ntx::seek(std::string_view key) {
    Impl& m = *impl_;
    int rc = m.trim();
    if (rc) return rc;
    std::size_t len = std::min(key.size(), static_cast<std::size_t>(m.geo.keySize));
    Impl::Probe p{reinterpret_cast<const unsigned char*>(key.data()), len, false, 0};
    rc = m.step(m.descend(p, m.cursor, false), Impl::Pos::Eof);
    if (rc != r4success) return rc;
    return len == 0 || std::memcmp(m.curKey.data(), key.data(), len) == 0 ? r4success : r4after;
}

int Ntx::seekEntry(std::string_view key, std::uint32_t recNo) {
    Impl& m = *impl_;
    int rc = m.trim();
    if (rc) return rc;
    std::string full(key.substr(0, m.geo.keySize));
    full.resize(m.geo.keySize, ' ');
    Impl::Probe p{reinterpret_cast<const unsigned char*>(full.data()), full.size(), true, recNo};
    rc = m.step(m.descend(p, m.cursor, false), Impl::Pos::Eof);
    if (rc != r4success) return rc;
    return m.curKey == full && m.curRec == recNo ? r4success : r4after;
}

int Ntx::first() {
    int rc = impl_->trim();
    return rc ? rc : impl_->moveFirst();
}

int Ntx::last() {
    int rc = impl_->trim();
    return rc ? rc : impl_->moveLast();
}

int Ntx::next() {
    Impl& m = *impl_;
    int rc = m.trim();
    if (rc) return rc;
    switch (m.pos) {
        case Impl::Pos::Eof:
            return r4eof;
        case Impl::Pos::Bof:
        case Impl::Pos::None:
            return m.moveFirst();
        case Impl::Pos::On:
            break;
    }
    if (m.cursorVersion != m.treeVersion) {
        rc = m.resync();
        if (rc < 0 || rc == r4eof) return rc;
        if (rc == 0) return r4success;  // the entry went; its successor is next
    }
    return m.moveNext();
}

int Ntx::prev() {
    Impl& m = *impl_;
    int rc = m.trim();
    if (rc) return rc;
    switch (m.pos) {
        case Impl::Pos::Bof:
            return r4bof;
        case Impl::Pos::Eof:
        case Impl::Pos::None:
            return m.lastOrBof();
        case Impl::Pos::On:
            break;
    }
    if (m.cursorVersion != m.treeVersion) {
        rc = m.resync();
        if (rc < 0) return rc;
        if (rc == r4eof) return m.lastOrBof();
    }
    return m.movePrev();
}

bool Ntx::atEnd() const {
    return impl_->pos != Impl::Pos::On;
}

std::uint32_t Ntx::recNo() const {
    return impl_->pos == Impl::Pos::On ? impl_->curRec : 0;
}

std::string_view Ntx::key() const {
    return impl_->pos == Impl::Pos::On ? std::string_view(impl_->curKey) : std::string_view();
}

std::uint32_t Ntx::recNoAhead(int ahead) const {
    const Impl& m = *impl_;
    if (m.pos != Impl::Pos::On || m.stepOp != m.opCount || m.stepFrame == nullptr ||
        m.cursorVersion != m.treeVersion || m.cursor.empty())
        return 0;
    const unsigned char* f = m.stepFrame;
    if (m.isBranch(f)) return 0;
    const int i = m.cursor.back().index + ahead;
    return i >= 0 && i < m.count(f) ? m.recAt(f, i) : 0;
}

int Ntx::flush() {
    return impl_->flush();
}

void Ntx::discardUnwritten() {
    for (auto& f : impl_->frames) f->dirty = false;
    impl_->headerDirty = false;
}

int Ntx::sync() {
    int rc = impl_->flush();
    if (rc || !impl_->unsynced) return rc;
    int err = impl_->file->sync();
    if (err) return errnoToError(err, e4write);
    impl_->unsynced = false;
    return 0;
}

int Ntx::check(std::string* report, std::uint64_t* entries) {
    int rc = impl_->trim();
    if (rc) return rc;
    return impl_->check(report, entries);
}

// ---- NtxBuilder -------------------------------------------------------------------------

namespace {

// In-place MSD radix sort (American flag sort) of fixed-size records compared as unsigned
// bytes; small ranges fall back to insertion sort.
class RecordSorter {
public:
    RecordSorter(unsigned char* base, std::size_t size) : base_(base), size_(size), tmp_(size) {}

    void sort(std::size_t n) { sortRange(base_, n, 0); }

private:
    unsigned char* at(unsigned char* b, std::size_t i) const { return b + i * size_; }

    void swapRecords(unsigned char* a, unsigned char* b) {
        std::memcpy(tmp_.data(), a, size_);
        std::memcpy(a, b, size_);
        std::memcpy(b, tmp_.data(), size_);
    }

    void insertionSort(unsigned char* b, std::size_t n, std::size_t depth) {
        std::size_t len = size_ - depth;
        for (std::size_t i = 1; i < n; ++i) {
            std::size_t j = i;
            if (std::memcmp(at(b, j - 1) + depth, at(b, j) + depth, len) <= 0) continue;
            std::memcpy(tmp_.data(), at(b, i), size_);
            while (j > 0 && std::memcmp(at(b, j - 1) + depth, tmp_.data() + depth, len) > 0) {
                std::memcpy(at(b, j), at(b, j - 1), size_);
                --j;
            }
            std::memcpy(at(b, j), tmp_.data(), size_);
        }
    }

    void sortRange(unsigned char* b, std::size_t n, std::size_t depth) {
        for (;;) {
            if (n < 2 || depth >= size_) return;
            if (n <= 24) {
                insertionSort(b, n, depth);
                return;
            }
            std::array<std::size_t, 256> counts{};
            for (std::size_t i = 0; i < n; ++i) ++counts[at(b, i)[depth]];
            if (counts[at(b, 0)[depth]] == n) {
                ++depth;  // every record shares this byte
                continue;
            }
            std::array<std::size_t, 256> next, end;
            std::size_t sum = 0;
            for (int v = 0; v < 256; ++v) {
                next[v] = sum;
                sum += counts[v];
                end[v] = sum;
            }
            for (int v = 0; v < 256; ++v) {
                while (next[v] < end[v]) {
                    unsigned char* r = at(b, next[v]);
                    unsigned char c = r[depth];
                    if (c == v) {
                        ++next[v];
                    } else {
                        swapRecords(r, at(b, next[c]++));
                    }
                }
            }
            std::size_t start = 0;
            for (int v = 0; v < 256; ++v) {
                if (counts[v] > 1) sortRange(at(b, start), counts[v], depth + 1);
                start += counts[v];
            }
            return;
        }
    }

    unsigned char* base_;
    std::size_t size_;
    std::vector<unsigned char> tmp_;
};

// Writes pages one after the other through a large buffer.
class PageWriter {
public:
    explicit PageWriter(File& f) : file_(f) { buf_.reserve(kBuffer); }

    std::uint32_t nextOffset() const { return static_cast<std::uint32_t>(next_ * kPage); }

    int put(const unsigned char* page) {
        buf_.insert(buf_.end(), page, page + kPage);
        ++next_;
        return buf_.size() >= kBuffer ? drain() : 0;
    }

    int drain() {
        if (buf_.empty()) return 0;
        int err = file_.write(start_ * kPage, buf_.data(), buf_.size());
        if (err) return errnoToError(err, e4write);
        start_ = next_;
        buf_.clear();
        return 0;
    }

private:
    static constexpr std::size_t kBuffer = 1 << 20;
    File& file_;
    std::vector<unsigned char> buf_;
    std::uint64_t start_ = 1;  // page 0 is the header, written last
    std::uint64_t next_ = 1;
};

}  // namespace

struct NtxBuilder::Impl {
    Impl(FileSystem& f, std::string p, NtxHeader h)
        : fs(f), path(std::move(p)), header(std::move(h)) {
        keySize = std::clamp(header.keySize, 1, 256);
        recSize = static_cast<std::size_t>(keySize) + 4;
    }

    FileSystem& fs;
    std::string path;
    NtxHeader header;
    int keySize;
    std::size_t recSize;
    std::vector<unsigned char> entries;  // key bytes then the record number, big-endian
    std::size_t count = 0;
    bool badKey = false;
    Geometry geo;
    std::vector<std::uint64_t> capacity;  // entries a subtree of height h can hold

    const unsigned char* entry(std::size_t i) const { return entries.data() + i * recSize; }

    void putItem(unsigned char* page, int slot, std::uint32_t childOff, std::size_t e) {
        unsigned char* it = page + geo.base + slot * geo.itemSize;
        wr32(it, childOff);
        const unsigned char* r = entry(e);
        wr32(it + 4, static_cast<std::uint32_t>(r[keySize]) << 24 |
                         static_cast<std::uint32_t>(r[keySize + 1]) << 16 |
                         static_cast<std::uint32_t>(r[keySize + 2]) << 8 | r[keySize + 3]);
        std::memcpy(it + 8, r, keySize);
        if (header.descending)
            for (int i = 0; i < keySize; ++i) it[8 + i] = static_cast<unsigned char>(~it[8 + i]);
    }

    // Emits the subtree of `height` over entries [first, first+n), children before parents,
    // spreading entries evenly so that every page is at least about half full.
    int build(int height, std::size_t first, std::size_t n, PageWriter& w, std::uint32_t& off) {
        std::array<unsigned char, kPage> page;
        resetPage(geo, page.data());
        if (height == 1) {
            for (std::size_t i = 0; i < n; ++i)
                putItem(page.data(), static_cast<int>(i), 0, first + i);
            wr16(page.data(), static_cast<unsigned>(n));
        } else {
            std::uint64_t cap = capacity[height - 1];
            std::size_t children = static_cast<std::size_t>((n + 1 + cap) / (cap + 1));
            std::size_t below = n - (children - 1);
            std::size_t q = below / children, extra = below % children;
            std::size_t at = first;
            for (std::size_t c = 0; c < children; ++c) {
                std::size_t cnt = q + (c < extra ? 1 : 0);
                std::uint32_t childOff;
                int rc = build(height - 1, at, cnt, w, childOff);
                if (rc) return rc;
                at += cnt;
                if (c + 1 < children) {
                    putItem(page.data(), static_cast<int>(c), childOff, at);
                    ++at;
                } else {
                    wr32(page.data() + geo.base + c * geo.itemSize, childOff);
                }
            }
            wr16(page.data(), static_cast<unsigned>(children - 1));
        }
        off = w.nextOffset();
        return w.put(page.data());
    }

    int writeFile(File& f) {
        capacity.assign(1, 0);
        int height = 1;
        for (;;) {
            std::uint64_t prev = capacity.back();
            std::uint64_t next = (prev + 1) * (static_cast<std::uint64_t>(geo.maxItems) + 1) - 1;
            capacity.push_back(next);
            if (next >= count) break;
            ++height;
        }
        PageWriter w(f);
        std::uint32_t root;
        int rc = build(height, 0, count, w, root);
        if (rc) return rc;
        rc = w.drain();
        if (rc) return rc;
        std::array<unsigned char, kPage> head;
        makeHeader(header, geo, root, head.data());
        int err = f.write(0, head.data(), kPage);
        if (err) return errnoToError(err, e4write);
        err = f.sync();
        return err ? errnoToError(err, e4write) : 0;
    }

    void sortEntries() {
        bool sorted = true;
        for (std::size_t i = 1; i < count && sorted; ++i)
            sorted = std::memcmp(entry(i - 1), entry(i), recSize) <= 0;
        if (!sorted) RecordSorter(entries.data(), recSize).sort(count);
        // Entries are unique: an exact repeat goes, and so does a repeated key in a unique index.
        std::size_t same = header.unique ? static_cast<std::size_t>(keySize) : recSize;
        if (count > 1) {
            std::size_t out = 1;
            for (std::size_t i = 1; i < count; ++i) {
                if (std::memcmp(entry(out - 1), entry(i), same) == 0) continue;
                if (out != i) std::memcpy(entries.data() + out * recSize, entry(i), recSize);
                ++out;
            }
            count = out;
        }
    }
};

NtxBuilder::NtxBuilder(FileSystem& fs, std::string path, NtxHeader header)
    : impl_(std::make_unique<Impl>(fs, std::move(path), std::move(header))) {}

NtxBuilder::~NtxBuilder() = default;

void NtxBuilder::reserve(std::size_t entries) {
    impl_->entries.reserve(entries * impl_->recSize);
}

void NtxBuilder::add(std::string_view key, std::uint32_t recNo) {
    Impl& m = *impl_;
    if (key.size() != static_cast<std::size_t>(m.keySize)) {
        m.badKey = true;
        return;
    }
    std::size_t at = m.entries.size();
    m.entries.resize(at + m.recSize);
    unsigned char* r = m.entries.data() + at;
    std::memcpy(r, key.data(), key.size());
    // Descending order sorts the complemented key; the record number stays ascending.
    if (m.header.descending)
        for (int i = 0; i < m.keySize; ++i) r[i] = static_cast<unsigned char>(~r[i]);
    r[m.keySize] = static_cast<unsigned char>(recNo >> 24);
    r[m.keySize + 1] = static_cast<unsigned char>(recNo >> 16);
    r[m.keySize + 2] = static_cast<unsigned char>(recNo >> 8);
    r[m.keySize + 3] = static_cast<unsigned char>(recNo);
    ++m.count;
}

int NtxBuilder::finish(std::unique_ptr<Ntx>& out) {
    Impl& m = *impl_;
    int rc = validateNewHeader(m.header);
    if (rc) return rc;
    if (m.badKey) return e4parm;
    m.geo = geometryFor(m.keySize, maxItemsFor(m.keySize));
    m.sortEntries();

    std::string tmp = m.path + ".tmp";
    std::unique_ptr<File> f;
    int err = m.fs.open(tmp, OpenMode::Create, f);
    if (err) return errnoToError(err, e4create);
    rc = m.writeFile(*f);
    f.reset();
    if (rc == 0) {
        err = m.fs.rename(tmp, m.path);
        if (err) rc = errnoToError(err, e4rename);
    }
    if (rc) {
        m.fs.remove(tmp);
        return rc;
    }
    m.fs.syncDir(directoryOf(m.path));
    m.entries.clear();
    m.entries.shrink_to_fit();
    m.count = 0;
    return Ntx::open(m.fs, m.path, false, out);
}

}  // namespace engine
