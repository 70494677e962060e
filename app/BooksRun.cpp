#include "app/BooksRun.h"

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <iostream>

#include "app/DKRMain.h"
#include "app/Forms.h"
#include "books/forms/BooksChooserU.h"
#include "maintenance/RunBooks.h"
#include "platform/qt/QtPlatform.h"
#include "state/MainVars.h"
#include "widgets/HelpWindow.h"
#include "widgets/ProgressBox.h"

namespace cbk {

namespace {

// File > Open Other Books..., just above Exit.
void AddOpenOtherBooks(TFormMain& main, bool& otherBooks) {
    QMenu* fileMenu = main.menuBar()->actions().front()->menu();
    auto* openOther = new QAction(QStringLiteral("Open &Other Books..."), fileMenu);
    openOther->setObjectName(QStringLiteral("mF_OpenOther"));
    fileMenu->insertAction(main.mF_Exit, openOther);
    fileMenu->insertSeparator(main.mF_Exit);
    QObject::connect(openOther, &QAction::triggered, &main, [&main, &otherBooks] {
        otherBooks = true;
        main.close();
    });
}

}  // namespace

BooksRunHooks QtRunHooks(platform::qt::QtPlatform& qt, platform::Progress& none) {
    BooksRunHooks hooks;
    hooks.choose = books::AskBooksChooser;
    hooks.opened = [&qt](TFormMain& main) {
        platform::install(qt.services(main.progressBox()));
        // The help file is the program's own document, shown in the main window's help window.
        HelpWindow& help = main.helpWindow();
        qt.help.onContext = [&help](int context) { help.showContext(context); };
        qt.help.onTopic = [&help](const std::string& topic) {
            help.showTopic(QString::fromStdString(topic));
        };
        qt.help.onJump = [&help](const std::string& id) {
            help.showJump(QString::fromStdString(id));
        };
    };
    // The exit copies the backup plain, for speed; it is compressed here, beside the user.
    hooks.shown = [] { maintenance::CompressBackupsDuringRun(); };
    hooks.closed = [&qt, &none] {
        qt.help.onContext = nullptr;
        qt.help.onTopic = nullptr;
        qt.help.onJump = nullptr;
        platform::install(qt.services(none));
    };
    return hooks;
}

int RunOnBooks(books::StartPlan plan, const std::string& here, const BooksRunHooks& hooks) {
    for (;;) {
        // The lock is held from the entry until the books' window has closed them.
        books::RunBooks run;
        const int ended = books::EnterRunBooks(plan, here, hooks.choose, run, std::cout, std::cerr);
        if (ended >= 0) return ended;
        bool otherBooks = false;
        int code = 0;
        {
            ResetRunVariables();
            FormSet forms;
            TFormMain& main = forms.main();
            if (hooks.opened) hooks.opened(main);
            // Which books are open, for a user who keeps more than one set, and whether they
            // are read-only; the caption stays the program's own.
            main.ShowBooks(run.dir, run.readOnly);
            AddOpenOtherBooks(main, otherBooks);
            main.show();
            if (hooks.shown) hooks.shown();
            code = hooks.loop ? hooks.loop() : QApplication::exec();
        }
        if (hooks.closed) hooks.closed();
        if (!otherBooks) return code;
        plan = books::StartPlan{};  // the chooser
    }
}

}  // namespace cbk
