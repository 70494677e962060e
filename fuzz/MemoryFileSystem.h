#pragma once

// A file system held in memory, so that a fuzz target can hand the engine its input as a
// file without touching the disk. Every call succeeds except opening a file that is not
// there; a view is offered only when asked for, as a copy taken at map() time.

#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/engine/FileSystem.h"

namespace fuzzing {

class MemoryFileSystem final : public engine::FileSystem {
public:
    explicit MemoryFileSystem(bool offerViews) : offerViews_(offerViews) {}

    void put(const std::string& path, std::string bytes) { files_[path] = std::move(bytes); }

    int open(const std::string& path, engine::OpenMode mode,
             std::unique_ptr<engine::File>& out) override {
        auto it = files_.find(path);
        if (mode == engine::OpenMode::Create) {
            files_[path].clear();
        } else if (it == files_.end()) {
            return ENOENT;
        }
        out = std::make_unique<MemoryFile>(*this, path, mode == engine::OpenMode::ReadOnly);
        return 0;
    }
    int rename(const std::string& from, const std::string& to) override {
        auto it = files_.find(from);
        if (it == files_.end()) return ENOENT;
        std::string bytes = std::move(it->second);
        files_.erase(it);
        files_[to] = std::move(bytes);
        return 0;
    }
    int remove(const std::string& path) override { return files_.erase(path) ? 0 : ENOENT; }
    int list(const std::string& dir, std::vector<std::string>& names) override {
        names.clear();
        std::string prefix = dir + "/";
        for (const auto& [path, bytes] : files_)
            if (path.compare(0, prefix.size(), prefix) == 0)
                names.push_back(path.substr(prefix.size()));
        return 0;
    }
    int syncDir(const std::string&) override { return 0; }

private:
    class MemoryFile final : public engine::File {
    public:
        MemoryFile(MemoryFileSystem& fs, std::string path, bool readOnly)
            : fs_(fs), path_(std::move(path)), readOnly_(readOnly) {}

        int read(std::uint64_t offset, void* buf, std::size_t n, std::size_t& got) override {
            const std::string& s = bytes();
            got = 0;
            if (offset >= s.size()) return 0;
            got = std::min<std::size_t>(n, s.size() - static_cast<std::size_t>(offset));
            std::memcpy(buf, s.data() + offset, got);
            return 0;
        }
        int write(std::uint64_t offset, const void* buf, std::size_t n) override {
            if (readOnly_) return EBADF;
            if (offset + n > (1u << 26)) return ENOSPC;  // keeps a hostile offset bounded
            std::string& s = bytes();
            if (s.size() < offset + n) s.resize(static_cast<std::size_t>(offset + n), '\0');
            std::memcpy(s.data() + offset, buf, n);
            return 0;
        }
        int size(std::uint64_t& out) override {
            out = bytes().size();
            return 0;
        }
        int truncate(std::uint64_t length) override {
            if (readOnly_) return EBADF;
            bytes().resize(static_cast<std::size_t>(length));
            return 0;
        }
        int sync() override { return 0; }
        int lock(bool) override { return 0; }
        int unlock() override { return 0; }
        const char* map(std::uint64_t length) override {
            if (!fs_.offerViews_ || length == 0 || length > bytes().size()) return nullptr;
            view_.assign(bytes().data(), static_cast<std::size_t>(length));
            return view_.data();
        }

    private:
        std::string& bytes() { return fs_.files_[path_]; }

        MemoryFileSystem& fs_;
        std::string path_;
        bool readOnly_;
        std::string view_;
    };

    bool offerViews_;
    std::map<std::string, std::string> files_;
};

}  // namespace fuzzing
