#pragma once

// The lock that keeps a second copy of the program off a set of books. It is an OS lock
// (flock) on the file cantabook.lck in the books' directory, taken before any table is opened
// and held while the object lives; the OS drops it when the process ends in any way, so a
// crash or a kill never leaves the books locked. The file itself holds nothing.

#include <memory>
#include <string>

#include "data/engine/FileSystem.h"

namespace books {

inline constexpr const char* kLockFileName = "cantabook.lck";

class BooksLock {
public:
    enum class Outcome {
        Held,    // the lock is ours
        InUse,   // another process holds it
        Failed,  // the lock file could not be made or locked; error() says why
    };

    // Takes the lock on `dir` without waiting. Nothing is written to the books either way.
    static BooksLock take(engine::FileSystem& fs, const std::string& dir);
    // The shared lock of a copy that only reads, on the lock file opened read-only: it keeps
    // a copy that would write out (InUse for it) and lets other readers in. Failed (ENOENT)
    // when there is no lock file; nothing is made.
    static BooksLock share(engine::FileSystem& fs, const std::string& dir);

    BooksLock() = default;
    BooksLock(BooksLock&&) = default;
    BooksLock& operator=(BooksLock&&) = default;

    Outcome outcome() const { return outcome_; }
    bool held() const { return outcome_ == Outcome::Held; }  // exclusively or shared
    int error() const { return error_; }                     // errno value when Failed

    // Gives the lock up now (also done on destruction).
    void release();

private:
    // The outcome of taking the lock, from the open's or the lock's errno value (0: held).
    void settle(int rc);

    Outcome outcome_ = Outcome::Failed;
    int error_ = 0;
    std::unique_ptr<engine::File> file_;
};

}  // namespace books
