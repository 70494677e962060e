// Pages of an open index: read from the file or its view and checked (a damaged page is
// e4index, never a read out of bounds), brought into the fresh layout, kept in a bounded
// cache with a clock hand, allocated from the free list or the end of the file, and written
// back in offset order with the header on flush.

#include "data/engine/NtxImpl.h"

namespace engine {

using namespace ntx;

// Checks a page read from disk: 0 when sound, with `fresh` telling whether its items
// already lie in the fresh layout.
int Ntx::Impl::inspect(const unsigned char* raw, std::uint32_t self, bool& fresh) const {
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
int Ntx::Impl::normalize(const unsigned char* raw, Frame* f, std::uint32_t self) {
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
    for (int i = n + 1; i <= geo.maxItems; ++i) wr16(d + 2 + 2 * i, geo.base + i * geo.itemSize);
    return 0;
}

Frame* Ntx::Impl::takeFrame() {
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

int Ntx::Impl::fetch(std::uint32_t off, Frame*& out) {
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
int Ntx::Impl::peek(std::uint32_t off, const unsigned char*& out) {
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

int Ntx::Impl::writeFrame(Frame* f) {
    return writeFrames(&f, 1);
}

int Ntx::Impl::writeFrames(Frame* const* run, std::size_t n) {
    const std::uint32_t first = run[0]->offset;
    int err;
    if (n == 1) {
        err = file->write(first, run[0]->data.data(), kPage);
    } else {
        writeBuf.resize(n * kPage);
        for (std::size_t i = 0; i < n; ++i)
            std::memcpy(writeBuf.data() + i * kPage, run[i]->data.data(), kPage);
        err = file->write(first, writeBuf.data(), n * kPage);
    }
    if (err) return errnoToError(err, e4write);
    unsynced = true;
    for (std::size_t i = 0; i < n; ++i) run[i]->dirty = false;
    if (first < viewLength) {
        // The mapping may not show our own writes: read through the file until remapped.
        view = nullptr;
        viewLength = 0;
        remapWanted = true;
    }
    return 0;
}

// Evicts pages beyond the cache's bound. Called only between operations, so that no
// operation ever loses a page it holds.
int Ntx::Impl::trim() {
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

void Ntx::Impl::remap() {
    remapWanted = false;
    std::uint64_t size = 0;
    if (file->size(size) != 0) return;
    size -= size % kPage;
    stepFrame = nullptr;  // it may lie in the view that goes
    view = size ? file->map(size) : nullptr;
    viewLength = view ? size : 0;
}

int Ntx::Impl::allocPage(Frame*& out) {
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

// Inserts (leftChild, key, rec) as item i; the items from i on move one slot up.
void Ntx::Impl::insertItem(Frame* f, int i, std::uint32_t leftChild, const unsigned char* key,
                           std::uint32_t rec) {
    int n = count(f);
    std::memmove(item(f, i + 1), item(f, i), static_cast<std::size_t>(n - i + 1) * geo.itemSize);
    unsigned char* it = item(f, i);
    wr32(it, leftChild);
    wr32(it + 4, rec);
    std::memcpy(it + 8, key, geo.keySize);
    setCount(f, n + 1);
    touch(f);
}

int Ntx::Impl::parseHeader(std::uint64_t fileSize) {
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

int Ntx::Impl::flush() {
    if (readOnly) return 0;
    if (!headerDirty && std::none_of(frames.begin(), frames.end(),
                                     [](const auto& f) { return f->inUse && f->dirty; }))
        return 0;
    std::vector<Frame*> dirty;
    for (auto& f : frames)
        if (f->inUse && f->dirty) dirty.push_back(f.get());
    std::sort(dirty.begin(), dirty.end(),
              [](const Frame* a, const Frame* b) { return a->offset < b->offset; });
    // Neighbouring pages go out in one write.
    constexpr std::size_t kMaxRun = 64;
    for (std::size_t i = 0; i < dirty.size();) {
        std::size_t n = 1;
        while (i + n < dirty.size() && n < kMaxRun &&
               dirty[i + n]->offset == dirty[i + n - 1]->offset + kPage)
            ++n;
        int rc = writeFrames(dirty.data() + i, n);
        if (rc) return rc;
        i += n;
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

}  // namespace engine
