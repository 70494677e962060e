#include "data/Database.h"

#include <algorithm>
#include <cctype>
#include <initializer_list>
#include <memory>
#include <vector>

#include "data/Records.h"
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

namespace {

// Owns the engine handle that `cb` points to.
std::unique_ptr<engine::Code4>& EngineOwner() {
    static std::unique_ptr<engine::Code4> owner;
    return owner;
}

constexpr const char* kNotDeleted = ".NOT. DELETED()";

// One table's index group: the files whose absence makes the quiet build re-create it, the
// group name given to i4create, its tags, and the progress of the full build after it.
struct IndexGroup {
    const char* table;
    std::vector<const char*> files;
    const char* group;
    std::vector<engine::Tag4Info> tags;
    int progressAfter;
};

const std::vector<IndexGroup>& IndexGroups() {
    static const std::vector<IndexGroup> groups = {
        {"ACC", {"AccTag.ntx", "Acc.cgp"}, "Acc", {{"AccTag", "STR(ACCNO, 4)", kNotDeleted}}, 35},
        {"ACCI",
         {"AccITag.ntx", "AccI.cgp"},
         "AccI",
         {{"AccITag", "STR(ACCNO, 4)", kNotDeleted}},
         45},
        {"FOLDER", {"FolTag.ntx", "Folder.cgp"}, "Folder", {{"FolTag", "FOLNO", kNotDeleted}}, 50},
        {"EXP5",
         {"EDate.ntx", "EAcc.ntx", "Exp5.cgp"},
         "exp5",
         {{"EDate", "DTOS(EXPDATE) + STR(ACCNO,4)", kNotDeleted},
          {"EAcc", "STR(ACCNO,4) + DTOS(EXPDATE)", kNotDeleted}},
         80},
        {"INC5",
         {"IncDate.ntx", "IncAcc.ntx", "INC5.cgp"},
         "INC5",
         {{"IncDate", "DTOS(INCDATE)", kNotDeleted},
          {"IncAcc", "Str(IncAcc,4,0)+DTOS(INCDATE)", kNotDeleted}},
         100},
    };
    return groups;
}

// The table alone, for building its indexes; one that cannot be opened ends the program with
// its name, as the openers do.
engine::Data4* OpenForIndexBuild(const IndexGroup& group) {
    engine::Data4* table = engine::d4open(cb, group.table);
    if (engine::code4errorCode(cb, 0) < 0 || table == nullptr)
        FailOpen(std::string(group.table) + ".DBF");
    return table;
}

bool AnyFileMissing(const IndexGroup& group) {
    for (const char* file : group.files) {
        if (!engine::fileExists(engine::posixFileSystem(), engine::code4dir(cb), file)) {
            return true;
        }
    }
    return false;
}

struct FieldBinding {
    engine::Field4** handle;
    const char* name;
};

struct TagBinding {
    engine::Tag4** handle;
    const char* name;
};

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

const IndexGroup* GroupOf(std::string_view tableName) {
    for (const IndexGroup& group : IndexGroups())
        if (tableName == group.table) return &group;
    return nullptr;
}

// A table that would not open with its group file: when the table alone opens, the fault is
// in an index file, and the user is told which one and that a rebuild cures it (the table is
// not to be blamed for its index). Returns only when the table itself is at fault.
void FailIndexOpen(const char* tableName, std::initializer_list<TagBinding> tags) {
    const IndexGroup* group = GroupOf(tableName);
    engine::code4autoOpen(cb, 0);
    engine::Data4* bare = engine::d4open(cb, tableName);
    engine::code4autoOpen(cb, 1);
    if (engine::code4errorCode(cb, 0) < 0 || bare == nullptr || group == nullptr) return;
    std::string unsound;
    engine::i4groupCheck(bare, group->group, group->tags, &unsound);
    engine::d4close(bare);
    engine::code4errorCode(cb, 0);
    // Named as the opener asks for the tag ("eDate.Ntx"), like a tag that is missing.
    std::string name = unsound.empty() ? std::string(group->group) + ".cgp" : unsound;
    for (const TagBinding& tag : tags)
        if (SameName(unsound, std::string(tag.name) + ".ntx"))
            name = std::string(tag.name) + ".Ntx";
    FailIndex(name);
}

// The steps every opener shares: open, test, bind fields, ask for each tag and test it at
// once, select the first tag as the default and move to the first record.
engine::Data4* OpenTable(const char* tableName, std::initializer_list<FieldBinding> fields,
                         std::initializer_list<TagBinding> tags, bool withGroupFile = true) {
    const std::string fileName = std::string(tableName) + ".DBF";
    if (!withGroupFile) engine::code4autoOpen(cb, 0);
    engine::Data4* table = engine::d4open(cb, tableName);
    if (!withGroupFile) engine::code4autoOpen(cb, 1);
    if (engine::code4errorCode(cb, 0) < 0 || table == nullptr) {
        if (withGroupFile) FailIndexOpen(tableName, tags);
        FailOpen(fileName);
    }

    // A table without one of the fields the program reads is as unusable as a damaged one;
    // without this test the first load would read through a missing field.
    bool fieldsBound = true;
    for (const FieldBinding& field : fields) {
        *field.handle = engine::d4field(table, field.name);
        if (*field.handle == nullptr) fieldsBound = false;
    }
    if (engine::code4errorCode(cb, 0) < 0 || !fieldsBound) FailOpen(fileName);

    for (const TagBinding& tag : tags) {
        *tag.handle = engine::d4tag(table, tag.name);
        if (engine::code4errorCode(cb, 0) < 0 || *tag.handle == nullptr) {
            FailIndex(std::string(tag.name) + ".Ntx");
        }
    }
    if (tags.size() > 0) engine::d4tagSelect(table, *tags.begin()->handle);
    ResultWord = engine::d4top(table);
    return table;
}

void ClearHandles() {
    for (engine::Data4** table :
         {&Accounts, &IncomeAccounts, &Folders, &Expenses, &Income, &SettingsTable}) {
        *table = nullptr;
    }
    for (engine::Field4** field :
         {&AccNoField,      &AcDescField,   &AcDedField,      &IncAccNoField, &IncAcDescField,
          &IncAcDedField,   &FolNoField,    &FolNameField,    &ExpDateField,  &CheckNoField,
          &ExpAccNoField,   &ExpFolNoField, &PayToField,      &AmountField,   &EMemoField,
          &ExpArchiveField, &IncAccField,   &IncImpField,     &IncDateField,  &IncDescField,
          &IncAmtField,     &IncFolNoField, &IncArchiveField, &FyMonthField,  &FyDayField,
          &FontNameField,   &FontSizeField}) {
        *field = nullptr;
    }
    for (engine::Tag4** tag :
         {&AccTag, &AcciTag, &FolTag, &EDateTag, &EAccTag, &IncDateTag, &IncAccTag}) {
        *tag = nullptr;
    }
}

}  // namespace

