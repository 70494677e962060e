#include "data/engine/GroupFile.h"

#include <strings.h>
#include <cctype>

#include "data/engine/Errors.h"

namespace engine {
namespace {

constexpr std::size_t kMaxGroupFile = 64 * 1024;

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t')) --e;
    return s.substr(b, e - b);
}

}  // namespace

bool validTagName(const std::string& name) {
    if (name.empty() || name.size() > 64) return false;
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (!std::isalnum(u) && c != '_' && c != '-' && c != '$') return false;
    }
    return true;
}

int readGroupFile(FileSystem& fs, const std::string& path, std::vector<std::string>& tags) {
    tags.clear();
    std::unique_ptr<File> f;
    int err = fs.open(path, OpenMode::ReadOnly, f);
    if (err) return errnoToError(err, e4open);
    std::uint64_t size = 0;
    err = f->size(size);
    if (err) return errnoToError(err, e4read);
    if (size > kMaxGroupFile) return e4index;
    std::string text(static_cast<std::size_t>(size), '\0');
    std::size_t got = 0;
    err = f->read(0, text.data(), text.size(), got);
    if (err) return errnoToError(err, e4read);
    text.resize(got);

    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t nl = text.find('\n', pos);
        if (nl == std::string::npos) nl = text.size();
        std::string line = text.substr(pos, nl - pos);
        pos = nl + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line.back() == '\x1A') line.pop_back();  // DOS end of text
        line = trim(line);
        if (line.empty()) continue;
        // A line may name the file rather than the tag.
        if (line.size() > 4 && ::strcasecmp(line.c_str() + line.size() - 4, ".ntx") == 0)
            line.resize(line.size() - 4);
        if (!validTagName(line)) return e4index;
        for (const auto& t : tags)
            if (::strcasecmp(t.c_str(), line.c_str()) == 0) return e4index;
        tags.push_back(line);
    }
    if (tags.empty()) return e4index;
    return 0;
}

int writeGroupFile(FileSystem& fs, const std::string& path, const std::vector<std::string>& tags) {
    std::string text;
    for (const auto& t : tags) {
        if (!validTagName(t)) return e4tagName;
        text += t;
        text += "\r\n";
    }
    std::string temp = path + ".tmp";
    std::unique_ptr<File> f;
    int err = fs.open(temp, OpenMode::Create, f);
    if (err) return errnoToError(err, e4create);
    err = f->write(0, text.data(), text.size());
    if (!err) err = f->sync();
    f.reset();
    if (!err) err = fs.rename(temp, path);
    if (err) {
        fs.remove(temp);
        return errnoToError(err, e4write);
    }
    return 0;
}

}  // namespace engine
