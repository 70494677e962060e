#pragma once

// The open books: their absolute folder, the engine handle made on the file-system seam and
// the catalogue of their tables. The seam names every relative file from the books' folder, so
// the engine names stay bare table names ("EXP5") and the process's current directory plays no
// part; a path that leaves the engine (a dialog's start, a copy's source) is the folder joined
// with a name (BooksPath).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "data/TableCatalogue.h"
#include "data/engine/Engine.h"
#include "data/engine/FileSystem.h"

namespace cbk {

class Books {
public:
    // The books in `folder` (made absolute from the current directory when relative) on `fs`,
    // through the data store's seam (DataFileSystem), which they point at their folder for as
    // long as they are open. The engine handle is made; nothing is opened yet.
    Books(engine::FileSystem& fs, const std::string& folder);
    ~Books();
    Books(const Books&) = delete;
    Books& operator=(const Books&) = delete;

    const std::string& folder() const { return folder_; }
    // `name` in the books' folder.
    std::string path(std::string_view name) const;
    engine::Code4* engine() const { return engine_.get(); }
    const std::vector<TableSpec>& catalogue() const { return TableCatalogue(); }

private:
    std::string folder_;
    std::unique_ptr<engine::Code4> engine_;
};

// The books open for the run; nullptr before the data store starts and after it shuts down.
Books* OpenBooks();

// The books of the run opened in `folder` on `fs` (those open before closed first), and closed:
// the data store's start and end (StartDataStore, ShutDownDataStore).
Books& StartBooks(engine::FileSystem& fs, const std::string& folder);
void EndBooks();

// The open books' folder (empty when none are open), and `name` in it (`name` itself then).
std::string BooksFolder();
std::string BooksPath(std::string_view name);

// Whether the open books hold the table `name` ("SCHED": SCHED.dbf, without regard to case).
bool BooksHold(std::string_view name);

// The table `name` (an engine name of the books, or a path for a table elsewhere) opened alone:
// without its group file, read in record order. nullptr when it cannot be opened; its error is
// left for the scope that runs the work to take.
engine::Data4* OpenBare(std::string_view name);

// The table `name` of the books made afresh with `fields` (a file of that name replaced) and
// opened alone; nullptr when it cannot be made.
engine::Data4* MakeBare(std::string_view name, const std::vector<engine::Field4Info>& fields);

// The side table `name` opened alone. When the books do not hold it: nullptr, or with `make`
// the table made first with `fields` (the catalogue's fields when empty).
engine::Data4* OpenSideTable(std::string_view name, bool make = false,
                             const std::vector<engine::Field4Info>& fields = {});

}  // namespace cbk
