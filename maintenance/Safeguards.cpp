#include "maintenance/Safeguards.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "data/Database.h"
#include "data/UserFiles.h"

namespace maintenance {

namespace {

constexpr std::string_view kKeepDeleted = "keep-deleted-records";
constexpr std::string_view kAutoBackup = "automatic-backups";

}  // namespace

std::string SafeguardsPath(std::string_view xdgConfigHome, std::string_view home) {
    return cbk::XdgBase(xdgConfigHome, home, ".config") + "/Cantabook/cantabook.conf";
}

Safeguards ParseSafeguards(std::string_view text) {
    Safeguards s;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        const auto eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        const std::string_view key = line.substr(0, eq), value = line.substr(eq + 1);
        if (value != "yes" && value != "no") continue;
        if (key == kKeepDeleted) s.keepDeleted = value == "yes";
        if (key == kAutoBackup) s.autoBackup = value == "yes";
    }
    return s;
}

std::string FormatSafeguards(const Safeguards& s) {
    return std::string(kKeepDeleted) + "=" + (s.keepDeleted ? "yes" : "no") + "\n" +
           std::string(kAutoBackup) + "=" + (s.autoBackup ? "yes" : "no") + "\n";
}

Safeguards ReadSafeguards(const std::string& path) {
    std::unique_ptr<engine::File> file;
    if (cbk::DataFileSystem().open(path, engine::OpenMode::ReadOnly, file) != 0) return {};
    std::string text(4096, '\0');
    std::size_t got = 0;
    if (file->read(0, text.data(), text.size(), got) != 0) return {};
    text.resize(got);
    return ParseSafeguards(text);
}

bool WriteSafeguards(const std::string& path, const Safeguards& s) {
    return cbk::WriteFileSafely(cbk::DataFileSystem(), path, FormatSafeguards(s)) == 0;
}

std::string SafeguardsFile() {
    return cbk::UserConfigFile("cantabook.conf");
}

Safeguards CurrentSafeguards() {
    return ReadSafeguards(SafeguardsFile());
}

}  // namespace maintenance
