#include "maintenance/AutoBackup.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <thread>

#include "data/Books.h"
#include "data/Database.h"
#include "data/FileCopy.h"
#include "data/TableCatalogue.h"
#include "data/UserFiles.h"
#include "platform/Platform.h"

namespace maintenance {

namespace {

using std::chrono::duration_cast;
using std::chrono::milliseconds;
using std::chrono::seconds;

// A folder being written; renamed to its dated name only when every table in it is written,
// synced and read back, so that a folder of that name is always whole.
constexpr std::string_view kPartial = ".partial";

// The compression runs beside the user's work, on one thread: zstd's fastest levels leave a
// tenth of the time to the user's waits and still bring the tables to a sixth of their size,
// their fixed-width, blank-padded fields compressing well.
constexpr cbk::CompressionSettings kBackupCompression{1, 0};

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

// The time and the place within its second of a backup folder's name ("..._103000" 1,
// "..._103000-2" 2); nullopt for any other name.
std::optional<std::pair<platform::DateTime, int>> Dated(std::string_view name) {
    int seq = 1;
    if (name.size() > 17) {
        if (name[17] != '-' || name.size() == 18 || name.size() > 23) return {};
        seq = 0;
        for (char c : name.substr(18)) {
            if (c < '0' || c > '9') return {};
            seq = seq * 10 + (c - '0');
        }
        if (seq < 2) return {};
        name = name.substr(0, 17);
    }
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
    return std::pair{
        platform::DateTime{day->day, duration_cast<milliseconds>(seconds(h * 3600 + m * 60 + s))},
        seq};
}

struct DatedFolder {
    platform::DateTime when;
    int seq;
    std::string name;
    bool operator>(const DatedFolder& o) const {
        return when != o.when ? when > o.when : seq > o.seq;
    }
};

// The backup folders among `names`, newest first.
std::vector<DatedFolder> NewestFirst(const std::vector<std::string>& names) {
    std::vector<DatedFolder> dated;
    for (const std::string& name : names)
        if (const auto d = Dated(name)) dated.push_back({d->first, d->second, name});
    std::sort(dated.begin(), dated.end(), std::greater<>());
    return dated;
}

// The live files of the tables an automatic backup holds, with their names in `folder`: the
// side tables only when the books have them.
std::vector<cbk::FileToCopy> BackupFiles(engine::FileSystem& fs, const std::string& folder) {
    std::vector<cbk::FileToCopy> files;
    for (const cbk::TableSpec* spec : cbk::AutomaticBackupTables()) {
        const std::string live = std::string(spec->name) + ".dbf";
        if (spec->policy.sideTable && !engine::fileExists(fs, ".", live)) continue;
        files.push_back({live, Join(folder, spec->name) + ".bak"});
    }
    return files;
}

// Whether the file `a` holds the same bytes as `b` (both readable).
bool SameBytes(engine::FileSystem& fs, const std::string& a, const std::string& b) {
    std::unique_ptr<engine::File> fa, fb;
    if (fs.open(a, engine::OpenMode::ReadOnly, fa) || fs.open(b, engine::OpenMode::ReadOnly, fb))
        return false;
    std::uint64_t sa = 0, sb = 0;
    if (fa->size(sa) || fb->size(sb) || sa != sb) return false;
    std::vector<char> ba(1 << 16), bb(1 << 16);
    for (std::uint64_t at = 0; at < sa;) {
        std::size_t ga = 0, gb = 0;
        if (fa->read(at, ba.data(), ba.size(), ga) || fb->read(at, bb.data(), bb.size(), gb) ||
            ga != gb || ga == 0 || std::memcmp(ba.data(), bb.data(), ga) != 0)
            return false;
        at += ga;
    }
    return true;
}

std::string Packed(const std::string& plain) {
    return plain + std::string(cbk::kCompressedSuffix);
}

// The table a backup folder's file holds ("EXP5" for EXP5.bak and EXP5.bak.zst).
std::string TableOf(std::string name) {
    if (name.ends_with(cbk::kCompressedSuffix))
        name.resize(name.size() - cbk::kCompressedSuffix.size());
    if (name.ends_with(".bak")) name.resize(name.size() - 4);
    return name;
}

// Whether the books are as the backup `folder` holds them: the same tables, byte for byte,
// each held plain or compressed.
bool BooksAsIn(engine::FileSystem& fs, const std::string& folder) {
    const std::vector<cbk::FileToCopy> files = BackupFiles(fs, folder);
    std::vector<std::string> held;
    if (fs.list(folder, held) != 0) return false;
    std::set<std::string> tables;
    for (const std::string& name : held) tables.insert(TableOf(name));
    if (tables.size() != files.size()) return false;
    return std::all_of(files.begin(), files.end(), [&](const cbk::FileToCopy& f) {
        const std::string live = engine::resolvePath(fs, ".", f.from);
        const bool plain =
            std::find(held.begin(), held.end(), f.to.substr(folder.size() + 1)) != held.end();
        return plain ? SameBytes(fs, live, f.to) : cbk::SameAsCompressed(fs, live, Packed(f.to));
    });
}

// Removes the folders a backup left unfinished (a crash, a power loss): never listed, they
// only take room.
void RemovePartials(engine::FileSystem& fs, const std::string& root,
                    const std::vector<std::string>& names) {
    for (const std::string& name : names)
        if (name.ends_with(kPartial) &&
            BackupFolderTime(name.substr(0, name.size() - kPartial.size())))
            RemoveFolder(fs, Join(root, name));
}

// Compresses the plain files of one backup folder; see CompressBackups.
std::string CompressFolder(engine::FileSystem& fs, const std::string& folder,
                           const std::stop_token& stop) {
    std::vector<std::string> names;
    if (fs.list(folder, names) != 0) return folder + ": the folder cannot be read";
    std::vector<std::string> plain;
    for (const std::string& name : names)
        if (name.ends_with(".bak")) plain.push_back(Join(folder, name));
    if (plain.empty()) return {};
    for (const std::string& file : plain) {
        const int err = cbk::CompressDataFile(fs, file, Packed(file), kBackupCompression,
                                              [&stop] { return stop.stop_requested(); });
        if (err == ECANCELED) return {};
        if (err) return file + ": " + std::strerror(err);
    }
    // Every table is there compressed, read back and synced before any plain file goes.
    if (const int err = fs.syncDir(folder)) return folder + ": " + std::strerror(err);
    for (const std::string& file : plain) fs.remove(file);
    fs.syncDir(folder);
    return {};
}

// Compresses the plain files of every backup folder in `root`, newest first.
std::string CompressAll(engine::FileSystem& fs, const std::string& root,
                        const std::stop_token& stop) {
    for (const DatedFolder& dated : NewestFirst(Listed(fs, root))) {
        if (stop.stop_requested()) return {};
        if (std::string why = CompressFolder(fs, Join(root, dated.name), stop); !why.empty())
            return why;
    }
    return {};
}

// The background compression of the run: its thread and the folder it works in.
struct Compressor {
    std::string root;
    std::jthread thread;
};

Compressor& Background() {
    static Compressor compressor;
    return compressor;
}

}  // namespace

std::string AutoBackupRoot(std::string_view xdgDataHome, std::string_view home,
                           std::string_view dataDir) {
    const std::string base = cbk::XdgBase(xdgDataHome, home, ".local/share");
    std::string dir(dataDir);
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    const auto slash = dir.rfind('/');
    const std::string books = slash == std::string::npos ? dir : dir.substr(slash + 1);
    return Join(Join(base, "Cantabook/backups"), books.empty() || books == "/" ? "root" : books);
}

std::string AutoBackupFolder() {
    const char* xdgDataHome = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    return AutoBackupRoot(xdgDataHome ? xdgDataHome : "", home ? home : "", cbk::BooksFolder());
}

std::string BackupFolderName(const platform::DateTime& when) {
    const long long secs = duration_cast<seconds>(when.time).count();
    char text[64];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d_%02lld%02lld%02lld", when.year(), when.month(),
                  when.dayOfMonth(), secs / 3600, secs / 60 % 60, secs % 60);
    return text;
}

