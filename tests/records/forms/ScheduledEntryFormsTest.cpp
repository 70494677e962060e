// The scheduled entries' list and editor, the Due list and the payee suggestions of the expense
// form, each driven once by the keyboard as a user drives it. The dates, the handling of due
// lines and the payee memory are tested in tests/records. With CBK_SCREENSHOT_DIR set, the
// pictures are written there.

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QCompleter>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "RecordFormFixture.h"
#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "records/ScheduleTable.h"
#include "records/forms/DueU.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/PayeeCompleter.h"
#include "records/forms/ScheduleU.h"

namespace cbk::testing {
namespace {

using platform::Answer;
using platform::DateTime;

DateTime D(int y, int m, int d) {
    return *DateTime::fromYmd(y, m, d);
}

void Save(const QImage& image, const char* name) {
    if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
        image.save(QString::fromLocal8Bit(dir) + "/" + name);
}

// The form with its pop-up list drawn where it stands on the screen.
QImage WithPopup(QWidget& form, QWidget& popup) {
    const QImage back = form.grab().toImage();
    const QPoint at = popup.mapToGlobal(QPoint()) - form.mapToGlobal(QPoint());
    const QImage front = popup.grab().toImage();
    QImage both(std::max(back.width(), at.x() + front.width()),
                std::max(back.height(), at.y() + front.height()), QImage::Format_RGB32);
    both.fill(Qt::white);
    QPainter painter(&both);
    painter.drawImage(0, 0, back);
    painter.drawImage(at, front);
    return both;
}

QImage Look(QWidget& w) {
    w.show();
    QApplication::processEvents();
    return w.grab().toImage();
}

class ScheduledEntryForms : public RecordFormTest {
protected:
    void openCharts() {
        OpenAccounts();
        OpenIncomeAccounts();
        OpenFolders();
    }
    // Keys as the user types them: to the widget that has the focus.
    static void type(const char* keys) {
        QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(keys));
    }
    static void key(int k, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(k), modifiers);
    }
    // Shows `form` modally as the program does and runs `user` in its event loop.
    static int runModal(QDialog& form, std::function<void()> user) {
        QTimer::singleShot(0, [&] {
            form.activateWindow();
            QApplication::processEvents();
            user();
            if (form.isVisible()) form.done(QDialog::Rejected);
        });
        return form.exec();
    }
};

