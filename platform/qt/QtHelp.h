#pragma once

// Help requests handed to the program's help window. The window that shows the help document
// sets the handlers; a request with no handler set does nothing.

#include <functional>
#include <string>

#include "platform/Platform.h"

namespace platform::qt {

class QtHelp : public Help {
public:
    std::function<void(int)> onContext;               // a numeric help context
    std::function<void(const std::string&)> onTopic;  // a topic, such as "contents"
    std::function<void(const std::string&)> onJump;   // a jump identifier

    void context(int helpContext) override {
        if (onContext) onContext(helpContext);
    }
    void topic(const std::string& contextString) override {
        if (onTopic) onTopic(contextString);
    }
    void jump(const std::string& jumpId) override {
        if (onJump) onJump(jumpId);
    }
};

}  // namespace platform::qt
