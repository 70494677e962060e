#pragma once

// Entering a set of books for a run: the lock first, then the check that the books can be
// changed where they are. A run that cannot have both ends before its main window with the
// message given here, so that nothing is half-saved and no second copy writes beside the first.

#include <string>

#include "books/BooksLock.h"
#include "data/engine/FileSystem.h"

namespace books {

struct Entry {
    enum class Kind {
        Entered,      // `lock` holds the books; they can be written
        InUse,        // another copy of the program has them open
        CannotWrite,  // the directory or one of the books' files cannot be written
    };
    Kind kind = Kind::Entered;
    std::string message;  // for the user, lines joined by CR LF; empty when Entered
};

// Takes the lock on `dir` into `lock` and checks that the directory takes a new file and that
// each of the books' files there (tables, index and group files) opens for writing. Writes
// nothing but the empty lock file (made when missing) and a probe file it removes at once;
// when the result is not Entered, `lock` is released.
Entry EnterBooks(engine::FileSystem& fs, const std::string& dir, BooksLock& lock);

// The first part of the directory or of the books' files that cannot be written, with the
// reason ("/b/EXP5.dbf: Permission denied"); empty when all can be.
std::string UnwritablePart(engine::FileSystem& fs, const std::string& dir);

}  // namespace books
