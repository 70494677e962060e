#include "platform/qt/QtProgramEnd.h"

#include <QCoreApplication>
#include <cstdlib>

namespace platform::qt {

void QtProgramEnd::end() {
    // The program ends only after a message that told the user why, so it ends as a failure.
    constexpr int kExitCode = 1;
    QCoreApplication::exit(kExitCode);
    std::exit(kExitCode);
}

}  // namespace platform::qt