std::optional<platform::DateTime> BackupFolderTime(std::string_view name) {
    if (const auto dated = Dated(name)) return dated->first;
    return {};
}

std::vector<std::string> FoldersToRemove(const std::vector<std::string>& names,
                                         const platform::DateTime& now) {
    const std::vector<DatedFolder> dated = NewestFirst(names);
    std::vector<bool> keep(dated.size(), false);
    std::map<int, bool> monthTaken;
    for (std::size_t i = 0; i < dated.size(); ++i) {
        if (i < std::size_t(kKeepLatest)) keep[i] = true;
        const int month = MonthIndex(dated[i].when);
        if (month > MonthIndex(now) - kKeepMonths && !monthTaken[month]) {
            monthTaken[month] = true;
            keep[i] = true;
        }
    }
    std::vector<std::string> remove;
    for (std::size_t i = 0; i < dated.size(); ++i)
        if (!keep[i]) remove.push_back(dated[i].name);
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
    const BackupCompressionPaused paused;
    engine::FileSystem& fs = cbk::DataFileSystem();
    const std::vector<std::string> names = Listed(fs, root);
    if (!BackupDue(names, now)) {
        // A backup of the last minute (one taken before a command, say) does not hold what
        // the session changed after it.
        const std::vector<DatedFolder> dated = NewestFirst(names);
        if (!dated.empty() && BooksAsIn(fs, Join(root, dated.front().name))) return {};
    }
    std::string folder;
    return MakeBackupNow(root, now, folder);
}

