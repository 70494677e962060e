#pragma once

// Automatic backups: at every normal exit, and before a command replaces or rewrites the live
// tables, every table of the books (the six and the side tables present) is copied, as one set,
// into a dated folder ${XDG_DATA_HOME:-~/.local/share}/Cantabook/backups/<books name>/
// YYYY-MM-DD_HHMMSS/ (the books name is the data directory's base name; a second folder of the
// same second gets "-2", "-3", ...), as TABLE.bak files that Restore reads. The set is written
// into the folder's name with ".partial" after it and renamed to its dated name only when all
// are written, synced and read back: a folder that is listed is whole. Kept: the last 10, and
// the newest of each of the last 12 months; the rest are removed, and so are unfinished
// folders a crash left. At exit, a backup less than a minute old is enough only when the books
// are still as it holds them. A failure changes no earlier backup.
//
// The plain copy is what the user waits for; the backups are then compressed during the next
// run, beside the user's work (TABLE.bak.zst, read back and checked, the plain file removed when
// every table of the folder is compressed). Restore reads either form.

#include <optional>
#include <stop_token>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace maintenance {

inline constexpr int kKeepLatest = 10;
inline constexpr int kKeepMonths = 12;
inline constexpr std::string_view kAutoBackupFailed = "The automatic backup could not be made: ";

// The folder of the automatic backups of the books in `dataDir`: `xdgDataHome` (when not
// empty) or `home`/.local/share, then Cantabook/backups/<base name of dataDir>.
std::string AutoBackupRoot(std::string_view xdgDataHome, std::string_view home,
                           std::string_view dataDir);

// The automatic backups' folder of the books in the current (data) directory, from
// XDG_DATA_HOME and HOME.
std::string AutoBackupFolder();

// "YYYY-MM-DD_HHMMSS" of `when`, and back (nullopt for any other name). A name with "-N"
// after it is the Nth folder of that second.
std::string BackupFolderName(const platform::DateTime& when);
std::optional<platform::DateTime> BackupFolderTime(std::string_view name);

// The backup folders among `names` to remove at `now`: all but the newest 10 and the newest
// of each of the 12 months up to now's. Names that are no backup folder are never removed.
std::vector<std::string> FoldersToRemove(const std::vector<std::string>& names,
                                         const platform::DateTime& now);

// Whether a backup may be made at `now`: none of `names` is less than a minute old.
bool BackupDue(const std::vector<std::string>& names, const platform::DateTime& now);

// The exit's backup in `root`: made when due, or when the books differ from the newest backup.
// Empty when done or not needed; otherwise why it failed (nothing of it is left behind).
std::string MakeAutomaticBackup(const std::string& root, const platform::DateTime& now);

// Makes a backup of now in `root` whatever the time of the last (creating the folders), then,
// with `rotate`, removes the old ones; `folder` gets the new folder's path. Empty when done,
// otherwise why it failed (nothing of it is left behind, `folder` empty).
std::string MakeBackupNow(const std::string& root, const platform::DateTime& now,
                          std::string& folder, bool rotate = true);

// Compresses the plain backup files of the backup folders in `root`, newest first: each table
// written as TABLE.bak.zst and read back, and a folder's plain files removed only when all its
// tables are compressed, so that at every moment each table is whole in one form or the other.
// Stops between two chunks of a table when `stop` is requested (that table stays plain). Empty,
// or why a table could not be compressed (its folder keeps its plain files; the rest wait for
// the next call).
std::string CompressBackups(const std::string& root, std::stop_token stop = {});

// CompressBackups on a thread of its own for the rest of the run, on the data store's file
// system. Paused while a backup is made or a restore reads one; StopBackupCompression (called
// by the exit before its backup) ends it and says whether it had been started.
void StartBackupCompression(const std::string& root);
bool StopBackupCompression();

// The background compression stopped for the guard's life and started again after it, when it
// was running: no folder changes under a backup being made or read.
class BackupCompressionPaused {
public:
    BackupCompressionPaused();
    ~BackupCompressionPaused();
    BackupCompressionPaused(const BackupCompressionPaused&) = delete;
    BackupCompressionPaused& operator=(const BackupCompressionPaused&) = delete;

private:
    std::string root_;
    bool was_;
};

// The automatic backups in `root`, newest first: the folder's path and its date and time as
// the chooser shows them.
struct AutomaticBackup {
    std::string path;
    std::string label;
};
std::vector<AutomaticBackup> AutomaticBackups(const std::string& root);

}  // namespace maintenance
