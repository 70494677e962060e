#pragma once

// The Qt services of the platform, owned together for the run. Create after the QApplication;
// the progress box belongs to the main window and is passed in.

#include "platform/Platform.h"
#include "platform/qt/QtClock.h"
#include "platform/qt/QtFiles.h"
#include "platform/qt/QtHelp.h"
#include "platform/qt/QtMessages.h"
#include "platform/qt/QtModalRunner.h"
#include "platform/qt/QtPrinting.h"
#include "platform/qt/QtProgramEnd.h"
#include "platform/qt/QtRegional.h"

namespace platform::qt {

struct QtPlatform {
    QtMessages messages;
    QtModalRunner modal;
    QtClock clock;
    QtRegional regional;
    QtHelp help;
    QtPrinting printing;
    QtFiles files;
    QtProgramEnd programEnd;

    // The set to install(), with the main window's progress box.
    Services services(Progress& progress) {
        return Services{&messages, &modal,    &progress, &clock,     &regional,
                        &help,     &printing, &files,    &programEnd};
    }
};

}  // namespace platform::qt
