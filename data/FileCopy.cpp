#include "data/FileCopy.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace cbk {

namespace {

std::string DirOf(const std::string& path) {
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The existing entry matching `path` without regard to case, or `path` itself.
std::string Resolve(engine::FileSystem& fs, const std::string& path) {
    return engine::resolvePath(fs, DirOf(path), NameOf(path));
}

}  // namespace

platform::CopyResult CopyResultOf(int errorNumber) {
    switch (errorNumber) {
        case 0:
            return platform::CopyResult::Ok;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return platform::CopyResult::DiskFull;
        case EROFS:
        case EACCES:
        case EPERM:
            return platform::CopyResult::WriteProtected;
        default:
            return platform::CopyResult::Failed;
    }
}

namespace {

std::string TempOf(const std::string& target) {
    return target + ".cbk-copy";
}

// A checksum of a byte stream that does not depend on how the stream is cut into chunks:
// blocks of 32 bytes, a word to each of four multiply-rotate lanes (independent, so that the
// sum keeps up with the copy), then the lanes, the last bytes and the count folded together.
class ByteSum {
public:
    void add(const char* bytes, std::size_t n) {
        count_ += n;
        if (held_ > 0) {
            const std::size_t take = std::min(n, kBlock - held_);
            std::memcpy(block_ + held_, bytes, take);
            held_ += take;
            bytes += take;
            n -= take;
            if (held_ < kBlock) return;
            mixBlock(reinterpret_cast<const char*>(block_));
            held_ = 0;
        }
        for (; n >= kBlock; bytes += kBlock, n -= kBlock) mixBlock(bytes);
        std::memcpy(block_, bytes, n);
        held_ = n;
    }
    std::uint64_t value() const {
        std::uint64_t sum = count_;
        unsigned char tail[kBlock] = {};
        std::memcpy(tail, block_, held_);
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t w;
            std::memcpy(&w, tail + 8 * lane, 8);
            sum = Mix(sum ^ lanes_[lane], w);
        }
        return sum;
    }

private:
    static constexpr std::size_t kBlock = 32;
    static std::uint64_t Mix(std::uint64_t lane, std::uint64_t w) {
        lane ^= w * 0x9E3779B97F4A7C15ull;
        return ((lane << 31) | (lane >> 33)) * 0xC2B2AE3D27D4EB4Full;
    }
    void mixBlock(const char* bytes) {
        for (int lane = 0; lane < 4; ++lane) {
            std::uint64_t w;
            std::memcpy(&w, bytes + 8 * lane, 8);
            lanes_[lane] = Mix(lanes_[lane], w);
        }
    }
    std::uint64_t lanes_[4] = {0x165667B19E3779F9ull, 0x27D4EB2F165667C5ull, 0x85EBCA77C2B2AE63ull,
                               0x9E3779B185EBCA87ull};
    std::uint64_t count_ = 0;
    unsigned char block_[kBlock] = {};
    std::size_t held_ = 0;
};

// Copies the plain file `in` into `out`, summing what is written.
int CopyBytes(engine::File& in, engine::File& out, ByteSum& sum) {
    std::vector<char> buffer(1 << 16);
    for (std::uint64_t at = 0;;) {
        std::size_t got = 0;
        if (const int err = in.read(at, buffer.data(), buffer.size(), got)) return err;
        if (got == 0) return 0;
        if (const int err = out.write(at, buffer.data(), got)) return err;
        sum.add(buffer.data(), got);
        at += got;
    }
}

// Writes out what the compressed file `in` holds, summing what is written.
int Expand(engine::File& in, engine::File& out, ByteSum& sum) {
    std::uint64_t at = 0;
    return DecompressStream(in, [&](const char* bytes, std::size_t n) {
        const int err = out.write(at, bytes, n);
        sum.add(bytes, n);
        at += n;
        return err;
    });
}

// The sum of the plain file at `path`.
int SumOf(engine::FileSystem& fs, const std::string& path, ByteSum& sum) {
    std::unique_ptr<engine::File> file;
    if (const int err = fs.open(path, engine::OpenMode::ReadOnly, file)) return err;
    std::vector<char> buffer(1 << 16);
    for (std::uint64_t at = 0;;) {
        std::size_t got = 0;
        if (const int err = file->read(at, buffer.data(), buffer.size(), got)) return err;
        if (got == 0) return 0;
        sum.add(buffer.data(), got);
        at += got;
    }
}

// Writes `source` into the temporary file beside `target` (written out whole when it is
// compressed) and syncs it; on failure the temporary file is gone again.
int WriteBeside(engine::FileSystem& fs, const std::string& source, const std::string& target,
                bool compressed) {
    std::unique_ptr<engine::File> in;
    if (fs.open(source, engine::OpenMode::ReadOnly, in) != 0) return ENOENT;
    // A read-only target is a write-protected one, even where its folder would let the
    // rename replace it.
    if (engine::fileExists(fs, DirOf(target), NameOf(target))) {
        std::unique_ptr<engine::File> existing;
        if (const int err = fs.open(target, engine::OpenMode::ReadWrite, existing)) return err;
    }
    const std::string temp = TempOf(target);
    ByteSum written, readBack;
    int err = 0;
    {
        std::unique_ptr<engine::File> out;
        err = fs.open(temp, engine::OpenMode::Create, out);
        if (err) return err;
        err = compressed ? Expand(*in, *out, written) : CopyBytes(*in, *out, written);
        if (!err) err = out->sync();
    }
    // What reached the file is what the copy meant to write, or the copy failed.
    if (!err) err = SumOf(fs, temp, readBack);
    if (!err && readBack.value() != written.value()) err = EIO;
    if (err) fs.remove(temp);
    return err;
}

// A missing source is no fault of the medium.
platform::CopyResult ResultOfWrite(int err) {
    return err == ENOENT ? platform::CopyResult::Failed : CopyResultOf(err);
}

}  // namespace

