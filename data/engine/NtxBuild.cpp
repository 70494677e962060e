// The bulk build of an index file: entries collected unsorted, sorted by key bytes then record
// number (an in-place radix sort; short entries as pairs of numbers), repeats dropped, pages filled
// bottom-up and evenly, the file written beside the target, synced and renamed into place.

#include <algorithm>

#include "data/engine/Errors.h"
#include "data/engine/Ntx.h"
#include "data/engine/NtxFormat.h"

namespace engine {

using namespace ntx;

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

    // Entries of at most 16 bytes (key and record number) as two numbers each, read big-end
    // first and padded with zeros, so that comparing the numbers compares the bytes.
    void sortShortEntries() {
        struct Item {
            std::uint64_t hi, lo;
        };
        std::vector<Item> items(count);
        for (std::size_t i = 0; i < count; ++i) {
            const unsigned char* e = entry(i);
            std::uint64_t w[2] = {0, 0};
            for (std::size_t b = 0; b < recSize; ++b)
                w[b / 8] |= std::uint64_t{e[b]} << (56 - 8 * (b % 8));
            items[i] = {w[0], w[1]};
        }
        std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) {
            return a.hi != b.hi ? a.hi < b.hi : a.lo < b.lo;
        });
        for (std::size_t i = 0; i < count; ++i) {
            unsigned char* e = entries.data() + i * recSize;
            const std::uint64_t w[2] = {items[i].hi, items[i].lo};
            for (std::size_t b = 0; b < recSize; ++b)
                e[b] = static_cast<unsigned char>(w[b / 8] >> (56 - 8 * (b % 8)));
        }
    }

    void sortEntries() {
        bool sorted = true;
        for (std::size_t i = 1; i < count && sorted; ++i)
            sorted = std::memcmp(entry(i - 1), entry(i), recSize) <= 0;
        if (!sorted && recSize <= 16)
            sortShortEntries();
        else if (!sorted)
            RecordSorter(entries.data(), recSize).sort(count);
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
