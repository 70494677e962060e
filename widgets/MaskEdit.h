#pragma once

// The one masked field of the program. Masks are written in the program's own notation
// ("!99/99/00;1;_"): "9" an optional digit, "0" a required digit, "#" an optional digit or
// sign, "/" the date separator, "." the decimal separator, a leading "!" right-aligns what is
// typed (unfilled optional positions become leading blanks), except in a part whose optional
// positions follow its required ones ("0099", a year of two or four digits), which fills from
// the left, as decimals do. The field's text always carries the literals and shows unfilled
// positions as blanks; the unfilled end of such a last part is left out.
//
// A digit typed where its part of the mask is full is refused with a message naming the
// limit ("at most 7 digits before the decimal point"), never dropped; the focus stays. The
// field then holds less than was typed, so it is marked refused (tinted) and cannot be left,
// nor its form saved, until the user edits it or abandons the edit with Escape.
//
// Leaving the field after an edit with a required position empty is refused: a beep, the
// standard error box "Invalid input value.  Use escape key to abandon changes", and the focus
// stays. Escape puts back the text the field had when it was entered. Only when the field is
// left with acceptable input does `exited` fire, so exit handlers never see a half-typed value.

#include <QLineEdit>
#include <QString>

namespace cbk {

class MaskEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit MaskEdit(QWidget* parent = nullptr);

    // Sets the mask in the program's notation; separators come from the regional settings.
    void setEditMask(const QString& mask);
    const QString& editMask() const { return mask_; }

    // The field's text: literals kept, unfilled positions as blanks. These hide QLineEdit's
    // own, which would drop the blanks and so the alignment; always reach the field through
    // a MaskEdit pointer.
    QString text() const;
    void setText(const QString& text);

    // The field is being left: right-aligns, checks the required positions and, when they
    // are filled, runs the exit handlers. Returns false when the field refused to be left.
    bool leaveField();
    // Escape: back to the text from before editing.
    void abandonEdit();
    // Required positions all filled (or nothing to require).
    bool complete() const;
    // A typed key was refused and nothing has been edited since.
    bool refused() const { return refused_; }

    static const char* const kRefusal;

signals:
    void exited();

protected:
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void rightAlign();
    bool editable(int pos) const;
    bool fillsFromLeft(int start, int end) const;  // the part [start, end)
    bool refuseOverflow(const QString& typed);
    void markRefused(bool refused);

    QString mask_;
    QString qtMask_;     // the positions only, as QLineEdit wants them
    QString positions_;  // one character per position: 'o' optional, 'r' required, 'l' literal
    bool rightAligned_ = false;
    QChar blank_ = QLatin1Char('_');
    QString entryText_;  // the text when the field was entered
    bool leaving_ = false;
    bool suspended_ = false;  // focus lent to a message box or menu
    int looseTail_ = 0;       // optional positions closing the last part, filled from the left
    bool refused_ = false;
    bool clickedIn_ = false;  // focus came by a mouse press not yet handled
};

}  // namespace cbk