bool DataFilesPresent() {
    for (const char* file :
         {"CBK1.dbf", "ACC.dbf", "EXP5.dbf", "FOLDER.dbf", "INC5.dbf", "ACCI.dbf"}) {
        if (!engine::fileExists(engine::posixFileSystem(), ".", file)) return false;
    }
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
    Accounts =
        OpenTable("ACC", {{&AccNoField, "AccNo"}, {&AcDescField, "AcDesc"}, {&AcDedField, "AcDed"}},
                  {{&AccTag, "AccTag"}});
    return true;
}

bool OpenIncomeAccounts() {
    IncomeAccounts = OpenTable(
        "ACCI", {{&IncAccNoField, "AccNo"}, {&IncAcDescField, "AcDesc"}, {&IncAcDedField, "AcDed"}},
        {{&AcciTag, "AcciTag"}});
    return true;
}

bool OpenFolders() {
    Folders = OpenTable("FOLDER", {{&FolNoField, "FolNo"}, {&FolNameField, "FolName"}},
                        {{&FolTag, "FolTag"}});
    return true;
}

bool OpenExpenses() {
    Expenses = OpenTable("EXP5",
                         {{&ExpDateField, "ExpDate"},
                          {&CheckNoField, "CheckNo"},
                          {&ExpAccNoField, "AccNo"},
                          {&ExpFolNoField, "FolNo"},
                          {&PayToField, "PayTo"},
                          {&AmountField, "Amount"},
                          {&EMemoField, "EMemo"},
                          {&ExpArchiveField, "Archive"}},
                         {{&EDateTag, "eDate"}, {&EAccTag, "eAcc"}});
    return true;
}

