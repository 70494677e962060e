#include "widgets/MaskEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPalette>

#include "platform/Platform.h"

namespace cbk {

const char* const MaskEdit::kRefusal = "Invalid input value.  Use escape key to abandon changes";

namespace {

// Characters that QLineEdit reads as mask commands and must be escaped to stand as literals.
bool isQtMaskCommand(QChar c) {
    static const QString commands = QStringLiteral("AaNnXx90Dd#HhBb><!{}[]\\");
    return commands.contains(c);
}

}  // namespace

MaskEdit::MaskEdit(QWidget* parent) : QLineEdit(parent) {
    // Any edit of the user's own after a refusal is the correction it asked for.
    connect(this, &QLineEdit::textEdited, this, [this] { markRefused(false); });
}

void MaskEdit::markRefused(bool refused) {
    if (refused == refused_) return;
    refused_ = refused;
    QPalette tint = palette();
    tint.setColor(QPalette::Base, refused ? QColor(255, 214, 214)
                                          : QApplication::palette(this).color(QPalette::Base));
    setPalette(tint);
}

void MaskEdit::setEditMask(const QString& mask) {
    mask_ = mask;
    const QStringList parts = mask.split(QLatin1Char(';'));
    QString body = parts.value(0);
    blank_ = parts.size() > 2 && !parts[2].isEmpty() ? parts[2][0] : QLatin1Char('_');
    rightAligned_ = body.startsWith(QLatin1Char('!'));
    if (rightAligned_) body.remove(0, 1);

    const platform::RegionalSettings regional = platform::regional().settings();
    qtMask_.clear();
    positions_.clear();
    for (QChar c : body) {
        if (c == QLatin1Char('9')) {
            qtMask_ += QLatin1Char('0');  // optional digit
            positions_ += QLatin1Char('o');
        } else if (c == QLatin1Char('0')) {
            qtMask_ += QLatin1Char('9');  // required digit
            positions_ += QLatin1Char('r');
        } else if (c == QLatin1Char('#')) {
            qtMask_ += QLatin1Char('#');  // optional digit or sign
            positions_ += QLatin1Char('o');
        } else {
            QChar literal = c;
            if (c == QLatin1Char('/')) literal = QLatin1Char(regional.dateSeparator);
            if (c == QLatin1Char('.')) literal = QLatin1Char(regional.decimalSeparator);
            if (isQtMaskCommand(literal)) qtMask_ += QLatin1Char('\\');
            qtMask_ += literal;
            positions_ += c == QLatin1Char('.') ? QLatin1Char('d') : QLatin1Char('l');
        }
    }
    setInputMask(qtMask_ + QLatin1Char(';') + blank_);
    setMaxLength(int(positions_.size()));
    // Optional positions after the required ones of the last group ("0099": a year of two or
    // four digits) are filled from the left and, left unfilled, are no part of the text.
    looseTail_ = 0;
    int last = int(positions_.size());
    while (last > 0 && positions_[last - 1] == QLatin1Char('o')) --last;
    if (last > 0 && positions_[last - 1] == QLatin1Char('r'))
        looseTail_ = int(positions_.size()) - last;
}

bool MaskEdit::fillsFromLeft(int start, int end) const {
    const bool decimals = start > 0 && positions_[start - 1] == QLatin1Char('d');
    return decimals ||
           (positions_[start] == QLatin1Char('r') && positions_[end - 1] == QLatin1Char('o'));
}

bool MaskEdit::editable(int pos) const {
    return pos < positions_.size() && positions_[pos] != QLatin1Char('l') &&
           positions_[pos] != QLatin1Char('d');
}

QString MaskEdit::text() const {
    if (positions_.isEmpty()) return QLineEdit::text();
    QString shown = displayText();
    for (int i = 0; i < shown.size(); ++i)
        if (editable(i) && shown[i] == blank_) shown[i] = QLatin1Char(' ');
    for (int k = 0; k < looseTail_ && shown.endsWith(QLatin1Char(' ')); ++k) shown.chop(1);
    return shown;
}

void MaskEdit::setText(const QString& text) {
    if (positions_.isEmpty()) {
        QLineEdit::setText(text);
        return;
    }
    // The key rules rewrite the field the user is typing in; that is no correction of a
    // refused key. A value the form puts in while the user is elsewhere is.
    if (!hasFocus()) markRefused(false);
    // QLineEdit drops blanks it is given, which would shift every later character; the mask's
    // own blank character keeps each character in its position.
    QString placed = text.left(positions_.size());
    for (int i = 0; i < placed.size(); ++i)
        if (editable(i) && placed[i] == QLatin1Char(' ')) placed[i] = blank_;
    QLineEdit::setText(placed);
    // A value given shorter than the mask sits at the right, as typed values do when left.
    rightAlign();
    // A value put into the field the user is in (the next number offered after a save) is
    // replaced by what is typed next, as on entering the field.
    if (hasFocus()) selectAll();
}

void MaskEdit::rightAlign() {
    if (!rightAligned_ || positions_.isEmpty()) return;
    QString current = text();
    QString result = current;
    int i = 0;
    while (i < positions_.size()) {
        if (!editable(i)) {
            ++i;
            continue;
        }
        int end = i;
        while (end < positions_.size() && editable(end)) ++end;
        QString filled;
        for (int k = i; k < end && k < current.size(); ++k)
            if (current[k] != QLatin1Char(' ')) filled += current[k];
        // Digits after a decimal separator keep their places from the left: "1.5" is 1.50.
        const QString pad(end - i - filled.size(), QLatin1Char(' '));
        const QString aligned = fillsFromLeft(i, end) ? filled + pad : pad + filled;
        for (int k = i; k < end && k < result.size(); ++k) result[k] = aligned[k - i];
        i = end;
    }
    if (result != current) {
        const bool wasModified = isModified();
        QString placed = result;
        for (int k = 0; k < placed.size(); ++k)
            if (editable(k) && placed[k] == QLatin1Char(' ')) placed[k] = blank_;
        QLineEdit::setText(placed);
        setModified(wasModified);
    }
}

bool MaskEdit::complete() const {
    if (positions_.isEmpty()) return true;
    const QString current = text();
    for (int i = 0; i < positions_.size(); ++i)
        if (positions_[i] == QLatin1Char('r') &&
            (i >= current.size() || current[i] == QLatin1Char(' ')))
            return false;
    return true;
}

bool MaskEdit::leaveField() {
    if (leaving_) return true;
    leaving_ = true;
    rightAlign();
    if (refused_ || (isModified() && !complete())) {
        QApplication::beep();
        platform::messages().error(kRefusal);
        setFocus(Qt::OtherFocusReason);
        leaving_ = false;
        return false;
    }
    entryText_ = text();
    setModified(false);
    emit exited();
    leaving_ = false;
    return true;
}

void MaskEdit::abandonEdit() {
    markRefused(false);
    setText(entryText_);
    setModified(false);
}

void MaskEdit::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    // Coming back from a message box or a menu is not a new edit: the field resumes as it was.
    const bool resuming =
        suspended_ && (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason);
    suspended_ = false;
    if (!resuming && !isModified()) entryText_ = text();
    QLineEdit::focusInEvent(event);
    // Entered by Tab or by its form opening, the field selects its whole text so that what is
    // typed replaces what it shows; QLineEdit alone would put the cursor on the first blank of
    // the mask and leave the digits shown to be typed over one by one. Entered by a click it
    // does the same once the click has placed the cursor; a later click places the cursor.
    if (!resuming && !positions_.isEmpty()) {
        selectAll();
        clickedIn_ = reason == Qt::MouseFocusReason;
    }
}

void MaskEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    // A message box or a menu taking the focus is not the user leaving the field.
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason) {
        suspended_ = true;
        return;
    }
    leaveField();
}

void MaskEdit::hideEvent(QHideEvent* event) {
    // A form closed while a message box held its focus opens afresh next time.
    suspended_ = false;
    markRefused(false);
    QLineEdit::hideEvent(event);
}

void MaskEdit::mousePressEvent(QMouseEvent* event) {
    QLineEdit::mousePressEvent(event);
    if (clickedIn_ && event->button() == Qt::LeftButton) selectAll();
    clickedIn_ = false;
}

void MaskEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && isModified()) {
        abandonEdit();
        event->accept();
        return;
    }
    if (refuseOverflow(event->text())) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

bool MaskEdit::refuseOverflow(const QString& typed) {
    if (positions_.isEmpty() || typed.size() != 1 || !typed[0].isDigit()) return false;
    const int size = int(positions_.size());
    const QString shown = text();
    const auto blankFrom = [&](int from, int to) {
        for (int k = from; k < to; ++k)
            if (k < shown.size() && shown[k] != QLatin1Char(' ')) return false;
        return true;
    };
    const auto partStart = [&](int end) {
        while (end > 0 && editable(end - 1)) --end;
        return end;
    };
    // Where the digit would go, and the end of the part it belongs to: a digit typed where its
    // part of the mask is full would be dropped, or carried past the decimal separator; a date
    // separator is stepped over.
    const int at = hasSelectedText() ? selectionStart() : cursorPosition();
    int end = at;
    if (at < size && positions_[at] != QLatin1Char('d')) {
        // The mask carries the cursor over the separator by itself once the whole part is
        // full: a first digit there, with no decimal typed yet, was meant for the whole part.
        const bool afterPoint = at > 0 && positions_[at - 1] == QLatin1Char('d');
        const int whole = afterPoint ? partStart(at - 1) : 0;
        const bool carried = afterPoint &&
                             shown.mid(whole, at - 1 - whole).indexOf(QLatin1Char(' ')) < 0 &&
                             blankFrom(at, size);
        if (!carried) return false;
        end = at - 1;
    }
    const int start = partStart(end);
    const int room = end - start;
    if (room == 0) return false;
    QString why;
    if (end < size)
        why = QStringLiteral(
                  "Too many digits: the amount holds at most %1 digits before the "
                  "decimal point.")
                  .arg(room);
    else if (start > 0 && positions_[start - 1] == QLatin1Char('d'))
        why = QStringLiteral(
                  "Too many decimals: the amount keeps at most %1 digits after the "
                  "decimal point.")
                  .arg(room);
    else
        why = QStringLiteral("Too many digits: this part of the field holds at most %1.").arg(room);
    markRefused(true);
    QApplication::beep();
    platform::messages().show(platform::MessageKind::Warning, why.toStdString(),
                              platform::Buttons::OK);
    setFocus(Qt::OtherFocusReason);
    return true;
}

}  // namespace cbk
