#include "books/StartPlan.h"

#include "books/BooksPlaces.h"

namespace books {

const char* const kUsage =
    "usage: cantabook [DIR | --new DIR | --choose | --help]\n"
    "\n"
    "  (none)     the books in the current directory when it holds them; otherwise your\n"
    "             books, or the books chooser when you keep several (or hold Shift)\n"
    "  DIR        the books in DIR\n"
    "  --new DIR  make new, empty books in DIR (its last part is their name) and open them\n"
    "  --choose   the books chooser: new books, books from a folder, the sample books\n"
    "  --help     this text\n";

namespace {

StartPlan Bad(const std::string& why) {
    return {StartPlan::Kind::BadUsage, {}, "cantabook: " + why + "\n" + kUsage};
}

StartPlan WithoutArguments(const StartFacts& facts) {
    if (facts.hereHasBooks) return {StartPlan::Kind::StartHere, {}, {}};
    if (facts.shiftHeld) return {StartPlan::Kind::Chooser, {}, {}};
    // The sample books are for trying the program: they count only when nothing else is kept.
    std::vector<std::string> own;
    bool sampleKept = false;
    for (const std::string& dir : facts.recentBooks) {
        if (dir == facts.sampleBooks) {
            sampleKept = true;
        } else {
            own.push_back(dir);
        }
    }
    if (own.size() == 1) return {StartPlan::Kind::Books, own.front(), {}};
    if (own.empty() && sampleKept) return {StartPlan::Kind::Books, facts.sampleBooks, {}};
    return {StartPlan::Kind::Chooser, {}, {}};
}

}  // namespace

StartPlan PlanStart(const std::vector<std::string>& args, const StartFacts& facts) {
    if (args.empty()) return WithoutArguments(facts);
    const std::string& first = args.front();
    if (first == "--help" || first == "-h") {
        if (args.size() > 1) return Bad("--help takes nothing after it");
        return {StartPlan::Kind::Usage, {}, kUsage};
    }
    if (first == "--choose") {
        if (args.size() > 1) return Bad("--choose takes nothing after it");
        return {StartPlan::Kind::Chooser, {}, {}};
    }
    if (first == "--new") {
        if (args.size() != 2 || args[1].empty()) return Bad("--new needs one directory");
        const std::string problem = BooksNameProblem(BooksName(CleanDir(args[1])));
        if (!problem.empty()) return Bad(problem);
        return {StartPlan::Kind::NewBooks, CleanDir(args[1]), {}};
    }
    if (first.starts_with("-")) return Bad("unknown option " + first);
    if (args.size() > 1 || first.empty()) return Bad("one directory of books at a time");
    return {StartPlan::Kind::Books, CleanDir(first), {}};
}

}  // namespace books
