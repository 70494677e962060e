// d4check: the table's layout and counts, and for every tag its structure, key order, every
// live record present once and no other entry.

#include "data/engine/EngineState.h"

namespace engine {

int d4check(Data4* t, std::string* report) {
    if (!t) return e4parm;
    std::string local;
    std::string& out = report ? *report : local;
    int rc = flushAll(t);
    if (rc) return rc;
    rc = t->dbf->check(&out);
    if (rc) return rc;
    t->cursorOn = false;
    std::uint32_t count = t->dbf->count();
    for (auto& tag : t->tags) {
        std::uint64_t entries = 0;
        rc = tag->ntx->check(&out, &entries);
        if (rc) return rc;
        std::uint64_t live = 0;
        std::string key;
        for (std::uint32_t n = 1; n <= count; ++n) {
            const char* p = nullptr;
            if ((rc = t->dbf->record(n, p))) return rc;
            if (!tag->passes(p)) continue;
            ++live;
            key.clear();
            tag->key->evaluate(p, key);
            rc = tag->ntx->seekEntry(key, n);
            if (rc != r4success) {
                out += tag->name + ": record " + std::to_string(n) + " is missing\n";
                return e4index;
            }
        }
        if (live != entries) {
            out += tag->name + ": " + std::to_string(entries) + " entries for " +
                   std::to_string(live) + " records\n";
            return e4index;
        }
        int bad = 0;
        rc = tag->ntx->forEach([&](std::string_view k, std::uint32_t n) {
            const char* p = nullptr;
            if (n < 1 || n > count || t->dbf->record(n, p) != 0) {
                out +=
                    tag->name + ": entry for record " + std::to_string(n) + " beyond the table\n";
                bad = e4index;
                return false;
            }
            key.clear();
            tag->key->evaluate(p, key);
            if (!tag->passes(p) || key != k) {
                out +=
                    tag->name + ": entry for record " + std::to_string(n) + " does not match it\n";
                bad = e4index;
                return false;
            }
            return true;
        });
        if (rc) return rc;
        if (bad) return bad;
    }
    return 0;
}

}  // namespace engine
