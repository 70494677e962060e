// The masked field: positions, right alignment, the refusal of an incomplete entry, Escape,
// and the order of the checks and the exit handlers.

#include <gtest/gtest.h>

#include <QKeyEvent>

#include "platform/ScriptedPlatform.h"
#include "support/QtApplication.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {
namespace {

class MaskEditTest : public ::testing::Test {
protected:
    void SetUp() override { ensureApplication(); }
    platform::ScriptedPlatformScope platform_;
};

TEST_F(MaskEditTest, ShortValuesSitAtTheRight) {
    MaskEdit number;
    number.setEditMask("!9999;1;_");
    number.setText("5");
    EXPECT_EQ(number.text(), "   5");
    EXPECT_EQ(number.displayText(), "___5");
    MaskEdit twoDigits;
    twoDigits.setEditMask("!99;1;_");
    twoDigits.setText("28");
    EXPECT_EQ(twoDigits.text(), "28");
}

TEST_F(MaskEditTest, DateKeepsItsLiteralsAndAlignsEachPartOnLeaving) {
    MaskEdit date;
    date.setEditMask("!99/99/00;1;_");
    EXPECT_EQ(date.maxLength(), 8);
    date.setText("12/31/45");
    EXPECT_EQ(date.text(), "12/31/45");
    // Typed as "1_/5_/26": each part goes to the right when the field is left.
    int exits = 0;
    QObject::connect(&date, &MaskEdit::exited, [&] { ++exits; });
    date.QLineEdit::setText("1/5/26");
    date.setModified(true);
    EXPECT_TRUE(date.leaveField());
    EXPECT_EQ(date.text(), " 1/ 5/26");
    EXPECT_EQ(exits, 1);
}

TEST_F(MaskEditTest, IncompleteYearIsRefusedBeforeTheExitHandler) {
    MaskEdit date;
    date.setEditMask("!99/99/00;1;_");
    date.setText("03/14/26");
    int exits = 0;
    QObject::connect(&date, &MaskEdit::exited, [&] { ++exits; });
    date.setText("03/14/2 ");
    date.setModified(true);
    EXPECT_FALSE(date.complete());
    EXPECT_FALSE(date.leaveField());
    EXPECT_EQ(exits, 0);
    EXPECT_EQ(platform_->messages.errors,
              std::vector<std::string>{"Invalid input value.  Use escape key to abandon changes"});
}

TEST_F(MaskEditTest, UnchangedIncompleteFieldMayBeLeft) {
    MaskEdit date;
    date.setEditMask("!99/99/00;1;_");
    EXPECT_TRUE(date.leaveField());
    EXPECT_TRUE(platform_->messages.errors.empty());
}

TEST_F(MaskEditTest, EscapeRestoresTheTextFromBeforeEditing) {
    MaskEdit date;
    date.setEditMask("!99/99/00;1;_");
    date.setText("03/14/26");
    ASSERT_TRUE(date.leaveField());  // the field is entered with this text
    date.setText("04/");
    date.setModified(true);
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&date, &escape);
    EXPECT_EQ(date.text(), "03/14/26");
    EXPECT_FALSE(date.isModified());
}

TEST_F(MaskEditTest, SeparatorsFollowTheRegionalSettings) {
    platform_->regional.setDmy();
    MaskEdit date;
    date.setEditMask("!99/99/00;1;_");
    date.setText("14.03.26");
    EXPECT_EQ(date.text(), "14.03.26");
    MaskEdit amount;
    amount.setEditMask("!######.99;1;_");
    amount.setText("  1234,50");
    EXPECT_EQ(amount.text(), "  1234,50");
    EXPECT_EQ(amount.maxLength(), 9);
}

TEST_F(MaskEditTest, TypedAmountAlignsItsWholePartOnly) {
    MaskEdit rate;
    rate.setEditMask("!#####.9999;1;_");
    EXPECT_EQ(rate.maxLength(), 10);
    rate.setFocus();
    for (QChar c : QString("1.5")) {
        QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(&rate, &key);
    }
    rate.setModified(true);
    ASSERT_TRUE(rate.leaveField());
    EXPECT_EQ(rate.text(), "    1.5   ");
}

TEST_F(MaskEditTest, AmountTakesASign) {
    MaskEdit amount;
    amount.setEditMask("!######.99;1;_");
    amount.setText("    -7.00");
    EXPECT_EQ(amount.text(), "    -7.00");
    EXPECT_TRUE(amount.complete());
}

}  // namespace
}  // namespace cbk::testing
