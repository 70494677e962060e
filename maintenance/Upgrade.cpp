#include "maintenance/Upgrade.h"

#include <cerrno>
#include <cstdint>

#include "data/Books.h"
#include "data/Database.h"
#include "data/FileCopy.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "data/TableCatalogue.h"
#include "data/TableCheck.h"
#include "data/TableSession.h"
#include "maintenance/Recovery.h"
#include "platform/Platform.h"
#include "state/MainVars.h"

namespace maintenance {

using namespace engine;

namespace {

// The old tables that are copied whole, with the current table each becomes, and the record
// tables that are converted: the layout each must have to be read.
struct OldTable {
    const char* file;
    const char* layoutOf;
};
constexpr OldTable kOldLayouts[] = {
    {"Inc3.dbf", "INC3"}, {"Exp3.dbf", "EXP3"}, {"Acc.dbf", "ACC"}, {"Folder.dbf", "FOLDER"}};

FileSystem& Fs() {
    return cbk::DataFileSystem();
}

std::string CurrentFile(std::string_view tableName) {
    return resolvePath(Fs(), ".", std::string(tableName) + ".dbf");
}

std::string Listed(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
    return list;
}

const char* CopyFault(platform::CopyResult result) {
    switch (result) {
        case platform::CopyResult::DiskFull:
            return "the disk is full";
        case platform::CopyResult::WriteProtected:
            return "the disk or file is write-protected";
        default:
            return "the file could not be read or written";
    }
}

// Sets the progress box only when the percentage moves: each change is painted at once.
class Progress {
public:
    void set(int percent) {
        if (percent != shown_) platform::progress().SetProgress(shown_ = percent);
    }

private:
    int shown_ = -1;
};

// The five tables the upgrade replaces, in pack order.
std::vector<const cbk::TableSpec*> ReplacedTables() {
    std::vector<const cbk::TableSpec*> tables;
    for (const cbk::TableSpec* spec : cbk::TablesInPackOrder())
        if (spec->policy.upgrade == cbk::WhenReplaced::Own) tables.push_back(spec);
    return tables;
}

// ---- copies aside -------------------------------------------------------------------------

std::vector<std::string> AsideCopiesPresent() {
    std::vector<std::string> present;
    for (const cbk::TableSpec* spec : ReplacedTables())
        if (fileExists(Fs(), ".", AsideCopyName(spec->name)))
            present.push_back(AsideCopyName(spec->name));
    return present;
}

void RemoveAsideCopies() {
    for (const cbk::TableSpec* spec : ReplacedTables()) Fs().remove(AsideCopyName(spec->name));
    Fs().syncDir(".");
}

// Each copy is whole or absent (the file copy writes beside and renames). False, with no copy
// left, when one could not be made.
bool CopyAside(std::string& reason) {
    for (const cbk::TableSpec* spec : ReplacedTables()) {
        const platform::CopyResult copied =
            cbk::CopyDataFile(Fs(), CurrentFile(spec->name), AsideCopyName(spec->name));
        if (copied != platform::CopyResult::Ok) {
            RemoveAsideCopies();
            reason = std::string(spec->name) +
                     ".dbf could not be copied aside: " + CopyFault(copied) + ".";
            return false;
        }
    }
    return true;
}

// A rename needs no room on the disk and replaces the half-made table in one step. The names
// of the copies that could not be put back are returned; they stay where they are.
std::vector<std::string> PutBack() {
    cbk::EngineWork work;  // the half-made tables' faults are the upgrade's, told already
    cbk::CloseAllTables();
    std::vector<std::string> kept;
    for (const cbk::TableSpec* spec : ReplacedTables())
        if (Fs().rename(AsideCopyName(spec->name), CurrentFile(spec->name)) != 0)
            kept.push_back(AsideCopyName(spec->name));
    Fs().syncDir(".");
    return kept;
}

// The tables are written without their indexes, which the full rebuild after the upgrade
// makes anyway; with the index files gone first, a run cut short by a crash leaves tables
// whose indexes start-up builds, never indexes of records that are no longer there.
void RemoveIndexFiles() {
    for (const cbk::TableSpec* spec : ReplacedTables())
        for (const std::string& file : cbk::IndexFilesOf(*spec))
            if (fileExists(Fs(), ".", file)) Fs().remove(resolvePath(Fs(), ".", file));
}

// ---- the conversion -----------------------------------------------------------------------

class Conversion {
public:
    explicit Conversion(std::string dir) : dir_(std::move(dir)) {}

