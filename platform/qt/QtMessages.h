#pragma once

// Message boxes captioned "Warning", "Information" and "Confirm", and the application's
// standard error box for conversion errors.

#include "platform/Platform.h"

namespace platform::qt {

class QtMessages : public Messages {
public:
    Answer show(MessageKind kind, const std::string& text, Buttons buttons) override;
    Answer showWithDefault(MessageKind kind, const std::string& text, Buttons buttons,
                           DefaultButton byDefault) override;
    // Captioned with the application's title, a stop icon and an OK button.
    void error(const std::string& text) override;
};

}  // namespace platform::qt
