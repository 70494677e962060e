#pragma once

// One Clipper-format .ntx index file: a B-tree of (key, record number) entries in 1024-byte
// pages, ordered by key bytes, then by record number. Maintained incrementally (insert,
// erase) and built in bulk from unsorted entries. One cursor per index.
//
// Every call returns 0 or a negative engine error (Errors.h). A damaged file (bad header,
// page offsets out of range, cycles, keys out of order) gives e4index, never a crash.
// Changed pages are written back no later than flush() or destruction.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "data/engine/FileSystem.h"

namespace engine {

struct NtxHeader {
    std::string expression;  // canonical key expression text
    std::string filter;      // filter text kept at header offset 282 (bit 0x01 not set)
    std::string tagName;
    int keySize = 0;
    int keyDecimals = 0;
    bool unique = false;
    bool descending = false;
};

class NtxBuilder;

class Ntx {
    struct Impl;

public:
    // Lets only Ntx and NtxBuilder construct an index while std::make_unique can.
    class Passkey {
        friend class Ntx;
        friend class NtxBuilder;
        Passkey() = default;
    };
    Ntx(Passkey, std::unique_ptr<Impl> impl);

    static int open(FileSystem& fs, const std::string& path, bool readOnly,
                    std::unique_ptr<Ntx>& out);
    ~Ntx();
    // Only the header of the file at `path` (key expression, filter, sizes), whatever state
    // its pages are in: enough to build the index again.
    static int readHeader(FileSystem& fs, const std::string& path, NtxHeader& out);

    const NtxHeader& header() const;

    int insert(std::string_view key, std::uint32_t recNo);
    int erase(std::string_view key, std::uint32_t recNo);  // e4index if absent
    // Inserts `n` entries that come in the index's order (by key as the index orders keys,
    // then by record number), each `stride` bytes: the key (keySize bytes), then the record
    // number (4 bytes, native order). An entry goes into the leaf of the one before it while
    // it belongs there, so that a batch costs about a search of one page an entry.
    int insertOrdered(const char* entries, std::size_t n, std::size_t stride);
    // Erases `n` entries given in the index's order, laid out as for insertOrdered; each must
    // be in the index (e4index otherwise). An entry found in the leaf of the one before it is
    // taken out there while the leaf stays full enough.
    int eraseOrdered(const char* entries, std::size_t n, std::size_t stride);

    // Cursor. Results: r4success / r4after / r4eof (Errors.h) or a negative error.
    // seek: the first entry whose key starts with `key` (exact: r4success), else the first
    // entry whose key sorts after `key` (r4after), else r4eof. `key` may be shorter than the
    // key size (partial key).
    int seek(std::string_view key);
    // Positions on exactly (key, recNo): r4success, or r4after on the next entry.
    int seekEntry(std::string_view key, std::uint32_t recNo);
    int first();  // r4eof when empty
    int last();   // r4eof when empty
    int next();   // r4eof past the last entry
    int prev();   // r4bof before the first entry
    bool atEnd() const;
    std::uint32_t recNo() const;   // record number of the current entry (0 when none)
    std::string_view key() const;  // key of the current entry
    // The record number of the entry `ahead` places from the current one (negative: before
    // it) when it lies in the same page, else 0. A hint for reading ahead; valid until the
    // next call that moves or changes the index.
    std::uint32_t recNoAhead(int ahead) const;

    int flush();
    // Forgets the pages and header not yet written, so that nothing more reaches the file:
    // for an index given up after a write the disk refused.
    void discardUnwritten();
    // flush(), then the file is synced when anything was written to it since the last sync.
    int sync();
    // The number of entries, counted from the pages' item counts (no key is read); e4index
    // when the pages do not form a tree.
    int entries(std::uint64_t& out);
    // Full structural check: page structure, key order, entry count into `entries`.
    int check(std::string* report, std::uint64_t* entries);

    // Walks every entry in order; stops early when fn returns false.
    template <class Fn>
    int forEach(Fn&& fn) {
        int rc = first();
        while (rc == 0) {
            if (!fn(key(), recNo())) return 0;
            rc = next();
        }
        return rc < 0 ? rc : 0;
    }

private:
    friend class NtxBuilder;
    explicit Ntx(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

// Builds a new index file from unsorted entries: collect, sort, fill pages bottom-up, write
// the file beside the target and rename it into place.
class NtxBuilder {
public:
    NtxBuilder(FileSystem& fs, std::string path, NtxHeader header);
    ~NtxBuilder();
    void reserve(std::size_t entries);
    void add(std::string_view key, std::uint32_t recNo);  // key exactly keySize bytes
    int finish(std::unique_ptr<Ntx>& out);                // opened read-write on success

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace engine
