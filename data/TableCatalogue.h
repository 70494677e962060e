#pragma once

// The six tables, described once: engine name, fields with types and widths (and the handle
// each binds), tags with their key expressions (and the handle each binds), group file, the
// progress of a full index rebuild and the place in the pack. The openers, the close of all
// tables, the sample data, the layout check, the index-file lists and the pack order are all
// read from here, as backup, restore, erase and upgrade will be.

#include <string>
#include <string_view>
#include <vector>

#include "data/engine/Engine.h"

namespace cbk {

struct FieldSpec {
    const char* name;  // as stored, upper case
    char type;         // 'C', 'N', 'D', 'L'
    int len;
    int dec;
    // The least width a table from outside must have for the program to read the field
    // (0: the table may lack it, and the field is bound only when it is there); `exact` when
    // the width must be `len` itself.
    int needLen;
    bool exact;
    engine::Field4** handle;  // bound by the opener; nullptr when not bound
};

struct TagSpec {
    const char* name;   // the tag's (and its .ntx file's) name as built: "EDate"
    const char* asked;  // the name the opener asks for and messages show: "eDate"
    const char* expression;
    engine::Tag4** handle;
};

struct TableSpec {
    const char* name;  // engine name; the file is name + ".dbf"
    std::vector<FieldSpec> fields;
    const char* group;  // the group name given to i4create; nullptr: the table has no indexes
    std::vector<TagSpec> tags;  // the first is the default tag
    int rebuildProgress;        // the progress box after the table in a full rebuild
    int packStep;               // place in the pack order (1 first); 0: never packed
    int packProgress;           // the progress box after the table is packed
    engine::Data4** handle;
};

// Every tag's filter: deleted records are never indexed.
inline constexpr const char* kNotDeleted = ".NOT. DELETED()";

// CBK1, ACC, ACCI, FOLDER, EXP5, INC5: the order of the data files' presence check and of
// the index build.
const std::vector<TableSpec>& TableCatalogue();

// The table with engine name `name` (without regard to case); nullptr when there is none.
const TableSpec* FindTable(std::string_view name);

// The tables with indexes, in the order of the index build: ACC, ACCI, FOLDER, EXP5, INC5.
std::vector<const TableSpec*> IndexedTables();

// The packed tables in pack order: INC5, FOLDER, EXP5, ACC, ACCI.
std::vector<const TableSpec*> TablesInPackOrder();

// The table's fields as d4create makes them.
std::vector<engine::Field4Info> CreateFields(const TableSpec& table);

// The table's tags as i4create makes them.
std::vector<engine::Tag4Info> CreateTags(const TableSpec& table);

// The table's index files: each tag's .ntx, then the group file ("EDate.ntx", "EAcc.ntx",
// "exp5.cgp"); names are matched without regard to case.
std::vector<std::string> IndexFilesOf(const TableSpec& table);

}  // namespace cbk
