// Inserting and erasing one entry: down to its leaf, splitting full pages on the way back up
// (a new root when the old one splits); after an erase, rotations or merges restore each
// page on the path to at least half full, and an empty root gives way to its only child.

#include "data/engine/NtxImpl.h"

namespace engine {

using namespace ntx;

int Ntx::Impl::insertEntry(const unsigned char* key, std::uint32_t rec) {
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

int Ntx::Impl::findLeaf(const Probe& p, Frame*& leaf) {
    opPath.clear();
    std::uint32_t page = root;
    for (;;) {
        if (opPath.size() >= kMaxDepth) return e4index;
        int rc = fetch(page, leaf);
        if (rc) return rc;
        const int i = bound(leaf, p, true);
        opPath.push_back({page, i});
        if (!isBranch(leaf)) break;
        page = child(leaf, i);
    }
    fenced = false;
    for (std::size_t lv = opPath.size() - 1; lv-- > 0;) {
        Frame* f;
        int rc = fetch(opPath[lv].page, f);
        if (rc) return rc;
        const int i = opPath[lv].index;
        if (i < count(f)) {
            fence.assign(keyAt(f, i), keyAt(f, i) + geo.keySize);
            fenceRec = recAt(f, i);
            fenced = true;
            break;
        }
    }
    return 0;
}

// While the next entry sorts below the fence it goes into the leaf the last one went to,
// found with one binary search of that page; a full leaf, a new leaf or a unique index take
// the whole way of insertEntry.
int Ntx::Impl::insertOrderedEntries(const unsigned char* entries, std::size_t n,
                                    std::size_t stride) {
    const std::size_t len = static_cast<std::size_t>(geo.keySize);
    Frame* leaf = nullptr;
    for (std::size_t e = 0; e < n; ++e) {
        const unsigned char* key = entries + e * stride;
        std::uint32_t rec;
        std::memcpy(&rec, key + len, sizeof rec);
        const Probe p{key, len, true, rec};
        if (leaf != nullptr && pastFence(key, len, rec)) leaf = nullptr;
        if (leaf == nullptr || hdr.unique) {
            int rc = trim();
            if (rc) return rc;
            if (hdr.unique) {
                rc = insertEntry(key, rec);
                if (rc) return rc;
                continue;
            }
            rc = findLeaf(p, leaf);
            if (rc) return rc;
        }
        if (count(leaf) >= geo.maxItems) {
            int rc = insertEntry(key, rec);
            if (rc) return rc;
            leaf = nullptr;
            continue;
        }
        const int i = bound(leaf, p, true);
        if (i > 0 && compare(leaf, i - 1, p) == 0) return e4info;  // already there
        insertItem(leaf, i, 0, key, rec);
    }
    return 0;
}

// Inserts into a full page by splitting it: the lower half stays in `f`, the upper half
// goes to a new page, and the middle entry is handed back in carry* for the parent.
int Ntx::Impl::split(Frame* f, int i, std::vector<unsigned char>& carryKey, std::uint32_t& carryRec,
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

int Ntx::Impl::newRoot(std::uint32_t left, const std::vector<unsigned char>& key, std::uint32_t rec,
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

int Ntx::Impl::eraseEntry(const unsigned char* key, std::uint32_t rec) {
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

// While the next entry sorts below the fence it lies in the leaf the last one was looked for
// in, unless it is a separator above; a leaf that would fall below its least fill, and an
// entry not in the leaf, take the whole way of eraseEntry.
int Ntx::Impl::eraseOrderedEntries(const unsigned char* entries, std::size_t n,
                                   std::size_t stride) {
    const std::size_t len = static_cast<std::size_t>(geo.keySize);
    Frame* leaf = nullptr;
    for (std::size_t e = 0; e < n; ++e) {
        const unsigned char* key = entries + e * stride;
        std::uint32_t rec;
        std::memcpy(&rec, key + len, sizeof rec);
        const Probe p{key, len, true, rec};
        if (leaf != nullptr && pastFence(key, len, rec)) leaf = nullptr;
        if (leaf == nullptr) {
            int rc = trim();
            if (rc) return rc;
            rc = findLeaf(p, leaf);
            if (rc) return rc;
        }
        const int i = bound(leaf, p, false);
        if (i < count(leaf) && compare(leaf, i, p) == 0 && count(leaf) > minKeys) {
            removeItem(leaf, i);
            continue;
        }
        int rc = eraseEntry(key, rec);
        if (rc) return rc;
        leaf = nullptr;
    }
    return 0;
}

// Restores the fill of the pages on opPath from the bottom up after a removal.
int Ntx::Impl::rebalance() {
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
void Ntx::Impl::merge(Frame* parent, int k, Frame* a, Frame* b) {
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

}  // namespace engine
