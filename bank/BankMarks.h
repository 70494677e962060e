#pragma once

// Which bank account each expense and income record moved through, with its cleared and
// reconciled marks, kept in the side table BANKMARK.
//
// A mark is keyed by the record itself, not by its record number: its kind, a fingerprint of
// the fields the program never renumbers (the date, the amount, the pay-to text or
// description, and for an expense the check number and memo, as stored) and its place among
// the live records of that kind with the same fingerprint, in record order. A pack removes
// only deleted records and keeps the order of the rest, an archive only sets a flag, and
// renumbering a folder or an account touches neither: each leaves every key true. A record
// that another program added or changed has a key no mark holds, so it shows as "not
// assigned", never under a wrong account. The program's own saves, deletions, recoveries and
// imports keep the table in step through the calls below.
//
// EXP5 and INC5 must be open through their openers (cbk::Expenses, cbk::Income); the calls
// move the table they read and leave the record buffers alone.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "bank/Cents.h"

namespace bank {

enum class Kind : char { Expense = 'E', Income = 'I' };

struct RecordKey {
    Kind kind = Kind::Expense;
    std::uint64_t fingerprint = 0;
    std::int32_t occurrence = 0;  // 0 for the first live record with the fingerprint
    bool operator==(const RecordKey&) const = default;
    // Kind, then fingerprint, then place: the order of the marks in memory and on disk.
    bool operator<(const RecordKey& o) const {
        if (kind != o.kind) return kind < o.kind;
        if (fingerprint != o.fingerprint) return fingerprint < o.fingerprint;
        return occurrence < o.occurrence;
    }
};

struct RecordKeyHash {
    std::size_t operator()(const RecordKey& k) const {
        return std::size_t(k.fingerprint * 31 + std::uint64_t(k.occurrence) * 2 +
                           (k.kind == Kind::Income));
    }
};

struct Mark {
    std::int32_t bankNo = 0;
    bool cleared = false;
    std::uint32_t reconciled = 0;    // the statement date as yyyymmdd; 0 while open
    std::optional<Cents> statement;  // the amount of the statement line it was matched to
    std::uint32_t recordDate = 0;    // the record's date (yyyymmdd), for readers of the table
    long row = 0;                    // its row in BANKMARK; 0 before it is written
};

struct MarkRow {
    RecordKey key;
    Mark mark;
};

// The marks in key order, found by halving: a flat array, so that the millions of marks of
// large books are read, searched and merged with the records without a node per mark. `error`
// says why the table could not be read (no marks then).
struct Marks {
    std::vector<std::pair<RecordKey, Mark>> byKey;
    std::string error;
    const Mark* Find(const RecordKey& key) const;
    Mark* Find(const RecordKey& key);
    // The mark of `key`, made (empty) in its place when there is none.
    Mark& Put(const RecordKey& key);
    void Erase(const RecordKey& key);
    void Sort();  // after marks were appended out of order
};

// Books without the table get it first (see EnsureMarks).
Marks LoadMarks();
// Only the marks whose fingerprint is among `only` (every mark when it is empty).
Marks LoadMarksOf(const std::vector<std::uint64_t>& only);

// Writes `marks` as the whole table, beside the live one, and puts it in place by a rename:
// a crash or a full disk leaves the old table or the new one. Returns why it failed, or an
// empty text.
// The rows of `marks` follow the new table.
std::string ReplaceMarks(Marks& marks);

// Every live record of `kind` with its key, date (yyyymmdd, 0 when blank) and signed amount, in
// key order: one walk in record order and a sort.
struct KeyedRecord {
    RecordKey key;
    std::uint32_t recNo = 0;
    std::uint32_t date = 0;
    Cents amount = 0;
};
std::vector<KeyedRecord> KeyedRecords(Kind kind);

// The key of every record of `kind` by record number (index 0 unused); nullopt for a deleted
// record. One walk in record order.
std::vector<std::optional<RecordKey>> KeysOf(Kind kind);

// Calls `each` with every live record of `kind` and its key, in record order, the table at
// that record. One walk.
template <class F>
void WalkKeys(Kind kind, F&& each);

// The key of record `recNo` as the table holds it now; nullopt when it is deleted or not there.
std::optional<RecordKey> KeyOf(Kind kind, long recNo);

// What a record's mark was before a change: its key, and its mark when it had one.
struct Before {
    std::optional<RecordKey> key;
    std::optional<Mark> mark;
};
Before MarkBefore(Kind kind, long recNo);

// After record `recNo` was saved (changed in place or appended; `before` empty for a new
// record): its mark follows it to its new key with `bankNo`, keeping its cleared and
// reconciled marks when its amount is the same; `bankNo` 0 leaves it without a mark. Returns why
// the marks could not be written, or an empty text.
std::string MarkSaved(Kind kind, long recNo, const Before& before, std::int32_t bankNo);

// After the record whose mark was `before` was deleted: its mark goes.
std::string MarkDeleted(Kind kind, const Before& before);

// After records were appended at the end of the table (an import, a recovery): each gets
// `bankNo`, cleared when `cleared` (with its statement line's amount, when given, beside).
struct Appended {
    long recNo = 0;
    std::int32_t bankNo = 0;
    bool cleared = false;
    std::optional<Cents> statement;
};
std::string MarksAppended(Kind kind, const std::vector<Appended>& records);

// After records deleted in place were recalled: each gets `bankNo`.
std::string MarksRecalled(Kind kind, const std::vector<long>& recNos, std::int32_t bankNo);

// Every live record of both kinds given `bankNo` (after an upgrade replaced the records).
std::string AssignAll(std::int32_t bankNo);

// Books without BANKMARK (from before bank accounts, or after an upgrade or a restore that
// replaced the records) have every live record given the default bank account, once.
std::string EnsureMarks();

// The signed cents of the record buffer's table at the current record: income and refunds
// (an expense below zero) are money in.
Cents SignedAmount(Kind kind);

inline constexpr std::string_view kNotAssigned = "not assigned";

namespace detail {
// The table of `kind` walked in record order (no tag), the tag selection put back after.
struct RecordWalk {
    explicit RecordWalk(Kind kind);
    ~RecordWalk();
    bool next(long& recNo, RecordKey& key);  // false at the end

private:
    struct State;
    std::unique_ptr<State> state_;
};
}  // namespace detail

template <class F>
void WalkKeys(Kind kind, F&& each) {
    detail::RecordWalk walk(kind);
    long recNo = 0;
    RecordKey key;
    while (walk.next(recNo, key)) each(recNo, key);
}

}  // namespace bank
