#include "books/BooksEntry.h"

#include <filesystem>
#include <system_error>

#include "books/BooksPlaces.h"
#include "books/EnterBooks.h"
#include "books/NewBooks.h"
#include "books/RecentBooks.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "platform/Platform.h"

namespace books {

namespace {

using platform::Warn;

// Locks `dir` and makes its tables when the choice asks for new or sample books (`company`
// the new books' business name). False, with the message shown, when the books are in use or
// cannot be made; books that cannot be written are entered read-only.
bool Enter(BooksChoice::Kind kind, const std::string& dir, RunBooks& run,
           const std::string& company = {}) {
    using Kind = BooksChoice::Kind;
    std::error_code ec;
    if (kind != Kind::Existing) std::filesystem::create_directories(dir, ec);
    if (ec) {
        Warn("The folder " + dir + " cannot be made: " + ec.message() + ".");
        return false;
    }
    const Entry entry = EnterBooks(cbk::DataFileSystem(), dir, run.lock);
    run.inUse = entry.kind == Entry::Kind::InUse;
    run.chooseOther = run.inUse && AskForOtherBooks(entry);
    if (run.inUse) return false;
    if (entry.kind == Entry::Kind::ReadOnly) {
        if (kind == Kind::Existing || HoldsBooks(dir)) {
            run.readOnly = entry.message;
            run.dir = dir;
            return true;
        }
        run.lock.release();  // no books can be made there
        Warn(entry.message);
        return false;
    }
    std::string why;
    bool made = true;
    if (kind == Kind::New) made = CreateNewBooks(dir, &why, company);
    if (kind == Kind::Sample && !HoldsBooks(dir)) {
        cbk::SampleOptions sample;
        sample.today = platform::clock().today();
        made = cbk::MakeSampleTables(dir, sample, &why) == 0;
    }
    if (!made) {
        run.lock.release();
        Warn("The books in " + dir + " could not be made: " + why);
        return false;
    }
    run.dir = dir;
    return true;
}

// The books chooser until books are entered. Returns the exit code when the run ends here.
int ChooseInChooser(const Chooser& choose, RunBooks& run) {
    for (;;) {
        const std::optional<BooksChoice> choice = choose(PresentRecentBooks());
        if (!choice) return 0;
        run.remember = true;
        if (Enter(choice->kind, choice->dir, run, choice->company)) return -1;
        // Books in use, and the user would rather close the other copy: the run ends.
        if (run.inUse && !run.chooseOther) return 0;
    }
}

// After books were not entered: the chooser when the user asked for other books, else the end.
int NotEntered(const Chooser& choose, RunBooks& run) {
    return run.chooseOther ? ChooseInChooser(choose, run) : 1;
}

// Follows the plan to the books of the run. Returns the exit code when the run ends here.
int ChooseBooks(const StartPlan& plan, const std::string& here, const Chooser& choose,
                RunBooks& run, std::ostream& out, std::ostream& err) {
    using Kind = BooksChoice::Kind;
    switch (plan.kind) {
        case StartPlan::Kind::Usage:
            out << plan.text;
            return 0;
        case StartPlan::Kind::BadUsage:
            err << plan.text;
            return 2;
        case StartPlan::Kind::StartHere:
            return Enter(Kind::Existing, here, run) ? -1 : NotEntered(choose, run);
        case StartPlan::Kind::NewBooks: {
            const std::string table = AnyTableIn(plan.dir);
            if (!table.empty()) {
                err << "cantabook: " << plan.dir << " already holds books (" << table
                    << "); open them with cantabook DIR\n";
                return 1;
            }
            run.remember = true;
            return Enter(Kind::New, plan.dir, run, BooksName(plan.dir)) ? -1
                                                                        : NotEntered(choose, run);
        }
        case StartPlan::Kind::Books:
            if (!std::filesystem::is_directory(plan.dir)) {
                err << "cantabook: there is no folder " << plan.dir << "\n";
                return 1;
            }
            if (!HoldsBooks(plan.dir)) {
                // The start-up itself says that the tables are missing, and ends.
                err << "cantabook: " << plan.dir
                    << " holds no books; cantabook --new DIR makes new ones\n";
                run.dir = plan.dir;
                return -1;
            }
            run.remember = true;
            return Enter(Kind::Existing, plan.dir, run) ? -1 : NotEntered(choose, run);
        case StartPlan::Kind::Chooser:
            return ChooseInChooser(choose, run);
    }
    return 1;
}

// Notes the books entered among the books last opened.
void Remember(const RunBooks& run, std::ostream& err) {
    if ((!run.lock.held() && run.readOnly.empty()) || !run.remember) return;
    const std::string file = RecentBooksFile();
    auto& fs = cbk::DataFileSystem();
    const auto list = Remembered(LoadRecentBooks(fs, file), run.dir);
    if (SaveRecentBooks(fs, file, list) != 0)
        err << "cantabook: the books opened could not be noted in " << file << "\n";
}

}  // namespace

std::vector<std::string> PresentRecentBooks() {
    std::vector<std::string> present;
    for (const std::string& dir : LoadRecentBooks(cbk::DataFileSystem(), RecentBooksFile()))
        if (HoldsBooks(dir)) present.push_back(dir);
    return present;
}

StartFacts GatherStartFacts(const std::string& here, bool shiftHeld) {
    StartFacts facts;
    facts.hereHasBooks = cbk::DataFilesPresent(here);
    facts.shiftHeld = shiftHeld;
    facts.recentBooks = PresentRecentBooks();
    facts.sampleBooks = SampleBooksDir();
    return facts;
}

int EnterRunBooks(const StartPlan& plan, const std::string& here, const Chooser& choose,
                  RunBooks& run, std::ostream& out, std::ostream& err) {
    const int ended = ChooseBooks(plan, here, choose, run, out, err);
    if (ended >= 0) return ended;
    Remember(run, err);
    // Nothing is written into read-only books from here on, whatever a command tries.
    cbk::SetReadOnlyBooks(run.readOnly.empty() ? std::string() : run.dir);
    return -1;
}

}  // namespace books
