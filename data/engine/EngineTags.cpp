// The index calls: a table's tags opened from its group file (an index the power left unsound
// built again when the table is in flux), built from the table's records, selected; i4create
// and the group check.

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "data/engine/EngineState.h"
#include "data/engine/GroupFile.h"

namespace engine {

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

int rebuildTag(Data4* t, Tag4& tag) {
    NtxHeader header = tag.ntx->header();
    tag.ntx->flush();
    std::unique_ptr<Ntx> fresh;
    int rc = buildTag(t, tag.path, header, *tag.key, tag.filter ? &*tag.filter : nullptr, fresh);
    if (rc) return setError(t->code, rc, t->alias + ": cannot rebuild index " + tag.path);
    tag.ntx = std::move(fresh);
    tag.dropPending();
    return 0;
}

int rebuildTags(Data4* t) {
    for (auto& tag : t->tags) {
        int rc = rebuildTag(t, *tag);
        if (rc) return rc;
    }
    t->cursorOn = false;
    return 0;
}

namespace {

// The entries of `pending` (key, then record number, `stride` bytes each) in the tree's
// order: by key as the index orders keys, then by record number. Past the bytes all the keys
// share, each is sorted by its next eight bytes as one number and its record number; the rest
// of the key is compared only on a tie.
std::string sortedEntries(const std::string& pending, std::size_t n, std::size_t len,
                          bool descending) {
    const std::size_t stride = len + 4;
    const auto* base = reinterpret_cast<const unsigned char*>(pending.data());
    std::size_t shared = n > 0 ? len : 0;
    for (std::size_t i = 1; i < n && shared > 0; ++i)
        shared = static_cast<std::size_t>(
            std::mismatch(base, base + shared, base + i * stride).first - base);
    const std::size_t headLen = std::min<std::size_t>(len - shared, 8);
    const std::size_t restAt = shared + headLen;
    struct Item {
        std::uint64_t head;
        std::uint32_t rec;
        std::uint32_t at;
    };
    std::vector<Item> items(n);
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char* e = base + i * stride;
        std::uint64_t h = 0;
        for (std::size_t b = 0; b < headLen; ++b) h = h << 8 | e[shared + b];
        if (headLen > 0) h <<= 8 * (8 - headLen);
        std::uint32_t rec;
        std::memcpy(&rec, e + len, sizeof rec);
        items[i] = {descending ? ~h : h, rec, static_cast<std::uint32_t>(i)};
    }
    std::sort(items.begin(), items.end(), [&](const Item& a, const Item& b) {
        if (a.head != b.head) return a.head < b.head;
        if (restAt < len) {
            const int c = std::memcmp(base + std::size_t{a.at} * stride + restAt,
                                      base + std::size_t{b.at} * stride + restAt, len - restAt);
            if (c != 0) return descending ? c > 0 : c < 0;
        }
        return a.rec < b.rec;
    });
    std::string sorted(n * stride, '\0');
    for (std::size_t i = 0; i < n; ++i)
        std::memcpy(sorted.data() + i * stride, base + std::size_t{items[i].at} * stride, stride);
    return sorted;
}

// Drops the entries that both lists hold: a record's entry that came and went (or went and
// came back) within the batch leaves the tree as it was. Both lists are in the tree's order.
void cancelPairs(std::string& in, std::string& out, std::size_t stride, bool descending) {
    const std::size_t len = stride - 4;
    const auto cmp = [&](const char* a, const char* b) {
        const int c = std::memcmp(a, b, len);
        if (c != 0) return descending ? -c : c;
        std::uint32_t ra, rb;
        std::memcpy(&ra, a + len, 4);
        std::memcpy(&rb, b + len, 4);
        return ra < rb ? -1 : ra > rb ? 1 : 0;
    };
    std::string keptIn, keptOut;
    std::size_t i = 0, o = 0;
    while (i < in.size() && o < out.size()) {
        const int c = cmp(in.data() + i, out.data() + o);
        if (c == 0) {
            i += stride;
            o += stride;
        } else if (c < 0) {
            keptIn.append(in, i, stride);
            i += stride;
        } else {
            keptOut.append(out, o, stride);
            o += stride;
        }
    }
    keptIn.append(in, i);
    keptOut.append(out, o);
    in.swap(keptIn);
    out.swap(keptOut);
}

}  // namespace

// A batch of at least an eighth of the table is cheaper built afresh with the rest than put
// into the tree entry by entry; a smaller one goes in, and out, in one ordered pass.
int mergePending(Data4* t) {
    if (!t->pendingEntries) return 0;
    int rc = t->dbf->writeAppends();
    if (rc) return setError(t->code, rc, t->alias + ": cannot write appended records");
    t->cursorOn = false;
    for (auto& tag : t->tags) {
        if (tag->pendingCount == 0 && tag->pendingEraseCount == 0) continue;
        if ((tag->pendingCount + tag->pendingEraseCount) * 8 >= t->dbf->count()) {
            if ((rc = rebuildTag(t, *tag))) return rc;
            continue;
        }
        const std::size_t len = static_cast<std::size_t>(tag->key->keyLength());
        const std::size_t stride = len + 4;
        const bool descending = tag->ntx->header().descending;
        std::string in = sortedEntries(tag->pending, tag->pendingCount, len, descending);
        std::string out = sortedEntries(tag->pendingErase, tag->pendingEraseCount, len, descending);
        tag->dropPending();
        if (!in.empty() && !out.empty()) cancelPairs(in, out, stride, descending);
        rc = tag->ntx->eraseOrdered(out.data(), out.size() / stride, stride);
        if (rc) return tagError(t, tag.get(), rc, "drop");
        rc = tag->ntx->insertOrdered(in.data(), in.size() / stride, stride);
        if (rc) return tagError(t, tag.get(), rc, "take");
    }
    t->pendingEntries = false;
    return 0;
}

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

}  // namespace engine
