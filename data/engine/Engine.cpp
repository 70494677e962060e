// The engine handle and the table calls: opening (an in-flux table's index files rebuilt),
// closing durably, moving in record or tag order, appending, deleting, pack and zap. A
// changed record reaches the file, and its index entries, no later than the next move.

#include "data/engine/Engine.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "data/engine/EngineState.h"
#include "data/engine/GroupFile.h"

namespace engine {

const std::string kEmpty;

int setError(Code4* h, int code, std::string text) {
    h->error = code;
    h->errorText = std::move(text);
    return code;
}

bool sameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && ::strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// `sub` taken from `dir` (or from the root when absolute), each part matched without regard
// to case as on the systems the tables come from.
std::string resolveDir(FileSystem& fs, const std::string& dir, const std::string& sub) {
    std::string at = sub.front() == '/' ? "/" : dir;
    std::size_t pos = 0;
    while (pos <= sub.size()) {
        std::size_t slash = sub.find('/', pos);
        if (slash == std::string::npos) slash = sub.size();
        std::string part = sub.substr(pos, slash - pos);
        pos = slash + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            at = (at == "." ? std::string() : at + "/") + "..";
            continue;
        }
        at = resolvePath(fs, at, part);
    }
    return at;
}

// Splits a table name into its directory and its base name without ".dbf".
void splitName(const Code4* h, std::string_view name, std::string& dir, std::string& base) {
    std::string n(name);
    auto slash = n.rfind('/');
    if (slash == std::string::npos) {
        dir = h->dir;
        base = n;
    } else {
        dir = resolveDir(*h->fs, h->dir, slash == 0 ? "/" : n.substr(0, slash));
        base = n.substr(slash + 1);
    }
    if (base.size() > 4 && sameName(std::string_view(base).substr(base.size() - 4), ".dbf"))
        base.resize(base.size() - 4);
}

bool positioned(const Data4* t) {
    return t->recNo != 0 && !t->eof;
}

void setEof(Data4* t) {
    t->recNo = t->dbf->count() + 1;
    t->rec = t->dbf->blankRecord();
    t->eof = true;
    t->bof = false;
    t->dirty = false;
    t->isNew = false;
    t->cursorOn = false;
}

int loadRecord(Data4* t, std::uint32_t n) {
    const char* p = nullptr;
    int rc = t->dbf->record(n, p);
    if (rc) {
        if (rc == e4parm)
            return setError(t->code, e4index,
                            t->alias + ": an index names record " + std::to_string(n) +
                                ", which the table does not hold");
        return setError(t->code, rc, t->alias + ": cannot read record " + std::to_string(n));
    }
    t->rec.assign(p, t->dbf->recordLength());
    t->recNo = n;
    t->eof = false;
    t->bof = false;
    t->dirty = false;
    t->isNew = false;
    return 0;
}

int tagError(Data4* t, Tag4* tag, int rc, const char* what) {
    return setError(t->code, rc < 0 ? rc : e4index,
                    t->alias + ": index " + tag->name + " could not " + what + " an entry");
}

