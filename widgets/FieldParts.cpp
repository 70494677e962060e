#include "widgets/FieldParts.h"

#include <QApplication>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/Platform.h"
#include "rules/EntryRules.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {

// Hands each typed character to the amount field's key rule before the field sees it.
class AmountKeyFilter : public QObject {
public:
    AmountKeyFilter(QObject* parent, std::function<bool(QChar)> keyPress)
        : QObject(parent), keyPress_(std::move(keyPress)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const QString typed = static_cast<QKeyEvent*>(event)->text();
            if (!typed.isEmpty() && keyPress_(typed.at(0))) return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<bool(QChar)> keyPress_;
};

// Runs the form's show handler when the program shows it.
class ShowFilter : public QObject {
public:
    ShowFilter(QObject* parent, std::function<void()> formShow)
        : QObject(parent), formShow_(std::move(formShow)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !event->spontaneous()) formShow_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> formShow_;
};

}  // namespace

std::optional<std::string> ChoiceBox::chosenEntry() const {
    if (currentIndex() < 0) return std::nullopt;
    return currentText().toStdString();
}

void ChoiceBox::keyPressEvent(QKeyEvent* event) {
    // Arrow keys, Page keys, Tab and Enter still work; characters choose only by type-ahead,
    // never by QComboBox's own search, which would also match inside the padded numbers.
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        event->accept();
        if (!typeAhead_) {
            emit keyDiscarded();
            return;
        }
        const QString key = event->text().left(1);
        if (!sinceTyped_.isValid() || sinceTyped_.elapsed() > QApplication::keyboardInputInterval())
            typed_.clear();
        sinceTyped_.start();
        typed_ += key;
        // A key that continues no entry starts a new search.
        if (!chooseTyped(typed_)) {
            typed_ = key;
            if (!chooseTyped(typed_)) emit keyDiscarded();
        }
        return;
    }
    QComboBox::keyPressEvent(event);
}

bool ChoiceBox::chooseTyped(const QString& typed) {
    std::vector<std::string> entries;
    for (int i = 0; i < count(); ++i) entries.push_back(itemText(i).toStdString());
    const auto found = rules::TypedChoice(entries, typed.toStdString());
    if (found) setCurrentIndex(int(*found));
    return found.has_value();
}

bool FillChoiceBox(ChoiceBox* box, const std::vector<std::string>& entries, int chosen) {
    box->clear();
    for (const std::string& entry : entries) box->addItem(QString::fromStdString(entry));
    box->setCurrentIndex(chosen);
    return !entries.empty();
}

void ColourAmount(MaskEdit* field) {
    QPalette palette = field->palette();
    const bool red = rules::AmountShowsRed(field->text().toStdString());
    palette.setColor(QPalette::Text, red ? Qt::red : Qt::black);
    field->setPalette(palette);
}

