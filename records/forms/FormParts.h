#pragma once

// Pieces the four record edit forms share: the choice list that refuses typing, the amount
// field's key and exit rules with their colour, the help button and the button row.

#include <QComboBox>
#include <QString>
#include <optional>
#include <string>
#include <vector>

class QPushButton;
class QWidget;

namespace cbk {

class MaskEdit;

// A choice list of accounts or folders: an entry can be chosen with the mouse or the arrow
// keys, never typed. Every discarded character is announced, for the form's key handler.
class ChoiceBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    // The chosen entry's text; nothing when no entry is chosen.
    std::optional<std::string> chosenEntry() const;

signals:
    void keyDiscarded();

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

// Fills a choice list and chooses its entry. Returns false when the list is empty.
bool FillChoiceBox(ChoiceBox* box, const std::vector<std::string>& entries, int chosen);

// The amount field's key rule, run before the typed key itself: the decimal separator first
// right-aligns the integer part (the field is reformatted by "%9.2f" and the cursor put on the
// cents, so the separator itself is not typed again). Returns true when the key was used up.
bool AmountKeyTyped(MaskEdit* field, QChar key);
// The amount field's exit rule: reformatted by "%9.2f" (a text that is no number is reported
// and stays), then coloured.
void AmountFieldExit(MaskEdit* field);
// Red while the text holds a minus sign, black otherwise.
void ColourAmount(MaskEdit* field);
// The amount mask with the regional decimal separator: "!######" + separator + "99;1;_".
QString AmountMask();

// Save pressed with Enter leaves the masked field being typed in as a click would: its
// refusal or its exit rule runs first. False when the field refused to be left.
bool LeaveFocusedField(QWidget* form);

// Writes a record's text into a text field without its trailing blanks.
QString Trimmed(const std::string& stored);
std::string Trimmed(const QString& typed);

// A help button captioned "Help".
QPushButton* MakeHelpButton(QWidget* parent);

}  // namespace cbk
