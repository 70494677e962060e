#include "data/engine/Dbf.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>

#include "data/engine/Errors.h"

namespace engine {
namespace {

constexpr std::uint8_t kEndMarker = 0x1A;
constexpr std::size_t kBlockSize = 64 * 1024;
constexpr std::size_t kRewriteBlock = 1 << 20;
constexpr std::size_t kAppendBatch = 64 * 1024;
// Gathered changes held at most, and the distance up to which changed records share a write.
constexpr std::size_t kChangesHeld = 32 << 20;
constexpr std::size_t kChangeGap = 4096;
// Reads past the view of at most this much use the block buffer; more remaps the view.
constexpr std::uint64_t kRemapSlack = 1 << 20;

std::uint16_t u16(const char* p) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) |
                                      (static_cast<unsigned char>(p[1]) << 8));
}
std::uint32_t u32(const char* p) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24);
}
void put16(char* p, std::uint32_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>((v >> 8) & 0xFF);
}
void put32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool knownVersion(std::uint8_t v) {
    switch (v) {
        case 0x02:  // FoxBASE
        case 0x03:  // dBASE III, FoxBASE+, dBASE IV without memo, Clipper
        case 0x04:  // dBASE IV
        case 0x05:  // dBASE V
        case 0x07:  // CA-VO
        case 0x30:  // Visual FoxPro
        case 0x31:
        case 0x32:
        case 0x43:  // dBASE IV SQL
        case 0x63:
        case 0x83:  // dBASE III with .dbt memo
        case 0x87:  // CA-VO with memo
        case 0x8B:  // dBASE IV with memo
        case 0x8E:
        case 0xCB:
        case 0xE5:  // Clipper SIX with memo
        case 0xF5:  // FoxPro 2.x with memo
        case 0xFB:
            return true;
        default:
            return false;
    }
}

// Today's date in the header's three bytes (year − 1900, month, day).
void stampDate(char* p, std::chrono::sys_days today) {
    using namespace std::chrono;
    const year_month_day ymd{today};
    p[0] = static_cast<char>((static_cast<int>(ymd.year()) - 1900) & 0xFF);
    p[1] = static_cast<char>(static_cast<unsigned>(ymd.month()));
    p[2] = static_cast<char>(static_cast<unsigned>(ymd.day()));
}

int fail(std::string* why, int code, const std::string& text) {
    if (why) *why = text;
    return code;
}

int ioError(int err, int fallback, std::string* why, const std::string& text) {
    if (why) *why = text + " (" + std::strerror(err) + ")";
    return errnoToError(err, fallback);
}

std::string dirOf(const std::string& path) {
    auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

bool binaryType(char t) {
    return t == 'I' || t == 'B' || t == 'Y' || t == 'T' || t == '0';
}

}  // namespace

