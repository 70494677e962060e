#pragma once

// The computer's local date and time.

#include "platform/Platform.h"

class QDateTime;

namespace platform::qt {

class QtClock : public Clock {
public:
    DateTime now() override;
};

// The local date and time of `moment` as the program holds it.
DateTime toDateTime(const QDateTime& moment);

}  // namespace platform::qt
