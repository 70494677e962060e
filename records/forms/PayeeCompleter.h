#pragma once

// The payee memory on an entry form's pay-to or description field: typing offers the names
// used before (most recent first) in a pop-up list, and choosing one fills the fields the user
// has not changed himself with what the name's latest record was filed under.

#include <QObject>
#include <optional>

#include "records/PayeeMemory.h"

class QCompleter;
class QLineEdit;
class QStandardItemModel;

namespace cbk {

class ChoiceBox;
class MaskEdit;

class PayeeCompleter : public QObject {
    Q_OBJECT

public:
    // The fields a choice fills: `account` and `folder` by their numbers, `amount` by the
    // pattern of the entry forms.
    PayeeCompleter(QLineEdit* name, ChoiceBox* account, ChoiceBox* folder, MaskEdit* amount,
                   records::RecordTable which);

    // At the form's show, with the tables open: the memory is read at the first show of the
    // run and kept.
    void FormShow();
    // Once the form has filled its fields (shown, or cleared for the next record of a run):
    // from here on a field the user changes is his.
    void Cleared();
    // The record tables were changed by a command other than this form: read them again at
    // the next show.
    void Forget() { memory_.reset(); }
    // A record was stored as `recNo` holding `name` (and, when it was changed, held `was`).
    void Stored(long recNo, const std::string* was, const std::string& name,
                const records::PayeeUse& use);
    void Deleted(long recNo, const std::string& name);

    QCompleter* Popup() const { return completer_; }
    const records::PayeeMemory* Memory() const { return memory_ ? &*memory_ : nullptr; }

private:
    void Typed(const QString& text);
    void Chosen(int row);

    QLineEdit* name_;
    ChoiceBox* account_;
    ChoiceBox* folder_;
    MaskEdit* amount_;
    records::RecordTable which_;
    std::optional<records::PayeeMemory> memory_;
    std::vector<records::PayeeSuggestion> offered_;
    QStandardItemModel* model_;
    QCompleter* completer_;
    // Changed by the user since the form showed or was cleared: a choice leaves them alone.
    bool accountChanged_ = false;
    bool folderChanged_ = false;
    bool amountChanged_ = false;
    bool filling_ = false;
};

}  // namespace cbk
