#include "books/RecentBooks.h"

#include <algorithm>
#include <filesystem>
#include <memory>

#include "data/UserFiles.h"

namespace books {

namespace {

constexpr std::size_t kMostRead = 64 * 1024;  // the list is short; anything longer is not ours

}  // namespace

std::vector<std::string> LoadRecentBooks(engine::FileSystem& fs, const std::string& file) {
    std::vector<std::string> list;
    std::unique_ptr<engine::File> in;
    if (fs.open(file, engine::OpenMode::ReadOnly, in) != 0) return list;
    std::string text(kMostRead, '\0');
    std::size_t got = 0;
    if (in->read(0, text.data(), text.size(), got) != 0) return list;
    text.resize(got);
    std::size_t at = 0;
    while (at < text.size() && list.size() < kRecentBooksKept) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        if (!line.empty() && line[0] == '/' &&
            std::find(list.begin(), list.end(), line) == list.end())
            list.push_back(line);
        at = end + 1;
    }
    return list;
}

std::vector<std::string> Remembered(std::vector<std::string> list, const std::string& dir) {
    list.erase(std::remove(list.begin(), list.end(), dir), list.end());
    list.insert(list.begin(), dir);
    if (list.size() > kRecentBooksKept) list.resize(kRecentBooksKept);
    return list;
}

int SaveRecentBooks(engine::FileSystem& fs, const std::string& file,
                    const std::vector<std::string>& list) {
    std::string text = "# Cantabook: the books last opened, most recent first\n";
    for (const std::string& dir : list) text += dir + "\n";
    return cbk::WriteFileSafely(fs, file, text);
}

}  // namespace books
