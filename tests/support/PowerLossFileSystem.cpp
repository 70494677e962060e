#include "support/PowerLossFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

namespace enginetest {

// A write (or, with `truncate`, a truncation to `offset`) not yet synced.
struct Change {
    bool truncate = false;
    std::uint64_t offset = 0;
    std::string bytes;

    void applyTo(std::string& data) const {
        if (truncate) {
            data.resize(offset, '\0');
            return;
        }
        if (data.size() < offset + bytes.size()) data.resize(offset + bytes.size(), '\0');
        std::memcpy(data.data() + offset, bytes.data(), bytes.size());
    }
};

struct PowerLossFileSystem::Node {
    std::string synced;
    std::vector<Change> unsynced;
    std::string now;

    void change(Change c) {
        c.applyTo(now);
        unsynced.push_back(std::move(c));
    }
    void sync() {
        synced = now;
        unsynced.clear();
    }
};

class PowerLossFile final : public engine::File {
public:
    PowerLossFile(PowerLossFileSystem& fs, std::string path,
                  std::shared_ptr<PowerLossFileSystem::Node> node)
        : fs_(fs), path_(std::move(path)), node_(std::move(node)) {}

    int read(std::uint64_t offset, void* buf, std::size_t n, std::size_t& got) override {
        const std::string& data = node_->now;
        got = offset >= data.size() ? 0 : std::min<std::size_t>(n, data.size() - offset);
        if (got) std::memcpy(buf, data.data() + offset, got);
        return 0;
    }
    int write(std::uint64_t offset, const void* buf, std::size_t n) override {
        fs_.point("write", path_);
        node_->change({false, offset, std::string(static_cast<const char*>(buf), n)});
        return 0;
    }
    int size(std::uint64_t& out) override {
        out = node_->now.size();
        return 0;
    }
    int truncate(std::uint64_t length) override {
        fs_.point("truncate", path_);
        node_->change({true, length, {}});
        return 0;
    }
    int sync() override {
        fs_.point("sync", path_);
        node_->sync();
        return 0;
    }
    int lock(bool) override { return 0; }
    int unlock() override { return 0; }

private:
    PowerLossFileSystem& fs_;
    std::string path_;
    std::shared_ptr<PowerLossFileSystem::Node> node_;
};

const char* keepName(Keep keep) {
    static const char* const names[] = {"none", "all", "later", "random"};
    return names[static_cast<int>(keep)];
}

PowerLossFileSystem::PowerLossFileSystem(const Disk& files) {
    for (const auto& [path, bytes] : files) {
        auto node = std::make_shared<Node>();
        node->synced = node->now = bytes;
        entries_[path] = std::move(node);
    }
}

Disk PowerLossFileSystem::afterPowerLoss(Keep keep, std::mt19937& random) const {
    Disk disk;
    for (const auto& [path, node] : entries_) {
        std::string data = node->synced;
        const std::size_t n = node->unsynced.size();
        for (std::size_t i = 0; i < n; ++i) {
            const bool kept = keep == Keep::All || (keep == Keep::Later && i >= n / 2) ||
                              (keep == Keep::Random && random() % 2 == 0);
            if (kept) node->unsynced[i].applyTo(data);
        }
        disk[path] = std::move(data);
    }
    return disk;
}

Disk PowerLossFileSystem::files() const {
    Disk disk;
    for (const auto& [path, node] : entries_) disk[path] = node->now;
    return disk;
}

int PowerLossFileSystem::open(const std::string& path, engine::OpenMode mode,
                              std::unique_ptr<engine::File>& out) {
    auto it = entries_.find(path);
    if (mode == engine::OpenMode::Create) {
        point("create", path);
        if (it == entries_.end()) {
            it = entries_.emplace(path, std::make_shared<Node>()).first;
        } else {
            it->second->change({true, 0, {}});
        }
    } else if (it == entries_.end()) {
        return ENOENT;
    }
    out = std::make_unique<PowerLossFile>(*this, path, it->second);
    return 0;
}

int PowerLossFileSystem::rename(const std::string& from, const std::string& to) {
    point("rename", from);
    auto it = entries_.find(from);
    if (it == entries_.end()) return ENOENT;
    auto node = it->second;
    entries_.erase(it);
    entries_[to] = std::move(node);
    return 0;
}

int PowerLossFileSystem::remove(const std::string& path) {
    point("remove", path);
    return entries_.erase(path) ? 0 : ENOENT;
}

int PowerLossFileSystem::list(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    const std::string prefix = dir.empty() || dir == "." ? "" : dir + "/";
    for (const auto& [path, node] : entries_) {
        if (path.compare(0, prefix.size(), prefix) != 0) continue;
        std::string name = path.substr(prefix.size());
        if (name.find('/') == std::string::npos) names.push_back(std::move(name));
    }
    return 0;
}

int PowerLossFileSystem::syncDir(const std::string&) {
    return 0;
}

}  // namespace enginetest
