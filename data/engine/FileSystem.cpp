#include "data/engine/FileSystem.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>
#include <cerrno>

namespace engine {
namespace {

class PosixFile final : public File {
public:
    explicit PosixFile(int fd) : fd_(fd) {}
    ~PosixFile() override {
        unmap();
        ::close(fd_);  // also drops a flock held through this descriptor
    }

    int read(std::uint64_t offset, void* buf, std::size_t n, std::size_t& got) override {
        got = 0;
        auto* p = static_cast<char*>(buf);
        while (got < n) {
            ssize_t r = ::pread(fd_, p + got, n - got, static_cast<off_t>(offset + got));
            if (r < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (r == 0) break;
            got += static_cast<std::size_t>(r);
        }
        return 0;
    }

    int write(std::uint64_t offset, const void* buf, std::size_t n) override {
        const auto* p = static_cast<const char*>(buf);
        std::size_t done = 0;
        while (done < n) {
            ssize_t r = ::pwrite(fd_, p + done, n - done, static_cast<off_t>(offset + done));
            if (r < 0) {
                if (errno == EINTR) continue;
                return errno;
            }
            if (r == 0) return EIO;
            done += static_cast<std::size_t>(r);
        }
        return 0;
    }

    int size(std::uint64_t& out) override {
        struct stat st {};
        if (::fstat(fd_, &st) != 0) return errno;
        out = static_cast<std::uint64_t>(st.st_size);
        return 0;
    }

    int truncate(std::uint64_t length) override {
        return ::ftruncate(fd_, static_cast<off_t>(length)) == 0 ? 0 : errno;
    }

    int sync() override { return ::fdatasync(fd_) == 0 ? 0 : errno; }

    // flock rather than fcntl locks: fcntl locks belong to the process and vanish when any
    // descriptor of the file closes; flock locks belong to this descriptor only.
    int lock(bool exclusive) override {
        int op = (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB;
        while (::flock(fd_, op) != 0) {
            if (errno != EINTR) return errno;
        }
        return 0;
    }

    int unlock() override { return ::flock(fd_, LOCK_UN) == 0 ? 0 : errno; }

    const char* map(std::uint64_t length) override {
        unmap();
        if (length == 0) return nullptr;
        // Shared, so that writes through write() are seen in the view at once. Not populated:
        // the kernel maps the pages around each first touch, which costs a command less than
        // mapping every page of a large table that it reads a part of, or reads once.
        void* p = ::mmap(nullptr, length, PROT_READ, MAP_SHARED, fd_, 0);
        if (p == MAP_FAILED) return nullptr;
        map_ = p;
        mapLen_ = length;
        return static_cast<const char*>(p);
    }

private:
    void unmap() {
        if (map_) ::munmap(map_, mapLen_);
        map_ = nullptr;
        mapLen_ = 0;
    }

    int fd_;
    void* map_ = nullptr;
    std::size_t mapLen_ = 0;
};

class PosixFileSystem final : public FileSystem {
public:
    int open(const std::string& path, OpenMode mode, std::unique_ptr<File>& out) override {
        int flags = O_CLOEXEC;
        switch (mode) {
            case OpenMode::ReadOnly:
                flags |= O_RDONLY;
                break;
            case OpenMode::ReadWrite:
                flags |= O_RDWR;
                break;
            case OpenMode::Create:
                flags |= O_RDWR | O_CREAT | O_TRUNC;
                break;
        }
        int fd;
        do {
            fd = ::open(path.c_str(), flags, 0666);
        } while (fd < 0 && errno == EINTR);
        if (fd < 0) return errno;
        struct stat st {};
        if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
            ::close(fd);
            return EISDIR;
        }
        out = std::make_unique<PosixFile>(fd);
        return 0;
    }

    int rename(const std::string& from, const std::string& to) override {
        return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
    }

    int remove(const std::string& path) override { return ::unlink(path.c_str()) == 0 ? 0 : errno; }

    int list(const std::string& dir, std::vector<std::string>& names) override {
        names.clear();
        DIR* d = ::opendir(dir.empty() ? "." : dir.c_str());
        if (!d) return errno;
        while (dirent* e = ::readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != "..") names.push_back(std::move(n));
        }
        ::closedir(d);
        return 0;
    }

    int syncDir(const std::string& dir) override {
        int fd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return errno;
        int rc = ::fsync(fd) == 0 ? 0 : errno;
        ::close(fd);
        return rc;
    }
};

std::string joinPath(const std::string& dir, const std::string& name) {
    if (dir.empty() || dir == ".") return name;
    if (dir.back() == '/') return dir + name;
    return dir + "/" + name;
}

}  // namespace

int FileSystem::makeDir(const std::string& path) {
    return ::mkdir(path.c_str(), 0777) == 0 ? 0 : errno;
}

int FileSystem::removeDir(const std::string& path) {
    return ::rmdir(path.c_str()) == 0 ? 0 : errno;
}

std::chrono::sys_days FileSystem::today() {
    return std::chrono::floor<std::chrono::days>(std::chrono::system_clock::now());
}

FileSystem& posixFileSystem() {
    static PosixFileSystem fs;
    return fs;
}

std::string resolvePath(FileSystem& fs, const std::string& dir, const std::string& name) {
    std::vector<std::string> names;
    if (fs.list(dir.empty() ? "." : dir, names) == 0) {
        // An exact match wins over one that differs only in case.
        for (const auto& n : names)
            if (n == name) return joinPath(dir, n);
        for (const auto& n : names)
            if (::strcasecmp(n.c_str(), name.c_str()) == 0) return joinPath(dir, n);
    }
    return joinPath(dir, name);
}

bool fileExists(FileSystem& fs, const std::string& dir, const std::string& name) {
    std::vector<std::string> names;
    if (fs.list(dir.empty() ? "." : dir, names) != 0) return false;
    for (const auto& n : names)
        if (::strcasecmp(n.c_str(), name.c_str()) == 0) return true;
    return false;
}

}  // namespace engine
