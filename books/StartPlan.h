#pragma once

// Which books a run starts on, from its command line and what it finds:
//
//   cantabook            the books of the current directory when it holds the six tables
//                        (the program as it always started); otherwise the user's own books
//                        straight away when there is one set of them (the sample books aside),
//                        else the books chooser; holding Shift always gives the chooser
//   cantabook DIR        the books in DIR (without them there, the start-up's own message)
//   cantabook --new DIR  new, empty books made in DIR, then started on
//   cantabook --choose   the books chooser
//   cantabook --help     the usage text

#include <string>
#include <vector>

namespace books {

struct StartPlan {
    enum class Kind {
        Usage,      // print `text` on standard output and end (well)
        BadUsage,   // print `text` on standard error and end (badly)
        StartHere,  // the current directory, as it is
        Books,      // the books in `dir`
        NewBooks,   // make new books in `dir`, then start on them
        Chooser,    // ask the user
    };
    Kind kind = Kind::Chooser;
    std::string dir;   // Books, NewBooks: absolute
    std::string text;  // Usage, BadUsage
};

struct StartFacts {
    bool hereHasBooks = false;             // the current directory holds the six tables
    bool shiftHeld = false;                // Shift is down as the program starts
    std::vector<std::string> recentBooks;  // remembered books still there, most recent first
    std::string sampleBooks;               // the sample books' directory
};

// `args`: the command line without the program's name.
StartPlan PlanStart(const std::vector<std::string>& args, const StartFacts& facts);

extern const char* const kUsage;

}  // namespace books
