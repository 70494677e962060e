#pragma once

// The one seam through which the engine touches the operating system. Every open, read,
// write, sync, rename, remove and lock goes through here, so that tests can make any call
// fail (a full disk, an I/O error, a refused permission) or stop the process at any write.
//
// Calls return 0 on success or a positive errno value (ENOSPC, EIO, EACCES, ENOENT, ...).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace engine {

class File {
public:
    virtual ~File() = default;
    // Reads up to n bytes at offset; `got` is set to the count read (short at end of file).
    virtual int read(std::uint64_t offset, void* buf, std::size_t n, std::size_t& got) = 0;
    // Writes all n bytes at offset or fails.
    virtual int write(std::uint64_t offset, const void* buf, std::size_t n) = 0;
    virtual int size(std::uint64_t& out) = 0;
    virtual int truncate(std::uint64_t length) = 0;
    virtual int sync() = 0;
    // Non-blocking whole-file lock: exclusive for the writer in access mode 1, shared for
    // readers. EWOULDBLOCK (EAGAIN) when another process holds a conflicting lock.
    virtual int lock(bool exclusive) = 0;
    virtual int unlock() = 0;
    // Read-only view of the first `length` bytes, or nullptr when mapping is not offered.
    // The view stays valid until the next call of map() or the file is destroyed.
    virtual const char* map(std::uint64_t length) {
        (void)length;
        return nullptr;
    }
};

enum class OpenMode {
    ReadOnly,
    ReadWrite,
    Create,  // create or truncate, read-write
};

class FileSystem {
public:
    virtual ~FileSystem() = default;
    virtual int open(const std::string& path, OpenMode mode, std::unique_ptr<File>& out) = 0;
    virtual int rename(const std::string& from, const std::string& to) = 0;
    virtual int remove(const std::string& path) = 0;
    // Names (not paths) of the entries of a directory.
    virtual int list(const std::string& dir, std::vector<std::string>& names) = 0;
    // Makes a rename in `dir` durable.
    virtual int syncDir(const std::string& dir) = 0;
    // Makes the directory `path` (its parent must exist); EEXIST when it is there. Removes the
    // empty directory `path`. The system's calls unless a test file system says otherwise.
    virtual int makeDir(const std::string& path);
    virtual int removeDir(const std::string& path);
    // Today, for the date a table's header carries; the system's clock unless the program
    // gives its own.
    virtual std::chrono::sys_days today();
};

// The real file system (POSIX calls).
FileSystem& posixFileSystem();

// Finds `name` in `dir` without regard to case. Returns the path of the existing entry, or
// the plain `dir/name` when there is none.
std::string resolvePath(FileSystem& fs, const std::string& dir, const std::string& name);
bool fileExists(FileSystem& fs, const std::string& dir, const std::string& name);

}  // namespace engine
