#include "statements/Rollback.h"

#include <algorithm>
#include <cerrno>
#include <memory>

namespace statements {

namespace {

int ReadAt(engine::File& file, std::uint64_t offset, std::size_t n, std::string& out) {
    out.resize(n);
    std::size_t got = 0;
    const int rc = file.read(offset, out.data(), n, got);
    if (rc == 0 && got != n) return EIO;
    return rc;
}

}  // namespace

int AppendRollback::keep(const std::vector<std::string>& paths) {
    kept_.clear();
    for (const std::string& path : paths) {
        Kept k;
        k.path = path;
        std::unique_ptr<engine::File> file;
        const int opened = fs_.open(path, engine::OpenMode::ReadOnly, file);
        if (opened == ENOENT) {
            kept_.push_back(std::move(k));
            continue;
        }
        if (opened != 0) return opened;
        k.existed = true;
        int rc = file->size(k.length);
        const std::size_t head =
            static_cast<std::size_t>(std::min<std::uint64_t>(k.length, kBlock));
        const std::size_t tail =
            static_cast<std::size_t>(std::min<std::uint64_t>(k.length, kBlock));
        if (rc == 0) rc = ReadAt(*file, 0, head, k.head);
        if (rc == 0) rc = ReadAt(*file, k.length - tail, tail, k.tail);
        if (rc != 0) return rc;
        kept_.push_back(std::move(k));
    }
    return 0;
}

std::vector<std::string> AppendRollback::putBack() {
    std::vector<std::string> failed;
    for (const Kept& k : kept_) {
        if (!k.existed) {
            const int rc = fs_.remove(k.path);
            if (rc != 0 && rc != ENOENT) failed.push_back(k.path);
            continue;
        }
        std::unique_ptr<engine::File> file;
        int rc = fs_.open(k.path, engine::OpenMode::ReadWrite, file);
        if (rc == 0) rc = file->truncate(k.length);
        if (rc == 0) rc = file->write(0, k.head.data(), k.head.size());
        if (rc == 0) rc = file->write(k.length - k.tail.size(), k.tail.data(), k.tail.size());
        if (rc == 0) rc = file->sync();
        if (rc != 0) failed.push_back(k.path);
    }
    return failed;
}

}  // namespace statements
