#pragma once

// One dBASE table file: the 32-byte header, the field descriptors, fixed-length records with
// their delete flags and the 0x1A end marker. Records are read through a view of the file
// (or a block buffer where no view is offered) and written in place; appends write the
// record before the header count that claims it. Foreign tables (dBASE III/IV, FoxPro,
// Clipper) open as they are: field types the engine does not use are carried untouched.
//
// Every call returns 0 or a negative engine error (Errors.h). A damaged file gives e4data,
// never a read past its end.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine/CodePage.h"
#include "data/engine/FieldLayout.h"
#include "data/engine/FileSystem.h"

namespace engine {

// What a header and its field descriptors say, once found consistent.
struct DbfLayout {
    std::uint8_t version = 0x03;
    std::uint8_t languageByte = CodePage::kWindows1252Byte;
    std::uint32_t count = 0;  // records, deleted ones included
    std::uint32_t headerLength = 0;
    std::uint32_t recordLength = 0;
    std::vector<FieldLayout> fields;
};

// Reads the header and descriptors from the first `n` bytes of a file of `fileSize` bytes.
// Returns 0, or e4data with the reason in `why`.
int parseDbfHeader(const char* data, std::size_t n, std::uint64_t fileSize, DbfLayout& out,
                   std::string* why);

// The bytes of a new, empty dBASE III table (version 0x03, Windows-1252) with `fields`;
// offsets are filled in. Returns e4fieldType / e4fieldName for fields it cannot hold.
int makeDbfHeader(std::vector<FieldLayout>& fields, std::string& bytes, std::string* why);

class Dbf {
public:
    // Opens read-write (read-only when the file refuses writing) and takes the whole-file
    // lock: exclusive when `exclusive`, shared otherwise. e4lock when another holds a
    // conflicting lock.
    static int open(FileSystem& fs, const std::string& path, bool exclusive,
                    std::unique_ptr<Dbf>& out, std::string* why = nullptr);
    // Writes a new empty table beside `path` and renames it into place.
    static int create(FileSystem& fs, const std::string& path, std::vector<FieldLayout> fields,
                      std::string* why = nullptr);
    ~Dbf();

    const std::string& path() const { return path_; }
    const std::vector<FieldLayout>& fields() const { return layout_.fields; }
    const DbfLayout& layout() const { return layout_; }
    std::uint32_t count() const { return layout_.count; }
    std::uint32_t recordLength() const { return layout_.recordLength; }
    const CodePage& codePage() const { return *codePage_; }
    bool readOnly() const { return readOnly_; }

    // A blank record: live, every field empty.
    const std::string& blankRecord() const { return blank_; }
    // The stored bytes of record n (1..count); valid until the next call on this table.
    int record(std::uint32_t n, const char*& out);
    // Asks the memory system for record n ahead of its reading; does nothing when the record
    // is not in the file's view.
    void prefetch(std::uint32_t n) const;
    // Writes record n (1..count). With `gather` the change is held (and read back) until the
    // next flush, or until some megabytes are held, and then written in record order, records
    // that lie close together in one write with the unchanged ones between them: for bulk
    // changes, which the in-flux mark covers.
    int write(std::uint32_t n, const char* rec, bool gather = false);
    // Adds record count+1. Consecutive appends are gathered and written together, followed
    // by the end marker and then the header count that claims them; writeAppends() (and
    // every other write, flush and rewrite) puts them on file.
    int append(const char* rec);
    int writeAppends();
    // Writes gathered appends and the header (date and count) if it changed and, with
    // `durable`, syncs the file when anything was written to it since its last sync.
    int flush(bool durable = false);
    // Forgets the appended records and the header change not yet written, so that nothing
    // more reaches the file: for a table given up after a write the disk refused.
    void discardUnwritten();

    // Writes a new table beside this one holding the records `keep` accepts (in order),
    // syncs it, renames it into place and continues on it. On failure the old file is
    // untouched and this table stays usable on it.
    int rewrite(const std::function<bool(std::uint32_t n, const char* rec)>& keep);

    // Layout and record count against the file's size.
    int check(std::string* report);

    // The mark (header byte 14, dBASE's incomplete-transaction flag) that says the table and
    // its index files are being changed: appended records may not all have reached the disk,
    // and the index files may not agree with the table. Setting it syncs it before it returns,
    // so that it is on disk before any record or index page of the change; the caller clears
    // it only once the table and its index files are synced, and the clearing is synced too.
    //
    // A table opened with the mark set was being changed when its program or its machine
    // stopped. Its header count is taken as at most the whole records the file holds, and it
    // ends before the first record that was never written (its delete flag still the zero of
    // a hole or the old end marker); when the file is writable the header and the end of the
    // file are set right and synced. The mark stays for the caller to rebuild the indexes.
    // Only an opener that has the table to itself (mayMend) mends it or clears the mark:
    // another holder's mark is a change in progress, and its records are only read as far as
    // the file holds them.
    bool inFlux() const { return inFlux_; }
    bool mayMend() const { return sole_ && !readOnly_; }
    int markInFlux(bool on);

private:
    Dbf() = default;
    int load(std::string* why);
    int writeHeader();
    int put(std::uint64_t offset, const char* bytes, std::size_t n);
    int mendTail(std::string* why);
    int mendLater();
    int writeChanges();
    void forgetChanges();
    // Record n as the file holds it, without the changes not yet written.
    int stored(std::uint32_t n, const char*& out);
    void dropView();

    FileSystem* fs_ = nullptr;
    std::string path_;
    std::unique_ptr<File> file_;
    bool readOnly_ = false;
    bool exclusive_ = false;
    bool sole_ = false;        // nobody else had the table open when it was opened
    bool othersMark_ = false;  // the mark was another holder's when the table was opened
    DbfLayout layout_;
    std::string blank_;
    const CodePage* codePage_ = nullptr;
    std::uint64_t fileSize_ = 0;
    bool headerDirty_ = false;
    bool dateWritten_ = false;
    bool inFlux_ = false;
    bool unsynced_ = false;  // written since the last sync
    // Appended records not yet on file; they follow record `written_`.
    std::string pending_;
    std::uint32_t written_ = 0;
    // Gathered changes to written records, not yet on file: their bytes one after another,
    // their record numbers in the same order, and by record number its place among them
    // counted from 1 (0: not held).
    std::string changes_;
    std::vector<std::uint32_t> changed_;
    std::vector<std::uint32_t> changedAt_;

    // Read view of the file (or nothing) and a block buffer for what lies beyond it.
    const char* view_ = nullptr;
    std::uint64_t viewLen_ = 0;
    bool viewOffered_ = true;
    std::string block_;
    std::uint64_t blockOff_ = 0;
};

}  // namespace engine
