#pragma once

// Backup and restore of the five data tables and the side tables the books hold (the statement
// ids, the recovery tables): whole files copied between the data directory (TABLE.dbf) and a
// chosen directory (TABLE.bak), in the order ACC, ACCI, FOLDER, EXP5, INC5, STMTIDS, EXP5REC,
// INC5REC, with the progress box "Copying Data Files". The settings table and the index and
// group files are never copied; a restore is followed by a full index rebuild, which the
// caller runs. A backup without a side table (one made before the books had it) restores; the
// live side table is then kept or removed as the table catalogue says.
//
// Every copy goes through the data store's set copy: the files are written beside their
// targets, synced, and renamed over them only when all are written, so a copy that fails
// anywhere leaves the previous set whole. A backup file is checked to be a table of its kind
// before anything live changes. A restore also reads an automatic backup's compressed files
// (TABLE.bak.zst, taken where no TABLE.bak is beside it); one that is damaged is refused and
// nothing live changes.

#include <string>
#include <string_view>
#include <vector>

namespace maintenance {

inline constexpr std::string_view kCopyingDataFiles = "Copying Data Files";
inline constexpr std::string_view kBackupFailed =
    "Backup Failed . . Check that disk is not write protected";
inline constexpr std::string_view kRestoreFailed =
    "Restore Failed . . Check that your disk is not full.";
inline constexpr std::string_view kInsertDisk = "Insert disk containing ";
inline constexpr std::string_view kUnableToFind = "Unable to find ";
inline constexpr std::string_view kFunctionAborted = "Function Aborted";
inline constexpr std::string_view kDiskFull = "Disk Full. Insert another disk.";
inline constexpr std::string_view kWriteProtected = "Disk is Write Protected";
inline constexpr std::string_view kNoRoomForSet =
    "There is no room for the new backup beside the old one in ";
inline constexpr std::string_view kOldSetKept = "The old backup is kept whole.";

// The chosen directory as the copy uses it: blanks trimmed from both ends and a final "/"
// added when missing ("/" itself stays as it is).
std::string CopyDirectory(std::string_view chosen);

// Whether `dir` lies on a removable medium: under /media, /run/media or /mnt, where the
// system mounts USB sticks, memory cards and discs. Only there do the copies ask for another
// disk instead of failing.
bool OnRemovableMedium(std::string_view dir);

// Copies the five tables and the side tables: backup (true) from the data directory into
// `directory`, restore (false) from it. Shows the progress box (10, then 30, 40, 50, 90, 100
// after each of the five) and leaves it up for the caller to hide. A side table is copied when
// its source is there (on a removable medium: on the disk in the drive at the start). The set
// changes as a whole or not at all: every file is written beside the one it replaces, and all are
// put in place only when all are written. A restore checks every backup file present and sound
// before it copies (a missing one is asked for on a removable medium, reported elsewhere); nothing
// live changes until the last file is read and checked. A backup onto a removable medium that is
// full or write-protected asks for another disk and writes the whole set there on OK; elsewhere a
// full medium is reported and the old set kept. The questions are asked here; what the user is then
// to be told comes back in the outcome, for the caller to show.
struct CopyOutcome {
    bool copied = false;
    // An information box's text: why the set was not copied. Empty when the set was copied,
    // the user cancelled, or the copy failed without more to say.
    std::string why;
    std::vector<std::string> tables;  // the tables copied, in copy order
    explicit operator bool() const { return copied; }
};
CopyOutcome CopyDataFiles(bool backup, std::string_view directory, bool removable);

// Backup (true) or restore as the main window runs them: the copy, with its progress box hidden
// when it ends, and what the user is then told, in order: why the set was not copied when there
// is more to say, then the command's own failure line (kBackupFailed, kRestoreFailed). A
// restore first keeps the books as they are in an automatic backup (see SafetyBackup; a No
// there restores nothing and tells nothing more) and, when done, reports what came back and
// where the books as they were are kept.
std::vector<std::string> CopyCommand(bool backup, const std::string& directory);

// What follows a restore, whatever the copy came to: every index built afresh to match the
// tables now in place, and the default-folder list filled afresh at the next paint, since the
// folders may be others now.
void FinishRestore();

// Empty when the backup file at `path` is a table of the kind `table` names; otherwise why not
// (naming the file), CR LF, "Function Aborted".
std::string WhyBackupUnfit(const std::string& path, std::string_view table);

}  // namespace maintenance
