#include "platform/FileOps.h"

#include <fcntl.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <vector>

namespace platform {

namespace {

bool sameNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto ca = static_cast<unsigned char>(a[i]);
        const auto cb = static_cast<unsigned char>(b[i]);
        if (std::tolower(ca) != std::tolower(cb)) return false;
    }
    return true;
}

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closes now and reports the close's own failure (a full disk may only show here).
    int close() {
        const int rc = ::close(fd_);
        fd_ = -1;
        return rc == 0 ? 0 : errno;
    }

private:
    int fd_;
};

int writeAll(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        const ssize_t put = ::write(fd, data, n);
        if (put < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        data += put;
        n -= std::size_t(put);
    }
    return 0;
}

// Copies the bytes of `src` into the new file `tmp`; 0 or the errno of the failure.
int copyBytes(int src, const std::string& tmp) {
    Fd out(::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (out.get() < 0) return errno;
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(src, buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            return errno;
        }
        if (got == 0) break;
        if (const int rc = writeAll(out.get(), buffer.data(), std::size_t(got))) return rc;
    }
    if (::fsync(out.get()) != 0) return errno;
    return out.close();
}

}  // namespace

std::string findNoCase(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path p(path);
    if (fs::exists(p, ec)) return path;
    const fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
    const std::string name = p.filename().string();
    for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
        if (sameNoCase(it->path().filename().string(), name)) {
            return p.has_parent_path() ? (dir / it->path().filename()).string()
                                       : it->path().filename().string();
        }
    }
    return path;
}

CopyResult copyResultOf(int errorNumber) {
    switch (errorNumber) {
        case 0:
            return CopyResult::Ok;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return CopyResult::DiskFull;
        case EROFS:
        case EACCES:
        case EPERM:
            return CopyResult::WriteProtected;
        default:
            return CopyResult::Failed;
    }
}

CopyResult copyFile(const std::string& from, const std::string& to) {
    const std::string source = findNoCase(from);
    const std::string target = findNoCase(to);
    Fd src(::open(source.c_str(), O_RDONLY | O_CLOEXEC));
    if (src.get() < 0) return CopyResult::Failed;
    // A read-only target file is a write-protected one, even where its folder would let
    // the rename replace it.
    if (::access(target.c_str(), F_OK) == 0 && ::access(target.c_str(), W_OK) != 0)
        return copyResultOf(errno);
    const std::string tmp = target + ".cbk-copy";
    ::unlink(tmp.c_str());
    int rc = copyBytes(src.get(), tmp);
    if (rc == 0 && ::rename(tmp.c_str(), target.c_str()) != 0) rc = errno;
    if (rc != 0) {
        ::unlink(tmp.c_str());
        return copyResultOf(rc);
    }
    return CopyResult::Ok;
}

}  // namespace platform
