#pragma once

// The table work of the folder form: numbering, the number change and merge carried into
// every income and expense record, and the deletion of a folder with all its records.
// FOLDER is open through OpenFolders (FolTag selected); INC5 and EXP5 are opened and closed
// here as the cascades need them. Questions go through the platform's message boxes.

#include <cstdint>
#include <string>
#include <string_view>

namespace records {

inline constexpr std::string_view kAddAnotherFolder = "Add another folder?";
inline constexpr std::string_view kDeleteFolderQuestion =
    "WARNING: All income and expenses assigned to this folder will be deleted.\r\n\r\n"
    "ARE YOU SURE YOU WANT TO DELETE THIS FOLDER?";

// The first gap in the folder numbers 1, 2, 3 ..., or one more than the last number.
// Folders marked deleted leave their number free.
std::int32_t NextFreeFolderNo();

// The record number of the live folder numbered n; 0 when the number is free.
long LiveFolderRecord(std::int32_t n);

// Every income and expense record of folder `oldNo`, deleted and archived ones included,
// moves to folder `newNo`. Returns how many records moved.
long MoveFolder(std::int32_t oldNo, std::int32_t newNo);

// The questions of a number change (`typed` is the number field's trimmed text).
std::string FolderChangedMessage(std::int32_t oldNo, std::string_view typed);
std::string FolderExistsMessage(std::string_view typed, std::int32_t oldNo, std::string_view name);

// What a Save or Delete of the folder form comes to.
enum class FolderStep {
    StayOpen,    // refused or cancelled: nothing written, the form stays as it is
    AddAnother,  // a new folder was stored and the user wants another one
    Close,       // done: `choice` is the folder's record number (0 after a deletion)
};

struct FolderOutcome {
    FolderStep step = FolderStep::StayOpen;
    long choice = 0;
    bool marked = false;  // a record was marked deleted: the tables want packing
};

// Appends a folder with the next free number (the number shown is not used) and asks
// "Add another folder?".
FolderOutcome SaveNewFolder(const std::string& name);

// Stores the folder at `recNo`, loaded with number `loadedNo`, as number n with `name`:
// a rename when n is unchanged; a number change into a free number; or a merge into the live
// folder that has number n, which disappears. The last two ask first and move every income and
// expense record of the old number.
FolderOutcome SaveExistingFolder(long recNo, std::int32_t loadedNo, std::int32_t n,
                                 std::string_view typed, const std::string& name);

// Asks, then marks deleted every income and expense record of folder `loadedNo` and the folder
// at `recNo` itself.
FolderOutcome DeleteFolder(long recNo, std::int32_t loadedNo);

}  // namespace records
