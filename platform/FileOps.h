#pragma once

// File operations shared by the real and the scripted platform: file names matched without
// regard to case, and a copy with overwrite that tells a full disk from a write-protected one.

#include <string>

#include "platform/Platform.h"

namespace platform {

// The path of the existing entry whose name matches the last part of `path` without regard
// to case; `path` itself when there is none (or when it matches exactly).
std::string findNoCase(const std::string& path);

// Copies `from` over `to`. The copy goes to a temporary file beside `to` that replaces `to`
// only when complete, so a failed copy leaves the old `to` as it was.
CopyResult copyFile(const std::string& from, const std::string& to);

// The copy result for an errno value: ENOSPC/EDQUOT a full disk, EROFS/EACCES/EPERM a
// write-protected one.
CopyResult copyResultOf(int errorNumber);

}  // namespace platform
