#include "books/BooksLock.h"

#include <cerrno>

namespace books {

BooksLock BooksLock::take(engine::FileSystem& fs, const std::string& dir) {
    BooksLock lock;
    const std::string path = (dir.empty() ? std::string(".") : dir) + "/" + kLockFileName;
    // Opened without truncation when it is there: the file of a running copy is left as it is.
    int rc = fs.open(path, engine::OpenMode::ReadWrite, lock.file_);
    if (rc == ENOENT) rc = fs.open(path, engine::OpenMode::Create, lock.file_);
    if (rc == 0) rc = lock.file_->lock(true);
    lock.settle(rc);
    return lock;
}

BooksLock BooksLock::share(engine::FileSystem& fs, const std::string& dir) {
    BooksLock lock;
    const std::string path = (dir.empty() ? std::string(".") : dir) + "/" + kLockFileName;
    int rc = fs.open(path, engine::OpenMode::ReadOnly, lock.file_);
    if (rc == 0) rc = lock.file_->lock(false);
    lock.settle(rc);
    return lock;
}

void BooksLock::settle(int rc) {
    if (rc == 0) {
        outcome_ = Outcome::Held;
        return;
    }
    file_.reset();
    error_ = rc;
    outcome_ = rc == EWOULDBLOCK || rc == EAGAIN ? Outcome::InUse : Outcome::Failed;
}

void BooksLock::release() {
    if (file_ != nullptr) file_->unlock();
    file_.reset();
    outcome_ = Outcome::Failed;
    error_ = 0;
}

}  // namespace books
