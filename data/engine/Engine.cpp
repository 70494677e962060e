#include "data/engine/Engine.h"

#include <strings.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "data/engine/Dbf.h"
#include "data/engine/GroupFile.h"
#include "data/engine/KeyExpression.h"
#include "data/engine/Ntx.h"

namespace engine {

struct Code4 {
    FileSystem* fs = nullptr;
    std::string dir;
    std::vector<std::unique_ptr<Data4>> tables;
    int error = 0;
    std::string errorText;
    bool errTagName = true;
    bool autoOpen = true;
    bool safety = true;
    int accessMode = 0;
    bool optimizeWrite = false;
    std::function<void()> exitHandler;
};

struct Field4 {
    Data4* table = nullptr;
    FieldLayout layout;
};

struct Tag4 {
    Data4* table = nullptr;
    std::string name;  // as the group file lists it
    std::string path;
    std::unique_ptr<Ntx> ntx;
    std::optional<KeyExpression> key;
    std::optional<KeyExpression> filter;

    bool passes(const char* rec) const { return !filter || filter->evaluateBool(rec); }
};

struct Data4 {
    Code4* code = nullptr;
    std::string alias;
    std::string dir;
    std::unique_ptr<Dbf> dbf;
    std::vector<std::unique_ptr<Field4>> fields;
    std::vector<std::unique_ptr<Tag4>> tags;
    Tag4* selected = nullptr;
    // The table has index files that were left shut (code4autoOpen 0): they do not follow
    // its changes.
    bool indexesShut = false;

