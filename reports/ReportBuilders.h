#pragma once

// The summary and detail report builders. Each reads the open tables of its report command
// (ReportFrame.h) within the request's period and folders and fills ReportDocument; none
// draws, asks or shows a message, and each leaves the document empty when nothing is listed.
// Progress is shown in the platform's progress box as "Building Report".

#include "reports/ReportFrame.h"

namespace reports {

// Account by account, what was spent (earned) in the period, earlier in the fiscal year and
// in the year to date, in a deductible (taxable) section and a non-deductible (non-taxable)
// one, with section totals, a grand total and the included folders. FOLDER, EXP5 (INC5) and
// ACC (ACCI) open.
void BuildExpenseSummary(const ReportRequest& request);
void BuildIncomeSummary(const ReportRequest& request);

// Every entry of the period in date order with a total; with `request.account` set, only that
// account's entries, its name in the title.
void BuildExpenseDetail(const ReportRequest& request);
void BuildIncomeDetail(const ReportRequest& request);

}  // namespace reports
