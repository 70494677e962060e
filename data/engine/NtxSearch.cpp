// The cursor of an open index: descending to the first entry not below a probe, and the
// moves to the first, last, next and previous entries. A move that does not reach an entry
// strictly beyond the one it left (a damaged file sharing pages) stops with e4index.

#include "data/engine/NtxImpl.h"

namespace engine {

using namespace ntx;

int Ntx::Impl::pushLeftmost(std::vector<Level>& path, std::uint32_t page) {
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

int Ntx::Impl::pushRightmost(std::vector<Level>& path, std::uint32_t page) {
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
int Ntx::Impl::ascendNext(std::vector<Level>& path) {
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

int Ntx::Impl::ascendPrev(std::vector<Level>& path) {
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
int Ntx::Impl::descend(const Probe& p, std::vector<Level>& path, bool upper) {
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
int Ntx::Impl::step(int found, Pos ifNone, int direction) {
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

int Ntx::Impl::moveNext() {
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

int Ntx::Impl::movePrev() {
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
int Ntx::Impl::resync() {
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

}  // namespace engine
