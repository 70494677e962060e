#pragma once

// The drives of the directory chooser on Linux: the file-system root, the user's home
// directory and every mounted removable medium, each listed by its name.

#include <string>
#include <vector>

namespace maintenance {

struct Drive {
    std::string name;  // as listed: "/", "Home", the medium's label
    std::string root;  // the directory the tree starts at
    bool removable = false;
};

// The drives from the system's mount points: "/" first, then "Home" (`home`, when given), then
// each mount point that OnRemovableMedium places on a removable medium, named by its last
// part, in the order given and each once.
std::vector<Drive> DrivesOf(const std::vector<std::string>& mountPoints, const std::string& home);

// The drive whose root holds `dir` (the longest matching root); -1 when none does.
int DriveOf(const std::vector<Drive>& drives, const std::string& dir);

}  // namespace maintenance