    bool run() {
        if (!copyOld("Folder.dbf", "FOLDER")) return false;
        progress_.set(5);
        if (!copyOld("Acc.dbf", "ACC")) return false;
        progress_.set(10);
        return makeIncomeAccount() && convertIncome() && convertExpenses();
    }

    std::string reason;

private:
    bool fail(std::string why) {
        const std::string detail = code4errorText(cbk::cb);
        if (cbk::TakeEngineError() < 0 && !detail.empty()) why += " (" + detail + ")";
        reason = std::move(why);
        return false;
    }

    std::string oldPath(const char* file) const {
        return dir_ == "/" ? "/" + std::string(file) : dir_ + "/" + file;
    }

    bool copyOld(const char* file, const char* tableName) {
        const platform::CopyResult copied =
            cbk::CopyDataFile(Fs(), oldPath(file), CurrentFile(tableName));
        if (copied == platform::CopyResult::Ok) return true;
        return fail(std::string(file) + " could not be copied: " + CopyFault(copied) + ".");
    }

    // A current table without its group file, its fields bound as the openers bind them.
    bool openCurrent(const char* tableName) {
        const cbk::TableSpec& spec = *cbk::FindTable(tableName);
        Data4* table = cbk::OpenBare(spec.name);
        if (table == nullptr || cbk::TakeEngineError() < 0)
            return fail(std::string(spec.name) + ".dbf could not be opened.");
        for (const cbk::FieldSpec& field : spec.fields)
            if (field.handle != nullptr) *field.handle = d4field(table, field.name);
        *spec.handle = table;
        for (const cbk::FieldSpec& field : spec.fields)
            if (field.handle != nullptr && *field.handle == nullptr)
                return fail(std::string(spec.name) + ".dbf lacks field " + field.name + ".");
        return true;
    }

    bool emptyCurrent(Data4* table, const char* tableName) {
        if (d4zap(table, 1, d4recCount(table)) == 0) return true;
        return fail(std::string(tableName) + ".dbf could not be emptied.");
    }

    Data4* openOld(const char* file) {
        Data4* table = cbk::OpenBare(oldPath(file));
        if (table == nullptr || cbk::TakeEngineError() < 0) {
            fail(std::string(file) + " could not be opened.");
            return nullptr;
        }
        return table;
    }

    bool appendTo(Data4* table, const char* tableName) {
        if (d4appendBlank(table) == 0) return true;
        return fail(std::string(tableName) + ".dbf could not be written.");
    }

    // Gathered appends reach the file at the end of the bulk append; the close must not find
    // an error either.
    bool finish(Data4* table, const char* tableName) {
        if (d4appendEnd(table) != 0)
            return fail(std::string(tableName) + ".dbf could not be written.");
        cbk::CloseAllTables();
        if (cbk::TakeEngineError() < 0)
            return fail(std::string(tableName) + ".dbf could not be written.");
        return true;
    }

    bool readDate(Field4* field, const char* file, Data4* table, platform::DateTime& date) {
        const std::string_view stored = f4strView(field, scratch_);
        const cbk::StoredDate read = cbk::StoredToDate(stored);
        if (read.ok()) {
            date = read.date;
            return true;
        }
        return fail(std::string(file) + " record " + std::to_string(d4recNo(table)) +
                    ": the date '" + std::string(stored) + "' is not a date.");
    }

    bool makeIncomeAccount() {
        if (!openCurrent("ACCI") || !emptyCurrent(cbk::IncomeAccounts, "ACCI")) return false;
        if (d4appendStart(cbk::IncomeAccounts) != 0 || !appendTo(cbk::IncomeAccounts, "ACCI"))
            return false;
        progress_.set(15);
        cbk::CurIncAccount = cbk::AccountRec{1, std::string(kOrdinaryIncome), true};
        cbk::StoreIncomeAccount();
        if (!finish(cbk::IncomeAccounts, "ACCI")) return false;
        progress_.set(20);
        return true;
    }

