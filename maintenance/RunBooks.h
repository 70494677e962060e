#pragma once

// A run's start and end on a set of books: what the main window does to the
// data when it is first shown and when it closes, less the splash and the fields it fills.

#include <string>
#include <string_view>

namespace maintenance {

inline constexpr std::string_view kDataFilesMissing =
    "Database files not found in startup directory\r\n"
    "Program must be started from the directory containing the data files.";

// The start-up on the books in `folder` (the current directory when empty). When the six tables
// are there: the data store started (missing or unsound
// index files built quietly, the settings record read) and the run's variables set (no default
// folder, nothing to pack, the default-folder list to be filled, the report period the current
// month); empty then. When one is missing nothing is started and kDataFilesMissing comes back,
// for the caller to show before the program ends.
std::string StartRun(const std::string& folder = {});

// The exit's work on the books. A pending engine error ends the program before anything is
// packed; the tables are packed when a record was deleted in the run (the deleted records kept
// for recovery as the safeguard says); the automatic backup follows the pack, so that it holds
// the books as the next start will find them; the engine is released. Empty, or the text that
// tells why the automatic backup failed (the exit goes on regardless). Nothing happens when no
// data store was started; read-only books are neither packed nor backed up. The background
// compression of the backups is stopped first.
std::string EndRun();

// The compression of the automatic backups on a thread of its own, for the rest of the run:
// when the data store is started on writable books with automatic backups on.
void CompressBackupsDuringRun();

}  // namespace maintenance
