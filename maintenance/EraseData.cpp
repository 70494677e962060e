#include "maintenance/EraseData.h"

#include <string>
#include <string_view>

#include "data/Database.h"
#include "data/TableSession.h"
#include "maintenance/Recovery.h"
#include "platform/Platform.h"

namespace maintenance {

namespace {

bool Ask(std::string_view question) {
    return platform::ConfirmedDestruction(platform::MessageKind::Information, std::string(question),
                                          platform::Buttons::OKCancel);
}

// Empties the table `name` (its opener fills `table`) and closes it. True when the removal
// reported success; a failure's pending error is taken here so that it reaches no later command.
bool Empty(std::string_view name, engine::Data4*& table, bool keepDeleted) {
    bool ok = false;
    {
        cbk::TableSession session({name});
        ok = EmptyTable(table, keepDeleted) == 0 && cbk::TakeEngineError() == 0;
    }
    cbk::TakeEngineError();
    return ok;
}

}  // namespace

EraseOutcome EraseData(bool keepDeleted) {
    EraseOutcome out;
    if (Ask(kEraseIncome)) out.income = Empty("INC5", cbk::Income, keepDeleted);
    if (Ask(kEraseExpense)) out.expense = Empty("EXP5", cbk::Expenses, keepDeleted);
    if (out.income && Ask(kEraseIncomeAccounts))
        out.incomeAccounts = Empty("ACCI", cbk::IncomeAccounts, keepDeleted);
    if (out.expense && Ask(kEraseExpenseAccounts))
        out.expenseAccounts = Empty("ACC", cbk::Accounts, keepDeleted);
    if (out.income && out.expense && Ask(kEraseFolders))
        out.folders = Empty("FOLDER", cbk::Folders, keepDeleted);
    return out;
}

}  // namespace maintenance
