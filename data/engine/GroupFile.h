#pragma once

// A table's group file (.cgp): a small text file naming the table's tags, one per line. Each
// name is also the base name of the tag's .ntx file.

#include <string>
#include <vector>

#include "data/engine/FileSystem.h"

namespace engine {

// Reads the tag names. e4open when the file cannot be read, e4index when it is not a group
// file (binary junk, names no tag can have, no names at all).
int readGroupFile(FileSystem& fs, const std::string& path, std::vector<std::string>& tags);
// Writes the names beside `path` and renames the file into place.
int writeGroupFile(FileSystem& fs, const std::string& path, const std::vector<std::string>& tags);

// True for a name a tag (and its file) may have: 1 to 64 letters, digits, '_', '-', '$'.
bool validTagName(const std::string& name);

}  // namespace engine
