#pragma once

// What the main window tells when a restore or a pack is done: what came back from where and
// how many records the books now hold; how many deleted records a pack removed.

#include <string>
#include <vector>

namespace maintenance {

// "Restored from <directory>: ACC, ACCI, FOLDER, EXP5, INC5." CR LF, then the records the
// books now hold: "12 expenses, 5 income records, 4 expense accounts, 2 income accounts,
// 3 folders." (records marked deleted not counted).
std::string RestoreReport(const std::string& directory, const std::vector<std::string>& tables);

// The Pack command: PackDataFiles, then "The pack removed 7 deleted records: 3 expenses,
// 4 income records." (only the tables that had some), or "The pack found no deleted records."
std::string PackCommand(bool keepDeleted);

}  // namespace maintenance