int parseDbfHeader(const char* data, std::size_t n, std::uint64_t fileSize, DbfLayout& out,
                   std::string* why) {
    if (n < 32 || fileSize < 32) return fail(why, e4data, "file shorter than a table header");
    DbfLayout l;
    l.version = static_cast<std::uint8_t>(data[0]);
    if (!knownVersion(l.version)) return fail(why, e4data, "not a dBASE table (version byte)");
    l.count = u32(data + 4);
    l.headerLength = u16(data + 8);
    l.recordLength = u16(data + 10);
    l.languageByte = static_cast<std::uint8_t>(data[29]);
    if (l.headerLength < 32 + 32 + 1 || l.headerLength > fileSize || l.headerLength > n)
        return fail(why, e4data, "header length out of range");
    if (l.recordLength < 2) return fail(why, e4data, "record length out of range");

    // Field descriptors run until the 0x0D terminator; the header length bounds them.
    std::size_t pos = 32;
    bool terminated = false;
    while (pos < l.headerLength) {
        if (static_cast<unsigned char>(data[pos]) == 0x0D) {
            terminated = true;
            break;
        }
        if (pos + 32 > l.headerLength) break;
        const char* d = data + pos;
        FieldLayout f;
        for (int i = 0; i < 11 && d[i] != '\0'; ++i) {
            auto c = static_cast<unsigned char>(d[i]);
            if (c <= 0x20 || c >= 0x7F) return fail(why, e4data, "garbage in a field name");
            f.name.push_back(static_cast<char>(std::toupper(c)));
        }
        if (f.name.empty()) return fail(why, e4data, "empty field name");
        auto type = static_cast<unsigned char>(d[11]);
        if (type <= 0x20 || type >= 0x7F) return fail(why, e4data, "garbage field type");
        f.type = static_cast<char>(std::toupper(type));
        f.len = static_cast<unsigned char>(d[16]);
        f.dec = static_cast<unsigned char>(d[17]);
        l.fields.push_back(std::move(f));
        pos += 32;
    }
    if (l.fields.empty()) return fail(why, e4data, "table without fields");
    if (!terminated && pos != l.headerLength)
        return fail(why, e4data, "field descriptors without terminator");

    // Clipper and FoxPro keep the high byte of a long character field's length in the
    // decimals byte; dBASE leaves it 0. Take that reading first, the plain one if the record
    // length says otherwise.
    auto total = [&](bool highByte) {
        std::uint64_t sum = 1;
        for (const auto& f : l.fields) {
            if (f.type == 'C' && highByte)
                sum += static_cast<std::uint64_t>(f.len) + 256u * static_cast<unsigned>(f.dec);
            else
                sum += static_cast<std::uint64_t>(f.len);
        }
        return sum;
    };
    bool highByte = total(true) == l.recordLength;
    if (!highByte && total(false) != l.recordLength)
        return fail(why, e4recordLen, "record length disagrees with the fields");
    int offset = 1;
    for (auto& f : l.fields) {
        if (f.type == 'C' && highByte) {
            f.len += 256 * f.dec;
            f.dec = 0;
        }
        if (f.len <= 0) return fail(why, e4data, "field of length 0");
        f.offset = offset;
        offset += f.len;
    }
    for (std::size_t i = 0; i < l.fields.size(); ++i)
        for (std::size_t j = i + 1; j < l.fields.size(); ++j)
            if (l.fields[i].name == l.fields[j].name)
                return fail(why, e4data, "two fields named " + l.fields[i].name);

    std::uint64_t need = l.headerLength + static_cast<std::uint64_t>(l.count) * l.recordLength;
    if (need > fileSize)
        return fail(why, e4data,
                    "header claims " + std::to_string(l.count) + " records, the file holds " +
                        std::to_string((fileSize - l.headerLength) / l.recordLength));
    out = std::move(l);
    return 0;
}

