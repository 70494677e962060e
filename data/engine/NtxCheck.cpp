// The structural check of an open index: every page reached once, leaves at one depth,
// keys in order, the free list outside the tree; the entries counted.

#include "data/engine/NtxImpl.h"

namespace engine {

using namespace ntx;

int Ntx::Impl::check(std::string* report, std::uint64_t* entries) {
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
                if (!visit(f, i)) return fail("key out of order in page " + std::to_string(w.page));
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

}  // namespace engine
