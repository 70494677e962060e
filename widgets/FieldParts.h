#pragma once

// The field pieces the program's forms share: the choice list that refuses typing, the amount
// field's key and exit rules with their colour, the help button, the field grid and the button
// row.

#include <QComboBox>
#include <QElapsedTimer>
#include <QPushButton>
#include <QString>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QDialog;
class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace cbk {

class MaskEdit;

// A choice list of accounts or folders: an entry can be chosen with the mouse or the arrow
// keys and, once type-ahead is on, by typing its number or the start of its description
// ("250", "ren"; keys typed in quick succession add up). Every other character is discarded
// and announced, for the form's key handler.
class ChoiceBox : public QComboBox {
    Q_OBJECT

public:
    using QComboBox::QComboBox;

    // The chosen entry's text; nothing when no entry is chosen.
    std::optional<std::string> chosenEntry() const;
    void setTypeAhead(bool on) { typeAhead_ = on; }

signals:
    void keyDiscarded();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool chooseTyped(const QString& typed);

    bool typeAhead_ = false;
    QString typed_;
    QElapsedTimer sinceTyped_;
};

// Fills a choice list and chooses its entry. Returns false when the list is empty.
bool FillChoiceBox(ChoiceBox* box, const std::vector<std::string>& entries, int chosen);

// The amount field's key rule, run before the typed key itself: the decimal separator first
// right-aligns the integer part (the field is reformatted by `pattern`, "%10.2f" in the record
// forms, and the cursor put on the decimals, so the separator itself is not typed again).
// Returns true when the key was used up.
bool AmountKeyTyped(MaskEdit* field, QChar key, std::string_view pattern);
// Hands each typed character to `keyPress` before the field sees it; the key is used up when
// that returns true.
void InstallKeyRule(MaskEdit* field, std::function<bool(QChar)> keyPress);
// The amount field's exit rule: reformatted by `pattern` (a text that is no number is reported
// and stays), then coloured.
void AmountFieldExit(MaskEdit* field, std::string_view pattern);
// Red while the text holds a minus sign, black otherwise.
void ColourAmount(MaskEdit* field);
// The amount mask with the regional decimal separator: "!#######" + separator + "99;1;_".
QString AmountMask();

// The date field mask: two digits of month and day, and a year of two digits or four (a year
// typed in full means that year), in the regional order and with its separator.
QString DateMask();
// The widest text of a date field, for its width.
inline constexpr const char* kWidestDate = "00/00/00000";

// The date field rule on a masked date field: a date is normalised in place; anything else is
// reported ("Invalid Date Entered") and the field keeps the focus. False when refused.
bool CheckDateField(MaskEdit* field);

// Save pressed with Enter leaves the masked field being typed in as a click would: its
// refusal or its exit rule runs first. False when the field refused to be left.
bool LeaveFocusedField(QWidget* form);

// Writes a record's text into a text field without its trailing blanks.
QString Trimmed(const std::string& stored);
std::string Trimmed(const QString& typed);

// A push button and a drop-down list of fixed items, named for the tests and the help.
QPushButton* MakeNamedButton(QWidget* parent, const char* caption, const char* name);
QComboBox* MakeNamedBox(QWidget* parent, const char* name, const QStringList& items);

// A help button captioned "Help".
QPushButton* MakeHelpButton(QWidget* parent);

// The fields of a form, made alike on every form.
QLabel* MakeLabel(QWidget* form, const char* caption);
MaskEdit* MakeMaskField(QWidget* form, const char* name, const QString& mask, const char* widest);
QLineEdit* MakeTextField(QWidget* form, const char* name);  // 30 characters
ChoiceBox* MakeChoiceField(QWidget* form, const char* name);
// The amount field: right-aligned under the amount mask. Its key rule runs `keyPress` before
// each typed key reaches it (the key is used up when that returns true), its colour follows
// each key and `exited` runs when it is left.
MaskEdit* MakeAmountField(QWidget* form, const char* name, std::function<bool(QChar)> keyPress,
                          std::function<void()> exited);
// An amount as the amount field shows it by `pattern`, coloured.
void ShowAmount(MaskEdit* field, double amount, std::string_view pattern);

// A grid of captioned fields, one row each; each caption is its field's buddy, and a masked
// field keeps its own width.
QGridLayout* FieldGrid(std::initializer_list<std::pair<QLabel*, QWidget*>> rows);

// The row of buttons under the fields: Save (the default), Delete, Cancel and, apart, Help.
struct ButtonRow {
    QPushButton* save;
    QPushButton* remove;
    QPushButton* cancel;
    QPushButton* help;
};
ButtonRow MakeButtonRow(QWidget* form);
// Makes the button row as the form's BtnSave, BtnDelete, BtnCancel and BitBtn1, each wired to
// its click handler.
template <class Form>
ButtonRow AttachButtonRow(Form* form) {
    const ButtonRow row = MakeButtonRow(form);
    form->BtnSave = row.save;
    form->BtnDelete = row.remove;
    form->BtnCancel = row.cancel;
    form->BitBtn1 = row.help;
    QObject::connect(row.save, &QPushButton::clicked, form, &Form::BtnSaveClick);
    QObject::connect(row.remove, &QPushButton::clicked, form, &Form::BtnDeleteClick);
    QObject::connect(row.cancel, &QPushButton::clicked, form, &Form::BtnCancelClick);
    QObject::connect(row.help, &QPushButton::clicked, form, &Form::BitBtn1Click);
    return row;
}
// Lays the fields above the button row; the form keeps the size its content asks for.
void LayOutForm(QWidget* form, QGridLayout* fields, const ButtonRow& buttons);
// Tab moves through the widgets in the order given.
void ChainTabOrder(std::initializer_list<QWidget*> order);

// Runs `formShow` each time the form is shown by the program (not by the window system),
// before it appears.
void CallOnShow(QWidget* form, std::function<void()> formShow);

}  // namespace cbk
