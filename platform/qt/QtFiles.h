#pragma once

// The real file system. File names are matched without regard to case; a copy tells a full
// disk from a write-protected one.

#include "platform/Platform.h"

namespace platform::qt {

class QtFiles : public Files {
public:
    bool exists(const std::string& path) override;
    CopyResult copy(const std::string& from, const std::string& to) override;
    bool remove(const std::string& path) override;
    std::string currentDir() override;
    bool setCurrentDir(const std::string& dir) override;
};

}  // namespace platform::qt
