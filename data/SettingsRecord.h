#pragma once

// The settings the main window keeps in the tables: the settings record written back when the
// fiscal year start or the report font changes, and the default-folder list read from FOLDER.
// Each opens its one table and closes it alone, so that either may run while a command holds
// other tables.

#include <string>
#include <vector>

namespace cbk {

// The settings buffer (Settings) written into the settings record.
void SaveSettings();

// The entries of the default-folder box: "  -1 - No Default", then each folder's stored number
// and name in folder-number order ("   7 - Harbor House"), with FOLDER's record count (deleted
// records included) beside them.
struct DefaultFolderList {
    std::vector<std::string> entries;
    long recordCount = 0;
};
DefaultFolderList ReadDefaultFolderList();

}  // namespace cbk
