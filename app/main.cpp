// The program's entry: the application object and the Qt services, then the run on the books
// the command line, the books last opened or the books chooser give (app/BooksRun.h).

#include <QApplication>
#include <QIcon>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

#include "app/BooksRun.h"
#include "platform/qt/QtPlatform.h"
#include "widgets/Pictures.h"

namespace {

// Stands in for the progress box while no main window holds one.
class NoProgress : public platform::Progress {
public:
    void ShowProgress(bool, const std::string&) override {}
    void SetProgress(int) override {}
};

}  // namespace

int main(int argc, char* argv[]) {
    // The usage is given without a display.
    for (int i = 1; i < argc; ++i)
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h")
            return std::fputs(books::kUsage, stdout) < 0;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CBK"));
    // No display name: Qt would append it to every window title and message box caption.
    QApplication::setWindowIcon(QIcon(cbk::pictureButton(cbk::Picture::GeneralLedger)));
    // The forms read the regional settings (their masks) as they are made.
    platform::qt::QtPlatform qt;
    NoProgress noProgress;
    platform::install(qt.services(noProgress));

    std::error_code ec;
    const std::string here = std::filesystem::current_path(ec).string();
    const bool shift = QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
    return cbk::RunOnBooks(
        books::PlanStart({argv + 1, argv + argc}, books::GatherStartFacts(here, shift)), here,
        cbk::QtRunHooks(qt, noProgress));
}
