#pragma once

// The month-end reconciliation of one bank account against its statement: the records not yet
// reconciled up to the statement's end date, which of them the user ticks as cleared, the
// balances that follow, the records that would explain a difference, and the finish that marks
// the cleared records reconciled with the statement date, all at once.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bank/BankMarks.h"
#include "bank/Register.h"

namespace bank {

inline constexpr std::string_view kNoAmount = "The ending balance is not an amount.";
inline constexpr std::string_view kNoDate = "The statement date is not a date.";
inline constexpr std::string_view kBeforeLast =
    "The statement date is before the last reconciliation of this account, on ";
inline constexpr std::string_view kNotBalanced =
    "The difference is not zero: the reconciliation cannot be finished yet.";

struct ReconcileItem {
    RegisterRow row;
    bool ticked = false;
    std::optional<Cents> statement;  // the statement line's amount, when an import matched one
};

struct Reconciliation {
    std::int32_t bankNo = 0;
    std::uint32_t statementDate = 0;  // yyyymmdd
    Cents statementBalance = 0;
    Cents startBalance = 0;            // the opening balance and every record reconciled before
    std::uint32_t lastReconciled = 0;  // 0: never
    std::vector<ReconcileItem> items;  // not yet reconciled, dated up to the statement, by date

    Cents Cleared() const;  // start balance and the ticked items
    Cents Difference() const { return statementBalance - Cleared(); }
};

// The reconciliation of `reg`'s account (see BuildRegister) for a statement ending on `date`
// with `balance`. `marks` supply the statement amounts.
Reconciliation StartReconciliation(std::int32_t bankNo, const Register& reg, const Marks& marks,
                                   std::uint32_t date, Cents balance);

// The last statement date reconciled in `reg`, 0 when none.
std::uint32_t LastReconciled(const Register& reg);

// Why the statement date and balance cannot start a reconciliation of `reg`; empty when they
// can. `date` and `balance` as typed (date as yyyymmdd digits already read, 0 for no date).
std::string CheckStatement(const Register& reg, std::uint32_t date, std::string_view balance,
                           char decimal = '.', char thousands = ',');

// An explanation of the difference: items that, ticked, would make it zero, or a ticked item
// whose amount is not its statement line's.
struct Explanation {
    enum class What { Uncleared, AmountDiffers } what = What::Uncleared;
    std::vector<std::size_t> items;  // indexes into Reconciliation::items
};

// Up to `limit` explanations, singles first, then pairs, then threes. Hashing for the pairs and
// sorted two-pointer runs for the threes: O(n^2) at worst for the threes, O(n) for the rest.
// Threes are sought only among at most kThreesUpTo open records.
inline constexpr std::size_t kThreesUpTo = 20'000;
std::vector<Explanation> Explain(const Reconciliation& rec, std::size_t limit = 20);

// Marks the ticked items reconciled with the statement date and the others not cleared, in
// one replacement of the marks table (see ReplaceMarks). The difference must be zero. Returns
// why it could not be done (nothing changed then), or an empty text.
std::string FinishReconciliation(const Reconciliation& rec, Marks& marks);

// Reopens the reconciliation of `bankNo` dated `date`: its records keep their cleared mark and
// lose the reconciled one, in one replacement of the marks table.
std::string ReopenReconciliation(std::int32_t bankNo, std::uint32_t date, Marks& marks);

// "yyyymmdd" of a date number.
std::string DateText(std::uint32_t date);

}  // namespace bank

namespace bank {

inline constexpr std::string_view kReconciledChange =
    "This record was reconciled with the statement of ";
inline constexpr std::string_view kReopens =
    ". Changing or deleting it reopens that reconciliation. Go on?";

// Before a reconciled record is changed or deleted: asks (No the default) and, when the user
// agrees, reopens its reconciliation. True when the change may go on (also for a record that
// is not reconciled).
bool ReconciledChangeAllowed(const Before& before);

}  // namespace bank
