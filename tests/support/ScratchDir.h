#pragma once

// A scratch directory in memory (/dev/shm) when there is one, else in the temporary
// directory. The crash and fault campaigns make thousands of directories whose files the
// engine syncs; in memory a sync costs nothing, and what they check does not depend on it.

#include <stdlib.h>

#include <filesystem>
#include <string>

namespace enginetest {

class ScratchDir {
public:
    ScratchDir() {
        std::error_code ec;
        std::filesystem::path base = std::filesystem::is_directory("/dev/shm", ec)
                                         ? std::filesystem::path("/dev/shm")
                                         : std::filesystem::temp_directory_path();
        std::string tmpl = (base / "cbk-proof-XXXXXX").string();
        if (::mkdtemp(tmpl.data())) path_ = tmpl;
    }
    ~ScratchDir() {
        std::error_code ec;
        if (!path_.empty()) std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace enginetest
