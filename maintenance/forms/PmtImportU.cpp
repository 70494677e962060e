#include "maintenance/forms/PmtImportU.h"

namespace cbk {

TPmtImport::TPmtImport() {
    setObjectName(QStringLiteral("TPmtImport"));
    setWindowTitle(QStringLiteral("Import MARLO Payment (Income) Data"));
}

}  // namespace cbk
