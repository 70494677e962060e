#include "reports/forms/ReportU.h"

namespace cbk {

TReportF::TReportF() {
    setObjectName(QStringLiteral("TReportF"));
    setWindowTitle(QStringLiteral("Report"));
}

}  // namespace cbk
