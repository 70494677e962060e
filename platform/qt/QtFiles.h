#pragma once

// The real file system: existence, removal and the current directory, file names matched
// without regard to case.

#include "platform/Platform.h"

namespace platform::qt {

class QtFiles : public Files {
public:
    bool exists(const std::string& path) override;
    bool remove(const std::string& path) override;
};

}  // namespace platform::qt