int makeDbfHeader(std::vector<FieldLayout>& fields, std::string& bytes, std::string* why) {
    if (fields.empty()) return fail(why, e4data, "a table needs a field");
    if (fields.size() > 2000) return fail(why, e4data, "too many fields");
    int offset = 1;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        auto& f = fields[i];
        if (f.name.empty() || f.name.size() > 10 ||
            !std::isalpha(static_cast<unsigned char>(f.name[0])))
            return fail(why, e4fieldName, "bad field name '" + f.name + "'");
        for (char& c : f.name) {
            auto u = static_cast<unsigned char>(c);
            if (!std::isalnum(u) && c != '_')
                return fail(why, e4fieldName, "bad field name '" + f.name + "'");
            c = static_cast<char>(std::toupper(u));
        }
        for (std::size_t j = 0; j < i; ++j)
            if (fields[j].name == f.name)
                return fail(why, e4fieldName, "two fields named " + f.name);
        f.type = static_cast<char>(std::toupper(static_cast<unsigned char>(f.type)));
        switch (f.type) {
            case 'C':
                if (f.len < 1 || f.len > 254) return fail(why, e4fieldType, "bad width");
                f.dec = 0;
                break;
            case 'N':
            case 'F':
                if (f.len < 1 || f.len > 20 || f.dec < 0 || f.dec > 15 ||
                    (f.dec > 0 && f.dec > f.len - 2))
                    return fail(why, e4fieldType, "bad width or decimals for " + f.name);
                break;
            case 'D':
                f.len = 8;
                f.dec = 0;
                break;
            case 'L':
                f.len = 1;
                f.dec = 0;
                break;
            default:
                return fail(why, e4fieldType, "field type the engine cannot make");
        }
        f.offset = offset;
        offset += f.len;
    }
    if (offset > 65535) return fail(why, e4recordLen, "record too long");

    std::size_t headerLength = 32 + 32 * fields.size() + 1;
    bytes.assign(headerLength + 1, '\0');
    char* h = bytes.data();
    h[0] = 0x03;
    stampDate(h + 1, std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now()));
    put32(h + 4, 0);
    put16(h + 8, static_cast<std::uint32_t>(headerLength));
    put16(h + 10, static_cast<std::uint32_t>(offset));
    h[29] = static_cast<char>(CodePage::kWindows1252Byte);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        char* d = h + 32 + 32 * i;
        std::memcpy(d, fields[i].name.data(), fields[i].name.size());
        d[11] = fields[i].type;
        d[16] = static_cast<char>(fields[i].len);
        d[17] = static_cast<char>(fields[i].dec);
    }
    h[headerLength - 1] = 0x0D;
    h[headerLength] = static_cast<char>(kEndMarker);
    return 0;
}

Dbf::~Dbf() {
    flush();
}

int Dbf::open(FileSystem& fs, const std::string& path, bool exclusive, std::unique_ptr<Dbf>& out,
              std::string* why) {
    std::unique_ptr<Dbf> t(new Dbf());
    t->fs_ = &fs;
    t->path_ = path;
    t->exclusive_ = exclusive;
    int rc = t->load(why);
    if (rc) return rc;
    out = std::move(t);
    return 0;
}

int Dbf::load(std::string* why) {
    std::unique_ptr<File> file;
    int err = fs_->open(path_, OpenMode::ReadWrite, file);
    readOnly_ = false;
    if (err == EACCES || err == EROFS || err == EPERM) {
        err = fs_->open(path_, OpenMode::ReadOnly, file);
        readOnly_ = true;
    }
    if (err) return ioError(err, e4open, why, "cannot open " + path_);
    err = file->lock(exclusive_);
    if (err) {
        if (err == EWOULDBLOCK || err == EAGAIN)
            return fail(why, e4lock, path_ + " is in use by another program");
        return ioError(err, e4lock, why, "cannot lock " + path_);
    }
    std::uint64_t size = 0;
    err = file->size(size);
    if (err) return ioError(err, e4read, why, "cannot size " + path_);
    std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(size, 65536)), '\0');
    std::size_t got = 0;
    err = file->read(0, head.data(), head.size(), got);
    if (err) return ioError(err, e4read, why, "cannot read " + path_);
    const bool inFlux = got > 14 && head[14] != 0;
    // The mark of a table another holder has open is that holder's change in progress, not
    // the trace of one that stopped: only an opener that has the table to itself mends it.
    sole_ = exclusive_;
    if (inFlux && !exclusive_ && !readOnly_ && file->lock(true) == 0) {
        sole_ = true;
        err = file->lock(false);
        if (err) return ioError(err, e4lock, why, "cannot lock " + path_);
    }
    bool clamped = false;
    if (inFlux && got >= 12) {
        // A count written before the records it claims reached the disk: the file's whole
        // records are what there is.
        const std::uint32_t headerLength = u16(head.data() + 8);
        const std::uint32_t recordLength = u16(head.data() + 10);
        if (recordLength > 0 && headerLength <= size) {
            const std::uint64_t whole = (size - headerLength) / recordLength;
            if (u32(head.data() + 4) > whole) {
                put32(head.data() + 4, static_cast<std::uint32_t>(whole));
                clamped = true;
            }
        }
    }
    DbfLayout layout;
    int rc = parseDbfHeader(head.data(), got, size, layout, why);
    if (rc) return rc;
    dropView();
    file_ = std::move(file);
    layout_ = std::move(layout);
    codePage_ = &CodePage::forLanguageByte(layout_.languageByte);
    blank_.assign(layout_.recordLength, ' ');
    for (const auto& f : layout_.fields)
        if (binaryType(f.type)) std::memset(blank_.data() + f.offset, 0, f.len);
    fileSize_ = size;
    written_ = layout_.count;
    pending_.clear();
    headerDirty_ = clamped;
    dateWritten_ = false;
    inFlux_ = inFlux;
    othersMark_ = inFlux && !sole_;
    unsynced_ = false;
    viewOffered_ = true;
    return inFlux_ ? mendTail(why) : 0;
}

