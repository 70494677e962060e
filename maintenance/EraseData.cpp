#include "maintenance/EraseData.h"

#include <string>
#include <string_view>

#include "data/Database.h"
#include "data/TableCatalogue.h"
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
    cbk::EngineWork work;
    {
        cbk::TableSession session({name});
        ok = EmptyTable(table, keepDeleted) == 0 && work.Done() == 0;
    }
    return ok;
}

// Removes the side tables that describe the records of an emptied record table.
void ClearDescriptions() {
    engine::FileSystem& fs = cbk::DataFileSystem();
    for (const cbk::TableSpec* spec : cbk::ClearedWithRecords(true)) {
        const std::string file = std::string(spec->name) + ".dbf";
        if (engine::fileExists(fs, ".", file)) fs.remove(engine::resolvePath(fs, ".", file));
    }
}

}  // namespace

EraseOutcome EraseData(bool keepDeleted, const std::function<bool()>& beforeChange) {
    EraseOutcome out;
    bool cleared = false;  // beforeChange let the erase go on
    bool stopped = false;  // it did not: no more questions
    auto confirmed = [&](std::string_view question) {
        if (stopped || !Ask(question)) return false;
        if (!cleared) stopped = !(cleared = beforeChange());
        return cleared;
    };
    if (confirmed(kEraseIncome)) out.income = Empty("INC5", cbk::Income, keepDeleted);
    if (confirmed(kEraseExpense)) out.expense = Empty("EXP5", cbk::Expenses, keepDeleted);
    if (out.income && confirmed(kEraseIncomeAccounts))
        out.incomeAccounts = Empty("ACCI", cbk::IncomeAccounts, keepDeleted);
    if (out.expense && confirmed(kEraseExpenseAccounts))
        out.expenseAccounts = Empty("ACC", cbk::Accounts, keepDeleted);
    if (out.income && out.expense && confirmed(kEraseFolders))
        out.folders = Empty("FOLDER", cbk::Folders, keepDeleted);
    if (out.income || out.expense) ClearDescriptions();
    return out;
}

}  // namespace maintenance
