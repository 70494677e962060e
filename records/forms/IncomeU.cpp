#include "records/forms/IncomeU.h"

namespace cbk {

TIncome::TIncome() {
    setObjectName(QStringLiteral("TIncome"));
    setWindowTitle(QStringLiteral("Income"));
}

}  // namespace cbk
