#include "data/UserFiles.h"

#include <cerrno>
#include <cstdlib>
#include <memory>

namespace cbk {

namespace {

std::string_view Environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

std::string Base(const char* variable, std::string_view underHome) {
    return XdgBase(Environment(variable), Environment("HOME"), underHome);
}

}  // namespace

std::string XdgBase(std::string_view value, std::string_view home, std::string_view underHome) {
    if (!value.empty() && value.front() == '/') return std::string(value);
    return std::string(home) + "/" + std::string(underHome);
}

std::string UserDataDir() {
    return Base("XDG_DATA_HOME", ".local/share") + "/Cantabook";
}

std::string UserConfigDir() {
    return Base("XDG_CONFIG_HOME", ".config") + "/Cantabook";
}

std::string UserConfigFile(std::string_view name) {
    return UserConfigDir() + "/" + std::string(name);
}

int WriteFileSafely(engine::FileSystem& fs, const std::string& path, std::string_view bytes) {
    const std::string::size_type slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash);
    for (std::size_t at = 1; at <= dir.size(); ++at) {
        if (at < dir.size() && dir[at] != '/') continue;
        const int err = fs.makeDir(dir.substr(0, at));
        if (err != 0 && err != EEXIST) return err;
    }
    const std::string temp = path + ".new";
    int rc = 0;
    {
        std::unique_ptr<engine::File> file;
        rc = fs.open(temp, engine::OpenMode::Create, file);
        if (rc == 0) rc = file->write(0, bytes.data(), bytes.size());
        if (rc == 0) rc = file->sync();
    }
    if (rc == 0) rc = fs.rename(temp, path);
    if (rc != 0) fs.remove(temp);
    return rc;
}

}  // namespace cbk