    // A date is copied as stored when storing the date read would write the same digits: a
    // valid date whose year the century window keeps.
    bool copyDate(Field4* to, Field4* from, const platform::DateTime& date) const {
        const int year = date.year();
        return year >= windowFrom_ && year < windowTo_ && f4assignStored(to, from);
    }

    // Each field copied as stored where that is what storing its value would write (nearly
    // always), else its value read and stored.
    bool convertIncome() {
        Data4* old = openOld("Inc3.dbf");
        if (old == nullptr || !openCurrent("INC5") || !emptyCurrent(cbk::Income, "INC5"))
            return false;
        Field4* date = d4field(old, "INCDATE");
        Field4* desc = d4field(old, "INCDESC");
        Field4* amount = d4field(old, "INCAMT");
        Field4* folder = d4field(old, "FOLNO");
        Field4* imported = d4field(old, "INCIMP");
        if (!date || !desc || !amount || !folder || !imported)
            return fail("Inc3.dbf lacks a field the upgrade reads.");
        if (d4appendStart(cbk::Income) != 0) return fail("INC5.dbf could not be written.");
        const long total = d4recCount(old);
        long n = 0;
        platform::DateTime day;
        for (int rc = d4top(old); rc == r4success; rc = d4skip(old, 1)) {
            if (!readDate(date, "Inc3.dbf", old, day)) return false;
            if (!appendTo(cbk::Income, "INC5")) return false;
            f4assignInt(cbk::IncAccField, 1);
            if (!copyDate(cbk::IncDateField, date, day))
                f4assign(cbk::IncDateField, cbk::DateToStored(day));
            if (!f4assignStored(cbk::IncDescField, desc))
                f4assign(cbk::IncDescField, f4strView(desc, scratch_));
            if (!f4assignStored(cbk::IncAmtField, amount))
                f4assignDouble(cbk::IncAmtField, f4double(amount));
            if (!f4assignStored(cbk::IncFolNoField, folder))
                f4assignInt(cbk::IncFolNoField, f4int(folder));
            if (!f4assignStored(cbk::IncImpField, imported))
                f4assign(cbk::IncImpField, f4true(imported) == 1 ? "T" : "F");
            f4assign(cbk::IncArchiveField, "F");
            progress_.set(20 + static_cast<int>(40 * ++n / total));
        }
        return finish(cbk::Income, "INC5");
    }

    bool convertExpenses() {
        Data4* old = openOld("Exp3.dbf");
        if (old == nullptr || !openCurrent("EXP5") || !emptyCurrent(cbk::Expenses, "EXP5"))
            return false;
        Field4* date = d4field(old, "EXPDATE");
        Field4* check = d4field(old, "CHECKNO");
        Field4* account = d4field(old, "ACCNO");
        Field4* folder = d4field(old, "FOLNO");
        Field4* payTo = d4field(old, "PAYTO");
        Field4* memo = d4field(old, "EMEMO");
        Field4* amount = d4field(old, "AMOUNT");
        if (!date || !check || !account || !folder || !payTo || !memo || !amount)
            return fail("Exp3.dbf lacks a field the upgrade reads.");
        if (d4appendStart(cbk::Expenses) != 0) return fail("EXP5.dbf could not be written.");
        const long total = d4recCount(old);
        long n = 0;
        platform::DateTime day;
        for (int rc = d4top(old); rc == r4success; rc = d4skip(old, 1)) {
            if (!readDate(date, "Exp3.dbf", old, day)) return false;
            if (!appendTo(cbk::Expenses, "EXP5")) return false;
            if (!copyDate(cbk::ExpDateField, date, day))
                f4assign(cbk::ExpDateField, cbk::DateToStored(day));
            if (!f4assignStored(cbk::CheckNoField, check))
                f4assignLong(cbk::CheckNoField, static_cast<std::int32_t>(f4long(check)));
            if (!f4assignStored(cbk::ExpAccNoField, account))
                f4assignInt(cbk::ExpAccNoField, f4int(account));
            if (!f4assignStored(cbk::ExpFolNoField, folder))
                f4assignInt(cbk::ExpFolNoField, f4int(folder));
            if (!f4assignStored(cbk::PayToField, payTo))
                f4assign(cbk::PayToField, f4strView(payTo, scratch_));
            if (!f4assignStored(cbk::AmountField, amount))
                f4assignDouble(cbk::AmountField, f4double(amount));
            if (!f4assignStored(cbk::EMemoField, memo))
                f4assign(cbk::EMemoField, f4strView(memo, scratch_));
            f4assign(cbk::ExpArchiveField, "F");
            progress_.set(60 + static_cast<int>(40 * ++n / total));
        }
        return finish(cbk::Expenses, "EXP5");
    }

