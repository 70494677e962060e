#pragma once

// The table engine calls. The program reaches its tables only through these; they read one to
// one with the bookkeeping algorithms. Handles are plain pointers owned by the engine handle:
// a Data4 and its Field4/Tag4 handles are void once the table is closed.
//
// Errors: a failing call sets a negative error code in the engine handle and returns it (or
// nullptr). code4errorCode(h, 0) reads and clears it. Nothing here throws, except through the
// exit handler that code4exit calls.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine/Errors.h"
#include "data/engine/FileSystem.h"

namespace engine {

struct Code4;
struct Data4;
struct Field4;
struct Tag4;
}  // namespace engine

// The engine handle is opaque: its unique_ptr deletes it through the engine (closing every
// table first), so callers need not see its definition.
template <>
struct std::default_delete<engine::Code4> {
    void operator()(engine::Code4* h) const;
};

namespace engine {

struct Field4Info {
    std::string name;
    char type;  // 'C', 'N', 'D', 'L'
    int len;
    int dec;
};

struct Tag4Info {
    std::string name;
    std::string expression;
    std::string filter;  // e.g. ".NOT. DELETED()"; empty = none
    bool unique = false;
    bool descending = false;
};

// Engine handle. `dir` is the directory in which tables are looked for ("." = current).
std::unique_ptr<Code4> code4init(FileSystem& fs = posixFileSystem(), std::string dir = ".");
int code4initUndo(Code4* h);  // closes everything; the handle stays usable for nothing else
int code4close(Code4* h);     // closes every open table as d4close does
[[noreturn]] void code4exit(Code4* h);  // "the program ends": calls the exit handler
void code4exitHandler(Code4* h, std::function<void()> handler);  // default: std::exit(1)
int code4errorCode(Code4* h, int newCode);    // returns the pending code and sets newCode
const std::string& code4errorText(Code4* h);  // text of the last error, for diagnostics
void error4exitTest(Code4* h);                // ends the program if an error is pending
int code4errTagName(Code4* h, int on);        // 0: a missing tag in d4tag is not an error
int code4autoOpen(Code4* h, int on);          // 0: d4open leaves the group file shut
int code4safety(Code4* h, int on);            // 0: i4create / d4create may overwrite
int code4accessMode(Code4* h, int mode);      // 1: exclusive (OS lock), 0: shared
// 1: consecutive appends are gathered in memory (up to 64 KB) and written together at the
// next other move, flush or close. For bulk work only (imports, conversions, generated data):
// a crash loses the gathered records. 0 (the default): every record reaches the file at the
// next move, appends included.
int code4optimizeWrite(Code4* h, int on);
const std::string& code4dir(Code4* h);

// Tables. Names without extension, matched without regard to case.
Data4* d4open(Code4* h, std::string_view name);
Data4* d4create(Code4* h, std::string_view name, const std::vector<Field4Info>& fields);
// A command is durable when these return 0: the table's changed records, its header and its
// changed index files are written and synced (fdatasync), and then the in-flux mark is cleared
// and synced. A table that was not changed is not synced. An error leaves the mark set, so
// that the next open rebuilds the index files.
int d4close(Data4* t);
int d4flush(Data4* t);
// Closes the table without writing anything more: the current record's change, a new record
// and the index pages not yet written are dropped. For a change the disk refused part-way:
// the files stay as far as they were written, and when that left the in-flux mark set, the
// next open builds the index files again. Any error already pending stays pending.
int d4discard(Data4* t);

int d4top(Data4* t);
int d4bottom(Data4* t);
int d4skip(Data4* t, long n);
int d4go(Data4* t, long recNo);
int d4seek(Data4* t, std::string_view key);
int d4seekDouble(Data4* t, double key);
bool d4eof(Data4* t);
bool d4bof(Data4* t);
long d4recNo(Data4* t);
long d4recCount(Data4* t);  // records in the file, deleted ones included
inline long d4recCountDo(Data4* t) {
    return d4recCount(t);
}

bool d4deleted(Data4* t);
int d4delete(Data4* t);
int d4recall(Data4* t);
int d4appendBlank(Data4* t);
// Bulk changes, for imports, conversions and marking runs: between d4appendStart and
// d4appendEnd each d4appendBlank's record is gathered and written in 64 KB blocks, records
// changed in place are held and written in record order at the next flush, and the index
// entries of both are collected instead of put into the trees one by one. At d4appendEnd (or
// at any earlier flush or close, or move in tag order) they go into each index in one ordered
// pass, or the index is built afresh when the batch holds at least an eighth of the table's
// records. d4appendEnd then makes the batch durable as d4flush does. The in-flux mark is set
// from the first append, or change of an indexed table, so that a crash before the end leaves a
// table whose next open rebuilds its indexes.
int d4appendStart(Data4* t);
int d4appendEnd(Data4* t);
int d4refresh(Data4* t);
int d4pack(Data4* t);
int d4zap(Data4* t, long startRec, long endRec);

Tag4* d4tag(Data4* t, std::string_view name);
Tag4* d4tagDefault(Data4* t);
int d4tagSelect(Data4* t, Tag4* tag);  // nullptr = record-number order
Tag4* d4tagSelected(Data4* t);
int i4create(Data4* t, std::string_view groupName, const std::vector<Tag4Info>& tags);
// Whether the open table's index group `groupName` stands as i4create would make it, reading
// only the group file and each index file's header and root page: the group lists exactly the
// tags of `tags`, and each tag's .ntx is a sound index of its key expression and filter.
// 0 when so; otherwise e4open (a file is missing) or e4index, with the first file at fault
// ("EDate.ntx", "Exp5.cgp") in `unsound`. Sets no pending error.
int i4groupCheck(Data4* t, std::string_view groupName, const std::vector<Tag4Info>& tags,
                 std::string* unsound = nullptr);
// The tag's entries (the table's live records that pass its filter), counted from its pages
// without reading a record; negative (an engine error) when the index is damaged.
long t4count(Tag4* tag);
const std::string& t4alias(Tag4* tag);
const std::string& t4expr(Tag4* tag);

int d4numFields(Data4* t);
Field4* d4fieldJ(Data4* t, int j);                 // 1-based
Field4* d4field(Data4* t, std::string_view name);  // nullptr (and e4fieldName) if absent
const std::string& d4alias(Data4* t);
Code4* d4code(Data4* t);

std::string f4str(Field4* f);  // UTF-8, blank-padded to the field width
// The text f4str gives, without a string built for it where it can be helped: a view of the
// current record's bytes when they are ASCII (valid until the record changes or the table
// moves), else of `scratch`, into which the stored text is decoded.
std::string_view f4strView(Field4* f, std::string& scratch);
int f4int(Field4* f);
long f4long(Field4* f);
double f4double(Field4* f);
int f4true(Field4* f);                           // 1 = true
int f4assign(Field4* f, std::string_view utf8);  // padded or cut to the field width
int f4assignInt(Field4* f, int v);
int f4assignLong(Field4* f, long v);
int f4assignDouble(Field4* f, double v);  // rounded to the field's decimals
// Puts the bytes `from` holds in its table's current record into `to`, when they are what
// assigning `from`'s value to `to` would store: the same type, width and decimals, and the
// bytes in the form the engine writes (text in ASCII, a number right-aligned in its decimals
// without zeros in front, a logical T or F, a date of eight digits). False, with nothing
// changed, when not: the caller then assigns the value. For bulk copies between tables.
bool f4assignStored(Field4* to, Field4* from);
const std::string& f4name(Field4* f);
char f4type(Field4* f);
int f4len(Field4* f);
int f4decimals(Field4* f);

// Structural checks for tests and repair: table layout and counts, and for every tag its
// structure, key order, every live record present once, no deleted record indexed.
// Returns 0 when sound; otherwise an error code, with a description in `report`.
int d4check(Data4* t, std::string* report);

}  // namespace engine
