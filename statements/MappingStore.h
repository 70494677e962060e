#pragma once

// The CSV mappings the user confirmed, remembered per file layout (the file's header line) in
// a settings file of the import's own: ${XDG_CONFIG_HOME:-~/.config}/Cantabook/statements.conf,
// one layout a line, "<mapping>" TAB "<header line>"; the header line is the table's first
// line, which need not be the file's.

#include <optional>
#include <string>

#include "statements/Csv.h"

namespace statements {

// The settings file's path.
std::string MappingFilePath();

// The mapping remembered for `headerLine` in the file at `path`; nothing when none is.
std::optional<CsvMapping> RememberedMapping(const std::string& path, const std::string& headerLine);

// The mapping remembered for the layout of `bytes`: one whose header line is the file's line
// where that mapping starts the table, else one whose header line is the file's line
// `foundLine` (where this file's table was found: the title lines above it vary), which then
// starts the table there.
std::optional<CsvMapping> RememberedMappingFor(const std::string& path, const std::string& bytes,
                                               int foundLine);

// Remembers `mapping` for `headerLine`, replacing what was remembered for it. The file is
// written beside and renamed over the old one. False when it could not be written.
bool RememberMapping(const std::string& path, const std::string& headerLine,
                     const CsvMapping& mapping);

}  // namespace statements
