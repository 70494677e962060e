#include "maintenance/forms/RateChangeU.h"

namespace cbk {

TRateChange::TRateChange() {
    setObjectName(QStringLiteral("TRateChange"));
    setWindowTitle(QStringLiteral("Rate Change"));
}

}  // namespace cbk
