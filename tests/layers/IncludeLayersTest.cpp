// The house's floors: every source includes only its own folder and the folders below it that
// allowed-includes.txt gives it, and each folder's library links what its line allows and
// reaches all of it. An include that runs up a floor, a folder with sources that the table
// does not place, or a link list that disagrees with the table fails here.

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

// Lines of "folder: folder folder ...", comments and blank lines skipped.
Layers ReadLayers(const fs::path& file) {
    Layers layers;
    std::ifstream in(file);
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

Layers ReadLayers() {
    return ReadLayers(kRoot / "tests/layers/allowed-includes.txt");
}

// Each library's folder and the folders of the libraries it links directly, as the build
// configured them.
Layers ReadLinks() {
    return ReadLayers(fs::path(CBK_BINARY_DIR) / "tests/layers/link-libraries.txt");
}

// The folders whose libraries `folder`'s library reaches through its links.
std::set<std::string> Reached(const Layers& links, const std::string& folder) {
    std::set<std::string> reached;
    std::vector<std::string> next{folder};
    while (!next.empty()) {
        const auto found = links.find(next.back());
        next.pop_back();
        if (found == links.end()) continue;
        for (const std::string& linked : found->second)
            if (reached.insert(linked).second) next.push_back(linked);
    }
    return reached;
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

TEST(IncludeLayers, EachLibraryLinksWhatItsFolderMayIncludeAndNothingElse) {
    const Layers layers = ReadLayers();
    const Layers links = ReadLinks();
    ASSERT_FALSE(links.empty()) << "link-libraries.txt not written by the build";
    for (const auto& [folder, linked] : links) {
        const auto layer = layers.find(folder);
        if (layer == layers.end()) {
            ADD_FAILURE() << folder << "/ has a library but no line in allowed-includes.txt";
            continue;
        }
        for (const std::string& library : linked)
            if (!layer->second.count(library))
                ADD_FAILURE() << folder << "/'s library links " << library << "/'s, which "
                              << folder << "/ may not include";
        const std::set<std::string> reached = Reached(links, folder);
        for (const std::string& allowed : layer->second)
            if (links.count(allowed) && !reached.count(allowed))
                ADD_FAILURE() << folder << "/ may include " << allowed << "/, but its library "
                              << "does not link " << allowed << "/'s";
    }
}

}  // namespace
