#include "platform/qt/QtFiles.h"

#include <QFile>
#include <QFileInfo>

#include "platform/FileOps.h"

namespace platform::qt {

namespace {
QString found(const std::string& path) {
    return QString::fromStdString(findNoCase(path));
}
}  // namespace

bool QtFiles::exists(const std::string& path) {
    return QFileInfo::exists(found(path));
}

bool QtFiles::remove(const std::string& path) {
    return QFile::remove(found(path));
}

}  // namespace platform::qt
