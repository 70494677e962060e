#pragma once

// The in-memory records: one type and one shared buffer per table. A load copies the open
// table's current record into its buffer, a store copies the buffer into the current record
// (written by the engine no later than the next move or close). The table must be open
// through its opener (Database.h).

#include <cstdint>
#include <string>

#include "platform/DateTime.h"

namespace cbk {

struct AccountRec {
    std::int32_t AccNo = 0;
    std::string AcDesc;  // as stored, trailing blanks included
    bool AcDed = false;  // deductible (expense account) or taxable (income account)
};

struct FolderRec {
    std::int32_t FolNo = 0;
    std::string FolName;
};

struct ExpenseRec {
    platform::DateTime ExpDate;
    std::int32_t CheckNo = 0;
    std::int32_t AccNo = 0;
    std::int32_t FolNo = 0;
    std::string PayTo;
    double Amount = 0.0;
    std::string EMemo;
    bool Archive = false;
};

struct IncomeRec {
    std::int32_t IncAcc = 0;
    platform::DateTime IncDate;
    std::string IncDesc;
    double IncAmt = 0.0;
    std::int32_t FolNo = 0;
    bool IncImp = false;
    bool Archive = false;
};

struct SettingsRec {
    std::int32_t FyMonth = 0;
    std::int32_t FyDay = 0;
    std::string FontName;
    std::int32_t FontSize = 0;
    std::string Company;  // the business's name, for the report titles; trailing blanks cut
    std::string Address;
};

extern AccountRec CurAccount;     // from ACC
extern AccountRec CurIncAccount;  // from ACCI
extern FolderRec CurFolder;
extern ExpenseRec CurExpense;
extern IncomeRec CurIncome;
extern SettingsRec Settings;

// FontName is stored with at most this many characters.
inline constexpr int kFontNameStored = 59;
// The widths of the business's name and address in the settings record.
inline constexpr int kCompanyStored = 40;
inline constexpr int kAddressStored = 60;

// Loads return false only when a stored date is no date (such as "20260230"): the date then
// loads as now, like a blank date, and every other field loads as usual. A blank date loads
// as now.
bool LoadAccount();
void StoreAccount();
bool LoadIncomeAccount();
void StoreIncomeAccount();
bool LoadFolder();
void StoreFolder();
bool LoadExpense();
void StoreExpense();
bool LoadIncome();
void StoreIncome();
bool LoadSettings();
void StoreSettings();

}  // namespace cbk
