#include "records/FolderOps.h"

#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "platform/Platform.h"
#include "records/RecordTables.h"

namespace records {

using namespace engine;
using platform::Buttons;
using platform::Confirmed;
using platform::MessageKind;

namespace {

// Hands the stored folder's record back to the pick list, re-read from disk; a save the disk
// refused (0) keeps the form open.
FolderOutcome Stored(long recNo, bool marked) {
    if (recNo == 0) return {};
    d4refresh(cbk::Folders);
    error4exitTest(cbk::cb);
    return {FolderStep::Close, recNo, marked};
}

}  // namespace

std::int32_t NextFreeFolderNo() {
    std::int32_t counter = 1;
    for (cbk::ResultWord = d4top(cbk::Folders); cbk::ResultWord == 0;
         cbk::ResultWord = d4skip(cbk::Folders, 1)) {
        const std::int32_t number = f4int(cbk::FolNoField);
        // A folder numbered 0 (the number field takes it) or a number met twice must not
        // end the search early: that would offer a number that is taken.
        if (number < counter) continue;
        if (number != counter) break;
        ++counter;
    }
    return counter;
}

long LiveFolderRecord(std::int32_t n) {
    cbk::ResultWord = d4seek(cbk::Folders, cbk::PadNumber(n, 4));
    if (cbk::ResultWord != 0 || f4int(cbk::FolNoField) != n || d4deleted(cbk::Folders)) return 0;
    return d4recNo(cbk::Folders);
}

long MoveFolder(std::int32_t oldNo, std::int32_t newNo) {
    return RewriteRecords(RecordTable::Income, RecordField::Folder, oldNo, newNo) +
           RewriteRecords(RecordTable::Expenses, RecordField::Folder, oldNo, newNo);
}

std::string FolderChangedMessage(std::int32_t oldNo, std::string_view typed) {
    const std::string old = std::to_string(oldNo);
    return "FOLDER NUMBER CHANGED!\r\n\r\nIf you continue, all income and expenses in folder " +
           old + " will be assigned to folder number " + std::string(typed) +
           " AND Folder Number " + old + " will no longer exist.";
}

std::string FolderExistsMessage(std::string_view typed, std::int32_t oldNo, std::string_view name) {
    return "FOLDER NUMBER " + std::string(typed) + " ALREADY EXISTS." + "\r\n" + "\r\n" +
           "If you continue," + " all income and expenses in folder " + std::to_string(oldNo) +
           " will be merged into folder number " + std::string(typed) +
           " which will be renamed to " + std::string(name);
}

FolderOutcome SaveNewFolder(const std::string& name) {
    if (!ReadyToSave(cbk::Folders)) return {};  // the free number is found in number order
    cbk::CurFolder.FolNo = NextFreeFolderNo();
    cbk::CurFolder.FolName = name;
    const long recNo = StoreRecord(cbk::Folders, 0, cbk::StoreFolder);
    if (recNo == 0) return {};
    if (Confirmed(MessageKind::Confirm, std::string(kAddAnotherFolder), Buttons::YesNo))
        return {FolderStep::AddAnother, 0, false};
    return Stored(recNo, false);
}

FolderOutcome SaveExistingFolder(long recNo, std::int32_t loadedNo, std::int32_t n,
                                 std::string_view typed, const std::string& name) {
    if (!ReadyToSave(cbk::Folders)) return {};  // the number is sought in its index
    if (n == loadedNo) {
        cbk::CurFolder = {loadedNo, name};
        return Stored(StoreRecord(cbk::Folders, recNo, cbk::StoreFolder), false);
    }
    const long target = LiveFolderRecord(n);
    if (target == 0) {
        if (!Confirmed(MessageKind::Information, FolderChangedMessage(loadedNo, typed),
                       Buttons::OKCancel))
            return {};
        // The folder first: when the disk refuses it, no record has moved yet.
        cbk::CurFolder = {n, name};
        if (StoreRecord(cbk::Folders, recNo, cbk::StoreFolder) == 0) return {};
        MoveFolder(loadedNo, n);
        return Stored(recNo, false);
    }
    if (!Confirmed(MessageKind::Information, FolderExistsMessage(typed, loadedNo, name),
                   Buttons::OKCancel))
        return {};
    cbk::CurFolder = {n, name};
    if (StoreRecord(cbk::Folders, recNo, cbk::StoreFolder) == 0) return {};
    MoveFolder(loadedNo, n);
    DeleteRecord(cbk::Folders, target);
    // The pick list comes back to the folder that survives, not to the one merged away.
    d4go(cbk::Folders, recNo);
    return Stored(recNo, true);
}

FolderOutcome DeleteFolder(long recNo, std::int32_t loadedNo) {
    if (!platform::ConfirmedDestruction(MessageKind::Warning, std::string(kDeleteFolderQuestion),
                                        Buttons::YesNo))
        return {};
    MarkRecordsDeleted(RecordTable::Income, RecordField::Folder, loadedNo);
    MarkRecordsDeleted(RecordTable::Expenses, RecordField::Folder, loadedNo);
    DeleteRecord(cbk::Folders, recNo);
    return {FolderStep::Close, 0, true};
}

}  // namespace records
