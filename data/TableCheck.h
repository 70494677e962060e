#pragma once

// The layout check for tables that come from outside at the program's edges (a restored
// backup, an imported payment table, the tables of an older version): before the program
// copies or reads such a file it makes sure that the file is a dBASE table holding the fields
// the program needs, with their types and at least their widths. The check only reads: it
// never changes, locks or creates a file.

#include <string>
#include <string_view>
#include <vector>

namespace cbk {

struct FieldNeed {
    std::string name;  // compared without regard to case
    char type;         // 'C', 'N', 'D', 'L'
    int minLen = 1;
    int minDec = 0;
    bool exactLen = false;  // the width must be exactly minLen
};

// The fields the program needs in the table with engine name `table`: the six data tables
// ("CBK1", "ACC", "ACCI", "FOLDER", "EXP5", "INC5"), the payment table ("PMT") and the older
// version's record tables ("EXP3", "INC3"). Empty for any other name.
const std::vector<FieldNeed>& FieldsNeeded(std::string_view table);

// What follows the name of a compressed file that does not decompress whole and sound.
inline constexpr std::string_view kDamagedFile = " is damaged and cannot be read";

// Reads the header of the file at `path` (any extension, e.g. a backup "ACC.bak"; a name
// ending ".zst" is a compressed one, its header read from what it decompresses to) and checks
// it against `needs`. True when it fits; otherwise false with a message for the user naming
// the file and what is wrong, e.g. "ACC.bak is not a valid Cantabook data file: field ACCNO
// is missing".
bool CheckTableLayout(const std::string& path, const std::vector<FieldNeed>& needs,
                      std::string* message);

}  // namespace cbk