// Every write goes through here, so that a durable flush knows whether there is anything to
// sync.
int Dbf::put(std::uint64_t offset, const char* bytes, std::size_t n) {
    int err = file_->write(offset, bytes, n);
    if (err) return errnoToError(err, e4write);
    unsynced_ = true;
    return 0;
}

int Dbf::mendTail(std::string* why) {
    // An append lost with the power leaves the zeros of a hole, or the old end marker, where
    // its delete flag should be; a record a program wrote never starts with either.
    std::uint32_t whole = 0;
    while (whole < layout_.count) {
        const char* rec = nullptr;
        int rc = record(whole + 1, rec);
        if (rc) return fail(why, rc, "cannot read " + path_);
        if (rec[0] == '\0' || rec[0] == static_cast<char>(kEndMarker)) break;
        ++whole;
    }
    const std::uint64_t end =
        layout_.headerLength + static_cast<std::uint64_t>(whole) * layout_.recordLength;
    char last = 0;
    std::size_t got = 0;
    if (!headerDirty_ && whole == layout_.count && fileSize_ == end + 1 &&
        file_->read(end, &last, 1, got) == 0 && got == 1 && last == static_cast<char>(kEndMarker))
        return 0;
    layout_.count = whole;
    written_ = whole;
    if (readOnly_ || !sole_) {
        headerDirty_ = false;
        return 0;
    }
    dropView();
    const char marker = static_cast<char>(kEndMarker);
    int rc = put(end, &marker, 1);
    if (rc == e4full) return mendLater();
    if (rc) return fail(why, rc, "cannot mend " + path_);
    int err = file_->truncate(end + 1);
    if (err) return ioError(err, e4write, why, "cannot mend " + path_);
    fileSize_ = end + 1;
    headerDirty_ = true;
    rc = flush(true);
    if (rc == e4full) return mendLater();
    return rc ? fail(why, rc, "cannot mend " + path_) : 0;
}

int Dbf::mendLater() {
    // A full disk does not make the table unreadable: it reads as mended (its whole records),
    // the file keeps its mark, and an open once there is room mends it on disk.
    headerDirty_ = false;
    return 0;
}

int Dbf::markInFlux(bool on) {
    if (inFlux_ == on || (!on && othersMark_)) return 0;
    if (readOnly_) return e4access;
    char flag = on ? 1 : 0;
    int rc = put(14, &flag, 1);
    if (rc) return rc;
    inFlux_ = on;
    return flush(true);
}

int Dbf::create(FileSystem& fs, const std::string& path, std::vector<FieldLayout> fields,
                std::string* why) {
    std::string bytes;
    int rc = makeDbfHeader(fields, bytes, why);
    if (rc) return rc;
    stampDate(bytes.data() + 1, fs.today());
    std::string temp = path + ".tmp";
    std::unique_ptr<File> f;
    int err = fs.open(temp, OpenMode::Create, f);
    if (err) return ioError(err, e4create, why, "cannot create " + temp);
    err = f->write(0, bytes.data(), bytes.size());
    if (!err) err = f->sync();
    f.reset();
    if (err) {
        fs.remove(temp);
        return ioError(err, e4write, why, "cannot write " + temp);
    }
    err = fs.rename(temp, path);
    if (err) {
        fs.remove(temp);
        return ioError(err, e4rename, why, "cannot rename " + temp);
    }
    fs.syncDir(dirOf(path));
    return 0;
}

