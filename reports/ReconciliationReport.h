#pragma once

// The reconciliation report of one bank account against its statement: the starting balance
// (the opening balance and every record reconciled before), the cleared deposits and payments
// with their totals, the cleared balance beside the statement's ending balance and their
// difference, then the records still uncleared. It prints and exports as every report does.
// EXP5 and INC5 must be open: each line's text is read from its record.

#include <string>

#include "bank/Reconcile.h"
#include "reports/ReportDocument.h"

namespace reports {

inline constexpr std::string_view kReconciliationTitle = "Bank Reconciliation";

void BuildReconciliation(const bank::Reconciliation& rec, const std::string& account,
                         int linesPerPage, Document& doc);

}  // namespace reports
