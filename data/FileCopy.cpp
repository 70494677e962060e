#include "data/FileCopy.h"

#include <algorithm>
#include <cerrno>
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

// Writes `source` into the temporary file beside `target` and syncs it; on failure the
// temporary file is gone again.
int WriteBeside(engine::FileSystem& fs, const std::string& source, const std::string& target) {
    std::unique_ptr<engine::File> in;
    if (fs.open(source, engine::OpenMode::ReadOnly, in) != 0) return ENOENT;
    // A read-only target is a write-protected one, even where its folder would let the
    // rename replace it.
    if (engine::fileExists(fs, DirOf(target), NameOf(target))) {
        std::unique_ptr<engine::File> existing;
        if (const int err = fs.open(target, engine::OpenMode::ReadWrite, existing)) return err;
    }
    const std::string temp = TempOf(target);
    int err = 0;
    {
        std::unique_ptr<engine::File> out;
        err = fs.open(temp, engine::OpenMode::Create, out);
        if (err) return err;
        std::vector<char> buffer(1 << 16);
        std::uint64_t at = 0;
        for (;;) {
            std::size_t got = 0;
            err = in->read(at, buffer.data(), buffer.size(), got);
            if (err || got == 0) break;
            err = out->write(at, buffer.data(), got);
            if (err) break;
            at += got;
        }
        if (!err) err = out->sync();
    }
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
        if (const int err = WriteBeside(fs, Resolve(fs, files[i].from), target)) {
            dropWritten();
            out.result = ResultOfWrite(err);
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
            return out;
        }
        const std::string dir = DirOf(targets[i]);
        if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) dirs.push_back(dir);
    }
    // The renames themselves must survive a power loss, or the old files come back.
    for (const std::string& dir : dirs) {
        if (const int err = fs.syncDir(dir)) {
            out.result = CopyResultOf(err);
            return out;
        }
    }
    out.failedAt = files.size();
    return out;
}

}  // namespace cbk
