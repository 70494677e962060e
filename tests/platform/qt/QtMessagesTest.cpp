#include "platform/qt/QtMessages.h"

#include <gtest/gtest.h>

#include "support/QtApplication.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

using platform::Answer;
using platform::Buttons;
using platform::MessageKind;

namespace {

struct SeenBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Looks at the box once it is up and presses `press` on it.
SeenBox pressWhenShown(QMessageBox::StandardButton press, const std::function<void()>& show) {
    SeenBox seen;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
        box->button(press)->click();
    });
    show();
    return seen;
}

}  // namespace

TEST(QtMessages, BoxesCarryTheirCaptionsButtonsAndAnswers) {
    cbk::testing::ensureApplication();
    platform::qt::QtMessages messages;
    Answer answer{};
    auto seen = pressWhenShown(QMessageBox::No, [&] {
        answer = messages.show(MessageKind::Confirm, "Delete this record?", Buttons::YesNo);
    });
    EXPECT_EQ(answer, Answer::No);
    EXPECT_EQ(seen.caption, "Confirm");
    EXPECT_EQ(seen.text, "Delete this record?");
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);

    seen = pressWhenShown(QMessageBox::Cancel, [&] {
        answer = messages.show(MessageKind::Warning, "Go on?", Buttons::OKCancel);
    });
    EXPECT_EQ(answer, Answer::Cancel);
    EXPECT_EQ(seen.caption, "Warning");
    EXPECT_EQ(seen.buttons, QMessageBox::Ok | QMessageBox::Cancel);

    seen = pressWhenShown(QMessageBox::Ok, [&] {
        answer = messages.show(MessageKind::Information, "Done", Buttons::OK);
    });
    EXPECT_EQ(answer, Answer::OK);
    EXPECT_EQ(seen.caption, "Information");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

TEST(QtMessages, TheErrorBoxIsCaptionedWithTheApplicationTitle) {
    cbk::testing::ensureApplication();
    QGuiApplication::setApplicationDisplayName("CBK");
    platform::qt::QtMessages messages;
    const auto seen = pressWhenShown(
        QMessageBox::Ok, [&] { messages.error("'abc' is not a valid floating point value"); });
    EXPECT_EQ(seen.caption, "CBK");
    EXPECT_EQ(seen.text, "'abc' is not a valid floating point value");
    EXPECT_EQ(seen.icon, QMessageBox::Critical);
    EXPECT_EQ(seen.buttons, QMessageBox::Ok);
}

TEST(QtMessages, EnterOnADestructiveQuestionAnswersNoOrCancel) {
    cbk::testing::ensureApplication();
    platform::qt::QtMessages messages;
    const auto enterWhenShown = [](const std::function<Answer()>& show) {
        QTimer::singleShot(0, [] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            box->defaultButton()->click();  // what Enter presses
        });
        return show();
    };
    EXPECT_EQ(enterWhenShown([&] {
                  return messages.showWithDefault(MessageKind::Warning, "Delete?", Buttons::YesNo,
                                                  platform::DefaultButton::Negative);
              }),
              Answer::No);
    EXPECT_EQ(enterWhenShown([&] {
                  return messages.showWithDefault(MessageKind::Information, "Erase?",
                                                  Buttons::OKCancel,
                                                  platform::DefaultButton::Negative);
              }),
              Answer::Cancel);
    EXPECT_EQ(enterWhenShown([&] {
                  return messages.show(MessageKind::Information, "Erase?", Buttons::OKCancel);
              }),
              Answer::OK);
}
