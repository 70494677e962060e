#include "maintenance/EraseData.h"

#include <string>

#include "data/Database.h"
#include "maintenance/Recovery.h"
#include "platform/Platform.h"

namespace maintenance {

namespace {

bool Ask(std::string_view question) {
    return platform::ConfirmedDestruction(platform::MessageKind::Information, std::string(question),
                                          platform::Buttons::OKCancel);
}

// Empties the table `opener` opened into `table` and closes it. True when the removal reported
// success; a failure's pending error is taken here so that it reaches no later command.
bool Empty(bool (*opener)(), engine::Data4*& table, bool keepDeleted) {
    opener();
    const int result = EmptyTable(table, keepDeleted);
    const bool ok = result == 0 && engine::code4errorCode(cbk::cb, 0) == 0;
    cbk::CloseAllTables();
    engine::code4errorCode(cbk::cb, 0);
    return ok;
}

}  // namespace

EraseOutcome EraseData(bool keepDeleted) {
    EraseOutcome out;
    if (Ask(kEraseIncome)) out.income = Empty(cbk::OpenIncome, cbk::Income, keepDeleted);
    if (Ask(kEraseExpense)) out.expense = Empty(cbk::OpenExpenses, cbk::Expenses, keepDeleted);
    if (out.income && Ask(kEraseIncomeAccounts))
        out.incomeAccounts = Empty(cbk::OpenIncomeAccounts, cbk::IncomeAccounts, keepDeleted);
    if (out.expense && Ask(kEraseExpenseAccounts))
        out.expenseAccounts = Empty(cbk::OpenAccounts, cbk::Accounts, keepDeleted);
    if (out.income && out.expense && Ask(kEraseFolders))
        out.folders = Empty(cbk::OpenFolders, cbk::Folders, keepDeleted);
    return out;
}

}  // namespace maintenance
