// The record forms under the keyboard, shown on the offscreen screen: typing into the masked
// fields, Tab between them, Enter to save and Escape to cancel.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include "RecordFormFixture.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FormParts.h"

namespace cbk::testing {
namespace {

using platform::Answer;

class RecordFormKeys : public RecordFormTest {
protected:
    void SetUp() override {
        RecordFormTest::SetUp();
        if (HasFatalFailure()) return;
        OpenExpenses();
        OpenFolders();
        OpenAccounts();
        ExpenseChoice = 0;
    }
    TExpense& form() { return *forms().Expense; }

    static void type(const QString& keys) {
        for (QChar c : keys) {
            QWidget* w = QApplication::focusWidget();
            ASSERT_NE(w, nullptr);
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(w, &press);
        }
    }
    static void key(int k) {
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QKeyEvent press(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(w, &press);
    }

    // Runs `user` once the form is up and waiting in its own event loop; returns the result.
    int runModal(std::function<void()> user) {
        QTimer::singleShot(0, [&] {
            form().activateWindow();
            QApplication::processEvents();
            user();
            if (form().isVisible()) form().reject();
        });
        return form().execModal();
    }
};

TEST_F(RecordFormKeys, TypedAmountRightAlignsAtTheSeparatorAndEnterSavesTheRun) {
    const long count = engine::d4recCount(Expenses);
    platform_->messages.answer(Answer::No);
    const int result = runModal([&] {
        ASSERT_EQ(QApplication::focusWidget(), form().MaskEdit1);
        type("512");
        key(Qt::Key_Tab);
        EXPECT_EQ(text(form().MaskEdit1), "     512");
        EXPECT_EQ(QApplication::focusWidget(), form().MaskEdit2);
        key(Qt::Key_Tab);
        type("Valley Gazette");
        key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), form().MaskEdit3);
        type("-42.5");
        EXPECT_EQ(text(form().MaskEdit3), "   -42.50");
        EXPECT_EQ(form().MaskEdit3->palette().color(QPalette::Text), QColor(Qt::red));
        key(Qt::Key_Return);  // Save, from inside the amount field
    });
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_EQ(engine::d4recCount(Expenses), count + 1);
    engine::d4go(Expenses, count + 1);
    LoadExpense();
    EXPECT_EQ(CurExpense.CheckNo, 512);
    EXPECT_DOUBLE_EQ(CurExpense.Amount, -42.5);
    EXPECT_EQ(CurExpense.PayTo.substr(0, 14), "Valley Gazette");
}

TEST_F(RecordFormKeys, EscapeUndoesTheFieldThenCancelsTheForm) {
    const long count = engine::d4recCount(Expenses);
    const int result = runModal([&] {
        type("77");
        key(Qt::Key_Escape);  // the field's edit is abandoned; the form stays
        EXPECT_EQ(text(form().MaskEdit1), "       0");
        EXPECT_TRUE(form().isVisible());
        key(Qt::Key_Escape);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(engine::d4recCount(Expenses), count);
}

}  // namespace
}  // namespace cbk::testing
