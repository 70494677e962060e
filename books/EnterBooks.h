#pragma once

// Entering a set of books for a run: the lock first, then the check that the books can be
// changed where they are. Books that cannot be changed there (a backup on a locked share) are
// entered read-only, to be looked at; books another copy has open are not entered, and the
// user is asked whether to choose other books. So nothing is half-saved and no second copy
// writes beside the first.

#include <string>

#include "books/BooksLock.h"
#include "data/engine/FileSystem.h"

namespace books {

struct Entry {
    enum class Kind {
        Entered,   // `lock` holds the books; they can be written
        InUse,     // another copy of the program has them open
        ReadOnly,  // the directory or one of the books' files cannot be written
    };
    Kind kind = Kind::Entered;
    std::string message;  // for the user, lines joined by CR LF; empty when Entered
};

// Takes the lock on `dir` into `lock` and checks that the directory takes a new file and that
// each of the books' files there (tables, index and group files) opens for writing. Writes
// nothing but the empty lock file (made when missing) and a probe file it removes at once.
// Read-only books are held by a shared lock on the lock file when there is one: read-only
// copies may look together, while a copy that would write is told that they are in use (and
// a read-only copy is, while one writes). Without a lock file, which cannot be made in such a
// folder, there is nothing to lock. When the result is InUse, `lock` is released.
Entry EnterBooks(engine::FileSystem& fs, const std::string& dir, BooksLock& lock);

// What every command that would change read-only books is refused with.
inline constexpr const char* kReadOnlyBooks =
    "These books are read-only: their folder cannot be written, so they can be looked at "
    "but not changed.\r\n\r\nTo change them, copy them to a folder you can write to and "
    "open them there.";

// Tells the user that the books are open in another copy (entry.message): a question whose
// Yes chooses other books. True when the user asks for the books chooser.
bool AskForOtherBooks(const Entry& entry);

// The first part of the directory or of the books' files that cannot be written, with the
// reason ("/b/EXP5.dbf: Permission denied"); empty when all can be.
std::string UnwritablePart(engine::FileSystem& fs, const std::string& dir);

}  // namespace books
