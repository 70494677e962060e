#include "reports/ReportCommands.h"

#include <array>
#include <cstddef>

#include "reports/ReportBuilders.h"

namespace reports {

const ReportCommand& CommandOf(ReportKind kind) {
    static const std::array<ReportCommand, 11> commands = {{
        {ReportKind::ExpenseSummary, {"FOLDER", "EXP5", "ACC"}, BuildExpenseSummary, 0},
        {ReportKind::ExpenseDetail, {"FOLDER", "EXP5", "ACC"}, BuildExpenseDetail, 0},
        {ReportKind::ExpenseAccountDetail, {"FOLDER", "EXP5", "ACC"}, BuildExpenseDetail, 'E'},
        {ReportKind::IncomeSummary, {"FOLDER", "INC5", "ACCI"}, BuildIncomeSummary, 0},
        {ReportKind::IncomeDetail, {"FOLDER", "INC5", "ACCI"}, BuildIncomeDetail, 0},
        {ReportKind::IncomeAccountDetail, {"FOLDER", "INC5", "ACCI"}, BuildIncomeDetail, 'I'},
        {ReportKind::ExpenseChart, {"ACC"}, BuildExpenseChart, 0, false},
        {ReportKind::IncomeChart, {"ACCI"}, BuildIncomeChart, 0, false},
        {ReportKind::GeneralLedger, {"FOLDER", "EXP5", "INC5"}, BuildGeneralLedger, 0},
        {ReportKind::WeeklyProfit, {"FOLDER", "EXP5", "INC5", "ACC", "ACCI"}, BuildWeeklyProfit, 0},
        {ReportKind::MonthlyProfit,
         {"FOLDER", "EXP5", "INC5", "ACC", "ACCI"},
         BuildMonthlyProfit,
         0,
         true,
         true},
    }};
    return commands[static_cast<std::size_t>(kind)];
}

}  // namespace reports
