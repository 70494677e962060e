#include "records/forms/BankField.h"

#include <QLabel>

#include "bank/BankAccounts.h"
#include "bank/Reconcile.h"
#include "platform/Platform.h"

namespace cbk {

BankField::BankField(QWidget* form)
    : label_(MakeLabel(form, "Bank account:")), box_(MakeChoiceField(form, "BankBox")) {}

void BankField::Show(bank::Kind kind, long recNo) {
    kind_ = kind;
    before_ = recNo > 0 ? bank::MarkBefore(kind, recNo) : bank::Before{};
    const bank::BankAccounts accounts = bank::LoadBankAccounts();
    Fill(accounts, before_.mark ? before_.mark->bankNo : recNo > 0 ? 0 : accounts.DefaultNo());
}

void BankField::ShowNumber(std::int32_t bankNo) {
    const bank::BankAccounts accounts = bank::LoadBankAccounts();
    Fill(accounts, accounts.Find(bankNo) ? bankNo : accounts.DefaultNo());
}

void BankField::Fill(const bank::BankAccounts& accounts, std::int32_t wanted) {
    std::vector<std::string> entries;
    numbers_.clear();
    int chosen = -1;
    for (const bank::BankAccount& a : accounts.accounts) {
        if (a.no == wanted) chosen = int(entries.size());
        entries.push_back(a.name);
        numbers_.push_back(a.no);
    }
    if (chosen < 0) {
        chosen = int(entries.size());
        entries.emplace_back(bank::kNotAssigned);
        numbers_.push_back(0);
    }
    FillChoiceBox(box_, entries, chosen);
}

std::int32_t BankField::Chosen() const {
    const int i = box_->currentIndex();
    return i >= 0 && std::size_t(i) < numbers_.size() ? numbers_[std::size_t(i)] : 0;
}

bool BankField::ChangeAllowed() const {
    return bank::ReconciledChangeAllowed(before_);
}

void BankField::Saved(long recNo) {
    const std::string why = bank::MarkSaved(kind_, recNo, before_, Chosen());
    if (!why.empty())
        platform::messages().show(platform::MessageKind::Warning, why, platform::Buttons::OK);
}

void BankField::Deleted() {
    const std::string why = bank::MarkDeleted(kind_, before_);
    if (!why.empty())
        platform::messages().show(platform::MessageKind::Warning, why, platform::Buttons::OK);
}

}  // namespace cbk
