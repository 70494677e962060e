#pragma once

// A file system that passes every call to another one and fails the calls a test picks: the
// Nth write, rename, sync or open from now, with the errno value of a full disk (ENOSPC), an
// I/O error (EIO) or a refused permission (EACCES). A hook sees every call before it runs, so
// a crash campaign can stop the process at any write.

#include <array>
#include <functional>
#include <string>

#include "data/engine/FileSystem.h"

namespace engine {

enum class FsOp { Open, Read, Write, Truncate, Sync, Lock, Rename, Remove, List, SyncDir, Count };

const char* fsOpName(FsOp op);

class FaultyFileSystem : public FileSystem {
public:
    explicit FaultyFileSystem(FileSystem& base = posixFileSystem()) : base_(base) {}

    // The nth call of `op` from now (1 = the next) fails with `err`; with `sticky` every
    // later call of `op` fails too, until clearFaults().
    void failNth(FsOp op, int n, int err, bool sticky = false);
    void clearFaults();
    // Only calls on paths containing `fragment` are counted and failed ("" = every path). A
    // rename is seen as "from -> to".
    void onlyPaths(std::string fragment) { fragment_ = std::move(fragment); }
    // A failing write first writes the first half of its bytes, as a torn write would.
    void setTornWrites(bool on) { torn_ = on; }
    // Sees every call first; a non-zero result fails the call with that errno value. It may
    // throw to stop the process at that point.
    void setHook(std::function<int(FsOp, const std::string& path)> hook) {
        hook_ = std::move(hook);
    }

    // Calls of `op` (on matching paths) since construction.
    int calls(FsOp op) const { return calls_[static_cast<int>(op)]; }

    // Decides the fate of one call: 0 to let it run, or the errno value to fail it with.
    int enter(FsOp op, const std::string& path);
    bool tornWrites() const { return torn_; }
    FileSystem& base() { return base_; }

    int open(const std::string& path, OpenMode mode, std::unique_ptr<File>& out) override;
    int rename(const std::string& from, const std::string& to) override;
    int remove(const std::string& path) override;
    int list(const std::string& dir, std::vector<std::string>& names) override;
    int syncDir(const std::string& dir) override;

private:
    struct Fault {
        int countdown = 0;  // calls left before the failing one; 0 = none armed
        int err = 0;
        bool sticky = false;
        bool firing = false;
    };
    static constexpr int kOps = static_cast<int>(FsOp::Count);

    FileSystem& base_;
    std::array<Fault, kOps> faults_{};
    std::array<int, kOps> calls_{};
    std::string fragment_;
    bool torn_ = false;
    std::function<int(FsOp, const std::string&)> hook_;
};

}  // namespace engine
