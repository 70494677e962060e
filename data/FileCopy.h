#pragma once

// The one file copy of the program (backup, restore, upgrade, automatic backups), over the
// data store's file system so that a full disk or a crash at any write can be tried on it:
// the bytes go to a temporary file beside the target, are synced, and replace the target by a
// rename that is itself made durable. A failed copy leaves the old target as it was and no
// temporary file.
//
// A set of files (the five tables of a backup) is copied as a whole: every file is written
// beside its target first, and only when all are written are they renamed into place. A set
// that fails part-way leaves every old target as it was.
//
// Every file written is read back after its sync and must hold the bytes that were written.
// The automatic backups are kept compressed: a table is written compressed and read back, and
// a compressed backup file is written out whole again by the set copy.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "data/Compression.h"
#include "data/engine/FileSystem.h"
#include "platform/Platform.h"

namespace cbk {

// Copies `from` over `to` (names matched without regard to case). DiskFull for a full disk,
// WriteProtected for a read-only medium or file, Failed for anything else (the source
// missing among them).
platform::CopyResult CopyDataFile(engine::FileSystem& fs, const std::string& from,
                                  const std::string& to);

struct FileToCopy {
    std::string from;
    std::string to;
    bool compressed = false;  // `from` is a compressed file; `to` gets the bytes it holds
};

struct SetCopyOutcome {
    platform::CopyResult result = platform::CopyResult::Ok;
    std::size_t failedAt = 0;  // the file that failed or was refused (when not Ok)
    bool refused = false;      // `ready` said no: nothing was copied of that file
    int error = 0;  // the errno value of the failure; EBADMSG: a compressed source is damaged
};

// Copies the set: for each file in turn `ready(i)` may refuse it (it is where a removable
// medium's questions and the checks of a file go), then it is written beside its target and
// `written(i)` is told. When every file is written, all are renamed into place and the
// directories synced. On any refusal or failure every file written so far is removed and no
// target changes.
SetCopyOutcome CopyFileSet(engine::FileSystem& fs, const std::vector<FileToCopy>& files,
                           const std::function<bool(std::size_t)>& ready = {},
                           const std::function<void(std::size_t)>& written = {});

// Writes `from` compressed into the new file `to`, syncs it and reads it back: 0 only when it
// decompresses to exactly the bytes read from `from` (their count and checksum). Otherwise the
// errno value (EBADMSG when the file read back differs, ECANCELED when `stopped` said so
// between two chunks, written or read back) and `to` is removed again.
int CompressDataFile(engine::FileSystem& fs, const std::string& from, const std::string& to,
                     const CompressionSettings& settings,
                     const std::function<bool()>& stopped = {});

// Whether the compressed file `packed` holds exactly the bytes of the file `plain`.
bool SameAsCompressed(engine::FileSystem& fs, const std::string& plain, const std::string& packed);

// The copy result for an errno value: ENOSPC/EDQUOT/EFBIG a full disk, EROFS/EACCES/EPERM a
// write-protected one.
platform::CopyResult CopyResultOf(int errorNumber);

}  // namespace cbk
