#pragma once

// The bank-account field of the expense and income forms, and the steps of a save or a delete
// that keep the record's bank mark in step (bank/BankMarks.h).

#include <cstdint>
#include <vector>

#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "widgets/FieldParts.h"

namespace cbk {

class BankField {
public:
    // The label "Bank account:" and its choice list on `form`.
    explicit BankField(QWidget* form);
    QLabel* label() const { return label_; }
    ChoiceBox* box() const { return box_; }

    // Fills the list and chooses the record's account (`recNo` of `kind`, 0 for a new record:
    // the default account), or "not assigned" when its mark is missing. Remembers the mark.
    void Show(bank::Kind kind, long recNo);
    // Fills the list for a schedule and chooses account `bankNo`, the default when it is 0 or
    // no longer in the list; Chosen() is the account then chosen.
    void ShowNumber(std::int32_t bankNo);
    std::int32_t Chosen() const;
    // Before the save or the delete: false when the record is reconciled and the user keeps it.
    bool ChangeAllowed() const;
    // After the save of `recNo`: the mark follows it with the chosen account.
    void Saved(long recNo);
    // After the delete: the mark goes.
    void Deleted();

private:
    // The accounts in the list with `wanted` chosen, or "not assigned" when it is not there.
    void Fill(const bank::BankAccounts& accounts, std::int32_t wanted);

    QLabel* label_;
    ChoiceBox* box_;
    bank::Kind kind_ = bank::Kind::Expense;
    bank::Before before_;
    std::vector<std::int32_t> numbers_;  // by entry; 0 for "not assigned"
};

}  // namespace cbk
