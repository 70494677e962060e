#include "data/Compression.h"

#include <zstd.h>

#include <cerrno>
#include <memory>
#include <vector>

namespace cbk {

namespace {

// Large enough that zstd's workers each get whole jobs to themselves.
constexpr std::size_t kInChunk = 1 << 20;

// The longest frame header the format allows (magic number, descriptor, window, id, size).
constexpr std::size_t kFrameHeaderMax = 18;

struct FreeCCtx {
    void operator()(ZSTD_CCtx* c) const { ZSTD_freeCCtx(c); }
};
struct FreeDCtx {
    void operator()(ZSTD_DCtx* d) const { ZSTD_freeDCtx(d); }
};

}  // namespace

int CompressStream(engine::File& in, engine::File& out, const CompressionSettings& settings,
                   const std::function<bool(const char*, std::size_t)>& seen) {
    std::unique_ptr<ZSTD_CCtx, FreeCCtx> cctx(ZSTD_createCCtx());
    if (!cctx) return ENOMEM;
    std::uint64_t size = 0;
    if (const int err = in.size(size)) return err;
    if (ZSTD_isError(ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_compressionLevel, settings.level)) ||
        ZSTD_isError(ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_checksumFlag, 1)) ||
        ZSTD_isError(ZSTD_CCtx_setPledgedSrcSize(cctx.get(), size)))
        return ENOMEM;
    // A library built without threads refuses workers; it then compresses in this thread.
    if (settings.workers > 0)
        (void)ZSTD_CCtx_setParameter(cctx.get(), ZSTD_c_nbWorkers, settings.workers);
    std::vector<char> inBuf(kInChunk), outBuf(ZSTD_CStreamOutSize());
    std::uint64_t readAt = 0, writeAt = 0;
    for (;;) {
        std::size_t got = 0;
        if (const int err = in.read(readAt, inBuf.data(), inBuf.size(), got)) return err;
        readAt += got;
        // The size was promised to the frame: a file that grows or shrinks meanwhile is cut
        // at the promised end or fails, never recorded wrongly.
        const bool last = got == 0 || readAt >= size;
        if (seen && got && !seen(inBuf.data(), got)) return ECANCELED;
        ZSTD_inBuffer input{inBuf.data(), got, 0};
        for (;;) {
            ZSTD_outBuffer output{outBuf.data(), outBuf.size(), 0};
            const std::size_t left = ZSTD_compressStream2(cctx.get(), &output, &input,
                                                          last ? ZSTD_e_end : ZSTD_e_continue);
            if (ZSTD_isError(left)) return EIO;
            if (output.pos) {
                if (const int err = out.write(writeAt, outBuf.data(), output.pos)) return err;
                writeAt += output.pos;
            }
            if (last ? left == 0 : input.pos == input.size) break;
        }
        if (last) return 0;
    }
}

int DecompressStream(engine::File& in, const std::function<int(const char*, std::size_t)>& sink) {
    std::unique_ptr<ZSTD_DCtx, FreeDCtx> dctx(ZSTD_createDCtx());
    if (!dctx) return ENOMEM;
    std::vector<char> inBuf(ZSTD_DStreamInSize()), outBuf(ZSTD_DStreamOutSize());
    std::uint64_t readAt = 0;
    std::size_t pending = 1;  // nothing read yet is no whole frame
    for (;;) {
        std::size_t got = 0;
        if (const int err = in.read(readAt, inBuf.data(), inBuf.size(), got)) return err;
        if (got == 0) return pending == 0 ? 0 : EBADMSG;
        readAt += got;
        ZSTD_inBuffer input{inBuf.data(), got, 0};
        while (input.pos < input.size) {
            ZSTD_outBuffer output{outBuf.data(), outBuf.size(), 0};
            pending = ZSTD_decompressStream(dctx.get(), &output, &input);
            if (ZSTD_isError(pending)) return EBADMSG;
            if (output.pos) {
                const int answer = sink(outBuf.data(), output.pos);
                if (answer == kStopped) return 0;
                if (answer) return answer;
            }
        }
        // The decoder may still hold output when the input is used up.
        while (pending != 0) {
            ZSTD_outBuffer output{outBuf.data(), outBuf.size(), 0};
            ZSTD_inBuffer none{inBuf.data(), 0, 0};
            pending = ZSTD_decompressStream(dctx.get(), &output, &none);
            if (ZSTD_isError(pending)) return EBADMSG;
            if (output.pos == 0) break;
            const int answer = sink(outBuf.data(), output.pos);
            if (answer == kStopped) return 0;
            if (answer) return answer;
        }
    }
}

int DecompressedHead(engine::File& in, std::size_t limit, std::string& head,
                     std::uint64_t& contentSize) {
    head.clear();
    char frameHead[kFrameHeaderMax];
    std::size_t got = 0;
    if (const int err = in.read(0, frameHead, sizeof frameHead, got)) return err;
    const unsigned long long size = ZSTD_getFrameContentSize(frameHead, got);
    if (size == ZSTD_CONTENTSIZE_ERROR || size == ZSTD_CONTENTSIZE_UNKNOWN) return EBADMSG;
    contentSize = size;
    const int err = DecompressStream(in, [&](const char* bytes, std::size_t n) {
        head.append(bytes, std::min(n, limit - head.size()));
        return head.size() >= limit ? kStopped : 0;
    });
    if (err) head.clear();
    return err;
}

}  // namespace cbk