TEST_F(ScheduledEntryForms, ASchedulesTypedInIsRefusedUntilSoundThenListedAndSaved) {
    openCharts();
    TSchedules list(nullptr);
    ASSERT_TRUE(list.Load());
    EXPECT_EQ(list.StringGrid1->rowCount(), 0);
    onNext<TSchedule>("TSchedule", [this](TSchedule& form) {
        runModal(form, [&] {
            ASSERT_EQ(QApplication::focusWidget(), form.KindBox);
            EXPECT_EQ(text(form.MaskEdit5), "03/05/26");  // a new schedule starts today
            key(Qt::Key_Tab);
            type("Crew Labor");
            key(Qt::Key_Tab);
            type("400.5");
            for (int i = 0; i < 5; ++i) key(Qt::Key_Tab);  // check no, memo, account, folder
            ASSERT_EQ(QApplication::focusWidget(), form.Bank.box());
            EXPECT_EQ(form.Bank.box()->currentText(), QStringLiteral("Checking"));
            key(Qt::Key_Tab);
            ASSERT_EQ(QApplication::focusWidget(), form.RepeatBox);
            EXPECT_EQ(form.RepeatBox->currentText(), QStringLiteral("Monthly on a day"));
            key(Qt::Key_Up);  // every N weeks
            EXPECT_EQ(form.RepeatBox->currentIndex(), 1);
            EXPECT_FALSE(form.MaskEdit4->isEnabled());
            key(Qt::Key_Tab);
            ASSERT_EQ(QApplication::focusWidget(), form.MaskEdit3)
                << QApplication::focusWidget()->objectName().toStdString();
            type("2");
            key(Qt::Key_Tab);
            key(Qt::Key_Tab);  // the day of the month is not asked: on to the end
            ASSERT_EQ(QApplication::focusWidget(), form.MaskEdit6);
            type("010126");  // ends before it starts
            key(Qt::Key_Return);
            EXPECT_EQ(texts(), std::vector<std::string>{"The end date is before the start date."});
            EXPECT_TRUE(form.isVisible());
            EXPECT_EQ(QApplication::focusWidget(), form.MaskEdit6);
            key(Qt::Key_Tab, Qt::ShiftModifier);
            key(Qt::Key_Tab);
            type("123126");
            Save(form.grab().toImage(), "schedule-editor.png");
            key(Qt::Key_Return);
            EXPECT_EQ(form.result(), QDialog::Accepted);
        });
    });
    list.BtnAdd->click();
    ASSERT_EQ(list.StringGrid1->rowCount(), 1);
    EXPECT_EQ(list.StringGrid1->item(0, 3)->text().toStdString(),
              "Every 2 weeks, from 03/05/26 until 12/31/26");
    EXPECT_EQ(list.StringGrid1->item(0, 2)->text().toStdString(), "400.50");
    EXPECT_EQ(list.StringGrid1->item(0, 4)->text().toStdString(), "03/05/26");  // next due

    const records::StoredSchedules books = records::LoadSchedules();
    ASSERT_EQ(books.schedules.size(), 1u);
    const records::Schedule& s = books.schedules[0];
    EXPECT_EQ(s.payee, "Crew Labor");
    EXPECT_EQ(s.rule.repeat, records::Repeat::EveryNWeeks);
    EXPECT_EQ(s.rule.every, 2);
    EXPECT_EQ(s.rule.end, D(2026, 12, 31));
    EXPECT_EQ(s.accNo, 100);           // the first expense account
    EXPECT_EQ(s.done, D(2026, 3, 4));  // due from its start on

    answer({Answer::Yes});
    list.StringGrid1->setCurrentCell(0, 0);
    list.BtnDelete->click();
    EXPECT_EQ(list.StringGrid1->rowCount(), 0);
    EXPECT_TRUE(records::LoadSchedules().schedules.empty());

    // A month's recurring bills, for the picture.
    records::Schedule rent = s;
    rent.rule = {records::Repeat::MonthlyOnDay, 1, 1, D(2026, 1, 1), {}, 0};
    rent.payee = "Riverton Water & Power";
    rent.amount = 96.5;
    rent.accNo = 270;
    records::Schedule phone = rent;
    phone.id = 2;
    phone.rule = {records::Repeat::MonthlyLastDay, 1, 1, D(2026, 1, 31), {}, 0};
    phone.payee = "Pacific Bell";
    phone.amount = 68.4;
    phone.accNo = 250;
    records::Schedule insurance = rent;
    insurance.id = 3;
    insurance.rule = {records::Repeat::Quarterly, 1, 1, D(2026, 1, 15), {}, 8};
    insurance.payee = "State Farm";
    insurance.amount = 412;
    insurance.accNo = 160;
    ASSERT_EQ(records::SaveSchedules({s, rent, phone, insurance}, D(2026, 3, 5)), "");
    ASSERT_TRUE(list.Load());
    Save(Look(list), "schedules.png");
}