void Dbf::dropView() {
    view_ = nullptr;
    viewLen_ = 0;
    block_.clear();
    blockOff_ = 0;
}

int Dbf::record(std::uint32_t n, const char*& out) {
    if (n < 1 || n > layout_.count) return e4parm;
    if (n > written_) {
        out = pending_.data() + static_cast<std::size_t>(n - written_ - 1) * layout_.recordLength;
        return 0;
    }
    if (n < changedAt_.size() && changedAt_[n] != 0) {
        out = changes_.data() + std::size_t{changedAt_[n] - 1} * layout_.recordLength;
        return 0;
    }
    return stored(n, out);
}

int Dbf::stored(std::uint32_t n, const char*& out) {
    std::uint64_t off =
        layout_.headerLength + static_cast<std::uint64_t>(n - 1) * layout_.recordLength;
    std::uint64_t end = off + layout_.recordLength;
    if (view_ && end <= viewLen_) {
        out = view_ + off;
        return 0;
    }
    if (viewOffered_ && (fileSize_ > viewLen_ + kRemapSlack || !view_)) {
        view_ = file_->map(fileSize_);
        viewLen_ = view_ ? fileSize_ : 0;
        if (!view_) viewOffered_ = false;
        if (view_ && end <= viewLen_) {
            out = view_ + off;
            return 0;
        }
    }
    if (block_.empty() || off < blockOff_ || end > blockOff_ + block_.size()) {
        std::size_t want = std::max<std::size_t>(kBlockSize, layout_.recordLength);
        block_.resize(want);
        std::size_t got = 0;
        int err = file_->read(off, block_.data(), want, got);
        if (err) {
            block_.clear();
            return errnoToError(err, e4read);
        }
        block_.resize(got);
        blockOff_ = off;
        if (got < layout_.recordLength) {
            block_.clear();
            return e4read;  // the file shrank under us
        }
    }
    out = block_.data() + (off - blockOff_);
    return 0;
}

void Dbf::prefetch(std::uint32_t n) const {
    if (view_ == nullptr || n < 1 || n > written_) return;
    const std::uint64_t off =
        layout_.headerLength + static_cast<std::uint64_t>(n - 1) * layout_.recordLength;
    if (off + layout_.recordLength > viewLen_) return;
    // The cache lines of the record's first bytes, a few at most: enough for the tables'
    // records without flooding the cache for very long ones.
    const char* p = view_ + off;
    const std::uint32_t len = std::min<std::uint32_t>(layout_.recordLength, 256);
    for (std::uint32_t at = 0; at < len; at += 64) __builtin_prefetch(p + at);
    __builtin_prefetch(p + len - 1);
}

int Dbf::write(std::uint32_t n, const char* rec, bool gather) {
    if (n < 1 || n > layout_.count) return e4parm;
    if (readOnly_) return e4access;
    const std::size_t len = layout_.recordLength;
    if (n > written_) {
        std::memcpy(pending_.data() + static_cast<std::size_t>(n - written_ - 1) * len, rec, len);
        return 0;
    }
    if (n < changedAt_.size() && changedAt_[n] != 0) {
        std::memcpy(changes_.data() + std::size_t{changedAt_[n] - 1} * len, rec, len);
        return 0;
    }
    if (gather) {
        if (changedAt_.size() <= n) changedAt_.resize(std::size_t{layout_.count} + 1);
        changed_.push_back(n);
        changedAt_[n] = static_cast<std::uint32_t>(changed_.size());
        changes_.append(rec, len);
        return changes_.size() >= kChangesHeld ? writeChanges() : 0;
    }
    std::uint64_t off =
        layout_.headerLength + static_cast<std::uint64_t>(n - 1) * layout_.recordLength;
    int rc = put(off, rec, layout_.recordLength);
    if (rc) return rc;
    if (!block_.empty() && off < blockOff_ + block_.size() &&
        off + layout_.recordLength > blockOff_)
        block_.clear();
    if (!dateWritten_) headerDirty_ = true;
    return 0;
}