    // The current record: its number (0 before the first move, count + 1 at the end), its
    // bytes, and the bytes the file holds while it is changed.
    std::uint32_t recNo = 0;
    bool eof = false;
    bool bof = false;
    std::string rec;
    std::string old;
    bool dirty = false;
    bool isNew = false;  // appended, not yet written
    // The selected tag's cursor sits on the current record.
    bool cursorOn = false;
    std::string keyA, keyB;
};

namespace {

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
            t->keyA.clear();
            tag->key->evaluate(now, t->keyA);
            rc = tag->ntx->insert(t->keyA, t->recNo);
            if (rc) return tagError(t, tag.get(), rc, "take");
        }
        t->cursorOn = false;
        return 0;
    }
    int rc = t->dbf->write(t->recNo, now);
    if (rc)
        return setError(t->code, rc,
                        t->alias + ": cannot write record " + std::to_string(t->recNo));
    t->dirty = false;
    const char* before = t->old.data();
    for (auto& tag : t->tags) {
        bool wasIn = tag->passes(before);
        bool isIn = tag->passes(now);
        if (!wasIn && !isIn) continue;
        t->keyA.clear();
        t->keyB.clear();
        if (wasIn) tag->key->evaluate(before, t->keyA);
        if (isIn) tag->key->evaluate(now, t->keyB);
        if (wasIn && isIn && t->keyA == t->keyB) continue;
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

// Before a move: the changed record and any gathered appends go to the file.
int settle(Data4* t) {
    int rc = flushRecord(t);
    if (rc) return rc;
    rc = t->dbf->writeAppends();
    if (rc) return setError(t->code, rc, t->alias + ": cannot write appended records");
    return 0;
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

int bindTag(Data4* t, std::unique_ptr<Tag4> tag, const NtxHeader& head, std::unique_ptr<Tag4>& out);
int buildTag(Data4* t, const std::string& path, const NtxHeader& header, const KeyExpression& key,
             const KeyExpression* filter, std::unique_ptr<Ntx>& out);

int openTag(Data4* t, const std::string& name, bool readOnly, std::unique_ptr<Tag4>& out) {
    Code4* h = t->code;
    auto tag = std::make_unique<Tag4>();
    tag->table = t;
    tag->name = name;
    tag->path = resolvePath(*h->fs, t->dir, name + ".ntx");
    if (!fileExists(*h->fs, t->dir, name + ".ntx"))
        return setError(h, e4open, "index file " + name + ".ntx not found");
    int rc = Ntx::open(*h->fs, tag->path, readOnly, tag->ntx);
    if (rc && t->dbf->inFlux() && t->dbf->mayMend()) {
        // The index was being changed when the power went, and its pages may not have reached
        // the disk together: it is built again from its header, as the mark asks anyway.
        NtxHeader header;
        if (Ntx::readHeader(*h->fs, tag->path, header) == 0) {
            std::unique_ptr<Tag4> bound;
            rc = bindTag(t, std::move(tag), header, bound);
            if (rc) return rc;
            rc = buildTag(t, bound->path, header, *bound->key,
                          bound->filter ? &*bound->filter : nullptr, bound->ntx);
            if (rc) return setError(h, rc, "cannot rebuild index " + bound->path);
            out = std::move(bound);
            return 0;
        }
    }
    if (rc) return setError(h, rc, "cannot open index " + tag->path);
    const NtxHeader head = tag->ntx->header();
    return bindTag(t, std::move(tag), head, out);
}

// Gives the tag the key expression and filter its index header names, checked against the
// table's fields.
int bindTag(Data4* t, std::unique_ptr<Tag4> tag, const NtxHeader& head,
            std::unique_ptr<Tag4>& out) {
    Code4* h = t->code;
    std::string why;
    tag->key = KeyExpression::parse(head.expression, t->dbf->fields(), &why);
    if (!tag->key || tag->key->type() == 'L')
        return setError(h, e4index, tag->path + ": key expression: " + why);
    if (tag->key->keyLength() != head.keySize)
        return setError(h, e4index, tag->path + ": key size disagrees with the table");
    if (!head.filter.empty()) {
        tag->filter = KeyExpression::parse(head.filter, t->dbf->fields(), &why);
        if (!tag->filter || tag->filter->type() != 'L')
            return setError(h, e4index, tag->path + ": filter: " + why);
    }
    out = std::move(tag);
    return 0;
}

// Builds the .ntx of one tag from the table's records.
int buildTag(Data4* t, const std::string& path, const NtxHeader& header, const KeyExpression& key,
             const KeyExpression* filter, std::unique_ptr<Ntx>& out) {
    NtxBuilder builder(*t->code->fs, path, header);
    std::uint32_t count = t->dbf->count();
    builder.reserve(count);
    std::string k;
    for (std::uint32_t n = 1; n <= count; ++n) {
        const char* p = nullptr;
        int rc = t->dbf->record(n, p);
        if (rc) return rc;
        if (filter && !filter->evaluateBool(p)) continue;
        k.clear();
        key.evaluate(p, k);
        builder.add(k, n);
    }
    return builder.finish(out);
}

int rebuildTags(Data4* t) {
    for (auto& tag : t->tags) {
        NtxHeader header = tag->ntx->header();
        tag->ntx->flush();
        std::unique_ptr<Ntx> fresh;
        int rc =
            buildTag(t, tag->path, header, *tag->key, tag->filter ? &*tag->filter : nullptr, fresh);
        if (rc) return setError(t->code, rc, t->alias + ": cannot rebuild index " + tag->path);
        tag->ntx = std::move(fresh);
    }
    t->cursorOn = false;
    return 0;
}

// Writes and syncs whatever of the table and its index files changed since their last sync
// (nothing is synced when nothing changed), then clears the in-flux mark: only once the
// index files and the records are on disk may the mark go, or a power loss could leave
// unmarked index pages or a count that the disk does not hold.
int flushAll(Data4* t) {
    int first = flushRecord(t);
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

// Number text: blanks, sign, digits, one '.' or ',' and an exponent; anything else ends it.
// The common stored form, at most 15 digits with or without a decimal point and no exponent:
// the digits are an exact integer and a power of ten up to 1e15 is exact, so one division
// gives the correctly rounded value, the same as the full conversion below. Empty when the
// text needs that conversion.
std::optional<double> parsePlainNumber(std::string_view s) {
    static constexpr double kTens[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    std::uint64_t digits = 0;
    int count = 0;
    int decimals = 0;
    bool point = false;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c >= '0' && c <= '9') {
            if (++count > 15) return std::nullopt;
            digits = digits * 10 + static_cast<std::uint64_t>(c - '0');
            decimals += point;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
        } else if (c == 'e' || c == 'E') {
            return std::nullopt;
        } else {
            break;
        }
    }
    if (count == 0) return std::nullopt;
    const double v = static_cast<double>(digits) / kTens[decimals];
    return negative ? -v : v;
}

double parseNumber(std::string_view s) {
    if (const std::optional<double> plain = parsePlainNumber(s)) return *plain;
    char buf[64];
    std::size_t n = 0;
    std::size_t i = 0;
    while (i < s.size() && s[i] == ' ') ++i;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        if (s[i] == '-') buf[n++] = '-';
        ++i;
    }
    bool point = false;
    for (; i < s.size() && n < sizeof buf - 1; ++i) {
        char c = s[i];
        if (c >= '0' && c <= '9') {
            buf[n++] = c;
        } else if ((c == '.' || c == ',') && !point) {
            point = true;
            buf[n++] = '.';
        } else if ((c == 'e' || c == 'E') && i + 1 < s.size()) {
            buf[n++] = 'e';
            if (s[i + 1] == '-' || s[i + 1] == '+') buf[n++] = s[++i];
            point = true;
        } else {
            break;
        }
    }
    double v = 0;
    auto r = std::from_chars(buf, buf + n, v);
    if (r.ec != std::errc()) return 0;
    return v;
}

// `v` in `dec` decimals, rounded half away from zero on its shortest decimal form (so 2.675
// gives 2.68, as a person reading the number expects). False for NaN and infinities.
bool formatNumber(double v, int dec, std::string& out) {
    if (!std::isfinite(v)) return false;
    char buf[512];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed);
    if (r.ec != std::errc()) return false;
    std::string s(buf, r.ptr);
    bool neg = !s.empty() && s[0] == '-';
    if (neg) s.erase(0, 1);
    auto dot = s.find('.');
    std::string ip = dot == std::string::npos ? s : s.substr(0, dot);
    std::string fp = dot == std::string::npos ? "" : s.substr(dot + 1);
    bool up = fp.size() > static_cast<std::size_t>(dec) && fp[dec] >= '5';
    fp.resize(dec, '0');
    std::string digits = ip + fp;
    if (up) {
        int i = static_cast<int>(digits.size()) - 1;
        while (i >= 0 && digits[i] == '9') digits[i--] = '0';
        if (i < 0)
            digits.insert(digits.begin(), '1');
        else
            ++digits[i];
    }
    ip = digits.substr(0, digits.size() - dec);
    fp = digits.substr(digits.size() - dec);
    bool zero = digits.find_first_not_of('0') == std::string::npos;
    out.clear();
    if (neg && !zero) out.push_back('-');
    out += ip;
    if (dec > 0) out += "." + fp;
    return true;
}

