#pragma once

// The one adapter over libzstd (nothing else includes its header): a file streamed through a
// fixed buffer into one compressed frame and streamed back out, over engine::File, so that
// every read and write goes through the data store's file system and no whole table is ever
// held in memory. The frame records its content size and carries zstd's checksum of the
// content, so a damaged or cut-off file is refused when it is read back.
//
// Calls return 0 or a positive errno value: the file system's own, EBADMSG for a frame that
// is not whole and sound, ENOMEM when the compressor cannot be set up.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "data/engine/FileSystem.h"

namespace cbk {

// The ending of a compressed file's name ("EXP5.bak.zst").
inline constexpr std::string_view kCompressedSuffix = ".zst";

struct CompressionSettings {
    int level = 1;    // zstd's level; the negative ones trade size for speed
    int workers = 0;  // zstd's own threads beside the caller's (0: all in this thread)
};

// Compresses the whole of `in` into `out` from offset 0 (`out` is neither truncated nor
// synced here). `seen` is shown every chunk of `in` as it is read; false from it stops the
// stream (ECANCELED).
int CompressStream(engine::File& in, engine::File& out, const CompressionSettings& settings,
                   const std::function<bool(const char*, std::size_t)>& seen);

// Decompresses `in`, handing the bytes in order to `sink`; a non-zero answer from `sink`
// stops the stream with that value (kStopped stops it as a success).
inline constexpr int kStopped = -1;
int DecompressStream(engine::File& in, const std::function<int(const char*, std::size_t)>& sink);

// The first `limit` bytes the file decompresses to (fewer when it holds fewer) and the size
// its frame says it holds.
int DecompressedHead(engine::File& in, std::size_t limit, std::string& head,
                     std::uint64_t& contentSize);

}  // namespace cbk