int Dbf::append(const char* rec) {
    if (readOnly_) return e4access;
    if (layout_.count == UINT32_MAX) return e4parm;
    if (pending_.empty()) pending_.reserve(kAppendBatch + layout_.recordLength + 1);
    pending_.append(rec, layout_.recordLength);
    ++layout_.count;
    if (pending_.size() >= kAppendBatch) return writeAppends();
    return 0;
}

int Dbf::writeChanges() {
    if (changed_.empty()) return 0;
    const std::size_t len = layout_.recordLength;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> held;
    held.reserve(changed_.size());
    for (std::size_t i = 0; i < changed_.size(); ++i)
        held.emplace_back(changed_[i], static_cast<std::uint32_t>(i));
    std::sort(held.begin(), held.end());
    // Records up to a few kilobytes apart go out in one write, the unchanged ones between
    // them copied as the file holds them: cheaper than a write for each.
    const std::size_t gapRecords = std::max<std::size_t>(1, kChangeGap / len);
    std::string block;
    std::size_t i = 0;
    while (i < held.size()) {
        std::size_t j = i + 1;
        while (j < held.size() && held[j].first - held[j - 1].first <= gapRecords &&
               (held[j].first - held[i].first) * len < kRewriteBlock)
            ++j;
        block.clear();
        for (std::size_t k = i; k < j; ++k) {
            if (k > i) {
                for (std::uint32_t n = held[k - 1].first + 1; n < held[k].first; ++n) {
                    const char* rec = nullptr;
                    int rc = stored(n, rec);
                    if (rc) return rc;
                    block.append(rec, len);
                }
            }
            block.append(changes_, std::size_t{held[k].second} * len, len);
        }
        const std::uint64_t off =
            layout_.headerLength + static_cast<std::uint64_t>(held[i].first - 1) * len;
        int rc = put(off, block.data(), block.size());
        if (rc) return rc;
        i = j;
    }
    block_.clear();
    forgetChanges();
    if (!dateWritten_) headerDirty_ = true;
    return 0;
}

void Dbf::forgetChanges() {
    changes_.clear();
    changed_.clear();
    std::vector<std::uint32_t>().swap(changedAt_);
}

int Dbf::writeAppends() {
    if (pending_.empty()) return 0;
    std::uint64_t off =
        layout_.headerLength + static_cast<std::uint64_t>(written_) * layout_.recordLength;
    // Records and end marker in one write; the count that claims them comes after.
    pending_.push_back(static_cast<char>(kEndMarker));
    int rc = put(off, pending_.data(), pending_.size());
    pending_.pop_back();
    if (rc) return rc;
    if (!block_.empty() && off < blockOff_ + block_.size()) block_.clear();
    fileSize_ = std::max(fileSize_, off + pending_.size() + 1);
    written_ = layout_.count;
    pending_.clear();
    headerDirty_ = true;
    return writeHeader();
}

int Dbf::writeHeader() {
    if (!headerDirty_) return 0;
    if (readOnly_) return e4access;
    char h[7];
    stampDate(h, fs_->today());
    put32(h + 3, layout_.count);
    int rc = put(1, h, sizeof h);
    if (rc) return rc;
    headerDirty_ = false;
    dateWritten_ = true;
    return 0;
}

int Dbf::flush(bool durable) {
    if (!file_) return 0;
    int rc = writeChanges();
    if (rc) return rc;
    rc = writeAppends();
    if (rc) return rc;
    rc = writeHeader();
    if (rc) return rc;
    if (durable && unsynced_ && !readOnly_) {
        int err = file_->sync();
        if (err) return errnoToError(err, e4write);
        unsynced_ = false;
    }
    return 0;
}

