#pragma once

// Erasing the sample data: five questions, each emptying one table on OK. Account tables can
// be emptied only together with the records that use them, folders only with both record
// tables. The removal is physical; the index files stay valid. The side tables that describe
// the records (the imported statement ids) go when a record table is emptied: a statement
// imported before is new again.

#include <functional>
#include <string_view>

namespace maintenance {

inline constexpr std::string_view kEraseIncome = "ERASE ALL INCOME DATA?";
inline constexpr std::string_view kEraseExpense = "ERASE ALL EXPENSE DATA?";
inline constexpr std::string_view kEraseIncomeAccounts = "ERASE ALL INCOME ACCOUNT DEFINITIONS?";
inline constexpr std::string_view kEraseExpenseAccounts = "ERASE ALL EXPENSE ACCOUNT DEFINITIONS?";
inline constexpr std::string_view kEraseFolders = "ERASE ALL FOLDER DEFINITIONS?";

// Which tables were emptied.
struct EraseOutcome {
    bool income = false;
    bool expense = false;
    bool incomeAccounts = false;
    bool expenseAccounts = false;
    bool folders = false;
    bool any() const { return income || expense || incomeAccounts || expenseAccounts || folders; }
};

// Asks the questions (information boxes with OK and Cancel) and empties the tables confirmed.
// A table that cannot be opened ends the program through FailOpen. With `keepDeleted` the
// records marked deleted in an emptied record table go to its recovery table first, as a pack
// would save them; the records the user chose to erase do not. `beforeChange` is asked once,
// before the first table is emptied; false there erases nothing more.
EraseOutcome EraseData(
    bool keepDeleted = true, const std::function<bool()>& beforeChange = [] { return true; });

}  // namespace maintenance
