#pragma once

// Where the program's own safeguards live for this user and these books: the switches of
// Program Setup and the folder of the automatic backups, from the XDG environment.

#include <string>

#include "maintenance/Safeguards.h"

namespace cbk {

// The switches as the user last set them (both on when never set).
maintenance::Safeguards CurrentSafeguards();

// The automatic backups' folder of the books in the current (data) directory.
std::string AutoBackupFolder();

}  // namespace cbk