void Dbf::discardUnwritten() {
    pending_.clear();
    forgetChanges();
    layout_.count = written_;
    headerDirty_ = false;
}

int Dbf::rewrite(const std::function<bool(std::uint32_t n, const char* rec)>& keep) {
    if (readOnly_) return e4access;
    int rc = flush();
    if (rc) return rc;

    // The new header is the old one with the new count and today's date.
    std::string head(layout_.headerLength, '\0');
    std::size_t got = 0;
    int err = file_->read(0, head.data(), head.size(), got);
    if (err || got != head.size()) return errnoToError(err, e4read);

    std::string temp = path_ + ".tmp";
    std::unique_ptr<File> out;
    err = fs_->open(temp, OpenMode::Create, out);
    if (err) return errnoToError(err, e4create);
    auto abandon = [&](int code) {
        out.reset();
        fs_->remove(temp);
        return code;
    };

    std::string buf;
    buf.reserve(kRewriteBlock + layout_.recordLength);
    std::uint64_t pos = layout_.headerLength;
    std::uint32_t kept = 0;
    for (std::uint32_t n = 1; n <= layout_.count; ++n) {
        const char* rec = nullptr;
        rc = record(n, rec);
        if (rc) return abandon(rc);
        if (!keep(n, rec)) continue;
        buf.append(rec, layout_.recordLength);
        ++kept;
        if (buf.size() >= kRewriteBlock) {
            err = out->write(pos, buf.data(), buf.size());
            if (err) return abandon(errnoToError(err, e4write));
            pos += buf.size();
            buf.clear();
        }
    }
    buf.push_back(static_cast<char>(kEndMarker));
    err = out->write(pos, buf.data(), buf.size());
    if (err) return abandon(errnoToError(err, e4write));
    stampDate(head.data() + 1, fs_->today());
    put32(head.data() + 4, kept);
    err = out->write(0, head.data(), head.size());
    if (!err) err = out->sync();
    if (err) return abandon(errnoToError(err, e4write));
    out.reset();

    // The new file is opened (and locked) as a table before it takes the old one's place, so
    // that nothing can fail after the rename and leave this table reading the old records
    // while the new ones are on disk.
    std::unique_ptr<Dbf> fresh;
    rc = Dbf::open(*fs_, temp, exclusive_, fresh);
    if (rc) return abandon(rc);
    err = fs_->rename(temp, path_);
    if (err) {
        fresh.reset();
        return abandon(errnoToError(err, e4rename));
    }
    fs_->syncDir(dirOf(path_));
    dropView();
    file_ = std::move(fresh->file_);
    readOnly_ = fresh->readOnly_;
    layout_ = std::move(fresh->layout_);
    codePage_ = fresh->codePage_;
    fileSize_ = fresh->fileSize_;
    inFlux_ = fresh->inFlux_;
    unsynced_ = false;
    written_ = layout_.count;
    pending_.clear();
    headerDirty_ = false;
    dateWritten_ = false;
    viewOffered_ = true;
    return 0;
}

int Dbf::check(std::string* report) {
    int rc = flush();
    if (rc) return rc;
    std::uint64_t size = 0;
    int err = file_->size(size);
    if (err) return errnoToError(err, e4read);
    std::uint64_t need =
        layout_.headerLength + static_cast<std::uint64_t>(layout_.count) * layout_.recordLength;
    if (size < need) {
        if (report)
            *report += path_ + ": " + std::to_string(layout_.count) + " records need " +
                       std::to_string(need) + " bytes, the file has " + std::to_string(size) + "\n";
        return e4data;
    }
    int offset = 1;
    for (const auto& f : layout_.fields) {
        if (f.offset != offset || f.len <= 0) {
            if (report) *report += path_ + ": field " + f.name + " out of place\n";
            return e4data;
        }
        offset += f.len;
    }
    if (static_cast<std::uint32_t>(offset) != layout_.recordLength) {
        if (report) *report += path_ + ": record length disagrees with the fields\n";
        return e4data;
    }
    return 0;
}

}  // namespace engine