int assignRightAligned(Field4* f, const std::string& text) {
    Data4* t = f->table;
    const auto& l = f->layout;
    if (static_cast<int>(text.size()) > l.len)
        return setError(t->code, e4parm,
                        t->alias + "." + l.name + ": " + text + " does not fit the field");
    int rc = beginChange(t);
    if (rc) return rc;
    char* p = t->rec.data() + l.offset;
    std::memset(p, ' ', l.len - text.size());
    std::memcpy(p + l.len - text.size(), text.data(), text.size());
    return 0;
}

bool isBinaryType(char type) {
    return type == 'I' || type == 'B' || type == 'Y' || type == 'T' || type == '0';
}

int assignNumber(Field4* f, double v) {
    Data4* t = f->table;
    const auto& l = f->layout;
    if (l.type != 'N' && l.type != 'F')
        return setError(t->code, e4fieldType, t->alias + "." + l.name + " is not numeric");
    std::string text;
    if (!formatNumber(v, l.dec, text))
        return setError(t->code, e4parm, t->alias + "." + l.name + ": not a number");
    return assignRightAligned(f, text);
}

int assignInteger(Field4* f, long long v) {
    const auto& l = f->layout;
    if (l.type != 'N' && l.type != 'F')
        return setError(f->table->code, e4fieldType,
                        f->table->alias + "." + l.name + " is not numeric");
    std::string text = std::to_string(v);
    if (l.dec > 0) text += "." + std::string(l.dec, '0');
    return assignRightAligned(f, text);
}

std::string_view fieldBytes(const Field4* f) {
    return std::string_view(f->table->rec).substr(f->layout.offset, f->layout.len);
}

const std::string kEmpty;

}  // namespace

// ---------------------------------------------------------------------------- engine handle
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
    int rc = t->code->optimizeWrite ? flushRecord(t) : settle(t);
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

// ---------------------------------------------------------------------------- tags

Tag4* d4tag(Data4* t, std::string_view name) {
    if (!t) return nullptr;
    for (auto& tag : t->tags)
        if (sameName(tag->name, name)) return tag.get();
    if (t->code->errTagName)
        setError(t->code, e4tagName, t->alias + ": no tag " + std::string(name));
    return nullptr;
}

Tag4* d4tagDefault(Data4* t) {
    if (!t || t->tags.empty()) return nullptr;
    return t->tags.front().get();
}

int d4tagSelect(Data4* t, Tag4* tag) {
    if (!t) return e4parm;
    if (tag && tag->table != t) return setError(t->code, e4parm, "tag of another table");
    if (tag != t->selected) t->cursorOn = false;
    t->selected = tag;
    return 0;
}

Tag4* d4tagSelected(Data4* t) {
    return t ? t->selected : nullptr;
}

