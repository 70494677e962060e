// The program's entry: the application object, the Qt services, the choice of the books (from
// the command line, the books last opened or the books chooser) and their lock, the sixteen
// forms, and the event loop, which shows the main window and so runs its start-up there.

#include <unistd.h>

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QMenuBar>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "app/DKRMain.h"
#include "app/Forms.h"
#include "books/BooksPlaces.h"
#include "books/EnterBooks.h"
#include "books/NewBooks.h"
#include "books/RecentBooks.h"
#include "books/StartPlan.h"
#include "books/forms/BooksChooserU.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "maintenance/RunBooks.h"
#include "platform/qt/QtPlatform.h"
#include "widgets/HelpWindow.h"
#include "widgets/Pictures.h"
#include "widgets/ProgressBox.h"

namespace {

// Stands in for the progress box until the main window that holds it exists.
class NoProgress : public platform::Progress {
public:
    void ShowProgress(bool, const std::string&) override {}
    void SetProgress(int) override {}
};

void Warn(const std::string& text) {
    platform::messages().show(platform::MessageKind::Warning, text, platform::Buttons::OK);
}

std::string CurrentDir() {
    std::error_code ec;
    return std::filesystem::current_path(ec).string();
}

// The remembered books that are still there, most recent first.
std::vector<std::string> PresentRecentBooks() {
    std::vector<std::string> present;
    for (const std::string& dir :
         books::LoadRecentBooks(cbk::DataFileSystem(), books::RecentBooksFile()))
        if (books::HoldsBooks(dir)) present.push_back(dir);
    return present;
}

// The books a run starts on, locked.
struct RunBooks {
    std::string dir;  // empty: none chosen, the run ends
    books::BooksLock lock;
    bool remember = false;
    std::string readOnly;      // why the books are open read-only; empty when they can be changed
    bool inUse = false;        // the books chosen last are open in another copy
    bool chooseOther = false;  // ... and the user asked for other books
};

// Locks `dir` and makes its tables when the choice asks for new or sample books (`company`
// the new books' business name). False, with the message shown, when the books are in use or
// cannot be made; books that cannot be written are entered read-only.
bool Enter(books::BooksChoice::Kind kind, const std::string& dir, RunBooks& run,
           const std::string& company = {}) {
    using Kind = books::BooksChoice::Kind;
    std::error_code ec;
    if (kind != Kind::Existing) std::filesystem::create_directories(dir, ec);
    if (ec) {
        Warn("The folder " + dir + " cannot be made: " + ec.message() + ".");
        return false;
    }
    const books::Entry entry = books::EnterBooks(cbk::DataFileSystem(), dir, run.lock);
    run.inUse = entry.kind == books::Entry::Kind::InUse;
    run.chooseOther = run.inUse && books::AskForOtherBooks(entry);
    if (run.inUse) return false;
    if (entry.kind == books::Entry::Kind::ReadOnly) {
        if (kind == Kind::Existing || books::HoldsBooks(dir)) {
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
    if (kind == Kind::New) made = books::CreateNewBooks(dir, &why, company);
    if (kind == Kind::Sample && !books::HoldsBooks(dir)) {
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
int ChooseInChooser(RunBooks& run) {
    for (;;) {
        books::TBooksChooser chooser(PresentRecentBooks());
        if (chooser.exec() != QDialog::Accepted) return 0;
        run.remember = true;
        const books::BooksChoice& choice = chooser.choice();
        if (Enter(choice.kind, choice.dir, run, choice.company)) return -1;
        // Books in use, and the user would rather close the other copy: the run ends.
        if (run.inUse && !run.chooseOther) return 0;
    }
}

// After books were not entered: the chooser when the user asked for other books, else the end.
int NotEntered(RunBooks& run) {
    return run.chooseOther ? ChooseInChooser(run) : 1;
}

// Follows the plan to the books of the run. Returns the exit code when the run ends here.
int ChooseBooks(const books::StartPlan& plan, RunBooks& run) {
    using Kind = books::BooksChoice::Kind;
    switch (plan.kind) {
        case books::StartPlan::Kind::Usage:
            std::fputs(plan.text.c_str(), stdout);
            return 0;
        case books::StartPlan::Kind::BadUsage:
            std::fputs(plan.text.c_str(), stderr);
            return 2;
        case books::StartPlan::Kind::StartHere:
            return Enter(Kind::Existing, CurrentDir(), run) ? -1 : NotEntered(run);
        case books::StartPlan::Kind::NewBooks: {
            const std::string table = books::AnyTableIn(plan.dir);
            if (!table.empty()) {
                std::fprintf(stderr,
                             "cantabook: %s already holds books (%s); open them with "
                             "cantabook DIR\n",
                             plan.dir.c_str(), table.c_str());
                return 1;
            }
            run.remember = true;
            return Enter(Kind::New, plan.dir, run, books::BooksName(plan.dir)) ? -1
                                                                               : NotEntered(run);
        }
        case books::StartPlan::Kind::Books:
            if (!std::filesystem::is_directory(plan.dir)) {
                std::fprintf(stderr, "cantabook: there is no folder %s\n", plan.dir.c_str());
                return 1;
            }
            if (!books::HoldsBooks(plan.dir)) {
                // The start-up itself says that the tables are missing, and ends.
                std::fprintf(stderr,
                             "cantabook: %s holds no books; cantabook --new DIR makes "
                             "new ones\n",
                             plan.dir.c_str());
                run.dir = plan.dir;
                return -1;
            }
            run.remember = true;
            return Enter(Kind::Existing, plan.dir, run) ? -1 : NotEntered(run);
        case books::StartPlan::Kind::Chooser:
            return ChooseInChooser(run);
    }
    return 1;
}

// Makes the books' directory the current one, where the start-up looks for the tables, and
// remembers the books chosen.
bool MoveIntoBooks(const RunBooks& run) {
    std::error_code ec;
    std::filesystem::current_path(run.dir, ec);
    if (ec) {
        Warn("The folder " + run.dir + " cannot be opened: " + ec.message() + ".");
        return false;
    }
    if ((run.lock.held() || !run.readOnly.empty()) && run.remember) {
        const std::string file = books::RecentBooksFile();
        auto& fs = cbk::DataFileSystem();
        const auto list = books::Remembered(books::LoadRecentBooks(fs, file), run.dir);
        if (books::SaveRecentBooks(fs, file, list) != 0)
            std::fprintf(stderr, "cantabook: the books opened could not be noted in %s\n",
                         file.c_str());
    }
    return true;
}

}  // namespace

int main(int argc, char* argv[]) {
    // The usage is given without a display.
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(books::kUsage, stdout);
            return 0;
        }
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CBK"));
    // No display name: Qt would append it to every window title and message box caption.
    QApplication::setWindowIcon(QIcon(cbk::pictureButton(cbk::Picture::GeneralLedger)));

    // The forms read the regional settings (their masks) as they are made.
    platform::qt::QtPlatform qtPlatform;
    NoProgress noProgress;
    platform::install(qtPlatform.services(noProgress));

    // The books are chosen and locked before any table is opened, and stay locked for as long
    // as the program runs; a second copy on the same books, or books that cannot be written,
    // end the run here with a message.
    books::StartFacts facts;
    facts.hereHasBooks = cbk::DataFilesPresent();
    facts.shiftHeld = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
    facts.recentBooks = PresentRecentBooks();
    facts.sampleBooks = books::SampleBooksDir();
    const books::StartPlan plan = books::PlanStart({argv + 1, argv + argc}, facts);
    RunBooks run;
    const int ended = ChooseBooks(plan, run);
    if (ended >= 0) return ended;
    if (!MoveIntoBooks(run)) return 1;
    // Nothing is written into read-only books from here on, whatever a command tries.
    if (!run.readOnly.empty()) cbk::SetReadOnlyBooks(run.dir);

    cbk::FormSet forms;
    cbk::TFormMain& main = forms.main();
    platform::install(qtPlatform.services(main.progressBox()));

    // The help file is the program's own document, shown in the main window's help window.
    cbk::HelpWindow& help = main.helpWindow();
    qtPlatform.help.onContext = [&help](int context) { help.showContext(context); };
    qtPlatform.help.onTopic = [&help](const std::string& topic) {
        help.showTopic(QString::fromStdString(topic));
    };
    qtPlatform.help.onJump = [&help](const std::string& id) {
        help.showJump(QString::fromStdString(id));
    };

    // Which books are open, for a user who keeps more than one set, and whether they are
    // read-only; the caption stays the program's own.
    main.ShowBooks(run.dir, run.readOnly);

    // File / Open Other Books: the run ends as Exit ends it (a pack when records were deleted),
    // the lock goes, and the program starts again in the books chooser.
    bool otherBooks = false;
    QMenu* fileMenu = main.menuBar()->actions().front()->menu();
    auto* openOther = new QAction(QStringLiteral("Open &Other Books..."), fileMenu);
    fileMenu->insertAction(main.mF_Exit, openOther);
    fileMenu->insertSeparator(main.mF_Exit);
    QObject::connect(openOther, &QAction::triggered, &main, [&] {
        otherBooks = true;
        main.close();
    });

    main.show();
    // The exit copies the backup plain, for speed; it is compressed here, beside the user.
    maintenance::CompressBackupsDuringRun();
    const int code = QApplication::exec();
    if (!otherBooks) return code;
    run.lock.release();
    const std::string program = QCoreApplication::applicationFilePath().toStdString();
    char choose[] = "--choose";
    char* const again[] = {argv[0], choose, nullptr};
    ::execv(program.c_str(), again);
    std::perror("cantabook: cannot start again");
    return 1;
}