TEST_F(ScheduledEntryForms, TheDueListEntersTheTickedLinesWithTheirAmountsAndKeepsTheRest) {
    records::Schedule crew;
    crew.id = 1;
    crew.rule = {records::Repeat::Weekly, 1, 1, D(2026, 2, 19), {}, 0};
    crew.accNo = 190;
    crew.folNo = 2;
    crew.payee = "Crew Labor";
    crew.amount = 400;
    records::Schedule phone = crew;
    phone.id = 2;
    phone.rule = {records::Repeat::MonthlyOnDay, 1, 1, D(2026, 1, 1), {}, 0};
    phone.payee = "Phone Co";
    phone.folNo = 99;  // no such folder
    ASSERT_EQ(records::SaveSchedules({crew, phone}, D(2026, 2, 24)), "");
    openCharts();
    OpenExpenses();
    OpenIncome();
    const long count = engine::d4recCount(Expenses);
    ASSERT_EQ(bank::EnsureMarks(), "");  // the books' records already have their marks

    TDueList due(nullptr);
    ASSERT_TRUE(due.Load());
    QTableWidget* grid = due.StringGrid1;
    ASSERT_EQ(grid->rowCount(), 3);  // crew 2/26, phone 3/1 (no folder), crew 3/5
    EXPECT_EQ(grid->item(1, 7)->text().toStdString(), records::kScheduleNeedsFixing);
    EXPECT_FALSE(grid->cellWidget(1, 6)->isEnabled());
    const auto tick = [grid](int row) {
        grid->setFocus();
        grid->setCurrentCell(row, 0);
        QTest::keyClick(grid, Qt::Key_Space);
    };
    runModal(due, [&] {
        Save(due.grab().toImage(), "due-list.png");
        tick(1);
        due.BtnEnter->click();
        EXPECT_EQ(texts().back().rfind("The line of 03/01/26 (Phone Co) cannot be entered", 0), 0u);
        tick(1);  // untick
        tick(2);
        due.BtnEnter->click();  // the crew's 3/5 before its 2/26
        EXPECT_EQ(texts().back(),
                  "Enter or skip the earlier date of \"Crew Labor\" (02/26/26) first.");
        tick(0);
        grid->cellWidget(0, 6)->setFocus();
        type("412.25");
        due.BtnEnter->click();
        EXPECT_TRUE(due.isVisible());
        ASSERT_EQ(grid->rowCount(), 1);  // the phone line is left, due next time
        EXPECT_EQ(grid->item(0, 3)->text().toStdString(), "Phone Co");
        due.BtnLater->click();
    });
    EXPECT_EQ(engine::d4recCount(Expenses), count + 2);
    engine::d4go(Expenses, count + 1);
    LoadExpense();
    EXPECT_EQ(CurExpense.ExpDate, D(2026, 2, 26));
    EXPECT_DOUBLE_EQ(CurExpense.Amount, 412.25);
    EXPECT_EQ(due.Entered.size(), 2u);
    // Both moved through the default bank account, so the register counts them.
    for (long recNo : {count + 1, count + 2}) {
        const bank::Before mark = bank::MarkBefore(bank::Kind::Expense, recNo);
        ASSERT_TRUE(mark.mark.has_value()) << recNo;
        EXPECT_EQ(mark.mark->bankNo, bank::LoadBankAccounts().DefaultNo()) << recNo;
    }
    const records::StoredSchedules books = records::LoadSchedules();
    EXPECT_EQ(books.lastCheck, D(2026, 2, 28));
    EXPECT_EQ(books.schedules[0].done, D(2026, 3, 5));
}

// Typing in Pay to offers the names used before; choosing one fills the account, folder and
// amount of its latest record, but never a field the user set himself.
TEST_F(ScheduledEntryForms, APayeeChosenFromTheSuggestionsFillsWhatTheUserLeftAlone) {
    openCharts();
    OpenExpenses();
    ExpenseChoice = 0;
    TExpense& form = *forms().Expense;
    QImage shot;
    answer({Answer::Yes});  // the changes are discarded at the end
    runModal(form, [&] {
        QAbstractItemView* popup = form.Payees->Popup()->popup();
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), form.Edit1);
        type("riv");
        ASSERT_TRUE(popup->isVisible());
        const QAbstractItemModel& names = *popup->model();
        ASSERT_GE(names.rowCount(), 2);
        shot = WithPopup(form, *popup);
        int lumber = 0;
        while (lumber < names.rowCount() &&
               names.index(lumber, 0).data().toString() != QStringLiteral("Riverton Lumber"))
            ++lumber;
        ASSERT_LT(lumber, names.rowCount());
        for (int i = 0; i <= lumber; ++i) QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        EXPECT_TRUE(form.isVisible());  // choosing does not save
        EXPECT_FALSE(popup->isVisible());
        EXPECT_EQ(form.Edit1->text().toStdString(), "Riverton Lumber");
        EXPECT_EQ(form.ComboBox1->currentText().left(4).toStdString(), " 190");
        EXPECT_NE(text(form.MaskEdit3), "      0.00");

        // The user types an amount and chooses an account, then another name.
        key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), form.MaskEdit3);
        type("77");
        key(Qt::Key_Tab);
        key(Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), form.ComboBox1);
        type("250");
        key(Qt::Key_Tab, Qt::ShiftModifier);
        key(Qt::Key_Tab, Qt::ShiftModifier);
        key(Qt::Key_Tab, Qt::ShiftModifier);
        ASSERT_EQ(QApplication::focusWidget(), form.Edit1);
        form.Edit1->selectAll();
        type("Riverton P");
        ASSERT_TRUE(popup->isVisible());
        QTest::keyClick(popup, Qt::Key_Down);
        QTest::keyClick(popup, Qt::Key_Return);
        EXPECT_EQ(form.Edit1->text().toStdString(), "Riverton Post Office");
        EXPECT_EQ(text(form.MaskEdit3), "     77.00");
        EXPECT_EQ(form.ComboBox1->currentText().left(4).toStdString(), " 250");
        form.reject();
    });
    Save(shot, "payee-suggestion.png");
}

}  // namespace
}  // namespace cbk::testing
