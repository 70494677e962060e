#include "platform/qt/QtFiles.h"

#include <QDir>
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

std::string QtFiles::currentDir() {
    return QDir::currentPath().toStdString();
}

bool QtFiles::setCurrentDir(const std::string& dir) {
    return QDir::setCurrent(QString::fromStdString(dir));
}

}  // namespace platform::qt