bool OpenIncome() {
    Income = OpenTable("INC5",
                       {{&IncAccField, "IncAcc"},
                        {&IncImpField, "IncImp"},
                        {&IncDateField, "IncDate"},
                        {&IncDescField, "IncDesc"},
                        {&IncAmtField, "IncAmt"},
                        {&IncFolNoField, "FolNo"},
                        {&IncArchiveField, "Archive"}},
                       {{&IncDateTag, "IncDate"}, {&IncAccTag, "IncAcc"}});
    return true;
}

bool OpenSettings() {
    SettingsTable = OpenTable("CBK1",
                              {{&FyMonthField, "FyMonth"},
                               {&FyDayField, "FyDay"},
                               {&FontNameField, "FontName"},
                               {&FontSizeField, "FontSize"}},
                              {}, /*withGroupFile=*/false);
    return true;
}

void CloseAllTables() {
    if (cb != nullptr) engine::code4close(cb);
    ClearHandles();
}

int CreateTableIndexes(engine::Data4* table, std::string_view tableName) {
    for (const IndexGroup& group : IndexGroups()) {
        if (tableName == group.table) return engine::i4create(table, group.group, group.tags);
    }
    return engine::e4parm;
}

std::vector<std::string> IndexFilesOf(std::string_view tableName) {
    for (const IndexGroup& group : IndexGroups()) {
        if (tableName == group.table) return {group.files.begin(), group.files.end()};
    }
    return {};
}

void BuildIndexes(bool quiet) {
    // With the group file left shut, a damaged or stale index never stands in the way.
    engine::code4autoOpen(cb, 0);
    engine::code4safety(cb, 0);
    engine::code4accessMode(cb, 1);
    if (!quiet) {
        platform::progress().ShowProgress(true, "Rebuilding Indexes");
        platform::progress().SetProgress(20);
    }
    for (const IndexGroup& group : IndexGroups()) {
        if (!quiet || AnyFileMissing(group)) {
            engine::Data4* table = OpenForIndexBuild(group);
            engine::i4create(table, group.group, group.tags);
            engine::error4exitTest(cb);
            CloseAllTables();
        } else {
            // Present is not enough: an index file that is no sound index of its tag (damaged,
            // or of another key) would stop the first command that opens the table, so it is
            // built again like a missing one. Only headers and root pages are read.
            engine::Data4* table = OpenForIndexBuild(group);
            if (engine::i4groupCheck(table, group.group, group.tags) != 0) {
                engine::i4create(table, group.group, group.tags);
                engine::error4exitTest(cb);
            }
            CloseAllTables();
        }
        if (!quiet) platform::progress().SetProgress(group.progressAfter);
    }
    engine::code4autoOpen(cb, 1);
    engine::code4safety(cb, 1);
    engine::code4accessMode(cb, 0);
    if (!quiet) platform::progress().ShowProgress(false, "");
}

void StartDataStore() {
    if (cb != nullptr) ShutDownDataStore(false);
    EngineOwner() = engine::code4init(engine::posixFileSystem(), ".");
    cb = EngineOwner().get();
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
    BuildIndexes(true);
    OpenSettings();
    LoadSettings();
    CloseAllTables();
}

void ShutDownDataStore(bool pack) {
    if (cb == nullptr) return;
    engine::error4exitTest(cb);
    if (pack) PackDataFiles();
    engine::code4initUndo(cb);
    ClearHandles();
    cb = nullptr;
    EngineOwner().reset();
}

int PackTable(std::string_view tableName) {
    int result = 0;
    engine::code4accessMode(cb, 1);
    engine::Data4* table = engine::d4open(cb, tableName);
    if (engine::code4errorCode(cb, 0) == 0 && table != nullptr) {
        result = engine::d4pack(table);
        // A failed pack leaves the old table whole; its error is this call's result and must
        // not stay pending to end the program at the next unrelated test.
        engine::code4errorCode(cb, 0);
        engine::d4close(table);
        engine::code4errorCode(cb, 0);
    }
    engine::code4accessMode(cb, 0);
    return result;
}

void PackDataFiles() {
    engine::code4accessMode(cb, 1);
    platform::progress().ShowProgress(true, "Packing Data Files");
    platform::progress().SetProgress(10);
    static const std::pair<const char*, int> kOrder[] = {
        {"INC5", 40}, {"FOLDER", 50}, {"EXP5", 90}, {"ACC", 95}, {"ACCI", 100}};
    for (const auto& [table, progressAfter] : kOrder) {
        PackTable(table);
        platform::progress().SetProgress(progressAfter);
    }
    platform::progress().ShowProgress(false, "");
    engine::code4accessMode(cb, 0);
}

}  // namespace cbk
