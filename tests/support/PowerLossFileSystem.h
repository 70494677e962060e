#pragma once

// A file system in memory that can lose power. Each file keeps the bytes its last sync made
// durable apart from the writes (and truncations) made since, in their order. Losing power
// keeps, for every file, the synced bytes plus a chosen subset of those unsynced writes: none,
// all, only the later ones, or a random choice, as a disk that reorders its writes may.
//
// Directory changes (create, rename, remove) are taken as durable at once and in order, as a
// journalling file system keeps its metadata; a file renamed keeps its unsynced writes, so a
// file renamed into place before its data was synced loses that data with the power.
//
// A hook sees every point at which the power could go: just before each write, truncation,
// sync and directory change.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <string>

#include "data/engine/FileSystem.h"

namespace enginetest {

// What survives of the unsynced writes of each file.
enum class Keep { None, All, Later, Random };
const char* keepName(Keep keep);

using Disk = std::map<std::string, std::string>;  // path -> bytes

class PowerLossFileSystem final : public engine::FileSystem {
public:
    PowerLossFileSystem() = default;
    // A disk holding `files`, all of them synced.
    explicit PowerLossFileSystem(const Disk& files);

    // Called just before each write, truncation, sync and directory change, with what it is.
    void setHook(std::function<void(const char* what, const std::string& path)> hook) {
        hook_ = std::move(hook);
    }

    // The disk as it would be found after a power loss now.
    Disk afterPowerLoss(Keep keep, std::mt19937& random) const;
    // The files as a reader sees them now.
    Disk files() const;

    int open(const std::string& path, engine::OpenMode mode,
             std::unique_ptr<engine::File>& out) override;
    int rename(const std::string& from, const std::string& to) override;
    int remove(const std::string& path) override;
    int list(const std::string& dir, std::vector<std::string>& names) override;
    int syncDir(const std::string& dir) override;

    struct Node;

private:
    void point(const char* what, const std::string& path) {
        if (hook_) hook_(what, path);
    }
    friend class PowerLossFile;

    std::map<std::string, std::shared_ptr<Node>> entries_;
    std::function<void(const char*, const std::string&)> hook_;
};

}  // namespace enginetest
