#pragma once

// Automatic backups: at every normal exit, and before a command replaces or rewrites the live
// tables, every table of the books (the six and the side tables present) is copied, as one set,
// into a dated folder ${XDG_DATA_HOME:-~/.local/share}/Cantabook/backups/<books name>/
// YYYY-MM-DD_HHMMSS/ (the books name is the data directory's base name; a second folder of the
// same second gets "-2", "-3", ...), as TABLE.bak files that Restore reads. Kept: the last 10,
// and the newest of each of the last 12 months; the rest are removed. At exit, a backup less
// than a minute old is enough only when the books are still as it holds them. A failure
// changes no earlier backup.

#include <optional>
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

// The automatic backups in `root`, newest first: the folder's path and its date and time as
// the chooser shows them.
struct AutomaticBackup {
    std::string path;
    std::string label;
};
std::vector<AutomaticBackup> AutomaticBackups(const std::string& root);

}  // namespace maintenance