std::string MakeBackupNow(const std::string& root, const platform::DateTime& now,
                          std::string& folder, bool rotate) {
    const BackupCompressionPaused paused;
    engine::FileSystem& fs = cbk::DataFileSystem();
    folder.clear();
    if (const int err = MakeDirs(fs, root)) return root + ": " + std::strerror(err);
    const std::vector<std::string> names = Listed(fs, root);
    RemovePartials(fs, root, names);
    const std::string base = BackupFolderName(now);
    std::string name = base;
    for (int seq = 2; std::find(names.begin(), names.end(), name) != names.end() && seq < 100000;
         ++seq)
        name = base + "-" + std::to_string(seq);
    const std::string made = Join(root, name), partial = made + std::string(kPartial);
    if (const int err = fs.makeDir(partial)) return made + ": " + std::strerror(err);
    const std::vector<cbk::FileToCopy> files = BackupFiles(fs, partial);
    const cbk::SetCopyOutcome outcome = cbk::CopyFileSet(fs, files);
    if (outcome.result != platform::CopyResult::Ok) {
        RemoveFolder(fs, partial);
        const std::string table =
            outcome.failedAt < files.size() ? files[outcome.failedAt].from : made;
        return table + (outcome.result == platform::CopyResult::DiskFull ? ": the disk is full"
                        : outcome.result == platform::CopyResult::WriteProtected
                            ? ": the disk cannot be written"
                            : ": the copy failed");
    }
    // Whole and synced: only now does the folder get the name that lists it.
    int err = fs.rename(partial, made);
    if (err) {
        RemoveFolder(fs, partial);
        return made + ": " + std::strerror(err);
    }
    if ((err = fs.syncDir(root))) {
        RemoveFolder(fs, made);
        return made + ": " + std::strerror(err);
    }
    if (rotate)
        for (const std::string& old : FoldersToRemove(Listed(fs, root), now))
            RemoveFolder(fs, Join(root, old));
    folder = made;
    return {};
}

std::string CompressBackups(const std::string& root, std::stop_token stop) {
    return CompressAll(cbk::DataFileSystem(), root, stop);
}

void StartBackupCompression(const std::string& root) {
    StopBackupCompression();
    Compressor& background = Background();
    background.root = root;
    // A failure leaves the folder plain, as it was, to be tried again at the next start.
    engine::FileSystem& fs = cbk::DataFileSystem();
    background.thread =
        std::jthread([&fs, root](std::stop_token stop) { (void)CompressAll(fs, root, stop); });
}

BackupCompressionPaused::BackupCompressionPaused()
    : root_(Background().root), was_(StopBackupCompression()) {}

BackupCompressionPaused::~BackupCompressionPaused() {
    if (was_) StartBackupCompression(root_);
}

bool StopBackupCompression() {
    Compressor& background = Background();
    if (!background.thread.joinable()) return false;
    background.thread.request_stop();
    background.thread.join();
    background.thread = {};
    return true;
}

std::vector<AutomaticBackup> AutomaticBackups(const std::string& root) {
    std::vector<AutomaticBackup> backups;
    for (const auto& [when, seq, name] : NewestFirst(Listed(cbk::DataFileSystem(), root))) {
        const long long secs = duration_cast<seconds>(when.time).count();
        char label[64];
        std::snprintf(label, sizeof label, "%04d-%02d-%02d %02lld:%02lld:%02lld", when.year(),
                      when.month(), when.dayOfMonth(), secs / 3600, secs / 60 % 60, secs % 60);
        std::string shown = label;
        if (seq > 1) shown += " (" + std::to_string(seq) + ")";
        backups.push_back({Join(root, name), shown});
    }
    return backups;
}

}  // namespace maintenance
