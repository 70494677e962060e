#pragma once

// The register of one bank account: every live expense and income record whose mark names it,
// in date order (record order within a day, expenses first), with its signed amount, its
// marks and the running balance from the account's opening balance. Rows are a few bytes each
// and read from the record only when shown, as the pick lists are.

#include <cstdint>
#include <string>
#include <vector>

#include "bank/BankMarks.h"

namespace bank {

struct RegisterRow {
    std::uint32_t recNo = 0;
    std::uint32_t date = 0;  // yyyymmdd as a number; a blank date sorts last
    Kind kind = Kind::Expense;
    bool cleared = false;
    bool reconciled = false;
    std::uint32_t reconciledOn = 0;  // the statement date, yyyymmdd; 0 while open
    Cents amount = 0;                // money in > 0
    Cents balance = 0;               // after this row
    RecordKey key;
};

struct Register {
    std::vector<RegisterRow> rows;
    Cents opening = 0;
    std::string error;
};

// EXP5 and INC5 open. One walk of each in record order, then the account's rows sorted.
Register BuildRegister(std::int32_t bankNo, Cents opening, const Marks& marks);

// The text a register row shows, read from its record (the table is moved): date as stored,
// check number ("" when 0), pay-to or description, memo.
struct RowText {
    std::string date, checkNo, payee, memo;
};
RowText ReadRowText(const RegisterRow& row);

// The first row from `from` on (wrapping to the top) whose payee, memo, check number or amount
// holds `text` (ASCII case aside); -1 when none does.
long FindInRegister(const Register& reg, long from, const std::string& text);

}  // namespace bank
