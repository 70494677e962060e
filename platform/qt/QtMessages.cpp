#include "platform/qt/QtMessages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QString>

namespace platform::qt {

namespace {

QMessageBox::Icon iconOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QMessageBox::Warning;
        case MessageKind::Information:
            return QMessageBox::Information;
        case MessageKind::Confirm:
            return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

QString captionOf(MessageKind kind) {
    switch (kind) {
        case MessageKind::Warning:
            return QStringLiteral("Warning");
        case MessageKind::Information:
            return QStringLiteral("Information");
        case MessageKind::Confirm:
            return QStringLiteral("Confirm");
    }
    return {};
}

QMessageBox::StandardButtons buttonsOf(Buttons buttons) {
    switch (buttons) {
        case Buttons::OK:
            return QMessageBox::Ok;
        case Buttons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case Buttons::OKCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::StandardButton defaultOf(Buttons buttons, DefaultButton byDefault) {
    const bool negative = byDefault == DefaultButton::Negative;
    switch (buttons) {
        case Buttons::OK:
            return QMessageBox::Ok;
        case Buttons::YesNo:
            return negative ? QMessageBox::No : QMessageBox::Yes;
        case Buttons::OKCancel:
            return negative ? QMessageBox::Cancel : QMessageBox::Ok;
    }
    return QMessageBox::Ok;
}

Answer answerOf(int button, Buttons buttons) {
    switch (button) {
        case QMessageBox::Yes:
            return Answer::Yes;
        case QMessageBox::No:
            return Answer::No;
        case QMessageBox::Cancel:
            return Answer::Cancel;
        case QMessageBox::Ok:
            return Answer::OK;
    }
    // Closed without a button: the negative answer of the set.
    return buttons == Buttons::YesNo ? Answer::No
                                     : (buttons == Buttons::OKCancel ? Answer::Cancel : Answer::OK);
}

}  // namespace

Answer QtMessages::show(MessageKind kind, const std::string& text, Buttons buttons) {
    return showWithDefault(kind, text, buttons, DefaultButton::Affirmative);
}

Answer QtMessages::showWithDefault(MessageKind kind, const std::string& text, Buttons buttons,
                                   DefaultButton byDefault) {
    QMessageBox box(iconOf(kind), captionOf(kind), QString::fromStdString(text), buttonsOf(buttons),
                    QApplication::activeWindow());
    box.setDefaultButton(defaultOf(buttons, byDefault));
    return answerOf(box.exec(), buttons);
}

void QtMessages::error(const std::string& text) {
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                    QString::fromStdString(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

}  // namespace platform::qt
