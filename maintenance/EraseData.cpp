#include "maintenance/EraseData.h"

#include <string>

#include "data/Database.h"
#include "platform/Platform.h"

namespace maintenance {

namespace {

bool Ask(std::string_view question) {
    return platform::ConfirmedDestruction(platform::MessageKind::Information, std::string(question),
                                          platform::Buttons::OKCancel);
}

// Empties the table `opener` opened into `table` and closes it. True when the removal reported
// success; a failure's pending error is taken here so that it reaches no later command.
bool Empty(bool (*opener)(), engine::Data4*& table) {
    opener();
    const int result = engine::d4zap(table, 1, engine::d4recCount(table));
    const bool ok = result == 0 && engine::code4errorCode(cbk::cb, 0) == 0;
    cbk::CloseAllTables();
    engine::code4errorCode(cbk::cb, 0);
    return ok;
}

}  // namespace

EraseOutcome EraseData() {
    EraseOutcome out;
    if (Ask(kEraseIncome)) out.income = Empty(cbk::OpenIncome, cbk::Income);
    if (Ask(kEraseExpense)) out.expense = Empty(cbk::OpenExpenses, cbk::Expenses);
    if (out.income && Ask(kEraseIncomeAccounts))
        out.incomeAccounts = Empty(cbk::OpenIncomeAccounts, cbk::IncomeAccounts);
    if (out.expense && Ask(kEraseExpenseAccounts))
        out.expenseAccounts = Empty(cbk::OpenAccounts, cbk::Accounts);
    if (out.income && out.expense && Ask(kEraseFolders))
        out.folders = Empty(cbk::OpenFolders, cbk::Folders);
    return out;
}

}  // namespace maintenance
