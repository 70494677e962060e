#include "platform/FileOps.h"

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

}  // namespace platform