bool AmountKeyTyped(MaskEdit* field, QChar key, std::string_view pattern) {
    const QChar separator = QLatin1Char(platform::regional().settings().decimalSeparator);
    bool used = false;
    if (key == separator) {
        if (const auto formatted = rules::FormatAmount(field->text().toStdString(), pattern)) {
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

void InstallKeyRule(MaskEdit* field, std::function<bool(QChar)> keyPress) {
    field->installEventFilter(new AmountKeyFilter(field, std::move(keyPress)));
}

void AmountFieldExit(MaskEdit* field, std::string_view pattern) {
    if (const auto formatted = rules::FormatAmount(field->text().toStdString(), pattern))
        field->setText(QString::fromStdString(*formatted));
    ColourAmount(field);
}

bool CheckDateField(MaskEdit* field) {
    std::string text = field->text().toStdString();
    if (!rules::CheckDate(text)) {
        field->setFocus();
        return false;
    }
    field->setText(QString::fromStdString(text));
    return true;
}

bool LeaveFocusedField(QWidget* form) {
    auto* field = qobject_cast<MaskEdit*>(form->focusWidget());
    return field == nullptr || !field->hasFocus() || field->leaveField();
}

QString AmountMask() {
    // Ten positions, as EXP5's AMOUNT and INC5's INCAMT are stored (N 10.2): whatever the
    // field holds fits the table, and an amount of seven whole digits can be entered.
    return QStringLiteral("!#######") +
           QLatin1Char(platform::regional().settings().decimalSeparator) + QStringLiteral("99;1;_");
}

QString DateMask() {
    return QStringLiteral("!99/99/0099;1; ");
}

QString Trimmed(const std::string& stored) {
    return QString::fromStdString(stored).trimmed();
}

std::string Trimmed(const QString& typed) {
    return typed.trimmed().toStdString();
}

QPushButton* MakeNamedButton(QWidget* parent, const char* caption, const char* name) {
    auto* b = new QPushButton(QString::fromUtf8(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    return b;
}

QComboBox* MakeNamedBox(QWidget* parent, const char* name, const QStringList& items) {
    auto* box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->addItems(items);
    return box;
}

QPushButton* MakeHelpButton(QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("&Help"), parent);
    button->setObjectName(QStringLiteral("BitBtn1"));
    button->setIcon(parent->style()->standardIcon(QStyle::SP_DialogHelpButton));
    return button;
}

QLabel* MakeLabel(QWidget* form, const char* caption) {
    return new QLabel(QString::fromUtf8(caption), form);
}

MaskEdit* MakeMaskField(QWidget* form, const char* name, const QString& mask, const char* widest) {
    auto* field = new MaskEdit(form);
    field->setObjectName(QString::fromLatin1(name));
    field->setEditMask(mask);
    field->setFixedWidth(field->fontMetrics().horizontalAdvance(QString::fromLatin1(widest)) + 16);
    return field;
}

QLineEdit* MakeTextField(QWidget* form, const char* name) {
    auto* field = new QLineEdit(form);
    field->setObjectName(QString::fromLatin1(name));
    field->setMaxLength(30);
    field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QString(30, QLatin1Char('n'))));
    return field;
}

ChoiceBox* MakeChoiceField(QWidget* form, const char* name) {
    auto* box = new ChoiceBox(form);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(false);
    box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    box->setMinimumContentsLength(36);
    return box;
}

MaskEdit* MakeAmountField(QWidget* form, const char* name, std::function<bool(QChar)> keyPress,
                          std::function<void()> exited) {
    MaskEdit* field = MakeMaskField(form, name, AmountMask(), "-0000000.000");
    field->setAlignment(Qt::AlignRight);
    InstallKeyRule(field, std::move(keyPress));
    QObject::connect(field, &MaskEdit::exited, form, std::move(exited));
    // The colour follows each key at once; the key rule only saw the text before it.
    QObject::connect(field, &QLineEdit::textEdited, form, [field] { ColourAmount(field); });
    return field;
}

void ShowAmount(MaskEdit* field, double amount, std::string_view pattern) {
    field->setText(QString::fromStdString(rules::FormatNumber(pattern, amount)));
    ColourAmount(field);
}

QGridLayout* FieldGrid(std::initializer_list<std::pair<QLabel*, QWidget*>> rows) {
    auto* fields = new QGridLayout;
    int row = 0;
    for (const auto& [label, field] : rows) {
        label->setBuddy(field);
        fields->addWidget(label, row, 0);
        const bool fixed = qobject_cast<MaskEdit*>(field) != nullptr;
        fields->addWidget(field, row++, 1, fixed ? Qt::AlignLeft : Qt::Alignment());
    }
    return fields;
}

ButtonRow MakeButtonRow(QWidget* form) {
    ButtonRow row{new QPushButton(QStringLiteral("&Save"), form),
                  new QPushButton(QStringLiteral("&Delete"), form),
                  new QPushButton(QStringLiteral("Cancel"), form), MakeHelpButton(form)};
    row.save->setObjectName(QStringLiteral("BtnSave"));
    row.remove->setObjectName(QStringLiteral("BtnDelete"));
    row.cancel->setObjectName(QStringLiteral("BtnCancel"));
    row.save->setDefault(true);
    return row;
}

void LayOutForm(QWidget* form, QGridLayout* fields, const ButtonRow& buttons) {
    auto* row = new QHBoxLayout;
    for (QPushButton* b : {buttons.save, buttons.remove, buttons.cancel}) row->addWidget(b);
    row->addStretch();
    row->addWidget(buttons.help);
    auto* layout = new QVBoxLayout(form);
    layout->addLayout(fields);
    layout->addSpacing(8);
    layout->addLayout(row);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void ChainTabOrder(std::initializer_list<QWidget*> order) {
    QWidget* const* at = order.begin();
    for (std::size_t i = 1; i < order.size(); ++i) QWidget::setTabOrder(at[i - 1], at[i]);
}

void CallOnShow(QWidget* form, std::function<void()> formShow) {
    form->installEventFilter(new ShowFilter(form, std::move(formShow)));
}

}  // namespace cbk
