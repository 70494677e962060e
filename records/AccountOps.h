#pragma once

// The table work of the account form for both charts: expense accounts (ACC, kind "E") whose
// records are the expenses, and income accounts (ACCI, kind "I") whose records are the
// income. Numbering, the number change and merge carried into the kind's record table, and
// the deletion of an account with every record that names it. The account table is open
// through its opener (tag selected); the record table is opened and closed here.

#include <cstdint>
#include <string>
#include <string_view>

#include "data/engine/Engine.h"

namespace cbk {
struct AccountRec;
}

namespace records {

enum class AccountChart { Expense, Income };

// 'I' is the income chart; anything else the expense chart.
AccountChart ChartOf(char accountKind);

// What the kind selects: table, tag, number field, buffer and its store.
engine::Data4* AccountTable(AccountChart chart);
cbk::AccountRec& AccountBuffer(AccountChart chart);
void LoadAccountOf(AccountChart chart);
void StoreAccountOf(AccountChart chart);

// The caption of the tax check box: "Tax Deductible" or "Taxable".
std::string_view TaxCaption(AccountChart chart);

inline constexpr std::string_view kAddAnotherAccount = "Add another account?";
inline constexpr std::string_view kAccountNumberZero = "Account Number must be greater than zero.";
inline constexpr std::string_view kAccountExists =
    "Account number already exists.  Please enter a different number.";

// One more than the highest account number (gaps are not reused); 1 when there is none.
std::int32_t NextAccountNo(AccountChart chart);

// True unless a live account has number n. Leaves the table where the seek ended (on that
// account when it is taken).
bool AccountNoFree(AccountChart chart, std::int32_t n);

// Every record of the chart's record table naming account `oldNo`, deleted and archived ones
// included, names `newNo` instead. Returns how many records changed.
long MoveAccount(AccountChart chart, std::int32_t oldNo, std::int32_t newNo);

std::string AccountChangedMessage(AccountChart chart, std::int32_t oldNo, std::string_view typed);
std::string AccountExistsMessage(AccountChart chart, std::string_view typed, std::int32_t oldNo,
                                 std::string_view description);
std::string DeleteAccountQuestion(AccountChart chart);

enum class AccountStep { StayOpen, AddAnother, Close };

struct AccountOutcome {
    AccountStep step = AccountStep::StayOpen;
    long choice = 0;      // the account's record number; 0 after a deletion
    bool marked = false;  // a record was marked deleted: the tables want packing
};

// The values of the form at Save.
struct AccountEntry {
    std::int32_t number = 0;
    std::string typed;  // the number field's trimmed text, as the messages quote it
    std::string description;
    bool flag = false;
};

// A new account with the typed number when it is free; asks "Add another account?".
AccountOutcome SaveNewAccount(AccountChart chart, const AccountEntry& entry);

// The account at `recNo`, loaded with number `loadedNo`: a change of description and flag,
// a number change into a free number, or a merge into the live account with the new number
// (which disappears). The last two ask first and move the records of the old number.
AccountOutcome SaveExistingAccount(AccountChart chart, long recNo, std::int32_t loadedNo,
                                   const AccountEntry& entry);

// Asks, then marks deleted every record naming account `loadedNo` and the account at `recNo`.
AccountOutcome DeleteAccount(AccountChart chart, long recNo, std::int32_t loadedNo);

}  // namespace records
