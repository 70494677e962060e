#pragma once

// The program's way to its six tables: the one engine handle of the run, the per-table
// handles the openers fill, the openers themselves, the index build and the start-up and
// shutdown of the data store. The tables are those of the open books (data/Books.h), named by
// their bare engine names.
//
// Every command opens the tables it needs with the openers and closes them all together when
// it is done (CloseAllTables, or code4close). A table or tag that cannot be opened ends the
// program through FailOpen, so an opener never returns false.

#include <string>
#include <string_view>
#include <vector>

#include "data/engine/Engine.h"

namespace cbk {

// The engine handle of the run: set by StartDataStore, released by ShutDownDataStore.
extern engine::Code4* cb;

// The shared result word: the latest move's result (engine::r4eof = 3 ends a scan). Each
// opener leaves in it the result of its move to the first record.
extern int ResultWord;

// ACC, expense accounts.
extern engine::Data4* Accounts;
extern engine::Field4* AccNoField;
extern engine::Field4* AcDescField;
extern engine::Field4* AcDedField;
extern engine::Tag4* AccTag;

// ACCI, income accounts.
extern engine::Data4* IncomeAccounts;
extern engine::Field4* IncAccNoField;
extern engine::Field4* IncAcDescField;
extern engine::Field4* IncAcDedField;
extern engine::Tag4* AcciTag;

// FOLDER.
extern engine::Data4* Folders;
extern engine::Field4* FolNoField;
extern engine::Field4* FolNameField;
extern engine::Tag4* FolTag;

// EXP5, expense records.
extern engine::Data4* Expenses;
extern engine::Field4* ExpDateField;
extern engine::Field4* CheckNoField;
extern engine::Field4* ExpAccNoField;
extern engine::Field4* ExpFolNoField;
extern engine::Field4* PayToField;
extern engine::Field4* AmountField;
extern engine::Field4* EMemoField;
extern engine::Field4* ExpArchiveField;
extern engine::Tag4* EDateTag;
extern engine::Tag4* EAccTag;

// INC5, income records.
extern engine::Data4* Income;
extern engine::Field4* IncAccField;
extern engine::Field4* IncImpField;
extern engine::Field4* IncDateField;
extern engine::Field4* IncDescField;
extern engine::Field4* IncAmtField;
extern engine::Field4* IncFolNoField;
extern engine::Field4* IncArchiveField;
extern engine::Tag4* IncDateTag;
extern engine::Tag4* IncAccTag;

// CBK1, the settings record.
extern engine::Data4* SettingsTable;
extern engine::Field4* FyMonthField;
extern engine::Field4* FyDayField;
extern engine::Field4* FontNameField;
extern engine::Field4* FontSizeField;
extern engine::Field4* CompanyField;  // nullptr when the table has no such field
extern engine::Field4* AddressField;  // nullptr when the table has no such field

// True when CBK1.dbf, ACC.dbf, EXP5.dbf, FOLDER.dbf, INC5.dbf and ACCI.dbf are all in `dir`
// (the open books' folder when relative; names matched without regard to case).
bool DataFilesPresent(const std::string& dir = ".");

// Information box "Unable to open file <name>" CR LF "Program will now terminate.", then the
// program ends (code4exit).
[[noreturn]] void FailOpen(const std::string& name);

// The cure named when an index file cannot be opened.
inline constexpr const char* kReIndexCures =
    "Rebuild Index Files on the File Maintenance tab builds it again.";

// Information box "Unable to open file <name>" CR LF kReIndexCures CR LF "Program will now
// terminate.", then the program ends: an index file (name as the opener asks for its tag,
// "eDate.Ntx") that is missing or damaged while its table is sound.
[[noreturn]] void FailIndex(const std::string& name);

// The message an engine error gets when it ends the program: the engine's description of the
// fault (it names the file), then "Program will now terminate.".
std::string EngineErrorMessage(const std::string& what);

// The openers: open the table, bind its fields and tags, select the default tag and move to
// its first record (ResultWord). They return true or end the program.
bool OpenAccounts();
bool OpenIncomeAccounts();
bool OpenFolders();
bool OpenExpenses();
bool OpenIncome();
bool OpenSettings();  // no tags, no group file; first record in file order

// The opener of the table with engine name `name` ("EXP5", without regard to case); false
// when the catalogue has no such table.
bool OpenTableNamed(std::string_view name);

// code4close, and every table, field and tag handle above set to nullptr.
void CloseAllTables();

// The table with engine name `name` closed alone and its handles set to nullptr; the others
// stay open. For work that may run while a command holds its tables (the main window's paint).
void CloseTableNamed(std::string_view name);

// After a change of `table` (one of the open tables above) that the disk refused: the table
// is closed without writing anything more and opened again by its opener, so that it reads
// as the disk holds it and no refused write is tried again at its next move or close. The
// error of the refused write must have been read and cleared first. Returns the table's new
// handle (also in its shared variable).
engine::Data4* ReopenAfterRefusedWrite(engine::Data4* table);

// `table` (one of the open tables above) with its index files open: a table that
// ReopenAfterRefusedWrite had to open without them is opened whole again first, its index
// files built now that the disk may have room. Returns its handle (also in its shared
// variable), or nullptr when they still cannot be built: the table stays open without them.
engine::Data4* WithIndexes(engine::Data4* table);

// Re-creates the index and group files of the table with engine name `tableName` ("ACC",
// "EXP5", ...) on the open table `table`. Returns the engine's result (0 or an error).
int CreateTableIndexes(engine::Data4* table, std::string_view tableName);

// The index and group files of the table with engine name `tableName` ("EDate.ntx", ...).
std::vector<std::string> IndexFilesOf(std::string_view tableName);

// Builds the index and group files. Quiet (start-up): only the tables missing one of their
// files, no progress box. Otherwise every table, with the progress box "Rebuilding Indexes".
// An engine error ends the program.
void BuildIndexes(bool quiet);

// Start-up of the data store, after DataFilesPresent: opens the books in `folder` (the current
// directory when empty) on `fs` with their engine handle (its exit handler ends the program
// through the platform), builds missing indexes quietly (not on read-only books) and reads the
// settings record into Settings.
void StartDataStore(engine::FileSystem& fs = engine::posixFileSystem(),
                    const std::string& folder = {});

// Books the run may only look at (their folder cannot be written): `dir` is their directory,
// empty for books that can be changed. Set before the data store starts. The data store then
// writes nothing into that directory whatever is asked of it (every file there opens
// read-only; no file there is made, renamed or removed), builds no index at start-up and
// packs nothing at shutdown. Files elsewhere (a backup, an export) are written as usual.
void SetReadOnlyBooks(const std::string& dir);
bool BooksReadOnly();

// The one file system all work below the user interface goes through: the one the data store
// was started with (the real one before that), with "today" from the platform's clock.
engine::FileSystem& DataFileSystem();

// Shutdown: ends the program on a pending engine error, packs when `pack` is set (records were
// deleted during the run) and the books are not read-only, then releases the engine.
void ShutDownDataStore(bool pack);

// Packs one table by engine name, opened exclusively with its group file so that its tags
// follow. A table that cannot be opened is skipped. Returns the engine's result of the pack.
int PackTable(std::string_view tableName);

// Packs INC5, FOLDER, EXP5, ACC and ACCI with the progress box "Packing Data Files".
void PackDataFiles();

}  // namespace cbk
