#include "data/Database.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <optional>
#include <vector>

#include "data/Books.h"
#include "data/Records.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "platform/Platform.h"

namespace cbk {

engine::Code4* cb = nullptr;
int ResultWord = 0;

engine::Data4* Accounts = nullptr;
engine::Field4* AccNoField = nullptr;
engine::Field4* AcDescField = nullptr;
engine::Field4* AcDedField = nullptr;
engine::Tag4* AccTag = nullptr;

engine::Data4* IncomeAccounts = nullptr;
engine::Field4* IncAccNoField = nullptr;
engine::Field4* IncAcDescField = nullptr;
engine::Field4* IncAcDedField = nullptr;
engine::Tag4* AcciTag = nullptr;

engine::Data4* Folders = nullptr;
engine::Field4* FolNoField = nullptr;
engine::Field4* FolNameField = nullptr;
engine::Tag4* FolTag = nullptr;

engine::Data4* Expenses = nullptr;
engine::Field4* ExpDateField = nullptr;
engine::Field4* CheckNoField = nullptr;
engine::Field4* ExpAccNoField = nullptr;
engine::Field4* ExpFolNoField = nullptr;
engine::Field4* PayToField = nullptr;
engine::Field4* AmountField = nullptr;
engine::Field4* EMemoField = nullptr;
engine::Field4* ExpArchiveField = nullptr;
engine::Tag4* EDateTag = nullptr;
engine::Tag4* EAccTag = nullptr;

engine::Data4* Income = nullptr;
engine::Field4* IncAccField = nullptr;
engine::Field4* IncImpField = nullptr;
engine::Field4* IncDateField = nullptr;
engine::Field4* IncDescField = nullptr;
engine::Field4* IncAmtField = nullptr;
engine::Field4* IncFolNoField = nullptr;
engine::Field4* IncArchiveField = nullptr;
engine::Tag4* IncDateTag = nullptr;
engine::Tag4* IncAccTag = nullptr;

engine::Data4* SettingsTable = nullptr;
engine::Field4* FyMonthField = nullptr;
engine::Field4* FyDayField = nullptr;
engine::Field4* FontNameField = nullptr;
engine::Field4* FontSizeField = nullptr;
engine::Field4* CompanyField = nullptr;
engine::Field4* AddressField = nullptr;

namespace {

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

const TableSpec& Spec(std::string_view name) {
    return *FindTable(name);
}

// The table alone, for building its indexes; one that cannot be opened ends the program with
// its name, as the openers do.
engine::Data4* OpenForIndexBuild(const TableSpec& spec) {
    engine::Data4* table = engine::d4open(cb, spec.name);
    if (engine::code4errorCode(cb, 0) < 0 || table == nullptr)
        FailOpen(std::string(spec.name) + ".DBF");
    return table;
}

bool AnyFileMissing(const TableSpec& spec) {
    for (const std::string& file : IndexFilesOf(spec))
        if (!engine::fileExists(DataFileSystem(), engine::code4dir(cb), file)) return true;
    return false;
}

// A table that would not open with its group file: when the table alone opens, the fault is
// in an index file, and the user is told which one and that a rebuild cures it (the table is
// not to be blamed for its index). Returns only when the table itself is at fault.
void FailIndexOpen(const TableSpec& spec) {
    engine::code4autoOpen(cb, 0);
    engine::Data4* bare = engine::d4open(cb, spec.name);
    engine::code4autoOpen(cb, 1);
    if (engine::code4errorCode(cb, 0) < 0 || bare == nullptr) return;
    std::string unsound;
    engine::i4groupCheck(bare, spec.group, CreateTags(spec), &unsound);
    engine::d4close(bare);
    engine::code4errorCode(cb, 0);
    // Named as the opener asks for the tag ("eDate.Ntx"), like a tag that is missing.
    std::string name = unsound.empty() ? std::string(spec.group) + ".cgp" : unsound;
    for (const TagSpec& tag : spec.tags)
        if (SameName(unsound, std::string(tag.name) + ".ntx"))
            name = std::string(tag.asked) + ".Ntx";
    FailIndex(name);
}

// The steps every opener shares: open, test, bind the fields, ask for each tag and test it at
// once, select the first tag as the default and move to the first record. The settings table
// is opened without any group file, and so is a table whose indexes cannot be built now
// (`withIndexes` false: its tag handles stay nullptr and it reads in record order).
bool OpenTable(const TableSpec& spec, bool withIndexes = true) {
    const std::string fileName = std::string(spec.name) + ".DBF";
    const bool withGroupFile = spec.group != nullptr && withIndexes;
    if (!withGroupFile) engine::code4autoOpen(cb, 0);
    engine::Data4* table = engine::d4open(cb, spec.name);
    if (!withGroupFile) engine::code4autoOpen(cb, 1);
    if (engine::code4errorCode(cb, 0) < 0 || table == nullptr) {
        if (withGroupFile) FailIndexOpen(spec);
        FailOpen(fileName);
    }

    // A table without one of the fields the program reads is as unusable as a damaged one;
    // without this test the first load would read through a missing field.
    bool fieldsBound = true;
    for (const FieldSpec& field : spec.fields) {
        if (field.handle == nullptr) continue;
        *field.handle = engine::d4field(table, field.name);
        if (*field.handle != nullptr) continue;
        if (field.needLen > 0) {
            fieldsBound = false;
        } else {
            engine::code4errorCode(cb, 0);  // a field the table may lack
        }
    }
    if (engine::code4errorCode(cb, 0) < 0 || !fieldsBound) FailOpen(fileName);

    for (const TagSpec& tag : spec.tags) {
        if (!withGroupFile) break;
        *tag.handle = engine::d4tag(table, tag.asked);
        if (engine::code4errorCode(cb, 0) < 0 || *tag.handle == nullptr)
            FailIndex(std::string(tag.asked) + ".Ntx");
    }
    if (withGroupFile && !spec.tags.empty()) engine::d4tagSelect(table, *spec.tags.front().handle);
    ResultWord = engine::d4top(table);
    *spec.handle = table;
    return true;
}

// Whether the table opens with its index files (mended and built again first when a change
// was cut short); any error of the trial is cleared.
bool IndexesCanOpen(const TableSpec& spec) {
    EngineWork trial;
    engine::Data4* whole = engine::d4open(cb, spec.name);
    const bool indexed = trial.Done() == 0 && whole != nullptr;
    if (whole != nullptr) engine::d4close(whole);
    return indexed;
}

void ClearHandles(const TableSpec& spec) {
    *spec.handle = nullptr;
    for (const FieldSpec& field : spec.fields)
        if (field.handle != nullptr) *field.handle = nullptr;
    for (const TagSpec& tag : spec.tags) *tag.handle = nullptr;
}

void ClearHandles() {
    for (const TableSpec& spec : TableCatalogue()) ClearHandles(spec);
}

}  // namespace

bool DataFilesPresent(const std::string& dir) {
    for (const TableSpec& spec : TableCatalogue())
        if (!engine::fileExists(DataFileSystem(), dir, std::string(spec.name) + ".dbf"))
            return false;
    return true;
}

void FailOpen(const std::string& name) {
    platform::messages().show(platform::MessageKind::Information,
                              "Unable to open file " + name + "\r\nProgram will now terminate.",
                              platform::Buttons::OK);
    if (cb == nullptr) platform::endProgram();
    engine::code4exit(cb);
}

void FailIndex(const std::string& name) {
    platform::messages().show(
        platform::MessageKind::Information,
        "Unable to open file " + name + "\r\n" + kReIndexCures + "\r\nProgram will now terminate.",
        platform::Buttons::OK);
    if (cb == nullptr) platform::endProgram();
    engine::code4exit(cb);
}

std::string EngineErrorMessage(const std::string& what) {
    return "The data files cannot be used: " + what + "\r\nProgram will now terminate.";
}

bool OpenAccounts() {
    return OpenTable(Spec("ACC"));
}

bool OpenIncomeAccounts() {
    return OpenTable(Spec("ACCI"));
}

bool OpenFolders() {
    return OpenTable(Spec("FOLDER"));
}

bool OpenExpenses() {
    return OpenTable(Spec("EXP5"));
}

bool OpenIncome() {
    return OpenTable(Spec("INC5"));
}

bool OpenSettings() {
    return OpenTable(Spec("CBK1"));
}

bool OpenTableNamed(std::string_view name) {
    const TableSpec* spec = FindTable(name);
    return spec != nullptr && OpenTable(*spec);
}

void CloseAllTables() {
    if (cb != nullptr) engine::code4close(cb);
    ClearHandles();
}

void CloseTableNamed(std::string_view name) {
    const TableSpec* spec = FindTable(name);
    if (spec == nullptr) return;
    engine::d4close(*spec->handle);
    ClearHandles(*spec);
}

engine::Data4* ReopenAfterRefusedWrite(engine::Data4* table) {
    for (const TableSpec& spec : TableCatalogue()) {
        if (table == nullptr || *spec.handle != table) continue;
        engine::d4discard(table);
        ClearHandles(spec);
        // The open mends what the refused write left and builds the index files again. On a
        // disk that is still full it cannot: the table is then opened with its index files
        // shut, reading in record order, and its in-flux mark stays, so that the next open
        // builds them once there is room. Neither ends the program.
        OpenTable(spec, IndexesCanOpen(spec));
        return *spec.handle;
    }
    return table;
}

engine::Data4* WithIndexes(engine::Data4* table) {
    for (const TableSpec& spec : TableCatalogue()) {
        if (table == nullptr || *spec.handle != table) continue;
        if (spec.tags.empty() || *spec.tags.front().handle != nullptr) return table;
        engine::d4close(table);
        TakeEngineError();
        ClearHandles(spec);
        const bool indexed = IndexesCanOpen(spec);
        OpenTable(spec, indexed);
        return indexed ? *spec.handle : nullptr;
    }
    return table;
}

int CreateTableIndexes(engine::Data4* table, std::string_view tableName) {
    const TableSpec* spec = FindTable(tableName);
    if (spec == nullptr || spec->group == nullptr) return engine::e4parm;
    return engine::i4create(table, spec->group, CreateTags(*spec));
}

std::vector<std::string> IndexFilesOf(std::string_view tableName) {
    const TableSpec* spec = FindTable(tableName);
    return spec == nullptr ? std::vector<std::string>{} : IndexFilesOf(*spec);
}

void BuildIndexes(bool quiet) {
    // With the group file left shut, a damaged or stale index never stands in the way.
    engine::code4autoOpen(cb, 0);
    engine::code4safety(cb, 0);
    engine::code4accessMode(cb, 1);
    std::optional<platform::ProgressShown> shown;
    if (!quiet) {
        shown.emplace("Rebuilding Indexes");
        platform::progress().SetProgress(20);
    }
    for (const TableSpec* spec : IndexedTables()) {
        engine::Data4* table = OpenForIndexBuild(*spec);
        // Present is not enough at start-up: an index file that is no sound index of its tag
        // (damaged, or of another key) would stop the first command that opens the table, so
        // it is built again like a missing one. Only headers and root pages are read.
        if (!quiet || AnyFileMissing(*spec) ||
            engine::i4groupCheck(table, spec->group, CreateTags(*spec)) != 0) {
            engine::i4create(table, spec->group, CreateTags(*spec));
            engine::error4exitTest(cb);
        }
        CloseAllTables();
        if (!quiet) platform::progress().SetProgress(spec->rebuildProgress);
    }
    engine::code4autoOpen(cb, 1);
    engine::code4safety(cb, 1);
    engine::code4accessMode(cb, 0);
}

void StartDataStore(engine::FileSystem& fs, const std::string& folder) {
    if (cb != nullptr) ShutDownDataStore(false);
    cb = StartBooks(fs, folder).engine();
    if (cb == nullptr) platform::endProgram();
    // Whatever engine error ends the program is shown first, naming the file and the fault;
    // the program never vanishes without a word.
    engine::code4exitHandler(cb, [] {
        const std::string what = engine::code4errorText(cb);
        if (engine::code4errorCode(cb, 0) < 0) {
            platform::messages().show(platform::MessageKind::Information, EngineErrorMessage(what),
                                      platform::Buttons::OK);
        }
        platform::endProgram();
    });
    engine::error4exitTest(cb);
    if (!BooksReadOnly()) BuildIndexes(true);
    OpenSettings();
    LoadSettings();
    CloseAllTables();
}

void ShutDownDataStore(bool pack) {
    if (cb == nullptr) return;
    engine::error4exitTest(cb);
    if (pack && !BooksReadOnly()) PackDataFiles();
    engine::code4initUndo(cb);
    ClearHandles();
    cb = nullptr;
    EndBooks();
}

int PackTable(std::string_view tableName) {
    int result = 0;
    // A failed pack leaves the old table whole; its error is this call's result and must not
    // stay pending to end the program at the next unrelated test.
    EngineWork work;
    engine::code4accessMode(cb, 1);
    engine::Data4* table = engine::d4open(cb, tableName);
    if (work.Done() == 0 && table != nullptr) {
        result = engine::d4pack(table);
        engine::d4close(table);
    }
    engine::code4accessMode(cb, 0);
    return result;
}

void PackDataFiles() {
    engine::code4accessMode(cb, 1);
    {
        platform::ProgressShown shown("Packing Data Files");
        platform::progress().SetProgress(10);
        for (const TableSpec* spec : TablesInPackOrder()) {
            PackTable(spec->name);
            platform::progress().SetProgress(spec->packProgress);
        }
    }
    engine::code4accessMode(cb, 0);
}

}  // namespace cbk
