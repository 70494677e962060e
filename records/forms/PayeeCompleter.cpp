#include "records/forms/PayeeCompleter.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QStandardItemModel>

#include "rules/EntryRules.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {

// Chooses the entry of `box` whose number is `number`; false when the list has none.
bool ChooseNumber(ChoiceBox* box, std::int32_t number) {
    for (int i = 0; i < box->count(); ++i)
        if (rules::ChoiceNumber(box->itemText(i).toStdString()) == number) {
            box->setCurrentIndex(i);
            return true;
        }
    return false;
}

}  // namespace

PayeeCompleter::PayeeCompleter(QLineEdit* name, ChoiceBox* account, ChoiceBox* folder,
                               MaskEdit* amount, records::RecordTable which)
    : QObject(name),
      name_(name),
      account_(account),
      folder_(folder),
      amount_(amount),
      which_(which),
      model_(new QStandardItemModel(this)),
      completer_(new QCompleter(this)) {
    completer_->setModel(model_);
    // The memory has chosen and ordered the names; the list shows them as they come.
    completer_->setCompletionMode(QCompleter::UnfilteredPopupCompletion);
    completer_->setMaxVisibleItems(int(records::PayeeMemory::kSuggestions));
    completer_->setWidget(name_);
    completer_->popup()->setObjectName(QStringLiteral("PayeePopup"));
    connect(name_, &QLineEdit::textEdited, this, &PayeeCompleter::Typed);
    connect(completer_, qOverload<const QModelIndex&>(&QCompleter::activated), this,
            [this](const QModelIndex& index) { Chosen(index.row()); });
    // Chosen by the mouse, the arrows or type-ahead: any change but the fill's own.
    connect(account_, &QComboBox::currentIndexChanged, this,
            [this] { accountChanged_ = accountChanged_ || !filling_; });
    connect(folder_, &QComboBox::currentIndexChanged, this,
            [this] { folderChanged_ = folderChanged_ || !filling_; });
    connect(amount_, &QLineEdit::textEdited, this, [this] { amountChanged_ = true; });
}

void PayeeCompleter::FormShow() {
    if (!memory_) memory_ = records::ReadPayeeMemory(which_);
}

void PayeeCompleter::Cleared() {
    accountChanged_ = folderChanged_ = amountChanged_ = false;
    completer_->popup()->hide();
}

void PayeeCompleter::Stored(long recNo, const std::string* was, const std::string& name,
                            const records::PayeeUse& use) {
    if (!memory_) return;
    if (was) memory_->Remove(*was, std::uint32_t(recNo));
    memory_->Add(name, use);
}

void PayeeCompleter::Deleted(long recNo, const std::string& name) {
    if (memory_) memory_->Remove(name, std::uint32_t(recNo));
}

void PayeeCompleter::Typed(const QString& text) {
    offered_ = memory_ ? memory_->Suggest(text.toStdString()) : decltype(offered_){};
    model_->clear();
    for (const records::PayeeSuggestion& s : offered_) {
        auto* item = new QStandardItem(QString::fromStdString(s.name));
        if (s.known)
            item->setToolTip(QString::fromStdString(
                "Last filed under account " + std::to_string(s.last.accNo) + ", folder " +
                std::to_string(s.last.folNo) + ", " + rules::FormatNumber("%.2n", s.last.amount)));
        model_->appendRow(item);
    }
    // A name typed out in full offers nothing more to choose.
    const bool whole = offered_.size() == 1 && records::FoldPayee(offered_[0].name) ==
                                                   records::FoldPayee(text.toStdString());
    if (offered_.empty() || whole) {
        completer_->popup()->hide();
        return;
    }
    completer_->complete();
}

void PayeeCompleter::Chosen(int row) {
    if (row < 0 || row >= int(offered_.size())) return;
    const records::PayeeSuggestion chosen = offered_[std::size_t(row)];
    name_->setText(QString::fromStdString(chosen.name));
    if (!chosen.known) return;
    filling_ = true;
    if (!accountChanged_) ChooseNumber(account_, chosen.last.accNo);
    if (!folderChanged_) ChooseNumber(folder_, chosen.last.folNo);
    filling_ = false;
    if (!amountChanged_) ShowAmount(amount_, chosen.last.amount, rules::kEntryAmountPattern);
}

}  // namespace cbk
