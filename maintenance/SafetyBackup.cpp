#include "maintenance/SafetyBackup.h"

#include "maintenance/AutoBackup.h"
#include "maintenance/Safeguards.h"
#include "platform/Platform.h"

namespace maintenance {

bool SafetyBackup::operator()() {
    if (asked_) return goOn_;
    asked_ = true;
    if (!CurrentSafeguards().autoBackup) return goOn_ = true;
    // The old ones are left for the exit's backup to remove: the restore about to run may read
    // the one that would go.
    const std::string why =
        MakeBackupNow(AutoBackupFolder(), platform::clock().now(), folder_, false);
    if (why.empty()) return goOn_ = true;
    goOn_ = platform::ConfirmedDestruction(
        platform::MessageKind::Warning,
        std::string(kSafetyBackupFailed) + why + "\r\n" + std::string(kGoOnWithoutBackup),
        platform::Buttons::YesNo);
    return goOn_;
}

std::string SafetyBackup::KeptSentence() const {
    if (folder_.empty()) return {};
    return std::string(kPreviousStateKept) + folder_ + ".";
}

}  // namespace maintenance
