#include "statements/MappingStore.h"

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <vector>

#include "data/Database.h"
#include "data/UserFiles.h"

namespace statements {

namespace {

bool ReadAll(const std::string& path, std::string& text) {
    std::unique_ptr<engine::File> file;
    std::uint64_t size = 0;
    if (cbk::DataFileSystem().open(path, engine::OpenMode::ReadOnly, file) != 0 ||
        file->size(size) != 0)
        return false;
    text.resize(size);
    std::size_t got = 0;
    if (file->read(0, text.data(), text.size(), got) != 0) return false;
    text.resize(got);
    return true;
}

struct Remembered {
    std::string headerLine;
    CsvMapping mapping;
};

std::vector<Remembered> ReadRemembered(const std::string& path) {
    std::vector<Remembered> all;
    std::string text;
    if (!ReadAll(path, text)) return all;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        CsvMapping mapping;
        if (tab != std::string::npos && MappingFromText(line.substr(0, tab), mapping))
            all.push_back({line.substr(tab + 1), mapping});
    }
    return all;
}

}  // namespace

std::string MappingFilePath() {
    return cbk::UserConfigFile("statements.conf");
}

std::optional<CsvMapping> RememberedMapping(const std::string& path,
                                            const std::string& headerLine) {
    for (const Remembered& r : ReadRemembered(path))
        if (r.headerLine == headerLine) return r.mapping;
    return std::nullopt;
}

std::optional<CsvMapping> RememberedMappingFor(const std::string& path, const std::string& bytes,
                                               int foundLine) {
    const std::vector<Remembered> all = ReadRemembered(path);
    for (const Remembered& r : all)
        if (!r.headerLine.empty() && r.headerLine == LineText(bytes, r.mapping.firstLine))
            return r.mapping;
    const std::string found = LineText(bytes, foundLine);
    for (Remembered r : all)
        if (!found.empty() && r.headerLine == found) {
            r.mapping.firstLine = foundLine;
            return r.mapping;
        }
    return std::nullopt;
}

bool RememberMapping(const std::string& path, const std::string& headerLine,
                     const CsvMapping& mapping) {
    std::string old, text;
    ReadAll(path, old);
    std::istringstream in(old);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        if (tab != std::string::npos && line.substr(tab + 1) != headerLine) text += line + "\n";
    }
    text += MappingText(mapping) + "\t" + headerLine + "\n";
    return cbk::WriteFileSafely(cbk::DataFileSystem(), path, text) == 0;
}

}  // namespace statements
