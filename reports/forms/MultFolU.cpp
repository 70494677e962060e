#include "reports/forms/MultFolU.h"

namespace cbk {

TMultFol::TMultFol() {
    setObjectName(QStringLiteral("TMultFol"));
    setWindowTitle(QStringLiteral("Select Folder(s) to Include"));
}

}  // namespace cbk
