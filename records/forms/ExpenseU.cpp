#include "records/forms/ExpenseU.h"

namespace cbk {

TExpense::TExpense() {
    setObjectName(QStringLiteral("TExpense"));
    setWindowTitle(QStringLiteral("Expense"));
}

}  // namespace cbk
