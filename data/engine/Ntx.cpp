// The index's public calls: open and header reading, insert and erase, the cursor's seeks and
// moves (a cursor whose tree changed under it finds its entry again first), flush and sync.

#include "data/engine/Ntx.h"

#include "data/engine/NtxImpl.h"

namespace engine {

using namespace ntx;

Ntx::Ntx(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Ntx::Ntx(Passkey, std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

Ntx::~Ntx() {
    if (impl_) impl_->flush();
}

int Ntx::open(FileSystem& fs, const std::string& path, bool readOnly, std::unique_ptr<Ntx>& out) {
    auto impl = std::make_unique<Impl>(fs, path, readOnly);
    int err = fs.open(path, readOnly ? OpenMode::ReadOnly : OpenMode::ReadWrite, impl->file);
    if (err) return errnoToError(err, e4open);
    std::uint64_t size = 0;
    err = impl->file->size(size);
    if (err) return errnoToError(err, e4read);
    std::size_t got = 0;
    err = impl->file->read(0, impl->rawHeader.data(), kPage, got);
    if (err) return errnoToError(err, e4read);
    if (got != kPage) return e4index;
    int rc = impl->parseHeader(size);
    if (rc) return rc;
    impl->remap();
    Frame* f;
    rc = impl->fetch(impl->root, f);
    if (rc) return rc;
    out = std::make_unique<Ntx>(Passkey{}, std::move(impl));
    return 0;
}

int Ntx::readHeader(FileSystem& fs, const std::string& path, NtxHeader& out) {
    Impl m(fs, path, true);
    int err = fs.open(path, OpenMode::ReadOnly, m.file);
    if (err) return errnoToError(err, e4open);
    std::size_t got = 0;
    err = m.file->read(0, m.rawHeader.data(), kPage, got);
    if (err) return errnoToError(err, e4read);
    if (got != kPage) return e4index;
    // As if the file reached as far as a page offset can: the tree is not looked at.
    int rc = m.parseHeader(std::uint64_t{UINT32_MAX} + 1);
    if (rc) return rc;
    out = m.hdr;
    return 0;
}

const NtxHeader& Ntx::header() const {
    return impl_->hdr;
}

int Ntx::insert(std::string_view key, std::uint32_t recNo) {
    Impl& m = *impl_;
    if (m.readOnly || key.size() != static_cast<std::size_t>(m.geo.keySize)) return e4parm;
    int rc = m.trim();
    if (rc) return rc;
    return m.insertEntry(reinterpret_cast<const unsigned char*>(key.data()), recNo);
}

int Ntx::insertOrdered(const char* entries, std::size_t n, std::size_t stride) {
    Impl& m = *impl_;
    if (m.readOnly || stride < static_cast<std::size_t>(m.geo.keySize) + 4) return e4parm;
    return m.insertOrderedEntries(reinterpret_cast<const unsigned char*>(entries), n, stride);
}

int Ntx::eraseOrdered(const char* entries, std::size_t n, std::size_t stride) {
    Impl& m = *impl_;
    if (m.readOnly || stride < static_cast<std::size_t>(m.geo.keySize) + 4) return e4parm;
    return m.eraseOrderedEntries(reinterpret_cast<const unsigned char*>(entries), n, stride);
}

int Ntx::erase(std::string_view key, std::uint32_t recNo) {
    Impl& m = *impl_;
    if (m.readOnly || key.size() != static_cast<std::size_t>(m.geo.keySize)) return e4parm;
    int rc = m.trim();
    if (rc) return rc;
    return m.eraseEntry(reinterpret_cast<const unsigned char*>(key.data()), recNo);
}

int Ntx::seek(std::string_view key) {
    Impl& m = *impl_;
    int rc = m.trim();
    if (rc) return rc;
    std::size_t len = std::min(key.size(), static_cast<std::size_t>(m.geo.keySize));
    Impl::Probe p{reinterpret_cast<const unsigned char*>(key.data()), len, false, 0};
    rc = m.step(m.descend(p, m.cursor, false), Impl::Pos::Eof);
    if (rc != r4success) return rc;
    return len == 0 || std::memcmp(m.curKey.data(), key.data(), len) == 0 ? r4success : r4after;
}

int Ntx::seekEntry(std::string_view key, std::uint32_t recNo) {
    Impl& m = *impl_;
    int rc = m.trim();
    if (rc) return rc;
    std::string full(key.substr(0, m.geo.keySize));
    full.resize(m.geo.keySize, ' ');
    Impl::Probe p{reinterpret_cast<const unsigned char*>(full.data()), full.size(), true, recNo};
    rc = m.step(m.descend(p, m.cursor, false), Impl::Pos::Eof);
    if (rc != r4success) return rc;
    return m.curKey == full && m.curRec == recNo ? r4success : r4after;
}

int Ntx::first() {
    int rc = impl_->trim();
    return rc ? rc : impl_->moveFirst();
}

int Ntx::last() {
    int rc = impl_->trim();
    return rc ? rc : impl_->moveLast();
}

int Ntx::next() {
    Impl& m = *impl_;
    int rc = m.trim();
    if (rc) return rc;
    switch (m.pos) {
        case Impl::Pos::Eof:
            return r4eof;
        case Impl::Pos::Bof:
        case Impl::Pos::None:
            return m.moveFirst();
        case Impl::Pos::On:
            break;
    }
    if (m.cursorVersion != m.treeVersion) {
        rc = m.resync();
        if (rc < 0 || rc == r4eof) return rc;
        if (rc == 0) return r4success;  // the entry went; its successor is next
    }
    return m.moveNext();
}

int Ntx::prev() {
    Impl& m = *impl_;
    int rc = m.trim();
    if (rc) return rc;
    switch (m.pos) {
        case Impl::Pos::Bof:
            return r4bof;
        case Impl::Pos::Eof:
        case Impl::Pos::None:
            return m.lastOrBof();
        case Impl::Pos::On:
            break;
    }
    if (m.cursorVersion != m.treeVersion) {
        rc = m.resync();
        if (rc < 0) return rc;
        if (rc == r4eof) return m.lastOrBof();
    }
    return m.movePrev();
}

bool Ntx::atEnd() const {
    return impl_->pos != Impl::Pos::On;
}

std::uint32_t Ntx::recNo() const {
    return impl_->pos == Impl::Pos::On ? impl_->curRec : 0;
}

std::string_view Ntx::key() const {
    return impl_->pos == Impl::Pos::On ? std::string_view(impl_->curKey) : std::string_view();
}

std::uint32_t Ntx::recNoAhead(int ahead) const {
    const Impl& m = *impl_;
    if (m.pos != Impl::Pos::On || m.stepOp != m.opCount || m.stepFrame == nullptr ||
        m.cursorVersion != m.treeVersion || m.cursor.empty())
        return 0;
    const unsigned char* f = m.stepFrame;
    if (m.isBranch(f)) return 0;
    const int i = m.cursor.back().index + ahead;
    return i >= 0 && i < m.count(f) ? m.recAt(f, i) : 0;
}

int Ntx::entries(std::uint64_t& out) {
    Impl& m = *impl_;
    out = 0;
    std::vector<std::uint32_t> pages{m.root};
    std::uint64_t visited = 0;
    while (!pages.empty()) {
        const std::uint32_t page = pages.back();
        pages.pop_back();
        // More visits than the file has pages: pages shared, or a cycle.
        if (++visited > m.pageCount) return e4index;
        // One page an operation, so that the cache keeps its bound on a large index.
        if (int rc = m.trim()) return rc;
        const unsigned char* d = nullptr;
        if (int rc = m.peek(page, d)) return rc;
        const int n = m.count(d);
        out += static_cast<std::uint64_t>(n);
        if (m.isBranch(d))
            for (int i = 0; i <= n; ++i) pages.push_back(m.child(d, i));
    }
    return 0;
}

int Ntx::flush() {
    return impl_->flush();
}

void Ntx::discardUnwritten() {
    for (auto& f : impl_->frames) f->dirty = false;
    impl_->headerDirty = false;
}

int Ntx::sync() {
    int rc = impl_->flush();
    if (rc || !impl_->unsynced) return rc;
    int err = impl_->file->sync();
    if (err) return errnoToError(err, e4write);
    impl_->unsynced = false;
    return 0;
}

int Ntx::check(std::string* report, std::uint64_t* entries) {
    int rc = impl_->trim();
    if (rc) return rc;
    return impl_->check(report, entries);
}

}  // namespace engine
