#pragma once

// The books last opened, most recent first: one directory a line in a small text file of
// their own (RecentBooksFile()). A missing or unreadable file is an empty list; the list is
// rewritten whole, beside the old file and renamed into place, so it is never half-written.

#include <string>
#include <vector>

#include "data/engine/FileSystem.h"

namespace books {

inline constexpr std::size_t kRecentBooksKept = 10;

std::vector<std::string> LoadRecentBooks(engine::FileSystem& fs, const std::string& file);

// `list` with `dir` first and nowhere else, at most kRecentBooksKept long.
std::vector<std::string> Remembered(std::vector<std::string> list, const std::string& dir);

// Writes `list` to `file`, making its directory when needed. Returns 0 or an errno value.
int SaveRecentBooks(engine::FileSystem& fs, const std::string& file,
                    const std::vector<std::string>& list);

}  // namespace books
