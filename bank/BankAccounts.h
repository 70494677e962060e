#pragma once

// The business's bank and card accounts, kept in the side table BANKACCT beside the tables.
// Books without the table (new books, books from before it) have one account, "Checking",
// with an opening balance of 0, which is then also the default account.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/Cents.h"
#include "platform/DateTime.h"

namespace bank {

enum class AccountKind { Bank, Card };

inline constexpr std::string_view kStarterAccount = "Checking";
inline constexpr int kNameWidth = 30;
inline constexpr int kNumberWidth = 34;

struct BankAccount {
    std::int32_t no = 0;  // never reused: the marks of the records name it
    std::string name;
    AccountKind kind = AccountKind::Bank;
    Cents opening = 0;
    std::optional<platform::DateTime> openingDate;  // none: from the first record
    std::string number;  // the bank's account number, for matching statements; may be empty
    bool isDefault = false;
    // The ending balance of the last statement imported for it, and its day (an OFX
    // statement's LEDGERBAL): the next reconciliation starts from them.
    std::optional<Cents> statement;
    std::optional<platform::DateTime> statementDate;
};

struct BankAccounts {
    std::vector<BankAccount> accounts;  // in BANKNO order
    std::string error;                  // why the table could not be read; empty when fine

    // The default account's number: the one marked, else the first; 0 when there is none.
    std::int32_t DefaultNo() const;
    const BankAccount* Find(std::int32_t no) const;
    // The account whose number is `number` (blanks, dashes and case aside), else nullptr.
    const BankAccount* FindByNumber(std::string_view number) const;
    // The number a new account gets.
    std::int32_t NextNo() const;
};

BankAccounts LoadBankAccounts();

// Writes `accounts` over whatever BANKACCT held. Returns why it failed, or an empty text.
std::string SaveBankAccounts(const std::vector<BankAccount>& accounts);

// Why `account` cannot be kept among `all` (where an account with its number is the one
// being edited): no name, or a name another account has. Empty when it can.
std::string CheckBankAccount(const BankAccount& account, const std::vector<BankAccount>& all);

inline constexpr std::string_view kNeedsName = "Enter the name of the bank account.";
inline constexpr std::string_view kNameTaken = "There is already a bank account named ";
inline constexpr std::string_view kLastAccount = "The books need at least one bank account.";

}  // namespace bank
