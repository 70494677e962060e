#pragma once

// The backup a command takes before it replaces or rewrites the live tables (restore, erase,
// upgrade, rate change, archive): an automatic backup of the books as they are, in the same
// folders and rotation as the one at exit, so that the restore chooser can undo the command.
// With automatic backups turned off none is taken and nothing is said. A backup that cannot be
// made is reported with the question whether to go on without it, No by default.

#include <string>
#include <string_view>

namespace maintenance {

inline constexpr std::string_view kSafetyBackupFailed =
    "The books could not be backed up before they change: ";
inline constexpr std::string_view kGoOnWithoutBackup = "Go on without a backup?";
inline constexpr std::string_view kPreviousStateKept = "The books as they were before are kept in ";

class SafetyBackup {
public:
    // Takes the backup the first time it is called (later calls answer as the first did): true
    // when the command may go on (the backup made, turned off, or the user said Yes to going
    // on without it).
    bool operator()();

    // The backup's folder; empty when none was taken.
    const std::string& folder() const { return folder_; }

    // The sentence the command's success message ends with: kPreviousStateKept, the folder,
    // "."; empty when no backup was taken.
    std::string KeptSentence() const;

private:
    bool asked_ = false;
    bool goOn_ = true;
    std::string folder_;
};

}  // namespace maintenance
