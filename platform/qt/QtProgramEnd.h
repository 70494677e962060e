#pragma once

// "The program ends": leaves the event loop and the process.

#include "platform/Platform.h"

namespace platform::qt {

class QtProgramEnd : public ProgramEnd {
public:
    [[noreturn]] void end() override;
};

}  // namespace platform::qt
