#pragma once

// What only the record edit forms share: the required choice lists and the end of a form's
// work in the pick-then-edit loop. The field pieces are in widgets/FieldParts.h.

#include <QPushButton>
#include <QStringList>
#include <cstdint>
#include <string_view>

#include "widgets/FieldParts.h"

class QDialog;

namespace records {
struct ChoiceList;
}

namespace cbk {

// Fills a list the record cannot be saved without; an empty one is reported with `missing`
// and Save is turned off.
void FillRequiredChoice(ChoiceBox* box, const records::ChoiceList& list, std::string_view missing,
                        QPushButton* save);
// After a new record was stored: true when the user asks for another one of the run.
bool AddAnother(std::int32_t choice, std::string_view question);
// Ends the form once its work is done: `marked` tables are packed on exit and, when `close`,
// the loop's choice becomes `chosen`.
void CloseWithChoice(QDialog* form, bool marked, bool close, std::int32_t& choice,
                     std::int32_t chosen);

// What a record form shows in its fields, taken when it shows a record, so that closing it
// can tell whether the user changed anything.
class ShownValues {
public:
    void take(const QWidget* form) { values_ = Read(form); }
    bool changed(const QWidget* form) const { return Read(form) != values_; }

private:
    static QStringList Read(const QWidget* form);
    QStringList values_;
};

inline constexpr std::string_view kDiscardQuestion = "Discard the changes to this record?";
// Closing a record form without saving: true when nothing was changed, or the user agrees to
// lose the changes (No is the default).
bool DiscardConfirmed(const QWidget* form, const ShownValues& shown);

}  // namespace cbk
