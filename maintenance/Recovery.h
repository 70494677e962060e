#pragma once

// Recovery of deleted records. Until the next pack a deleted expense or income record is still
// in EXP5 or INC5, marked deleted; recovering it takes the mark off. Before a pack removes the
// records marked deleted from EXP5 and INC5, they are appended to recovery tables beside them
// (EXP5REC.dbf, INC5REC.dbf: dBASE III tables with the same fields plus REMOVED, the date of the
// pack). "Recover Deleted Records" lists them newest first and puts the chosen ones back into their
// table as live records. Records removed more than 180 days ago are dropped at the next pack.
//
// Nothing is lost on the way: a record table is packed only after its deleted records are
// safely in the recovery table; an append that fails (a full disk) takes back what it added
// and leaves the table unpacked. A recovered record is marked deleted in the recovery table
// only after it is in its live table.
//
// What the other commands do with the recovery tables (the table catalogue says it): backup,
// restore and the automatic backup carry them with the books; a restore from a backup without
// them, an archive and an upgrade leave them as they are (they hold records removed from these
// books; nothing comes back unless the user recovers it); the pack of erase and upgrade keep
// deleted records as every pack does. Erase saves the records marked deleted in the tables it
// empties.

#include <string>
#include <string_view>
#include <vector>

#include "data/engine/Engine.h"
#include "platform/DateTime.h"

namespace maintenance {

inline constexpr int kRecoveryDays = 180;
inline constexpr std::string_view kRemovedField = "REMOVED";
inline constexpr std::string_view kRecoverTitle = "Recover Deleted Records";

enum class RecordKind { Expense, Income };

// "EXP5REC" or "INC5REC".
std::string RecoveryTableName(RecordKind kind);

// Whether the record table `table` ("EXP5", "INC5") keeps a recovery table, and of which kind.
bool HasRecoveryTable(std::string_view table, RecordKind& kind);

// Drops the records removed before `today` - 180 days (and those already recovered) from the
// recovery table of `kind`, if it exists. A failure leaves it whole.
void DropOldRecoveries(RecordKind kind, const platform::DateTime& today);

// Packs one table by name as cbk::PackTable does; EXP5 and INC5 first save their deleted
// records when `keepDeleted` (and are not packed when that fails).
int PackTableKeepingDeleted(std::string_view table, bool keepDeleted);

// The pack of the five tables (progress box "Packing Data Files", 10 then each table's step):
// at exit, by the Pack command, after an upgrade. With `keepDeleted` the deleted expense and
// income records go to the recovery tables first, and old recoveries are dropped.
void PackDataFiles(bool keepDeleted);

// Empties the open `table` (every record), first saving those marked deleted when it keeps a
// recovery table and `keepDeleted`; a failed save empties nothing. 0 when emptied.
int EmptyTable(engine::Data4* table, bool keepDeleted);

// One recoverable record as the list shows it.
struct RecoveryRow {
    long recNo = 0;                  // in the recovery table, or in EXP5/INC5 when `unpacked`
    bool unpacked = false;           // deleted, not yet packed away
    std::string removed;             // "yyyymmdd"; empty while unpacked
    std::vector<std::string> cells;  // the pick list's columns, then the removal date
};

// The column titles of the list for `kind`: the pick list's, then "Removed".
std::vector<std::string> RecoveryColumns(RecordKind kind);

// The live records of the recovery table of `kind`, newest removal first (the latest saved
// first within a day). Empty when there is no recovery table.
std::vector<RecoveryRow> RecoverableRecords(RecordKind kind);

inline constexpr std::string_view kNotPacked = "not packed";

// The records of EXP5 or INC5 marked deleted and not yet packed away, the latest first; their
// removal cell says "not packed".
std::vector<RecoveryRow> UnpackedRecords(RecordKind kind);

// What "Recover Deleted Records" lists: the unpacked records, then the recoverable ones.
std::vector<RecoveryRow> RecoveryList(RecordKind kind);

// Whether any cell of `row` holds `find` (without regard to case); an empty find matches.
bool RowMatches(const RecoveryRow& row, std::string_view find);

// Puts the records `recNos` of the recovery table of `kind` back into EXP5 or INC5 as live
// records (their indexes kept up to date) and marks them recovered. Returns how many came
// back; a failure stops there, says so, and leaves the rest in the recovery table.
int RecoverRecords(RecordKind kind, const std::vector<long>& recNos);

// Takes the deletion mark off the records `recNos` of EXP5 or INC5. Returns how many came back;
// a failure says so.
int RecallRecords(RecordKind kind, const std::vector<long>& recNos);

// Recovers the rows chosen from RecoveryList, each by its own way back. Returns how many came
// back.
int RecoverRows(RecordKind kind, const std::vector<RecoveryRow>& rows);

}  // namespace maintenance
