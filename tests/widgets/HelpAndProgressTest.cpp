// The help window's topics and the progress box.

#include <gtest/gtest.h>

#include <QFile>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

#include "support/QtApplication.h"
#include "widgets/HelpWindow.h"
#include "widgets/ProgressBox.h"

namespace cbk::testing {
namespace {

class HelpWindowTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
};

TEST_F(HelpWindowTest, EveryContextAndTheContentsLeadToATopic) {
    HelpWindow help;
    for (int context : {10, 300, 400, 500, 600, 510, 530, 550, 570, 430, 540, 520, 525}) {
        EXPECT_TRUE(help.hasTopic(QString::number(context))) << context;
        help.showContext(context);
        EXPECT_EQ(help.currentTopic(), QString::number(context));
    }
    help.showTopic("contents");
    EXPECT_EQ(help.currentTopic(), "contents");
    EXPECT_TRUE(help.browser()->toPlainText().contains("Tarvel Cantabook 1.11"));
    help.showJump("570");
    EXPECT_EQ(help.currentTopic(), "570");
    EXPECT_TRUE(help.hasTopic("recover"));  // the recovery window's own help
    // Every link within the document leads to a topic of it.
    QFile file(QStringLiteral(":/help/cbk.html"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    static const QRegularExpression link(QStringLiteral("href=\"#([^\"]+)\""));
    int links = 0;
    for (auto match = link.globalMatch(text); match.hasNext(); ++links) {
        const QString topic = match.next().captured(1);
        EXPECT_TRUE(help.hasTopic(topic)) << topic.toStdString();
    }
    EXPECT_GT(links, 30);
    help.close();
}

TEST_F(HelpWindowTest, UnknownTopicShowsTheContents) {
    HelpWindow help;
    help.showJump("9999");
    EXPECT_EQ(help.currentTopic(), "contents");
    help.close();
}

class ProgressBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
};

TEST_F(ProgressBoxTest, SecondShowKeepsItsTitleAndStartsAtZero) {
    QWidget window;
    auto* box = new ProgressBox(&window);
    window.show();
    EXPECT_FALSE(box->isVisible());
    box->ShowProgress(true, "Rebuilding Indexes");
    box->SetProgress(45);
    EXPECT_EQ(box->ProgressBar1->value(), 45);
    box->ShowProgress(true, "Packing Data Files");
    EXPECT_EQ(box->title(), "Packing Data Files");
    EXPECT_EQ(box->ProgressBar1->value(), 0);
    EXPECT_TRUE(box->isVisible());
    box->ShowProgress(false, "");
    EXPECT_FALSE(box->isVisible());
}

TEST_F(ProgressBoxTest, PercentagesStayWithinTheBar) {
    QWidget window;
    auto* box = new ProgressBox(&window);
    box->SetProgress(100);
    EXPECT_EQ(box->ProgressBar1->value(), 100);
    box->SetProgress(130);
    EXPECT_EQ(box->ProgressBar1->value(), 100);
    EXPECT_EQ(box->ProgressBar1->minimum(), 0);
    EXPECT_EQ(box->ProgressBar1->maximum(), 100);
}

}  // namespace
}  // namespace cbk::testing

namespace cbk::testing {
namespace {

void Click(QWidget* w) {
    const QPointF at = w->rect().center();
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
        QMouseEvent event(type, at, w->mapToGlobal(at), Qt::LeftButton,
                          type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                          Qt::NoModifier);
        QApplication::sendEvent(w, &event);
    }
}

TEST_F(ProgressBoxTest, WhileShownTheWindowIsLaidOutAndTakesNoInput) {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* button = new QPushButton(QStringLiteral("Backup"), &window);
    layout->addWidget(button);
    auto* box = new ProgressBox(&window);
    layout->addWidget(box);
    window.show();
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });

    box->ShowProgress(true, "Converting Data Files");
    // Painted in its place under the button, caption and bar, while the command still runs.
    EXPECT_GT(box->y(), button->y() + button->height() / 2);
    EXPECT_GE(box->height(), box->sizeHint().height());
    Click(button);
    for (QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
        QKeyEvent space(type, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(button, &space);
    }
    EXPECT_FALSE(window.close());
    EXPECT_EQ(clicks, 0);

    box->ShowProgress(false, "");
    Click(button);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(window.close());
}

}  // namespace
}  // namespace cbk::testing
