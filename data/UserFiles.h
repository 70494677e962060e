#pragma once

// The user's own files beside the books: the program's folders under the XDG base directories
// (new books and automatic backups under the data home, the settings files under the config
// home) and the one safe write that every settings file is saved through.

#include <string>
#include <string_view>

#include "data/engine/FileSystem.h"

namespace cbk {

// An XDG base directory: `value` (the variable's) when it is an absolute path, else `underHome`
// under `home` (a relative value is no base directory and is passed over).
std::string XdgBase(std::string_view value, std::string_view home, std::string_view underHome);

// ${XDG_DATA_HOME:-~/.local/share}/Cantabook and ${XDG_CONFIG_HOME:-~/.config}/Cantabook, from
// the environment.
std::string UserDataDir();
std::string UserConfigDir();

// The settings file `name` ("books.conf") in UserConfigDir.
std::string UserConfigFile(std::string_view name);

// `bytes` put in `path` whole or not at all: written beside it (`path`.new), synced, then
// renamed over it, the folders on the way made first. 0, or the errno value of the step that
// failed (the file beside is then removed and `path` is as it was).
int WriteFileSafely(engine::FileSystem& fs, const std::string& path, std::string_view bytes);

}  // namespace cbk
