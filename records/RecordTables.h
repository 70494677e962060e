#pragma once

// Steps the record forms share on the tables: walking a record table in record-number order
// (deleted and archived records included) to move or delete by folder or account number,
// storing a buffer into an existing or a new record, and the choice lists of accounts and
// folders. The tables are reached through the shared handles of data/Database.h.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine/Engine.h"

namespace records {

inline constexpr std::string_view kAppendRefused = "Unable to Add Record at this time . . . ";

// The record tables a cascade walks, and the number fields it walks them by.
enum class RecordTable { Expenses, Income };
enum class RecordField { Folder, Account };  // FolNo; AccNo (EXP5) or IncAcc (INC5)

// Each opens the record table afresh (OpenExpenses / OpenIncome) with no tag selected, walks
// every record in record-number order, deleted and archived ones included, and closes it
// again, writing what changed and clearing its shared handles. The table must not be open
// already (the loops that reach here open only FOLDER or an account table). An open failure
// or an engine error ends the program.
//
// Every record whose field holds `from` gets `to`. Returns how many were changed.
long RewriteRecords(RecordTable table, RecordField field, std::int32_t from, std::int32_t to);
// Every record whose field holds `value` is marked deleted. Returns how many.
long MarkRecordsDeleted(RecordTable table, RecordField field, std::int32_t value);

// Asks the engine for the tag with an empty name with its error for unknown tag names
// switched off, and selects the result: no tag, record-number order.
void SelectNoTag(engine::Data4* table);

// The message of a save whose write the disk refused: why, and that the entry is kept.
std::string SaveRefusedMessage(int error);

// Whether `table` can take a save: its index files are open, or could be opened again (see
// cbk::WithIndexes). When they cannot, the save is refused as on a full disk
// (SaveRefusedMessage is shown) and nullptr comes back; otherwise the table to save into,
// which is a new handle when it had to be opened again (`table` is then closed).
engine::Data4* ReadyToSave(engine::Data4* table);

// Stores a record buffer (`store` is StoreExpense, StoreFolder, ...) into record `recNo`, or,
// for 0, into a new record appended to `table`, and writes it to disk. Returns the record
// number stored, or 0 when nothing was saved: the engine refused the append ("Unable to Add
// Record at this time . . . " is shown), or a write failed (SaveRefusedMessage is shown, the
// table is opened afresh as the disk holds it and no engine error stays pending).
long StoreRecord(engine::Data4* table, long recNo, void (*store)());

// Marks record `recNo` of `table` deleted; an engine error ends the program.
void DeleteRecord(engine::Data4* table, long recNo);

inline constexpr std::string_view kDeleteExpenseQuestion =
    "ARE YOU SURE YOU WANT TO DELETE THIS EXPENSE RECORD?";
inline constexpr std::string_view kDeleteIncomeQuestion =
    "ARE YOU SURE YOU WANT TO DELETE THIS INCOME RECORD?";
// Asks `question` (No the default) and, only when the user agrees, deletes as DeleteRecord.
// False when the record was kept.
bool DeleteRecordConfirmed(engine::Data4* table, long recNo, std::string_view question);

// A choice list of accounts or folders: entries "<stored number> - <stored description>" in
// the table's tag order, and the entry chosen (-1 when the list is empty).
struct ChoiceList {
    std::vector<std::string> entries;
    int chosen = -1;
};

// Walks `table` from the top in its selected tag order. The chosen entry is the one whose
// number is `wanted`, else the first.
ChoiceList BuildChoiceList(engine::Data4* table, engine::Field4* number,
                           engine::Field4* description, std::int32_t wanted);

}  // namespace records