// Writes the current record if it changed and brings every tag up to date: for each tag the
// old entry goes and the new one comes when key or filter result differ.
int flushRecord(Data4* t) {
    if (!t->dirty) return 0;
    if (!t->tags.empty() || t->isNew || t->indexesShut) {
        // On disk before any index page or appended record can be, so that a crash or a
        // power loss from here until the table's close is seen (and cured) at the next open.
        // A record changed in place needs no mark: the disk keeps its old bytes or its new.
        // With the index files shut the mark stays until they are built again.
        int rc = t->dbf->markInFlux(true);
        if (rc) return setError(t->code, rc, t->alias + ": cannot write the header");
    }
    const char* now = t->rec.data();
    if (t->isNew) {
        int rc = t->dbf->append(now);
        if (rc) return setError(t->code, rc, t->alias + ": cannot append a record");
        t->isNew = false;
        t->dirty = false;
        t->recNo = t->dbf->count();
        for (auto& tag : t->tags) {
            if (!tag->passes(now)) continue;
            if (t->bulk) {
                // Collected for one ordered merge; the in-flux mark covers the wait.
                tag->collect(false, now, t->recNo);
                t->pendingEntries = true;
                continue;
            }
            t->keyA.clear();
            tag->key->evaluate(now, t->keyA);
            rc = tag->ntx->insert(t->keyA, t->recNo);
            if (rc) return tagError(t, tag.get(), rc, "take");
        }
        t->cursorOn = false;
        return 0;
    }
    int rc = t->dbf->write(t->recNo, now, /*gather=*/t->bulk);
    if (rc)
        return setError(t->code, rc,
                        t->alias + ": cannot write record " + std::to_string(t->recNo));
    t->dirty = false;
    const char* before = t->old.data();
    // Only the tags whose key or filter reads a changed byte can change.
    const int length = static_cast<int>(t->dbf->recordLength());
    int from = 0, to = length;
    while (from < length && before[from] == now[from]) ++from;
    while (to > from && before[to - 1] == now[to - 1]) --to;
    if (from == to) return 0;
    for (auto& tag : t->tags) {
        if (!tag->key->reads(from, to) && !(tag->filter && tag->filter->reads(from, to))) continue;
        bool wasIn = tag->passes(before);
        bool isIn = tag->passes(now);
        if (!wasIn && !isIn) continue;
        t->keyA.clear();
        t->keyB.clear();
        if (wasIn) tag->key->evaluate(before, t->keyA);
        if (isIn) tag->key->evaluate(now, t->keyB);
        if (wasIn && isIn && t->keyA == t->keyB) continue;
        if (t->bulk) {
            if (wasIn) tag->collect(true, before, t->recNo);
            if (isIn) tag->collect(false, now, t->recNo);
            t->pendingEntries = true;
            continue;
        }
        if (wasIn) {
            rc = tag->ntx->erase(t->keyA, t->recNo);
            if (rc) return tagError(t, tag.get(), rc, "drop");
        }
        if (isIn) {
            rc = tag->ntx->insert(t->keyB, t->recNo);
            if (rc) return tagError(t, tag.get(), rc, "take");
        }
        if (tag.get() == t->selected) t->cursorOn = false;
    }
    return 0;
}

// Before a move: the changed record and any gathered appends go to the file. A bulk change
// keeps its records gathered, and its collected entries wait while the table moves in record
// order, which needs no tag.
int settle(Data4* t) {
    int rc = flushRecord(t);
    if (rc) return rc;
    if (t->bulk) return t->selected ? mergePending(t) : 0;
    rc = t->dbf->writeAppends();
    if (rc) return setError(t->code, rc, t->alias + ": cannot write appended records");
    return mergePending(t);
}

// Called before a field or the delete mark changes: keeps the file's bytes for the tags.
int beginChange(Data4* t) {
    if (!positioned(t))
        return setError(t->code, e4parm, t->alias + ": no current record to change");
    if (t->dbf->readOnly())
        return setError(t->code, e4access, t->alias + ": the table is read-only");
    if (!t->dirty) {
        if (!t->isNew) t->old = t->rec;
        t->dirty = true;
    }
    return 0;
}

// Loads the record under the selected tag's cursor.
int loadFromCursor(Data4* t) {
    int rc = loadRecord(t, t->selected->ntx->recNo());
    if (rc) return rc;
    t->cursorOn = true;
    return 0;
}

// On a walk through the selected tag: asks for the records of the next entries of the tag's
// page, so that a walk in key order, whose records lie scattered over the table, does not
// wait on each in turn. On a page's first entry the whole distance is asked for, after that
// one entry more at each step.
void readAhead(Data4* t, int direction) {
    constexpr int kDistance = 16;
    const Ntx& ntx = *t->selected->ntx;
    const bool freshPage = ntx.recNoAhead(-direction) == 0;
    for (int k = freshPage ? 1 : kDistance; k <= kDistance; ++k) {
        const std::uint32_t n = ntx.recNoAhead(k * direction);
        if (n == 0) break;
        t->dbf->prefetch(n);
    }
}

