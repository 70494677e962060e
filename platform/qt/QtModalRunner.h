#pragma once

// Shows a form modally through its own exec().

#include "platform/Platform.h"

namespace platform::qt {

class QtModalRunner : public ModalRunner {
public:
    int showModal(ModalForm& form) override { return form.execModal(); }
};

}  // namespace platform::qt
