// The house's floors: every source includes only its own folder and the folders below it that
// allowed-includes.txt gives it. An include that runs up a floor, or a folder with sources that
// the table does not place, fails here.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kRoot = CBK_SOURCE_DIR;

using Layers = std::map<std::string, std::set<std::string>>;

Layers ReadLayers() {
    Layers layers;
    std::ifstream in(kRoot / "tests/layers/allowed-includes.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto colon = line.find(':');
        if (colon == std::string::npos) continue;
        std::set<std::string>& allowed = layers[line.substr(0, colon)];
        std::istringstream rest(line.substr(colon + 1));
        for (std::string folder; rest >> folder;) allowed.insert(folder);
    }
    return layers;
}

bool IsSource(const fs::path& p) {
    return p.extension() == ".cpp" || p.extension() == ".h";
}

// The folder part of `#include "folder/File.h"`; empty for other lines.
std::string IncludedFolder(const std::string& line) {
    const auto hash = line.find_first_not_of(" \t");
    if (hash == std::string::npos || line.compare(hash, 8, "#include") != 0) return {};
    const auto open = line.find('"', hash);
    if (open == std::string::npos) return {};
    const auto close = line.find('"', open + 1);
    const std::string target = line.substr(open + 1, close - open - 1);
    const auto slash = target.rfind('/');
    return slash == std::string::npos ? std::string() : target.substr(0, slash);
}

// Folders of the program that hold sources (tests, generated and build trees aside).
std::set<std::string> SourceFolders() {
    std::set<std::string> folders;
    for (auto it = fs::recursive_directory_iterator(kRoot);
         it != fs::recursive_directory_iterator(); ++it) {
        const std::string rel = fs::relative(it->path(), kRoot).generic_string();
        if (it->is_directory() && (rel.starts_with(".") || rel.starts_with("build") ||
                                   rel == "tests" || rel.find("_autogen") != std::string::npos)) {
            it.disable_recursion_pending();
            continue;
        }
        if (it->is_regular_file() && IsSource(it->path()))
            folders.insert(fs::relative(it->path().parent_path(), kRoot).generic_string());
    }
    return folders;
}

TEST(IncludeLayers, EveryIncludeStaysOnItsFloorOrBelow) {
    const Layers layers = ReadLayers();
    ASSERT_FALSE(layers.empty()) << "allowed-includes.txt not read";
    for (const std::string& folder : SourceFolders()) {
        const auto layer = layers.find(folder);
        if (layer == layers.end()) {
            ADD_FAILURE() << folder << "/ holds sources but has no line in allowed-includes.txt";
            continue;
        }
        for (const auto& entry : fs::directory_iterator(kRoot / folder)) {
            if (!entry.is_regular_file() || !IsSource(entry.path())) continue;
            std::ifstream in(entry.path());
            std::string line;
            for (int n = 1; std::getline(in, line); ++n) {
                const std::string included = IncludedFolder(line);
                if (included.empty() || included == folder || layer->second.count(included))
                    continue;
                ADD_FAILURE() << folder << "/" << entry.path().filename().string() << ":" << n
                              << " includes " << included << "/, which " << folder
                              << "/ may not: " << line;
            }
        }
    }
}

}  // namespace
