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

// QFile::copy neither overwrites nor says why it failed, so the copy is the POSIX one that
// reports the disk's errno.
CopyResult QtFiles::copy(const std::string& from, const std::string& to) {
    return copyFile(from, to);
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
