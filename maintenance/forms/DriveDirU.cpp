#include "maintenance/forms/DriveDirU.h"

namespace cbk {

TDriveDir::TDriveDir() {
    setObjectName(QStringLiteral("TDriveDir"));
    setWindowTitle(QStringLiteral("Choose Drive & Directory"));
}

}  // namespace cbk

namespace cbk {

void TDriveDir::Setup(const std::string& title, const std::string& action,
                      const std::string& preselected) {
    Preselected = preselected;
    setWindowTitle(QString::fromStdString(title));
    ActionCaption = action;
    ChosenDirectory.clear();
}

}  // namespace cbk