platform::CopyResult CopyDataFile(engine::FileSystem& fs, const std::string& from,
                                  const std::string& to) {
    return CopyFileSet(fs, {{from, to}}).result;
}

SetCopyOutcome CopyFileSet(engine::FileSystem& fs, const std::vector<FileToCopy>& files,
                           const std::function<bool(std::size_t)>& ready,
                           const std::function<void(std::size_t)>& written) {
    SetCopyOutcome out;
    std::vector<std::string> targets;
    auto dropWritten = [&] {
        for (const std::string& target : targets) fs.remove(TempOf(target));
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        out.failedAt = i;
        if (ready && !ready(i)) {
            dropWritten();
            out.result = platform::CopyResult::Failed;
            out.refused = true;
            return out;
        }
        const std::string target = Resolve(fs, files[i].to);
        if (const int err =
                WriteBeside(fs, Resolve(fs, files[i].from), target, files[i].compressed)) {
            dropWritten();
            out.result = ResultOfWrite(err);
            out.error = err;
            return out;
        }
        targets.push_back(target);
        if (written) written(i);
    }
    // Every file is whole beside its target: only now does any target change.
    std::vector<std::string> dirs;
    for (std::size_t i = 0; i < targets.size(); ++i) {
        out.failedAt = i;
        if (const int err = fs.rename(TempOf(targets[i]), targets[i])) {
            for (std::size_t j = i; j < targets.size(); ++j) fs.remove(TempOf(targets[j]));
            out.result = CopyResultOf(err);
            out.error = err;
            return out;
        }
        const std::string dir = DirOf(targets[i]);
        if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(dir);
    }
    // The renames themselves must survive a power loss, or the old files come back.
    for (const std::string& dir : dirs) {
        if (const int err = fs.syncDir(dir)) {
            out.result = CopyResultOf(err);
            out.error = err;
            return out;
        }
    }
    out.failedAt = files.size();
    return out;
}

int CompressDataFile(engine::FileSystem& fs, const std::string& from, const std::string& to,
                     const CompressionSettings& settings, const std::function<bool()>& stopped) {
    std::unique_ptr<engine::File> in;
    if (const int err = fs.open(Resolve(fs, from), engine::OpenMode::ReadOnly, in)) return err;
    ByteSum written, readBack;
    int err = 0;
    {
        std::unique_ptr<engine::File> out;
        if ((err = fs.open(to, engine::OpenMode::Create, out))) return err;
        err = CompressStream(*in, *out, settings, [&](const char* bytes, std::size_t n) {
            written.add(bytes, n);
            return !(stopped && stopped());
        });
        if (!err) err = out->sync();
    }
    // Read back as a restore would read it: the bytes must be the ones the table held.
    if (!err) {
        std::unique_ptr<engine::File> back;
        err = fs.open(to, engine::OpenMode::ReadOnly, back);
        if (!err)
            err = DecompressStream(*back, [&](const char* bytes, std::size_t n) {
                readBack.add(bytes, n);
                return stopped && stopped() ? ECANCELED : 0;
            });
        if (!err && readBack.value() != written.value()) err = EBADMSG;
    }
    if (err) fs.remove(to);
    return err;
}

bool SameAsCompressed(engine::FileSystem& fs, const std::string& plain, const std::string& packed) {
    std::unique_ptr<engine::File> a, b;
    std::uint64_t size = 0;
    if (fs.open(Resolve(fs, plain), engine::OpenMode::ReadOnly, a) || a->size(size) ||
        fs.open(Resolve(fs, packed), engine::OpenMode::ReadOnly, b))
        return false;
    std::vector<char> mine;
    std::uint64_t at = 0;
    const int err = DecompressStream(*b, [&](const char* bytes, std::size_t n) {
        mine.resize(n);
        std::size_t got = 0;
        if (a->read(at, mine.data(), n, got) || got != n || std::memcmp(mine.data(), bytes, n))
            return EBADMSG;
        at += n;
        return 0;
    });
    return err == 0 && at == size;
}

}  // namespace cbk
