#pragma once

// The test program's QApplication: made by support/GuiApplication.cpp before the first test;
// a test that runs without it (a filter, a debugger) makes one here.

#include <QApplication>

namespace cbk::testing {

inline void ensureApplication() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "gui_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
}

}  // namespace cbk::testing
