#include "records/forms/FormParts.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QStyle>

#include "app/MaskEdit.h"
#include "platform/Platform.h"
#include "records/EntryRules.h"

namespace cbk {

std::optional<std::string> ChoiceBox::chosenEntry() const {
    if (currentIndex() < 0) return std::nullopt;
    return currentText().toStdString();
}

void ChoiceBox::keyPressEvent(QKeyEvent* event) {
    // Arrow keys, Page keys, Tab and Enter still work; characters never choose an entry.
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        emit keyDiscarded();
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool FillChoiceBox(ChoiceBox* box, const std::vector<std::string>& entries, int chosen) {
    box->clear();
    for (const std::string& entry : entries) box->addItem(QString::fromStdString(entry));
    box->setCurrentIndex(chosen);
    return !entries.empty();
}

void ColourAmount(MaskEdit* field) {
    QPalette palette = field->palette();
    const bool red = records::AmountShowsRed(field->text().toStdString());
    palette.setColor(QPalette::Text, red ? Qt::red : Qt::black);
    field->setPalette(palette);
}

bool AmountKeyTyped(MaskEdit* field, QChar key) {
    const QChar separator = QLatin1Char(platform::regional().settings().decimalSeparator);
    bool used = false;
    if (key == separator) {
        if (const auto formatted = records::FormatAmount(field->text().toStdString(), "%9.2f")) {
            field->setText(QString::fromStdString(*formatted));
            field->setModified(true);
            const int at = field->text().indexOf(separator);
            if (at >= 0) field->setCursorPosition(at + 1);
            used = true;
        }
    }
    ColourAmount(field);
    return used;
}

void AmountFieldExit(MaskEdit* field) {
    if (const auto formatted = records::FormatAmount(field->text().toStdString(), "%9.2f"))
        field->setText(QString::fromStdString(*formatted));
    ColourAmount(field);
}

bool LeaveFocusedField(QWidget* form) {
    auto* field = qobject_cast<MaskEdit*>(form->focusWidget());
    return field == nullptr || !field->hasFocus() || field->leaveField();
}

QString AmountMask() {
    return QStringLiteral("!######") +
           QLatin1Char(platform::regional().settings().decimalSeparator) + QStringLiteral("99;1;_");
}

QString Trimmed(const std::string& stored) {
    return QString::fromStdString(stored).trimmed();
}

std::string Trimmed(const QString& typed) {
    return typed.trimmed().toStdString();
}

QPushButton* MakeHelpButton(QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("&Help"), parent);
    button->setObjectName(QStringLiteral("BitBtn1"));
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DialogHelpButton));
    return button;
}

}  // namespace cbk
