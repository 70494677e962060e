#include "data/FileCopy.h"

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

platform::CopyResult CopyDataFile(engine::FileSystem& fs, const std::string& from,
                                  const std::string& to) {
    const std::string source = Resolve(fs, from);
    const std::string target = Resolve(fs, to);
    std::unique_ptr<engine::File> in;
    if (fs.open(source, engine::OpenMode::ReadOnly, in) != 0) return platform::CopyResult::Failed;
    // A read-only target is a write-protected one, even where its folder would let the
    // rename replace it.
    if (engine::fileExists(fs, DirOf(target), NameOf(target))) {
        std::unique_ptr<engine::File> existing;
        if (const int err = fs.open(target, engine::OpenMode::ReadWrite, existing))
            return CopyResultOf(err);
    }
    const std::string temp = target + ".cbk-copy";
    int err = 0;
    {
        std::unique_ptr<engine::File> out;
        err = fs.open(temp, engine::OpenMode::Create, out);
        if (err) return CopyResultOf(err);
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
    if (!err) err = fs.rename(temp, target);
    if (err) {
        fs.remove(temp);
        return CopyResultOf(err);
    }
    // The rename itself must survive a power loss, or the old file comes back.
    return CopyResultOf(fs.syncDir(DirOf(target)));
}

}  // namespace cbk
