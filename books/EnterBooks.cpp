#include "books/EnterBooks.h"

#include <cstring>
#include <memory>

#include "data/TableCatalogue.h"
#include "platform/Platform.h"

namespace books {

namespace {

constexpr const char* kProbeName = "cantabook.probe";

std::string Reason(int err) {
    return std::strerror(err);
}

std::string InUseMessage(const std::string& dir) {
    return "The books in\r\n" + dir +
           "\r\nare open in another copy of Cantabook.\r\n\r\n"
           "Choose other books? (No: close the other copy and start again.)";
}

std::string ReadOnlyMessage(const std::string& dir, const std::string& what) {
    return "The books in\r\n" + dir + "\r\ncannot be changed there: " + what +
           ".\r\n\r\nThey are open read-only. To change them, copy them to a folder you can "
           "write to and open them there.";
}

}  // namespace

std::string UnwritablePart(engine::FileSystem& fs, const std::string& dir) {
    const std::string base = dir.empty() ? std::string(".") : dir;
    // The directory: a new file must be possible there (saves, packs and index builds make
    // files beside the tables and rename them into place).
    const std::string probe = base + "/" + kProbeName;
    std::unique_ptr<engine::File> file;
    int rc = fs.open(probe, engine::OpenMode::Create, file);
    if (rc == 0) {
        rc = file->write(0, "x", 1);
        file.reset();
        fs.remove(probe);
    }
    if (rc != 0) return base + ": " + Reason(rc);

    // Each of the books' files that is there.
    for (const cbk::TableSpec& table : cbk::TableCatalogue()) {
        std::vector<std::string> names = cbk::IndexFilesOf(table);
        names.insert(names.begin(), std::string(table.name) + ".dbf");
        for (const std::string& name : names) {
            if (!engine::fileExists(fs, base, name)) continue;
            const std::string path = engine::resolvePath(fs, base, name);
            rc = fs.open(path, engine::OpenMode::ReadWrite, file);
            file.reset();
            if (rc != 0) return path + ": " + Reason(rc);
        }
    }
    return {};
}

Entry EnterBooks(engine::FileSystem& fs, const std::string& dir, BooksLock& lock) {
    lock = BooksLock::take(fs, dir);
    const bool taken = lock.outcome() != BooksLock::Outcome::Failed;
    const std::string unwritable =
        taken ? UnwritablePart(fs, dir) : dir + "/" + kLockFileName + ": " + Reason(lock.error());
    if (unwritable.empty()) {
        if (lock.held()) return {};
        return {Entry::Kind::InUse, InUseMessage(dir)};
    }
    // The exclusive lock is refused by read-only copies as well as by one that writes; the
    // shared one only by a copy that writes.
    lock.release();
    lock = BooksLock::share(fs, dir);
    if (lock.outcome() == BooksLock::Outcome::InUse) {
        lock.release();
        return {Entry::Kind::InUse, InUseMessage(dir)};
    }
    return {Entry::Kind::ReadOnly, ReadOnlyMessage(dir, unwritable)};
}

bool AskForOtherBooks(const Entry& entry) {
    return platform::Confirmed(platform::MessageKind::Warning, entry.message,
                               platform::Buttons::YesNo);
}

}  // namespace books
