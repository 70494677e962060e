#include "platform/Platform.h"

namespace platform {

namespace {
// The one installed set; the program installs the Qt services at start, tests the scripted
// ones.
Services& installed() {
    static Services set;
    return set;
}
}  // namespace

void install(const Services& services) {
    installed() = services;
}

const Services& services() {
    return installed();
}

}  // namespace platform
