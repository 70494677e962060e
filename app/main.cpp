// The program's entry: the application object, the Qt services, the sixteen forms, and the
// event loop, which shows the main window and so runs its start-up.

#include <QApplication>
#include <QIcon>
#include <string>

#include "app/DKRMain.h"
#include "app/Forms.h"
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

}  // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("CBK"));
    // No display name: Qt would append it to every window title and message box caption.
    QApplication::setWindowIcon(QIcon(cbk::pictureButton(cbk::Picture::GeneralLedger)));

    // The forms read the regional settings (their masks) as they are made.
    platform::qt::QtPlatform qtPlatform;
    NoProgress noProgress;
    platform::install(qtPlatform.services(noProgress));

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

    main.show();
    return QApplication::exec();
}
