#include "maintenance/Drives.h"

#include <algorithm>

#include "maintenance/CopyData.h"

namespace maintenance {

namespace {

std::string LastPart(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') trimmed.pop_back();
    const auto slash = trimmed.rfind('/');
    return slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
}

bool Holds(const std::string& root, const std::string& dir) {
    if (root == "/") return !dir.empty() && dir.front() == '/';
    return dir.compare(0, root.size(), root) == 0 &&
           (dir.size() == root.size() || dir[root.size()] == '/');
}

}  // namespace

std::vector<Drive> DrivesOf(const std::vector<std::string>& mountPoints, const std::string& home) {
    std::vector<Drive> drives = {{"/", "/", false}};
    if (!home.empty() && home != "/") drives.push_back({"Home", home, false});
    for (const std::string& mount : mountPoints) {
        // The folders the media are mounted in are no media themselves.
        if (!OnRemovableMedium(mount) || mount == "/media" || mount == "/mnt" ||
            mount == "/run/media")
            continue;
        const bool known = std::any_of(drives.begin(), drives.end(),
                                       [&](const Drive& d) { return d.root == mount; });
        if (!known) drives.push_back({LastPart(mount), mount, true});
    }
    return drives;
}

int DriveOf(const std::vector<Drive>& drives, const std::string& dir) {
    int best = -1;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        if (!Holds(drives[i].root, dir)) continue;
        if (best < 0 || drives[i].root.size() > drives[std::size_t(best)].root.size())
            best = static_cast<int>(i);
    }
    return best;
}

}  // namespace maintenance
