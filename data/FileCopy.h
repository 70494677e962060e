#pragma once

// The one file copy of the program (backup, restore, upgrade), over the data store's file
// system so that a full disk or a crash at any write can be tried on it: the bytes go to a
// temporary file beside the target, are synced, and replace the target by a rename that is
// itself made durable. A failed copy leaves the old target as it was and no temporary file.

#include <string>

#include "data/engine/FileSystem.h"
#include "platform/Platform.h"

namespace cbk {

// Copies `from` over `to` (names matched without regard to case). DiskFull for a full disk,
// WriteProtected for a read-only medium or file, Failed for anything else (the source
// missing among them).
platform::CopyResult CopyDataFile(engine::FileSystem& fs, const std::string& from,
                                  const std::string& to);

// The copy result for an errno value: ENOSPC/EDQUOT/EFBIG a full disk, EROFS/EACCES/EPERM a
// write-protected one.
platform::CopyResult CopyResultOf(int errorNumber);

}  // namespace cbk
