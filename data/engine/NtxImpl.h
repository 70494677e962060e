#pragma once

// The working state of one open index: its file, the parsed header, the page cache and the
// cursor. Its parts live by concern: NtxPages.cpp (reading, caching, allocating and writing
// pages, the header), NtxSearch.cpp (descending and the cursor's moves), NtxChange.cpp
// (insert and erase with their splits and merges), NtxCheck.cpp (the structural check).
// Every call returns 0 or a negative engine error; a call that moves or changes the tree
// begins with trim(), so that no page it holds is evicted under it.

#include <algorithm>
#include <memory>

#include "data/engine/Errors.h"
#include "data/engine/Ntx.h"
#include "data/engine/NtxFormat.h"

namespace engine {

struct Ntx::Impl {
    using Frame = ntx::Frame;
    using Geometry = ntx::Geometry;
    using Level = ntx::Level;
    using PageMap = ntx::PageMap;

    Impl(FileSystem& f, std::string p, bool ro) : fs(f), path(std::move(p)), readOnly(ro) {}

    FileSystem& fs;
    std::string path;
    bool readOnly;
    std::unique_ptr<File> file;

    NtxHeader hdr;
    Geometry geo;
    std::array<unsigned char, ntx::kPage> rawHeader{};
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
    std::size_t capacity = ntx::kCachePages;
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
    std::vector<unsigned char> writeBuf;  // neighbouring pages written together

    // ---- page access -------------------------------------------------------------------

    // Reading works on a page's bytes in the fresh layout, wherever they lie: in a cached
    // frame or, for a sound page laid out so on file, in the file's view.
    int count(const unsigned char* d) const { return ntx::rd16(d); }
    const unsigned char* item(const unsigned char* d, int i) const {
        return d + geo.base + i * geo.itemSize;
    }
    std::uint32_t child(const unsigned char* d, int i) const { return ntx::rd32(item(d, i)); }
    std::uint32_t recAt(const unsigned char* d, int i) const { return ntx::rd32(item(d, i) + 4); }
    const unsigned char* keyAt(const unsigned char* d, int i) const { return item(d, i) + 8; }
    bool isBranch(const unsigned char* d) const { return child(d, 0) != 0; }

    int count(const Frame* f) const { return count(f->data.data()); }
    void setCount(Frame* f, int n) { ntx::wr16(f->data.data(), n); }
    unsigned char* item(Frame* f, int i) { return f->data.data() + geo.base + i * geo.itemSize; }
    const unsigned char* item(const Frame* f, int i) const { return item(f->data.data(), i); }
    std::uint32_t child(const Frame* f, int i) const { return child(f->data.data(), i); }
    void setChild(Frame* f, int i, std::uint32_t c) { ntx::wr32(item(f, i), c); }
    std::uint32_t recAt(const Frame* f, int i) const { return recAt(f->data.data(), i); }
    const unsigned char* keyAt(const Frame* f, int i) const { return keyAt(f->data.data(), i); }
    bool isBranch(const Frame* f) const { return isBranch(f->data.data()); }

    int keyCmp(const unsigned char* a, const void* b, std::size_t len) const {
        int c = ntx::compareBytes(a, static_cast<const unsigned char*>(b), len);
        return descending ? -c : c;
    }

    bool validOffset(std::uint32_t off) const {
        return off != 0 && off % ntx::kPage == 0 && off / ntx::kPage < pageCount;
    }

    // Checks a page read from disk: 0 when sound, with `fresh` telling whether its items
    // already lie in the fresh layout.
    int inspect(const unsigned char* raw, std::uint32_t self, bool& fresh) const;

    // Checks a page read from disk and brings it into the fresh layout.
    int normalize(const unsigned char* raw, Frame* f, std::uint32_t self);

    Frame* takeFrame();

    void releaseFrame(Frame* f) {
        f->inUse = false;
        spare.push_back(f);
    }

    int fetch(std::uint32_t off, Frame*& out);

    // A page for reading only: the cached frame; or, once the cache is full, the page in the
    // file's view when it is sound and in the fresh layout (random seeks in a large index then
    // neither copy pages nor push out the upper levels); or else fetched. The bytes stay valid
    // until the next operation.
    int peek(std::uint32_t off, const unsigned char*& out);

