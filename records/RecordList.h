#pragma once

// The rows of the pick lists, kept as record numbers (four bytes a row) in the order of the
// list's tag, and the find that narrows the expense and income lists. A row's text is read
// from its record only when it is shown.
//
// The tables are reached through the shared handles of data/Database.h and must be open. The
// walks and the find move the table; they leave the record buffers alone.

#include <cstdint>
#include <string>
#include <vector>

#include "data/engine/Engine.h"
#include "records/RecordTables.h"

namespace records {

using ListRows = std::vector<std::uint32_t>;

struct ListWalk {
    ListRows rows;
    long matched = -1;  // index of the row of the wanted record; -1 when it is not listed
};

// Walks `table` from the top in `tag` order while the engine reports success (the last result
// is left in ResultWord), keeping every record, or with `liveOnly` every record not marked
// deleted. `wanted` is the record number to find among the rows.
ListWalk WalkTable(engine::Data4* table, engine::Tag4* tag, bool liveOnly, std::int32_t wanted);

// The expense list (EXP5 by date) or the income list (INC5 by date): the records of
// `defaultFolder` (every folder for -1) whose archive flag is not set.
ListWalk WalkRecordList(RecordTable which, std::int32_t defaultFolder, std::int32_t wanted);

// What the find of a record list asks for. `text` (UTF-8, as typed; blanks around it do not
// count) must be contained, without regard to the case of ASCII letters, in the pay-to text,
// the memo or the check number of an expense, or the description of an income record, or in
// its amount (typed with or without the regional thousands separator). `from` and `through`
// (stored form CCYYMMDD, empty for an open end) bound the date.
struct FindRequest {
    std::string text;
    std::string from;
    std::string through;

    bool empty() const;
};

// The rows of `rows` (a list in its date order) whose records match, in the same order. The
// date range is found by halving, as the rows are in date order; only the rows within it are
// read.
ListRows FindRows(RecordTable which, const ListRows& rows, const FindRequest& find);

// True when every record matching `now` also matches `before`, so that `now` may search the
// rows `before` found instead of the whole list.
bool Narrows(const FindRequest& before, const FindRequest& now);

}  // namespace records
