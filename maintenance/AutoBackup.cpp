#include "maintenance/AutoBackup.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

#include "data/Database.h"
#include "data/FileCopy.h"
#include "data/TableCatalogue.h"
#include "platform/Platform.h"

namespace maintenance {

namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;
using std::chrono::seconds;

milliseconds Instant(const platform::DateTime& t) {
    return duration_cast<milliseconds>(t.day.time_since_epoch()) + t.time;
}

int MonthIndex(const platform::DateTime& t) {
    return t.year() * 12 + t.month() - 1;
}

std::string Join(const std::string& dir, std::string_view name) {
    return dir.empty() || dir.back() == '/' ? dir + std::string(name)
                                            : dir + "/" + std::string(name);
}

// Makes `path` and every missing folder above it.
int MakeDirs(engine::FileSystem& fs, const std::string& path) {
    for (std::size_t at = 1; at <= path.size(); ++at) {
        if (at < path.size() && path[at] != '/') continue;
        const int err = fs.makeDir(path.substr(0, at));
        if (err && err != EEXIST) return err;
    }
    return 0;
}

void RemoveFolder(engine::FileSystem& fs, const std::string& path) {
    std::vector<std::string> names;
    if (fs.list(path, names) == 0)
        for (const std::string& name : names) fs.remove(Join(path, name));
    fs.removeDir(path);
}

std::vector<std::string> Listed(engine::FileSystem& fs, const std::string& root) {
    std::vector<std::string> names;
    if (fs.list(root, names) != 0) names.clear();
    return names;
}

}  // namespace

std::string AutoBackupRoot(std::string_view xdgDataHome, std::string_view home,
                           std::string_view dataDir) {
    std::string base =
        xdgDataHome.empty() ? Join(std::string(home), ".local/share") : std::string(xdgDataHome);
    std::string dir(dataDir);
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    const auto slash = dir.rfind('/');
    const std::string books = slash == std::string::npos ? dir : dir.substr(slash + 1);
    return Join(Join(base, "Cantabook/backups"), books.empty() || books == "/" ? "root" : books);
}

std::string AutoBackupFolder() {
    const char* xdgDataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    return AutoBackupRoot(xdgDataHome ? xdgDataHome : "", home ? home : "",
                          platform::files().currentDir());
}

std::string BackupFolderName(const platform::DateTime& when) {
    const long long secs = duration_cast<seconds>(when.time).count();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02lld%02lld%02lld", when.year(), when.month(),
                  when.dayOfMonth(), secs / 3600, secs / 60 % 60, secs % 60);
    return text;
}

std::optional<platform::DateTime> BackupFolderTime(std::string_view name) {
    if (name.size() != 17 || name[4] != '-' || name[7] != '-' || name[10] != '_') return {};
    for (std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 13, 14, 15, 16})
        if (name[i] < '0' || name[i] > '9') return {};
    auto number = [name](std::size_t at, std::size_t len) {
        int n = 0;
        for (std::size_t i = at; i < at + len; ++i) n = n * 10 + (name[i] - '0');
        return n;
    };
    const auto day = platform::DateTime::fromYmd(number(0, 4), number(5, 2), number(8, 2));
    const int h = number(11, 2), m = number(13, 2), s = number(15, 2);
    if (!day || h > 23 || m > 59 || s > 59) return {};
    return platform::DateTime{day->day,
                              duration_cast<milliseconds>(seconds(h * 3600 + m * 60 + s))};
}

std::vector<std::string> FoldersToRemove(const std::vector<std::string>& names,
                                         const platform::DateTime& now) {
    std::vector<std::pair<platform::DateTime, std::string>> dated;
    for (const std::string& name : names)
        if (const auto when = BackupFolderTime(name)) dated.emplace_back(*when, name);
    std::sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<bool> keep(dated.size(), false);
    std::map<int, bool> monthTaken;
    for (std::size_t i = 0; i < dated.size(); ++i) {
        if (i < std::size_t(kKeepLatest)) keep[i] = true;
        const int month = MonthIndex(dated[i].first);
        if (month > MonthIndex(now) - kKeepMonths && !monthTaken[month]) {
            monthTaken[month] = true;
            keep[i] = true;
        }
    }
    std::vector<std::string> remove;
    for (std::size_t i = 0; i < dated.size(); ++i)
        if (!keep[i]) remove.push_back(dated[i].second);
    return remove;
}

bool BackupDue(const std::vector<std::string>& names, const platform::DateTime& now) {
    for (const std::string& name : names) {
        const auto when = BackupFolderTime(name);
        if (!when) continue;
        const milliseconds age = Instant(now) - Instant(*when);
        if (age < std::chrono::minutes(1) && age > -std::chrono::minutes(1)) return false;
    }
    return true;
}

std::string MakeAutomaticBackup(const std::string& root, const platform::DateTime& now) {
    engine::FileSystem& fs = cbk::DataFileSystem();
    if (!BackupDue(Listed(fs, root), now)) return {};
    if (const int err = MakeDirs(fs, root)) return root + ": " + std::strerror(err);
    const std::string folder = Join(root, BackupFolderName(now));
    if (const int err = fs.makeDir(folder)) return folder + ": " + std::strerror(err);
    std::vector<cbk::FileToCopy> files;
    for (const cbk::TableSpec& spec : cbk::TableCatalogue())
        files.push_back({std::string(spec.name) + ".dbf", Join(folder, spec.name) + ".bak"});
    const cbk::SetCopyOutcome outcome = cbk::CopyFileSet(fs, files);
    if (outcome.result != platform::CopyResult::Ok) {
        RemoveFolder(fs, folder);
        const std::string table =
            outcome.failedAt < files.size() ? files[outcome.failedAt].from : "";
        return table + (outcome.result == platform::CopyResult::DiskFull ? ": the disk is full"
                        : outcome.result == platform::CopyResult::WriteProtected
                            ? ": the disk cannot be written"
                            : ": the copy failed");
    }
    for (const std::string& old : FoldersToRemove(Listed(fs, root), now))
        RemoveFolder(fs, Join(root, old));
    return {};
}

std::vector<AutomaticBackup> AutomaticBackups(const std::string& root) {
    std::vector<std::pair<platform::DateTime, std::string>> dated;
    for (const std::string& name : Listed(cbk::DataFileSystem(), root))
        if (const auto when = BackupFolderTime(name)) dated.emplace_back(*when, name);
    std::sort(dated.begin(), dated.end(), [](const auto& a, const auto& b) { return a > b; });
    std::vector<AutomaticBackup> backups;
    for (const auto& [when, name] : dated) {
        const long long secs = duration_cast<seconds>(when.time).count();
        char label[64];
        std::snprintf(label, sizeof label, "%04d-%02d-%02d %02lld:%02lld:%02lld", when.year(),
                      when.month(), when.dayOfMonth(), secs / 3600, secs / 60 % 60, secs % 60);
        backups.push_back({Join(root, name), label});
    }
    return backups;
}

}  // namespace maintenance