int i4create(Data4* t, std::string_view groupName, const std::vector<Tag4Info>& infos) {
    if (!t) return e4parm;
    Code4* h = t->code;
    int rc = flushAll(t);
    if (rc) return rc;
    if (t->dbf->readOnly()) return setError(h, e4access, t->alias + ": the table is read-only");
    std::string group(groupName);
    if (!validTagName(group)) return setError(h, e4create, "bad group name " + group);

    struct Plan {
        const Tag4Info* info;
        KeyExpression key;
        std::optional<KeyExpression> filter;
    };
    std::vector<Plan> plans;
    std::vector<std::string> names;
    for (const auto& info : infos) {
        if (!validTagName(info.name)) return setError(h, e4tagName, "bad tag name " + info.name);
        for (const auto& n : names)
            if (sameName(n, info.name)) return setError(h, e4tagName, "two tags " + n);
        std::string why;
        auto key = KeyExpression::parse(info.expression, t->dbf->fields(), &why);
        if (!key || key->type() == 'L')
            return setError(h, e4expr, info.name + ": key expression: " + why);
        std::optional<KeyExpression> filter;
        if (!info.filter.empty()) {
            filter = KeyExpression::parse(info.filter, t->dbf->fields(), &why);
            if (!filter || filter->type() != 'L')
                return setError(h, e4expr, info.name + ": filter: " + why);
        }
        if (h->safety && fileExists(*h->fs, t->dir, info.name + ".ntx"))
            return setError(h, e4create, info.name + ".ntx exists");
        names.push_back(info.name);
        plans.push_back({&info, std::move(*key), std::move(filter)});
    }
    if (h->safety && fileExists(*h->fs, t->dir, group + ".cgp"))
        return setError(h, e4create, group + ".cgp exists");

    // The table's old tags go first: their files may be the ones rebuilt.
    for (auto& tag : t->tags) tag->ntx->flush();
    t->tags.clear();
    t->selected = nullptr;
    t->cursorOn = false;

    std::vector<std::unique_ptr<Tag4>> made;
    for (auto& plan : plans) {
        auto tag = std::make_unique<Tag4>();
        tag->table = t;
        tag->name = plan.info->name;
        tag->path = resolvePath(*h->fs, t->dir, plan.info->name + ".ntx");
        NtxHeader header;
        header.expression = plan.key.canonicalText();
        header.filter = plan.filter ? plan.filter->canonicalText() : std::string();
        header.tagName = plan.info->name.substr(0, 10);
        for (char& c : header.tagName)
            c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        header.keySize = plan.key.keyLength();
        header.keyDecimals = plan.key.keyDecimals();
        header.unique = plan.info->unique;
        header.descending = plan.info->descending;
        rc = buildTag(t, tag->path, header, plan.key, plan.filter ? &*plan.filter : nullptr,
                      tag->ntx);
        if (rc) return setError(h, rc, "cannot build index " + tag->path);
        tag->key = std::move(plan.key);
        tag->filter = std::move(plan.filter);
        made.push_back(std::move(tag));
    }
    rc = writeGroupFile(*h->fs, resolvePath(*h->fs, t->dir, group + ".cgp"), names);
    if (rc) return setError(h, rc, "cannot write group file " + group + ".cgp");
    t->tags = std::move(made);
    t->indexesShut = false;
    rc = t->dbf->markInFlux(false);  // every tag was just built from the table
    if (rc) return setError(h, rc, t->alias + ": cannot write the header");
    return 0;
}

int i4groupCheck(Data4* t, std::string_view groupName, const std::vector<Tag4Info>& infos,
                 std::string* unsound) {
    if (!t) return e4parm;
    FileSystem& fs = *t->code->fs;
    const auto fail = [unsound](int rc, const std::string& file) {
        if (unsound) *unsound = file;
        return rc;
    };
    const std::string group = std::string(groupName) + ".cgp";
    if (!fileExists(fs, t->dir, group)) return fail(e4open, group);
    std::vector<std::string> listed;
    if (readGroupFile(fs, resolvePath(fs, t->dir, group), listed)) return fail(e4index, group);
    const auto lists = [&listed](const std::string& name) {
        for (const auto& n : listed)
            if (sameName(n, name)) return true;
        return false;
    };
    if (listed.size() != infos.size()) return fail(e4index, group);
    for (const auto& info : infos)
        if (!lists(info.name)) return fail(e4index, group);

    // Each key and filter compared as parsed, so that another tool's spelling of the same
    // expression still counts as the same index.
    const auto canonical = [t](const std::string& text) {
        auto parsed = KeyExpression::parse(text, t->dbf->fields(), nullptr);
        return parsed ? std::optional<std::string>(parsed->canonicalText()) : std::nullopt;
    };
    for (const auto& info : infos) {
        const std::string file = info.name + ".ntx";
        if (!fileExists(fs, t->dir, file)) return fail(e4open, file);
        std::unique_ptr<Ntx> ntx;
        if (Ntx::open(fs, resolvePath(fs, t->dir, file), /*readOnly=*/true, ntx))
            return fail(e4index, file);
        const NtxHeader& head = ntx->header();
        auto key = KeyExpression::parse(info.expression, t->dbf->fields(), nullptr);
        if (!key) return fail(e4expr, file);
        if (canonical(head.expression) != key->canonicalText() || head.keySize != key->keyLength())
            return fail(e4index, file);
        const std::optional<std::string> filter =
            info.filter.empty() ? std::optional<std::string>("") : canonical(info.filter);
        const std::optional<std::string> stored =
            head.filter.empty() ? std::optional<std::string>("") : canonical(head.filter);
        if (!filter || filter != stored) return fail(e4index, file);
    }
    return 0;
}

