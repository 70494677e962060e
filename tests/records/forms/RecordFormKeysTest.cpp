// The record forms under the keyboard. What a user types into a field that shows a value is
// what is stored: every masked number, amount and date field, entered as a user enters it (the
// form opening on it, or Tab), typed over with real key events and saved through the form's
// own path to the table; Enter saves and Escape undoes, then cancels.

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "RecordFormFixture.h"
#include "records/AccountOps.h"
#include "records/FolderOps.h"
#include "records/forms/AccountU.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FolderU.h"
#include "records/forms/IncomeU.h"

namespace cbk::testing {
namespace {

using platform::Answer;

class RecordFormKeys : public RecordFormTest {
protected:
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
    // The expense form for a new record, with the tables its command opens.
    TExpense& newExpenseForm() {
        OpenExpenses();
        OpenFolders();
        OpenAccounts();
        ExpenseChoice = 0;
        return *forms().Expense;
    }
    static MaskEdit* focused() { return qobject_cast<MaskEdit*>(QApplication::focusWidget()); }

    // Shows `form` modally as the program does and runs `user` in its event loop.
    template <class Form>
    int runModal(Form& form, std::function<void()> user) {
        QTimer::singleShot(0, [&] {
            form.activateWindow();
            QApplication::processEvents();
            user();
            if (form.isVisible()) form.done(QDialog::Rejected);  // asks nothing
        });
        return form.execModal();
    }
};

TEST_F(RecordFormKeys, NewExpenseStoresTheCheckNumberDateAndAmountAsTyped) {
    TExpense& form = newExpenseForm();
    const long count = engine::d4recCount(Expenses);
    answer({Answer::No});  // no further expense
    runModal(form, [&] {
        ASSERT_EQ(focused(), form.MaskEdit1);  // the form opens on Check No, showing 0
        type("1234");
        key(Qt::Key_Tab);
        EXPECT_EQ(text(form.MaskEdit1), "    1234");
        ASSERT_EQ(focused(), form.MaskEdit2);
        type("021426");
        key(Qt::Key_Tab);
        EXPECT_EQ(text(form.MaskEdit2), "02/14/26");
        key(Qt::Key_Tab);  // Pay to
        ASSERT_EQ(focused(), form.MaskEdit3);
        type("1234.5");  // the separator right-aligns the integer part
        EXPECT_EQ(text(form.MaskEdit3), "   1234.50");
        key(Qt::Key_Return);
    });
    ASSERT_EQ(engine::d4recCount(Expenses), count + 1);
    engine::d4go(Expenses, count + 1);
    LoadExpense();
    EXPECT_EQ(CurExpense.CheckNo, 1234);
    EXPECT_EQ(CurExpense.ExpDate, *platform::DateTime::fromYmd(2026, 2, 14));
    EXPECT_DOUBLE_EQ(CurExpense.Amount, 1234.5);
}

TEST_F(RecordFormKeys, FourDigitYearsAreKeptAndDigitsBeyondAFieldAreRefusedNamingTheLimit) {
    struct Case {
        const char* date;
        const char* amount;
        const char* refusal;  // empty: saved
        int year, month, day;
        double stored;
    };
    const Case cases[] = {
        {"11/05/2026", "1250.00", "", 2026, 11, 5, 1250.0},
        {"110526", "999999.99", "", 2026, 11, 5, 999999.99},
        {"07/04/1999", "3", "", 1999, 7, 4, 3.0},
        {"11/05/2026", "1250000", "", 2026, 11, 5, 1250000.0},  // as wide as the table holds
        {"11/05/2026", "12500000",
         "Too many digits: the amount holds at most 7 digits before the decimal point.", 0, 0, 0,
         0},
        {"11/05/2026", "12.345",
         "Too many decimals: the amount keeps at most 2 digits after the decimal point.", 0, 0, 0,
         0},
        {"11/05/20261", "", "Too many digits: this part of the field holds at most 4.", 0, 0, 0, 0},
    };
    TExpense& form = newExpenseForm();
    for (const Case& c : cases) {
        ExpenseChoice = 0;  // each case a new expense
        platform_->messages.clear();
        const long count = engine::d4recCount(Expenses);
        const bool saves = *c.refusal == 0;
        if (saves) answer({Answer::No});  // no further expense
        runModal(form, [&] {
            key(Qt::Key_Tab);
            ASSERT_EQ(focused(), form.MaskEdit2);
            type(c.date);
            if (*c.amount != 0) {
                key(Qt::Key_Tab);
                key(Qt::Key_Tab);  // Pay to
                ASSERT_EQ(focused(), form.MaskEdit3);
                type(c.amount);
            }
            if (saves) {
                key(Qt::Key_Return);
                return;
            }
            EXPECT_EQ(texts(), std::vector<std::string>{c.refusal}) << c.date << " " << c.amount;
            EXPECT_EQ(focused(), *c.amount != 0 ? form.MaskEdit3 : form.MaskEdit2);
            // What the field kept is less than was typed: it can be neither left nor saved.
            key(Qt::Key_Tab);
            key(Qt::Key_Return);
            EXPECT_EQ(platform_->messages.errors, std::vector<std::string>(2, MaskEdit::kRefusal));
            EXPECT_EQ(focused(), *c.amount != 0 ? form.MaskEdit3 : form.MaskEdit2);
            platform_->messages.errors.clear();
        });
        if (!saves) {
            EXPECT_EQ(engine::d4recCount(Expenses), count) << c.amount;
            continue;
        }
        EXPECT_EQ(texts(), std::vector<std::string>{"Add another expense record?"});
        ASSERT_EQ(engine::d4recCount(Expenses), count + 1) << c.date << " " << c.amount;
        engine::d4go(Expenses, count + 1);
        LoadExpense();
        EXPECT_EQ(CurExpense.ExpDate, *platform::DateTime::fromYmd(c.year, c.month, c.day))
            << c.date;
        EXPECT_DOUBLE_EQ(CurExpense.Amount, c.stored) << c.amount;
    }
}

TEST_F(RecordFormKeys, NewIncomeStoresTheDateAndAmountAsTyped) {
    OpenIncome();
    OpenFolders();
    OpenIncomeAccounts();
    IncomeChoice = 0;
    TIncome& form = *forms().Income;
    const long count = engine::d4recCount(Income);
    answer({Answer::No});
    runModal(form, [&] {
        ASSERT_EQ(focused(), form.MaskEdit1);
        type("030126");
        key(Qt::Key_Tab);
        ASSERT_EQ(focused(), form.MaskEdit2);
        type("87");
        key(Qt::Key_Return);
    });
    ASSERT_EQ(engine::d4recCount(Income), count + 1);
    engine::d4go(Income, count + 1);
    LoadIncome();
    EXPECT_EQ(CurIncome.IncDate, *platform::DateTime::fromYmd(2026, 3, 1));
    EXPECT_DOUBLE_EQ(CurIncome.IncAmt, 87.0);
}

TEST_F(RecordFormKeys, FolderNumberTypedOverRenumbersToTheTypedNumber) {
    OpenFolders();
    OpenExpenses();
    OpenIncome();
    FolderChoice = std::int32_t(records::LiveFolderRecord(5));
    ASSERT_GT(FolderChoice, 0);
    TFolderF& form = *forms().FolderF;
    answer({Answer::Yes});  // renumber folder 5 to 8
    runModal(form, [&] {
        ASSERT_EQ(focused(), form.MaskEdit1);
        type("8");
        key(Qt::Key_Tab);
        EXPECT_EQ(text(form.MaskEdit1), "   8");
        form.BtnSaveClick();
    });
    EXPECT_EQ(records::LiveFolderRecord(85), 0);
    EXPECT_GT(records::LiveFolderRecord(8), 0);
    EXPECT_EQ(records::LiveFolderRecord(5), 0);
}

TEST_F(RecordFormKeys, AccountNumberTypedOverIsStoredAndTheNextOfferIsTypedOverToo) {
    OpenAccounts();
    OpenExpenses();
    AccountKind = 'E';
    ExpAccountChoice = 0;
    TAccount& form = *forms().Account;
    answer({Answer::Yes, Answer::No});  // another account after the first; not after the second
    runModal(form, [&] {
        ASSERT_EQ(focused(), form.MaskEdit1);
        type("400");
        key(Qt::Key_Tab);
        type("Postage");
        key(Qt::Key_Return);
        ASSERT_EQ(focused(), form.MaskEdit1);  // the next number offered, in the same field
        type("401");
        key(Qt::Key_Tab);
        type("Freight");
        key(Qt::Key_Return);
    });
    const records::AccountChart chart = records::AccountChart::Expense;
    EXPECT_FALSE(records::AccountNoFree(chart, 400));
    EXPECT_FALSE(records::AccountNoFree(chart, 401));
    EXPECT_TRUE(records::AccountNoFree(chart, 4001));
}

// Accounts and folders are chosen by typing their number or the start of their name, and a
// field clicked into is typed over as one entered by Tab; a second click places the cursor.
TEST_F(RecordFormKeys, TypeAheadChoosesAccountAndFolderAndAClickedFieldIsTypedOver) {
    TExpense& form = newExpenseForm();
    const long count = engine::d4recCount(Expenses);
    answer({Answer::No});  // no further expense
    runModal(form, [&] {
        MaskEdit* amount = form.MaskEdit3;
        const auto click = [amount] {
            const QPoint at(amount->width() - 4, amount->height() / 2);
            // A real click gives the focus first (only spontaneous events do it on their own).
            if (!amount->hasFocus()) amount->setFocus(Qt::MouseFocusReason);
            QMouseEvent press(QEvent::MouseButtonPress, at, amount->mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(amount, &press);
            QMouseEvent release(QEvent::MouseButtonRelease, at, amount->mapToGlobal(at),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            QApplication::sendEvent(amount, &release);
        };
        click();
        ASSERT_EQ(focused(), amount);
        type("42");
        click();
        EXPECT_FALSE(amount->hasSelectedText());
        EXPECT_GT(amount->cursorPosition(), 0);
        key(Qt::Key_Tab);
        EXPECT_EQ(text(amount), "     42.00");
        key(Qt::Key_Tab);  // Memo
        ASSERT_EQ(QApplication::focusWidget(), form.ComboBox1);
        QTest::keyClicks(form.ComboBox1, "250");
        EXPECT_EQ(form.ComboBox1->currentText().trimmed().toStdString(), "250 - Telephone");
        key(Qt::Key_Tab);
        QTest::keyClicks(form.ComboBox2, "oAK");
        EXPECT_EQ(form.ComboBox2->currentText().trimmed().toStdString(), "4 - Oak Avenue Rental");
        key(Qt::Key_Return);
    });
    ASSERT_EQ(engine::d4recCount(Expenses), count + 1);
    engine::d4go(Expenses, count + 1);
    LoadExpense();
    EXPECT_DOUBLE_EQ(CurExpense.Amount, 42.0);
    EXPECT_EQ(CurExpense.AccNo, 250);
    EXPECT_EQ(CurExpense.FolNo, 4);
}

TEST_F(RecordFormKeys, IncomeTabGoesFromAccountToFolderThenToTheButtons) {
    OpenIncome();
    OpenFolders();
    OpenIncomeAccounts();
    IncomeChoice = 0;
    TIncome& form = *forms().Income;
    runModal(form, [&] {
        const std::vector<QWidget*> order = {form.MaskEdit2, form.Edit1,      form.ComboBox1,
                                             form.ComboBox2, form.Bank.box(), form.BtnSave};
        for (QWidget* next : order) {
            key(Qt::Key_Tab);
            EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
        }
    });
}

// Escape and Cancel ask before typed changes are lost; No keeps the form and what it holds.
TEST_F(RecordFormKeys, LeavingAChangedRecordAsksFirst) {
    TExpense& form = newExpenseForm();
    const long count = engine::d4recCount(Expenses);
    answer({Answer::No, Answer::Yes});
    const int result = runModal(form, [&] {
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        type("Hardware");
        key(Qt::Key_Escape);
        EXPECT_TRUE(form.isVisible());
        EXPECT_EQ(form.Edit1->text(), "Hardware");
        form.BtnCancel->click();
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(platform_->messages.shown,
              std::vector<platform::RecordedMessage>(
                  2, {platform::MessageKind::Confirm, std::string(kDiscardQuestion),
                      platform::Buttons::YesNo, platform::DefaultButton::Negative}));
    EXPECT_EQ(engine::d4recCount(Expenses), count);
}

TEST_F(RecordFormKeys, TypedAmountRightAlignsAtTheSeparatorAndEnterSavesTheRun) {
    TExpense& form = newExpenseForm();
    const long count = engine::d4recCount(Expenses);
    platform_->messages.answer(Answer::No);
    const int result = runModal(form, [&] {
        ASSERT_EQ(QApplication::focusWidget(), form.MaskEdit1);
        type("512");
        key(Qt::Key_Tab);
        EXPECT_EQ(text(form.MaskEdit1), "     512");
        EXPECT_EQ(QApplication::focusWidget(), form.MaskEdit2);
        key(Qt::Key_Tab);
        type("Valley Gazette");
        key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), form.MaskEdit3);
        type("-42.5");
        EXPECT_EQ(text(form.MaskEdit3), "    -42.50");
        EXPECT_EQ(form.MaskEdit3->palette().color(QPalette::Text), QColor(Qt::red));
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
    TExpense& form = newExpenseForm();
    const long count = engine::d4recCount(Expenses);
    const int result = runModal(form, [&] {
        type("77");
        key(Qt::Key_Escape);  // the field's edit is abandoned; the form stays
        EXPECT_EQ(text(form.MaskEdit1), "       0");
        EXPECT_TRUE(form.isVisible());
        key(Qt::Key_Escape);
    });
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(engine::d4recCount(Expenses), count);
}

}  // namespace
}  // namespace cbk::testing
