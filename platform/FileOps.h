#pragma once

// File names matched without regard to case, shared by the real and the scripted platform.
// The copy of data files is the data store's own (data/FileCopy.h), over its file system.

#include <string>

#include "platform/Platform.h"

namespace platform {

// The path of the existing entry whose name matches the last part of `path` without regard
// to case; `path` itself when there is none (or when it matches exactly).
std::string findNoCase(const std::string& path);

}  // namespace platform