const std::string& t4alias(Tag4* tag) {
    return tag ? tag->name : kEmpty;
}
const std::string& t4expr(Tag4* tag) {
    return tag ? tag->ntx->header().expression : kEmpty;
}

// ---------------------------------------------------------------------------- fields

int d4numFields(Data4* t) {
    return t ? static_cast<int>(t->fields.size()) : 0;
}

Field4* d4fieldJ(Data4* t, int j) {
    if (!t || j < 1 || j > static_cast<int>(t->fields.size())) return nullptr;
    return t->fields[j - 1].get();
}

Field4* d4field(Data4* t, std::string_view name) {
    if (!t) return nullptr;
    for (auto& f : t->fields)
        if (sameName(f->layout.name, name)) return f.get();
    setError(t->code, e4fieldName, t->alias + ": no field " + std::string(name));
    return nullptr;
}

const std::string& d4alias(Data4* t) {
    return t ? t->alias : kEmpty;
}
Code4* d4code(Data4* t) {
    return t ? t->code : nullptr;
}

std::string f4str(Field4* f) {
    if (!f) return {};
    return f->table->dbf->codePage().decode(fieldBytes(f));
}

int f4int(Field4* f) {
    double v = f ? parseNumber(fieldBytes(f)) : 0;
    if (v >= 2147483647.0) return 2147483647;
    if (v <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(v);
}

long f4long(Field4* f) {
    double v = f ? parseNumber(fieldBytes(f)) : 0;
    if (v >= 9.2e18) return 9200000000000000000L;
    if (v <= -9.2e18) return -9200000000000000000L;
    return static_cast<long>(v);
}

double f4double(Field4* f) {
    return f ? parseNumber(fieldBytes(f)) : 0;
}

int f4true(Field4* f) {
    if (!f) return 0;
    char c = fieldBytes(f)[0];
    return c == 'T' || c == 't' || c == 'Y' || c == 'y' ? 1 : 0;
}

int f4assign(Field4* f, std::string_view utf8) {
    if (!f) return e4parm;
    Data4* t = f->table;
    const auto& l = f->layout;
    if (isBinaryType(l.type))
        return setError(t->code, e4fieldType, t->alias + "." + l.name + " holds binary data");
    std::string stored = t->dbf->codePage().encode(utf8);
    if (l.type == 'N' || l.type == 'F') {
        auto b = stored.find_first_not_of(' ');
        auto e = stored.find_last_not_of(' ');
        return assignRightAligned(f, b == std::string::npos ? "" : stored.substr(b, e - b + 1));
    }
    int rc = beginChange(t);
    if (rc) return rc;
    char* p = t->rec.data() + l.offset;
    std::size_t n = std::min<std::size_t>(stored.size(), l.len);
    std::memcpy(p, stored.data(), n);
    std::memset(p + n, ' ', l.len - n);
    return 0;
}

int f4assignInt(Field4* f, int v) {
    return f ? assignInteger(f, v) : e4parm;
}
int f4assignLong(Field4* f, long v) {
    return f ? assignInteger(f, v) : e4parm;
}
int f4assignDouble(Field4* f, double v) {
    return f ? assignNumber(f, v) : e4parm;
}

const std::string& f4name(Field4* f) {
    return f ? f->layout.name : kEmpty;
}
char f4type(Field4* f) {
    return f ? f->layout.type : '\0';
}
int f4len(Field4* f) {
    return f ? f->layout.len : 0;
}
int f4decimals(Field4* f) {
    return f ? f->layout.dec : 0;
}

// ---------------------------------------------------------------------------- checks

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