    int writeFrame(Frame* f);
    // Writes `n` frames whose pages follow one another in the file, in one write.
    int writeFrames(Frame* const* run, std::size_t n);

    // Evicts pages beyond the cache's bound. Called only between operations, so that no
    // operation ever loses a page it holds.
    int trim();

    void remap();

    void touch(Frame* f) {
        f->dirty = true;
        ++treeVersion;
    }

    int allocPage(Frame*& out);

    void freePage(Frame* f) {
        ntx::resetPage(geo, f->data.data());
        setChild(f, 0, freeHead);
        freeHead = f->offset;
        headerDirty = true;
        touch(f);
    }

    // ---- item moves (pages in the fresh layout) -----------------------------------------

    // Inserts (leftChild, key, rec) as item i; the items from i on move one slot up.
    void insertItem(Frame* f, int i, std::uint32_t leftChild, const unsigned char* key,
                    std::uint32_t rec);

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

    int pushLeftmost(std::vector<Level>& path, std::uint32_t page);

    int pushRightmost(std::vector<Level>& path, std::uint32_t page);

    // The top level is exhausted: climbs to the first ancestor key after it. 1 when
    // positioned, 0 at the end.
    int ascendNext(std::vector<Level>& path);

    int ascendPrev(std::vector<Level>& path);

    // Positions `path` on the first entry not below (upper: above) the probe.
    int descend(const Probe& p, std::vector<Level>& path, bool upper);

    // Takes the entry the cursor reached. A move (direction +1 or -1) must reach an entry
    // strictly beyond the one it left: in a damaged file whose pages are shared by several
    // parents this stops the walk at the first repeat instead of running on and on.
    int step(int found, Pos ifNone, int direction = 0);

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

    int moveNext();

    int movePrev();

    // After a change of the tree the cursor's pages may have moved: find the current entry
    // again. Returns 1 when back on it, 0 when it is gone and the cursor stands on the entry
    // after it, r4eof when nothing follows.
    int resync();

    // ---- changes ------------------------------------------------------------------------

    int insertEntry(const unsigned char* key, std::uint32_t rec);
    // Entries in the tree's order, each `stride` bytes: the key, then the record number.
    int insertOrderedEntries(const unsigned char* entries, std::size_t n, std::size_t stride);
    // Down to the leaf where `p` belongs, with the way in opPath, and the fence: the entry
    // after that leaf's last (none at the right edge), below which later entries still go
    // into the same leaf.
    int findLeaf(const Probe& p, Frame*& leaf);
    std::vector<unsigned char> fence;
    std::uint32_t fenceRec = 0;
    bool fenced = false;
    // True when the entry (key, rec) sorts at or above the fence, so it lies beyond the leaf
    // found last.
    bool pastFence(const unsigned char* key, std::size_t len, std::uint32_t rec) const {
        if (!fenced) return false;
        const int c = keyCmp(fence.data(), key, len);
        return c < 0 || (c == 0 && fenceRec <= rec);
    }

    // Inserts into a full page by splitting it: the lower half stays in `f`, the upper half
    // goes to a new page, and the middle entry is handed back in carry* for the parent.
    int split(Frame* f, int i, std::vector<unsigned char>& carryKey, std::uint32_t& carryRec,
              std::uint32_t& carryRight);

    int newRoot(std::uint32_t left, const std::vector<unsigned char>& key, std::uint32_t rec,
                std::uint32_t right);

    int eraseEntry(const unsigned char* key, std::uint32_t rec);
    // Entries in the tree's order, as for insertOrderedEntries, each taken out.
    int eraseOrderedEntries(const unsigned char* entries, std::size_t n, std::size_t stride);

    // Restores the fill of the pages on opPath from the bottom up after a removal.
    int rebalance();

    // Joins `b` into `a` around the parent's separator k, and frees `b`.
    void merge(Frame* parent, int k, Frame* a, Frame* b);

    // ---- header and flush ---------------------------------------------------------------

    int parseHeader(std::uint64_t fileSize);

    int flush();

    // ---- structural check ---------------------------------------------------------------

    int check(std::string* report, std::uint64_t* entries);
};

}  // namespace engine
