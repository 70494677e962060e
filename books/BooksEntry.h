#pragma once

// The books entry of a run: which books it works on (from the command line, the books last
// opened or the books chooser), the lock on them, and the checks before the start-up opens
// them. New and sample books are made here; books that cannot be written are entered
// read-only; books in use by another copy are refused with the offer of other books.

#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "books/BooksLock.h"
#include "books/StartPlan.h"

namespace books {

// What the books chooser ends with.
struct BooksChoice {
    enum class Kind { None, Existing, New, Sample };
    Kind kind = Kind::None;
    std::string dir;
    std::string company;  // New: the business's name
};

// The books chooser: asked with the remembered books that are still there, most recent first;
// nullopt when the user closes it without a choice.
using Chooser = std::function<std::optional<BooksChoice>(const std::vector<std::string>& recent)>;

// The books a run works on, locked.
struct RunBooks {
    std::string dir;  // empty: none chosen, the run ends
    BooksLock lock;
    bool remember = false;     // noted among the books last opened once entered
    std::string readOnly;      // why the books are open read-only; empty when they can be changed
    bool inUse = false;        // the books chosen last are open in another copy
    bool chooseOther = false;  // ... and the user asked for other books
};

// The remembered books that are still there, most recent first.
std::vector<std::string> PresentRecentBooks();

// What the start-up plan is made from: the books in `here` (the current directory), whether
// Shift is held, the remembered books and the sample books' place.
StartFacts GatherStartFacts(const std::string& here, bool shiftHeld);

// Follows `plan` to the books of the run: chosen (the chooser asked when the plan or the user
// says so), made when new or sample books, locked, and noted among the books last opened. The
// usage and the command line's faults go to `out` and `err`; the user is told the rest. -1 when
// books were entered (`run` holds them, and read-only books are guarded from writes), else the
// exit code of a run that ends here.
int EnterRunBooks(const StartPlan& plan, const std::string& here, const Chooser& choose,
                  RunBooks& run, std::ostream& out, std::ostream& err);

}  // namespace books
