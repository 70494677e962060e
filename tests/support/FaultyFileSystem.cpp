#include "support/FaultyFileSystem.h"

namespace engine {
namespace {

class FaultyFile final : public File {
public:
    FaultyFile(FaultyFileSystem& fs, std::string path, std::unique_ptr<File> inner)
        : fs_(fs), path_(std::move(path)), inner_(std::move(inner)) {}

    int read(std::uint64_t offset, void* buf, std::size_t n, std::size_t& got) override {
        got = 0;
        if (int err = fs_.enter(FsOp::Read, path_)) return err;
        return inner_->read(offset, buf, n, got);
    }
    int write(std::uint64_t offset, const void* buf, std::size_t n) override {
        if (int err = fs_.enter(FsOp::Write, path_)) {
            if (fs_.tornWrites() && n > 1) inner_->write(offset, buf, n / 2);
            return err;
        }
        return inner_->write(offset, buf, n);
    }
    int size(std::uint64_t& out) override { return inner_->size(out); }
    int truncate(std::uint64_t length) override {
        if (int err = fs_.enter(FsOp::Truncate, path_)) return err;
        return inner_->truncate(length);
    }
    int sync() override {
        if (int err = fs_.enter(FsOp::Sync, path_)) return err;
        return inner_->sync();
    }
    int lock(bool exclusive) override {
        if (int err = fs_.enter(FsOp::Lock, path_)) return err;
        return inner_->lock(exclusive);
    }
    int unlock() override { return inner_->unlock(); }
    const char* map(std::uint64_t length) override { return inner_->map(length); }

private:
    FaultyFileSystem& fs_;
    std::string path_;
    std::unique_ptr<File> inner_;
};

}  // namespace

const char* fsOpName(FsOp op) {
    static const char* const names[] = {"open",   "read",   "write", "truncate", "sync", "lock",
                                        "rename", "remove", "list",  "syncDir",  "count"};
    return names[static_cast<int>(op)];
}

void FaultyFileSystem::failNth(FsOp op, int n, int err, bool sticky) {
    auto& f = faults_[static_cast<int>(op)];
    f.countdown = n;
    f.err = err;
    f.sticky = sticky;
    f.firing = false;
}

void FaultyFileSystem::clearFaults() {
    faults_ = {};
}

int FaultyFileSystem::enter(FsOp op, const std::string& path) {
    if (!fragment_.empty() && path.find(fragment_) == std::string::npos) return 0;
    ++calls_[static_cast<int>(op)];
    if (hook_) {
        if (int err = hook_(op, path)) return err;
    }
    auto& f = faults_[static_cast<int>(op)];
    if (f.firing) return f.err;
    if (f.countdown > 0 && --f.countdown == 0) {
        if (f.sticky) f.firing = true;
        return f.err;
    }
    return 0;
}

int FaultyFileSystem::open(const std::string& path, OpenMode mode, std::unique_ptr<File>& out) {
    if (int err = enter(FsOp::Open, path)) return err;
    std::unique_ptr<File> inner;
    int err = base_.open(path, mode, inner);
    if (err) return err;
    out = std::make_unique<FaultyFile>(*this, path, std::move(inner));
    return 0;
}

int FaultyFileSystem::rename(const std::string& from, const std::string& to) {
    if (int err = enter(FsOp::Rename, from + " -> " + to)) return err;
    return base_.rename(from, to);
}

int FaultyFileSystem::remove(const std::string& path) {
    if (int err = enter(FsOp::Remove, path)) return err;
    return base_.remove(path);
}

int FaultyFileSystem::list(const std::string& dir, std::vector<std::string>& names) {
    if (int err = enter(FsOp::List, dir)) return err;
    return base_.list(dir, names);
}

int FaultyFileSystem::syncDir(const std::string& dir) {
    if (int err = enter(FsOp::SyncDir, dir)) return err;
    return base_.syncDir(dir);
}

}  // namespace engine
