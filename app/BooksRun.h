#pragma once

// The program's run on its books, one set after another in the one process: the books entry
// gives the books, their main window (with every form) is made and runs until it closes, and
// File > Open Other Books closes those books (the exit's pack and automatic backup, the lock
// given up) and enters the ones the chooser gives next, in a main window made afresh with the
// run's shared variables as a start leaves them.

#include <functional>
#include <string>

#include "books/BooksEntry.h"
#include "books/StartPlan.h"

namespace platform {
class Progress;
namespace qt {
struct QtPlatform;
}
}  // namespace platform

namespace cbk {

class TFormMain;

struct BooksRunHooks {
    books::Chooser choose;                   // the books chooser
    std::function<void(TFormMain&)> opened;  // each main window once made (services, help)
    // The window is up and its books started: the work that runs beside the user begins.
    std::function<void()> shown;
    std::function<void()> closed;  // after its forms are gone
    std::function<int()> loop;     // the event loop; QApplication::exec when empty
};

// The hooks of the program itself: the books chooser, and each main window's progress box and
// help window behind `qt`'s services (`none` stands in for the progress box between windows).
BooksRunHooks QtRunHooks(platform::qt::QtPlatform& qt, platform::Progress& none);

// Runs on the books `plan` leads to (`here` the current directory) until the user leaves
// without choosing other books. Returns the program's exit code.
int RunOnBooks(books::StartPlan plan, const std::string& here, const BooksRunHooks& hooks);

}  // namespace cbk
