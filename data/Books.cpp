#include "data/Books.h"

#include <cerrno>
#include <filesystem>
#include <utility>

#include "platform/Platform.h"

namespace cbk {

namespace {

// The data store's file system as it was started with: relative names are the books' files,
// read-only books refuse every write, and "today" comes from the platform's clock so that the
// date a table's header carries is the program's date.
class StoreFileSystem final : public engine::FileSystem {
public:
    void use(engine::FileSystem& inner) { inner_ = &inner; }
    void place(std::string folder) { folder_ = std::move(folder); }
    const std::string& folder() const { return folder_; }
    void guard(const std::string& readOnlyDir) {
        readOnlyDir_ = readOnlyDir.empty()
                           ? std::filesystem::path()
                           : std::filesystem::absolute(readOnlyDir).lexically_normal();
    }
    bool guarded() const { return !readOnlyDir_.empty(); }

    int open(const std::string& path, engine::OpenMode mode,
             std::unique_ptr<engine::File>& out) override {
        const std::string at = Placed(path);
        if (mode != engine::OpenMode::ReadOnly && InReadOnlyBooks(at)) return EROFS;
        return inner_->open(at, mode, out);
    }
    int rename(const std::string& from, const std::string& to) override {
        const std::string a = Placed(from), b = Placed(to);
        if (InReadOnlyBooks(a) || InReadOnlyBooks(b)) return EROFS;
        return inner_->rename(a, b);
    }
    int remove(const std::string& path) override {
        const std::string at = Placed(path);
        if (InReadOnlyBooks(at)) return EROFS;
        return inner_->remove(at);
    }
    int list(const std::string& dir, std::vector<std::string>& names) override {
        return inner_->list(Placed(dir), names);
    }
    int syncDir(const std::string& dir) override { return inner_->syncDir(Placed(dir)); }
    int makeDir(const std::string& path) override { return inner_->makeDir(Placed(path)); }
    int removeDir(const std::string& path) override { return inner_->removeDir(Placed(path)); }
    // Before the platform is installed (the sample-data tool) the system's own date.
    std::chrono::sys_days today() override {
        return platform::services().clock != nullptr ? platform::clock().today().day
                                                     : inner_->today();
    }

private:
    // A relative name is one of the books' files; with no books open it is left as it is.
    std::string Placed(const std::string& path) const {
        if (folder_.empty() || (!path.empty() && path.front() == '/')) return path;
        if (path.empty() || path == ".") return folder_;
        return folder_ + "/" + path;
    }
    bool InReadOnlyBooks(const std::string& path) const {
        if (readOnlyDir_.empty()) return false;
        const std::filesystem::path parent = std::filesystem::path(path).parent_path();
        return (parent.empty() ? std::filesystem::current_path() : parent).lexically_normal() ==
               readOnlyDir_;
    }

    engine::FileSystem* inner_ = &engine::posixFileSystem();
    std::string folder_;
    std::filesystem::path readOnlyDir_;
};

StoreFileSystem& Store() {
    static StoreFileSystem store;
    return store;
}

std::unique_ptr<Books>& Owner() {
    static std::unique_ptr<Books> owner;
    return owner;
}

std::string Absolute(const std::string& folder) {
    std::error_code ec;
    const std::filesystem::path dir =
        folder.empty() ? std::filesystem::current_path(ec) : std::filesystem::absolute(folder, ec);
    std::string text = dir.lexically_normal().string();
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

}  // namespace

Books::Books(engine::FileSystem& fs, const std::string& folder) : folder_(Absolute(folder)) {
    Store().use(fs);
    Store().place(folder_);
    engine_ = engine::code4init(Store(), folder_);
}

Books::~Books() {
    engine_.reset();
    Store().place({});
}

std::string Books::path(std::string_view name) const {
    return folder_ + "/" + std::string(name);
}

Books* OpenBooks() {
    return Owner().get();
}

std::string BooksFolder() {
    return Owner() ? Owner()->folder() : std::string();
}

std::string BooksPath(std::string_view name) {
    return Owner() ? Owner()->path(name) : std::string(name);
}

bool BooksHold(std::string_view name) {
    return engine::fileExists(Store(), BooksFolder().empty() ? "." : BooksFolder(),
                              std::string(name) + ".dbf");
}

engine::Data4* OpenBare(std::string_view name) {
    engine::Code4* h = Owner() ? Owner()->engine() : nullptr;
    if (h == nullptr) return nullptr;
    const int autoOpen = engine::code4autoOpen(h, 0);
    engine::Data4* table = engine::d4open(h, name);
    engine::code4autoOpen(h, autoOpen);
    return table;
}

engine::Data4* MakeBare(std::string_view name, const std::vector<engine::Field4Info>& fields) {
    engine::Code4* h = Owner() ? Owner()->engine() : nullptr;
    if (h == nullptr) return nullptr;
    const int autoOpen = engine::code4autoOpen(h, 0);
    const int safety = engine::code4safety(h, 0);
    engine::Data4* table = engine::d4create(h, name, fields);
    engine::code4safety(h, safety);
    engine::code4autoOpen(h, autoOpen);
    return table;
}

engine::Data4* OpenSideTable(std::string_view name, bool make,
                             const std::vector<engine::Field4Info>& fields) {
    if (BooksHold(name)) return OpenBare(name);
    if (!make) return nullptr;
    const TableSpec* spec = FindBooksTable(name);
    return MakeBare(name, fields.empty() && spec != nullptr ? CreateFields(*spec) : fields);
}

engine::FileSystem& DataFileSystem() {
    return Store();
}

void SetReadOnlyBooks(const std::string& dir) {
    Store().guard(dir);
}

bool BooksReadOnly() {
    return Store().guarded();
}

Books& StartBooks(engine::FileSystem& fs, const std::string& folder) {
    Owner().reset();
    Owner() = std::make_unique<Books>(fs, folder);
    return *Owner();
}

void EndBooks() {
    Owner().reset();
}

}  // namespace cbk
