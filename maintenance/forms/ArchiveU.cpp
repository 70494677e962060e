#include "maintenance/forms/ArchiveU.h"

namespace cbk {

TArchive::TArchive() {
    setObjectName(QStringLiteral("TArchive"));
    setWindowTitle(QStringLiteral("Archive Income & Expenses"));
}

}  // namespace cbk