    std::string dir_;
    std::string scratch_;
    Progress progress_;
    // The years DateToStored writes as they are: within its window around the current year.
    int windowFrom_ = platform::clock().now().year() - 40;
    int windowTo_ = platform::clock().now().year() + 60;
};

// Before anything changes: the four old tables are there and hold what the upgrade reads, and
// no copies of an unfinished upgrade wait to be put back. Empty when so; else why not.
std::string WhyOldDataUnusable(const std::string& dir) {
    for (const char* file : kOldTables)
        if (!fileExists(Fs(), dir, file)) return std::string(kDataFilesNotFound) + dir;
    for (const OldTable& old : kOldLayouts) {
        std::string message;
        if (!cbk::CheckTableLayout(resolvePath(Fs(), dir, old.file),
                                   cbk::FieldsNeeded(old.layoutOf), &message))
            return message + "\r\n" + std::string(kNothingChanged);
    }
    if (const std::vector<std::string> present = AsideCopiesPresent(); !present.empty())
        return std::string(kAsideCopiesPresent) + Listed(present) + ".\r\n" +
               std::string(kAsideCopiesCure);
    return {};
}

}  // namespace

std::vector<std::string> OldDataPlaces() {
    return {"/tarvel_bus", "/tarvel"};
}

std::string PreselectedOldData(const std::vector<std::string>& places) {
    for (const std::string& place : places)
        if (fileExists(Fs(), place, "Inc3.dbf")) return place;
    return {};
}

std::string AsideCopyName(std::string_view tableName) {
    return std::string(tableName) + ".upg";
}

UpgradeOutcome ConvertOldData(const std::string& directory,
                              const std::function<bool()>& beforeChange) {
    std::string dir = directory;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    UpgradeOutcome outcome;
    outcome.why = WhyOldDataUnusable(dir);
    if (!outcome.why.empty()) return outcome;
    if (!platform::ConfirmedDestruction(platform::MessageKind::Warning,
                                        std::string(kOverwriteWarning),
                                        platform::Buttons::OKCancel))
        return outcome;
    if (!beforeChange()) return outcome;

    platform::ProgressShown shown{std::string(kConvertingDataFiles)};
    cbk::CloseAllTables();
    std::string reason;
    if (!CopyAside(reason)) {
        outcome.why = std::string(kUpgradeFailed) + "\r\n" + reason;
        return outcome;
    }
    RemoveIndexFiles();
    Conversion conversion(dir);
    if (conversion.run()) {
        RemoveAsideCopies();
        for (const cbk::TableSpec* spec : cbk::ClearedWithRecords(false))
            if (fileExists(Fs(), ".", std::string(spec->name) + ".dbf"))
                Fs().remove(resolvePath(Fs(), ".", std::string(spec->name) + ".dbf"));
        outcome.converted = true;
        return outcome;
    }
    code4optimizeWrite(cbk::cb, 0);
    const std::vector<std::string> kept = PutBack();
    if (kept.empty())
        outcome.why = std::string(kUpgradeFailed) + "\r\n" + conversion.reason;
    else
        outcome.why = std::string(kUpgradeFailedKept) + Listed(kept) + ".\r\n" + conversion.reason;
    return outcome;
}

// The pack opens each table alone: with its indexes shut it does not rebuild them (the table
// carries the mark that they are out of date), and the full build after it makes every index
// once, from the packed table, and clears the mark. The files come out as a build followed by
// a pack that rebuilt the indexes would leave them.
void FinishUpgrade(bool keepDeleted) {
    cbk::CloseAllTables();
    code4autoOpen(cbk::cb, 0);
    PackDataFiles(keepDeleted);
    code4autoOpen(cbk::cb, 1);
    cbk::BuildIndexes(false);
    cbk::FolderListStale = true;
}

}  // namespace maintenance