// Writes and syncs whatever of the table and its index files changed since their last sync
// (nothing is synced when nothing changed), then clears the in-flux mark: only once the
// index files and the records are on disk may the mark go, or a power loss could leave
// unmarked index pages or a count that the disk does not hold.
int flushAll(Data4* t) {
    int first = flushRecord(t);
    if (!first) first = mergePending(t);
    for (auto& tag : t->tags) {
        int rc = tag->ntx->sync();
        if (rc && !first) first = setError(t->code, rc, t->alias + ": cannot write " + tag->path);
    }
    int rc = t->dbf->flush(/*durable=*/true);
    if (rc && !first) first = setError(t->code, rc, t->alias + ": cannot write the table");
    if (!first && !t->indexesShut) {
        rc = t->dbf->markInFlux(false);
        if (rc) first = setError(t->code, rc, t->alias + ": cannot write the header");
    }
    return first;
}

}  // namespace engine

void std::default_delete<engine::Code4>::operator()(engine::Code4* h) const {
    if (!h) return;
    engine::code4close(h);
    delete h;
}

namespace engine {

std::unique_ptr<Code4> code4init(FileSystem& fs, std::string dir) {
    auto h = std::make_unique<Code4>();
    h->fs = &fs;
    h->dir = dir.empty() ? "." : std::move(dir);
    return h;
}

int code4initUndo(Code4* h) {
    if (!h) return e4parm;
    return code4close(h);
}

int code4close(Code4* h) {
    if (!h) return e4parm;
    int first = 0;
    while (!h->tables.empty()) {
        int rc = d4close(h->tables.back().get());
        if (rc && !first) first = rc;
    }
    return first;
}

void code4exit(Code4* h) {
    if (h && h->exitHandler) h->exitHandler();
    std::exit(1);
}

void code4exitHandler(Code4* h, std::function<void()> handler) {
    if (h) h->exitHandler = std::move(handler);
}

int code4errorCode(Code4* h, int newCode) {
    if (!h) return e4parm;
    int old = h->error;
    h->error = newCode;
    if (newCode == 0) h->errorText.clear();
    return old;
}

const std::string& code4errorText(Code4* h) {
    return h ? h->errorText : kEmpty;
}

void error4exitTest(Code4* h) {
    if (h && h->error < 0) code4exit(h);
}

int code4errTagName(Code4* h, int on) {
    if (!h) return e4parm;
    int old = h->errTagName ? 1 : 0;
    h->errTagName = on != 0;
    return old;
}

int code4autoOpen(Code4* h, int on) {
    if (!h) return e4parm;
    int old = h->autoOpen ? 1 : 0;
    h->autoOpen = on != 0;
    return old;
}

int code4safety(Code4* h, int on) {
    if (!h) return e4parm;
    int old = h->safety ? 1 : 0;
    h->safety = on != 0;
    return old;
}

int code4accessMode(Code4* h, int mode) {
    if (!h) return e4parm;
    int old = h->accessMode;
    h->accessMode = mode;
    return old;
}

int code4optimizeWrite(Code4* h, int on) {
    if (!h) return e4parm;
    int old = h->optimizeWrite ? 1 : 0;
    h->optimizeWrite = on != 0;
    return old;
}

const std::string& code4dir(Code4* h) {
    return h ? h->dir : kEmpty;
}

// ---------------------------------------------------------------------------- tables

Data4* d4open(Code4* h, std::string_view name) {
    if (!h) return nullptr;
    auto t = std::make_unique<Data4>();
    t->code = h;
    std::string base;
    splitName(h, name, t->dir, base);
    t->alias = base;
    if (base.empty() || !fileExists(*h->fs, t->dir, base + ".dbf")) {
        setError(h, e4open, "table " + std::string(name) + " not found");
        return nullptr;
    }
    std::string path = resolvePath(*h->fs, t->dir, base + ".dbf");
    std::string why;
    int rc = Dbf::open(*h->fs, path, h->accessMode == 1, t->dbf, &why);
    if (rc) {
        setError(h, rc, path + ": " + why);
        return nullptr;
    }
    for (const auto& l : t->dbf->fields()) {
        auto f = std::make_unique<Field4>();
        f->table = t.get();
        f->layout = l;
        t->fields.push_back(std::move(f));
    }
    const bool indexed = fileExists(*h->fs, t->dir, base + ".cgp");
    t->indexesShut = indexed && !h->autoOpen;
    if (indexed && h->autoOpen) {
        std::vector<std::string> names;
        std::string cgp = resolvePath(*h->fs, t->dir, base + ".cgp");
        rc = readGroupFile(*h->fs, cgp, names);
        if (rc) {
            setError(h, rc, cgp + ": not a readable group file");
            return nullptr;
        }
        for (const auto& n : names) {
            std::unique_ptr<Tag4> tag;
            if (openTag(t.get(), n, t->dbf->readOnly(), tag)) return nullptr;
            t->tags.push_back(std::move(tag));
        }
    }
    t->selected = t->tags.empty() ? nullptr : t->tags.front().get();
    t->rec = t->dbf->blankRecord();
    if (t->dbf->inFlux() && t->dbf->mayMend()) {
        // The last run ended while this table was being changed (Dbf has mended its records):
        // build its index files afresh from the table rather than trust them. With its group
        // file left shut the mark stays, for the index build or the next open to see.
        if (!t->tags.empty() && rebuildTags(t.get())) {
            setError(h, e4index, path + ": its index files could not be rebuilt");
            return nullptr;
        }
        if (!t->indexesShut && t->dbf->markInFlux(false)) {
            setError(h, e4write, path + ": cannot write the header");
            return nullptr;
        }
    }
    h->tables.push_back(std::move(t));
    return h->tables.back().get();
}

Data4* d4create(Code4* h, std::string_view name, const std::vector<Field4Info>& fields) {
    if (!h) return nullptr;
    std::string dir, base;
    splitName(h, name, dir, base);
    if (base.empty()) {
        setError(h, e4create, "no table name");
        return nullptr;
    }
    if (fileExists(*h->fs, dir, base + ".dbf") && h->safety) {
        setError(h, e4create, base + ".dbf exists");
        return nullptr;
    }
    std::vector<FieldLayout> layout;
    for (const auto& f : fields) layout.push_back({f.name, f.type, 0, f.len, f.dec});
    std::string why;
    std::string path = resolvePath(*h->fs, dir, base + ".dbf");
    int rc = Dbf::create(*h->fs, path, std::move(layout), &why);
    if (rc) {
        setError(h, rc, path + ": " + why);
        return nullptr;
    }
    return d4open(h, name);
}

int d4close(Data4* t) {
    if (!t) return e4parm;
    Code4* h = t->code;
    int rc = flushAll(t);
    auto it = std::find_if(h->tables.begin(), h->tables.end(),
                           [t](const auto& p) { return p.get() == t; });
    if (it != h->tables.end()) h->tables.erase(it);
    return rc;
}

int d4discard(Data4* t) {
    if (!t) return e4parm;
    Code4* h = t->code;
    t->dirty = false;
    t->isNew = false;
    t->dbf->discardUnwritten();
    for (auto& tag : t->tags) tag->ntx->discardUnwritten();
    auto it = std::find_if(h->tables.begin(), h->tables.end(),
                           [t](const auto& p) { return p.get() == t; });
    if (it != h->tables.end()) h->tables.erase(it);
    return 0;
}

int d4flush(Data4* t) {
    if (!t) return e4parm;
    return flushAll(t);
}

namespace {

// The first (top) or last record in the selected order; r4eof when there is none.
int moveToEnd(Data4* t, bool top) {
    int rc = settle(t);
    if (rc) return rc;
    if (t->selected) {
        rc = top ? t->selected->ntx->first() : t->selected->ntx->last();
        if (rc < 0) return tagError(t, t->selected, rc, "read");
        if (rc == r4eof) {
            setEof(t);
            return r4eof;
        }
        return loadFromCursor(t);
    }
    t->cursorOn = false;
    if (t->dbf->count() == 0) {
        setEof(t);
        return r4eof;
    }
    return loadRecord(t, top ? 1 : t->dbf->count());
}

}  // namespace

int d4top(Data4* t) {
    if (!t) return e4parm;
    return moveToEnd(t, true);
}

int d4bottom(Data4* t) {
    if (!t) return e4parm;
    return moveToEnd(t, false);
}

int d4skip(Data4* t, long n) {
    if (!t) return e4parm;
    int rc = settle(t);
    if (rc) return rc;
    if (n == 0) return 0;
    if (!t->selected) {
        long count = static_cast<long>(t->dbf->count());
        long cur = t->eof || t->recNo == 0 ? count + 1 : static_cast<long>(t->recNo);
        if (t->recNo == 0 && n > 0) cur = 0;
        long target = cur + n;
        if (target > count) {
            setEof(t);
            return r4eof;
        }
        if (target < 1) {
            if (count == 0) {
                setEof(t);
                t->bof = true;
                return r4bof;
            }
            rc = loadRecord(t, 1);
            if (rc) return rc;
            t->bof = true;
            return r4bof;
        }
        return loadRecord(t, static_cast<std::uint32_t>(target));
    }

    Ntx& ntx = *t->selected->ntx;
    // Where the cursor stands against the current record: on it, or on the entry after the
    // place it would have (the record left the tag or changed its key), or past the end.
    bool between = false;
    bool pastEnd = t->eof;
    if (!t->eof && !t->cursorOn) {
        if (t->recNo == 0) {
            // Never moved: a skip starts from the top.
            rc = ntx.first();
            if (rc < 0) return tagError(t, t->selected, rc, "read");
            between = true;
            pastEnd = rc == r4eof;
        } else {
            t->keyA.clear();
            t->selected->key->evaluate(t->rec.data(), t->keyA);
            rc = ntx.seekEntry(t->keyA, t->recNo);
            if (rc < 0) return tagError(t, t->selected, rc, "find");
            between = rc != r4success;
            pastEnd = rc == r4eof;
        }
    }
    if (n > 0) {
        if (pastEnd) {
            setEof(t);
            return r4eof;
        }
        long steps = between ? n - 1 : n;
        while (steps-- > 0) {
            rc = ntx.next();
            if (rc < 0) return tagError(t, t->selected, rc, "read");
            if (rc == r4eof) {
                setEof(t);
                return r4eof;
            }
        }
        if (n == 1) readAhead(t, 1);
        return loadFromCursor(t);
    }
    long steps = -n;
    if (pastEnd) {
        rc = ntx.last();
        if (rc < 0) return tagError(t, t->selected, rc, "read");
        if (rc == r4eof) {
            setEof(t);
            t->bof = true;
            return r4bof;
        }
        --steps;
    }
    while (steps-- > 0) {
        rc = ntx.prev();
        if (rc < 0) return tagError(t, t->selected, rc, "read");
        if (rc == r4bof) {
            rc = ntx.first();
            if (rc < 0) return tagError(t, t->selected, rc, "read");
            if (rc == r4eof) {
                setEof(t);
                t->bof = true;
                return r4bof;
            }
            rc = loadFromCursor(t);
            if (rc) return rc;
            t->bof = true;
            return r4bof;
        }
    }
    if (n == -1) readAhead(t, -1);
    return loadFromCursor(t);
}

int d4go(Data4* t, long recNo) {
    if (!t) return e4parm;
    int rc = settle(t);
    if (rc) return rc;
    if (recNo < 1 || recNo > static_cast<long>(t->dbf->count()))
        return setError(t->code, e4parm,
                        t->alias + ": there is no record " + std::to_string(recNo));
    t->cursorOn = false;
    return loadRecord(t, static_cast<std::uint32_t>(recNo));
}

static int seekWith(Data4* t, const std::string& key) {
    Ntx& ntx = *t->selected->ntx;
    int rc = ntx.seek(key);
    if (rc < 0) return tagError(t, t->selected, rc, "find");
    if (rc == r4eof) {
        setEof(t);
        return r4eof;
    }
    int lr = loadFromCursor(t);
    return lr ? lr : rc;
}

int d4seek(Data4* t, std::string_view key) {
    if (!t) return e4parm;
    int rc = settle(t);
    if (rc) return rc;
    if (!t->selected) return setError(t->code, e4tagName, t->alias + ": seek without a tag");
    std::string k = t->selected->key->seekKey(t->dbf->codePage().encode(key));
    if (k.size() > static_cast<std::size_t>(t->selected->key->keyLength()))
        k.resize(t->selected->key->keyLength());
    return seekWith(t, k);
}

int d4seekDouble(Data4* t, double key) {
    if (!t) return e4parm;
    int rc = settle(t);
    if (rc) return rc;
    if (!t->selected) return setError(t->code, e4tagName, t->alias + ": seek without a tag");
    return seekWith(t, t->selected->key->seekKey(key));
}

long t4count(Tag4* tag) {
    if (!tag) return e4parm;
    Data4* t = tag->table;
    if (int rc = settle(t)) return rc;
    // A bulk change in record order holds its entries until a move in tag order.
    if (int rc = mergePending(t)) return rc;
    std::uint64_t n = 0;
    if (int rc = tag->ntx->entries(n)) return tagError(t, tag, rc, "read");
    return static_cast<long>(n);
}

bool d4eof(Data4* t) {
    return t && t->eof;
}
bool d4bof(Data4* t) {
    return t && t->bof;
}

long d4recNo(Data4* t) {
    if (!t) return 0;
    return static_cast<long>(t->recNo);
}

long d4recCount(Data4* t) {
    if (!t) return 0;
    return static_cast<long>(t->dbf->count()) + (t->isNew ? 1 : 0);
}

bool d4deleted(Data4* t) {
    return t && positioned(t) && t->rec[0] == '*';
}

int d4delete(Data4* t) {
    if (!t) return e4parm;
    if (t->rec[0] == '*' && positioned(t)) return 0;
    int rc = beginChange(t);
    if (rc) return rc;
    t->rec[0] = '*';
    return 0;
}

int d4recall(Data4* t) {
    if (!t) return e4parm;
    if (t->rec[0] != '*' && positioned(t)) return 0;
    int rc = beginChange(t);
    if (rc) return rc;
    t->rec[0] = ' ';
    return 0;
}

int d4appendBlank(Data4* t) {
    if (!t) return e4parm;
    // A record the user saved must reach the file at the next move even when the next move
    // is another append; only bulk work that asked for it gathers appends in memory.
    int rc = t->code->optimizeWrite || t->bulk ? flushRecord(t) : settle(t);
    if (rc) return rc;
    if (t->dbf->readOnly())
        return setError(t->code, e4access, t->alias + ": the table is read-only");
    t->rec = t->dbf->blankRecord();
    t->recNo = t->dbf->count() + 1;
    t->eof = false;
    t->bof = false;
    t->isNew = true;
    t->dirty = true;
    t->cursorOn = false;
    return 0;
}

int d4appendStart(Data4* t) {
    if (!t) return e4parm;
    int rc = settle(t);
    if (rc) return rc;
    if (t->dbf->readOnly())
        return setError(t->code, e4access, t->alias + ": the table is read-only");
    t->bulk = true;
    return 0;
}

int d4appendEnd(Data4* t) {
    if (!t) return e4parm;
    int rc = flushAll(t);
    t->bulk = false;
    return rc;
}

int d4refresh(Data4* t) {
    if (!t) return e4parm;
    int rc = settle(t);
    if (rc) return rc;
    if (!positioned(t)) return 0;
    return loadRecord(t, t->recNo);
}

// The record numbers change, so the index files go before the new table takes the old one's
// place: a crash in between leaves a table without index files, which start-up rebuilds,
// never one whose indexes name the wrong records. Whatever happens, the tags are rebuilt on
// the table that is there.
static int rewriteTable(Data4* t, const std::function<bool(std::uint32_t, const char*)>& keep,
                        const char* what) {
    int rc = flushAll(t);
    if (rc) return rc;
    // Index files left shut cannot follow the new record numbers: the new table carries the
    // mark, and its next open with them rebuilds them.
    if (t->indexesShut && (rc = t->dbf->markInFlux(true)))
        return setError(t->code, rc, t->alias + ": cannot write the header");
    for (auto& tag : t->tags) {
        int err = t->code->fs->remove(tag->path);
        if (err && err != ENOENT)
            return setError(t->code, errnoToError(err, e4remove),
                            t->alias + ": cannot remove " + tag->path);
    }
    int failed = t->dbf->rewrite(keep);
    if (failed) setError(t->code, failed, t->alias + ": cannot " + what + " the table");
    rc = rebuildTags(t);
    if (failed) return failed;
    if (rc) return rc;
    rc = d4top(t);
    return rc < 0 ? rc : 0;
}

int d4pack(Data4* t) {
    if (!t) return e4parm;
    return rewriteTable(
        t, [](std::uint32_t, const char* rec) { return rec[0] != '*'; }, "pack");
}

int d4zap(Data4* t, long startRec, long endRec) {
    if (!t) return e4parm;
    if (startRec < 1) startRec = 1;
    return rewriteTable(
        t,
        [startRec, endRec](std::uint32_t n, const char*) {
            return static_cast<long>(n) < startRec || static_cast<long>(n) > endRec;
        },
        "zap");
}

}  // namespace engine
