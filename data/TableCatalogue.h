#pragma once

// Every table of the books, described once: engine name, fields with types and widths (and the
// handle each binds), tags with their key expressions (and the handle each binds), group file,
// the progress of a full index rebuild, the place in the pack, and what backup, restore, the
// automatic backup, erase and upgrade do with it. The six are the books' own tables; the side
// tables (the imported statement ids, the rules for imported lines, the scheduled entries, the
// two recovery tables) are made at their first use and may be missing. The openers, the close of
// all tables, the sample data, the layout check, the index-file lists, the pack order and the
// sets those commands copy, empty and clear are all read from here.

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

// What a restore from a backup without the table does with the live one.
enum class WhenBackupLacks {
    Refuse,  // one of the set: the restore stops and nothing changes
    Keep,    // left as it is: nothing in the restored tables refers to it
    Clear,   // removed: it describes records the restore replaced
};

// What erase and upgrade do with the table.
enum class WhenReplaced {
    Own,    // the command empties or converts the table itself
    Keep,   // left as it is
    Clear,  // removed with the record tables it describes (EXP5 and INC5)
};

struct TablePolicy {
    bool copied;     // Backup and Restore carry it, as TABLE.bak in the chosen directory
    bool automatic;  // in every automatic backup (TABLE.bak, later TABLE.bak.zst, in its folder)
    bool sideTable;  // made at its first use: missing from the books or a backup is no fault
    WhenBackupLacks backupLacks;
    WhenReplaced erase;
    WhenReplaced upgrade;
    int copyProgress;    // the progress box after the table in Backup and Restore; 0: unchanged
    const char* record;  // one record as a report counts it ("expense"; plural + "s"), or nullptr
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
    TablePolicy policy;
};

// The side tables' engine names.
inline constexpr const char* kStatementIdsTable = "STMTIDS";
inline constexpr const char* kImportRulesTable = "STMTRULE";
inline constexpr const char* kExpenseRecoveryTable = "EXP5REC";
inline constexpr const char* kIncomeRecoveryTable = "INC5REC";
inline constexpr const char* kSchedulesTable = "SCHED";
inline constexpr const char* kBankAccountsTable = "BANKACCT";
inline constexpr const char* kBankMarksTable = "BANKMARK";

// Every tag's filter: deleted records are never indexed.
inline constexpr const char* kNotDeleted = ".NOT. DELETED()";

// CBK1, ACC, ACCI, FOLDER, EXP5, INC5: the order of the data files' presence check and of
// the index build.
const std::vector<TableSpec>& TableCatalogue();

// The side tables: STMTIDS, STMTRULE, SCHED, EXP5REC, INC5REC, BANKACCT, BANKMARK, made by their
// own modules at their first use (a recovery table takes its record table's fields and REMOVED, so
// its spec lists none); none is opened by the openers.
const std::vector<TableSpec>& SideTables();

// The six and the side tables, in that order.
std::vector<const TableSpec*> BooksTables();

// The tables Backup and Restore carry, in copy order: ACC, ACCI, FOLDER, EXP5, INC5, STMTIDS,
// STMTRULE, SCHED, EXP5REC, INC5REC, BANKACCT, BANKMARK.
std::vector<const TableSpec*> CopiedTables();

// The tables of an automatic backup: every table of the books.
std::vector<const TableSpec*> AutomaticBackupTables();

// The side tables that go when erase (true) or upgrade (false) replaces the record tables.
std::vector<const TableSpec*> ClearedWithRecords(bool erase);

// The table with engine name `name` (without regard to case) among the six; nullptr when there
// is none.
const TableSpec* FindTable(std::string_view name);

// The same among every table of the books, the side tables with them.
const TableSpec* FindBooksTable(std::string_view name);

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
