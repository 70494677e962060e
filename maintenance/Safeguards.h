#pragma once

// The two safeguards a user can turn off on Program Setup: keeping deleted records for
// recovery and the automatic backup at exit (both on unless turned off). They live in a small
// file of the program's own, ${XDG_CONFIG_HOME:-~/.config}/Cantabook/cantabook.conf, lines
// "keep-deleted-records=yes|no" and "automatic-backups=yes|no"; the settings table's layout is
// fixed and other xBase tools read it.

#include <string>
#include <string_view>

namespace maintenance {

struct Safeguards {
    bool keepDeleted = true;
    bool autoBackup = true;
    bool operator==(const Safeguards&) const = default;
};

// The file's path from the environment's values (empty when unset).
std::string SafeguardsPath(std::string_view xdgConfigHome, std::string_view home);

// The switches in `text`; unknown lines and values leave the defaults.
Safeguards ParseSafeguards(std::string_view text);
std::string FormatSafeguards(const Safeguards& s);

// Read from and written to `path` through the data store's file system (folders made as
// needed; the file replaced whole). A missing or unreadable file gives the defaults.
Safeguards ReadSafeguards(const std::string& path);
bool WriteSafeguards(const std::string& path, const Safeguards& s);

// The file's path for this user, from XDG_CONFIG_HOME and HOME.
std::string SafeguardsFile();

// The switches as the user last set them (both on when never set).
Safeguards CurrentSafeguards();

}  // namespace maintenance
