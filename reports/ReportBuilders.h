#pragma once

// The report builders. Each reads the open tables of its report command (ReportCommands.h)
// within the request's period and folders and fills the document it is given; none draws,
// asks or shows a message, and each leaves the document empty when nothing is listed.
// Progress is shown in the platform's progress box as "Building Report".

#include "reports/ReportDocument.h"
#include "reports/ReportRequest.h"

namespace reports {

// Account by account, what was spent (earned) in the period, earlier in the fiscal year and
// in the year to date, in a deductible (taxable) section and a non-deductible (non-taxable)
// one, with section totals, a grand total and the included folders. FOLDER, EXP5 (INC5) and
// ACC (ACCI) open.
void BuildExpenseSummary(const ReportRequest& request, Document& doc);
void BuildIncomeSummary(const ReportRequest& request, Document& doc);

// Every entry of the period in date order with a total; with `request.account` set, only that
// account's entries, its name in the title.
void BuildExpenseDetail(const ReportRequest& request, Document& doc);
void BuildIncomeDetail(const ReportRequest& request, Document& doc);

// The chart of accounts of ACC (ACCI): the deductible (taxable) accounts, then the others,
// each with its number and stored name. Never empty while the table has live accounts.
void BuildExpenseChart(const ReportRequest& request, Document& doc);
void BuildIncomeChart(const ReportRequest& request, Document& doc);

// Income (credit) and expenses (debit) of the period merged by date with a running balance,
// after the totals of the years before the fiscal year and of the fiscal year up to the
// period, and before the cumulative totals. Never empty. FOLDER, EXP5 and INC5 open.
void BuildGeneralLedger(const ReportRequest& request, Document& doc);

// The period cut into weeks from its first day (months by the calendar): taxable income,
// deductible expenses, taxable profit, other income, other expenses and net profit per
// bucket, and their totals. Empty only when the period is. FOLDER, EXP5, INC5, ACC, ACCI open.
void BuildWeeklyProfit(const ReportRequest& request, Document& doc);
void BuildMonthlyProfit(const ReportRequest& request, Document& doc);

}  // namespace reports
