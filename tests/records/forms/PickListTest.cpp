// The pick lists: columns, filters, opening selection and the choice protocol.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <cstdlib>

#include "GuiFixture.h"
#include "records/forms/PickAccU.h"
#include "records/forms/PickExpU.h"
#include "records/forms/PickFolU.h"
#include "records/forms/PickIncU.h"
#include "rules/EntryRules.h"

namespace cbk::testing {
namespace {

class PickListTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        startUp();
        // Controlled records: empty the record tables, then add what each test needs.
        OpenExpenses();
        engine::d4zap(Expenses, 1, engine::d4recCount(Expenses));
        OpenIncome();
        engine::d4zap(Income, 1, engine::d4recCount(Income));
        CloseAllTables();
        DefaultFolder = -1;
    }

    long addExpense(int y, int m, int d, int folder, double amount, bool archived = false) {
        OpenExpenses();
        EXPECT_EQ(engine::d4appendBlank(Expenses), 0);
        CurExpense = ExpenseRec{};
        CurExpense.ExpDate = *platform::DateTime::fromYmd(y, m, d);
        CurExpense.AccNo = 100;
        CurExpense.FolNo = folder;
        CurExpense.CheckNo = 1001;
        CurExpense.PayTo = "Payee " + std::to_string(d);
        CurExpense.Amount = amount;
        CurExpense.Archive = archived;
        StoreExpense();
        const long rec = engine::d4recNo(Expenses);
        CloseAllTables();
        return rec;
    }

    long addIncome(int y, int m, int d, int folder, double amount, bool archived = false) {
        OpenIncome();
        EXPECT_EQ(engine::d4appendBlank(Income), 0);
        CurIncome = IncomeRec{};
        CurIncome.IncDate = *platform::DateTime::fromYmd(y, m, d);
        CurIncome.IncAcc = 10;
        CurIncome.FolNo = folder;
        CurIncome.IncDesc = "Income " + std::to_string(d);
        CurIncome.IncAmt = amount;
        CurIncome.Archive = archived;
        StoreIncome();
        const long rec = engine::d4recNo(Income);
        CloseAllTables();
        return rec;
    }

    // Shows the expense list with the tables open as the loop has them.
    void showExpenses() {
        OpenExpenses();
        OpenFolders();
        OpenAccounts();
        forms().PickExp->FormShow();
    }
    void showIncome() {
        OpenIncome();
        OpenFolders();
        OpenIncomeAccounts();
        forms().PickInc->FormShow();
    }
};

TEST_F(PickListTest, ExpenseListColumnsAndCellsInDateOrder) {
    const long later = addExpense(2026, 3, 9, 1, 1234.5);
    const long earlier = addExpense(2026, 2, 1, 2, -7);
    ExpenseChoice = 0;
    showExpenses();
    TPickExp& pick = *forms().PickExp;
    const QStringList headers = {"Date", "Acc#", "Fol#", "Check#", "Amount", "Paid To", "RecNo"};
    ASSERT_EQ(pick.StringGrid1->columnCount(), headers.size());
    for (int c = 0; c < headers.size(); ++c) EXPECT_EQ(pick.cell(c, 0), headers[c]);
    ASSERT_EQ(pick.rowCount(), 3);
    EXPECT_EQ(pick.cell(0, 1), "02/01/26");
    EXPECT_EQ(pick.cell(2, 1), "2");
    EXPECT_EQ(pick.cell(4, 1), "       -7.00");
    EXPECT_EQ(pick.cell(6, 1), QString::number(earlier));
    EXPECT_EQ(pick.cell(1, 2), "100");
    EXPECT_EQ(pick.cell(3, 2), "1001");
    EXPECT_EQ(pick.cell(4, 2), "    1,234.50");
    EXPECT_EQ(pick.cell(5, 2).trimmed(), "Payee 9");  // as stored, blank-padded
    EXPECT_EQ(pick.cell(6, 2), QString::number(later));
}

TEST_F(PickListTest, ExpenseListHidesArchivedAndOtherFolders) {
    addExpense(2026, 1, 5, 1, 10);
    addExpense(2026, 1, 6, 2, 20);
    addExpense(2026, 1, 7, 1, 30, /*archived=*/true);
    ExpenseChoice = 0;
    showExpenses();
    EXPECT_EQ(forms().PickExp->rowCount(), 3);  // heading + two live records
    CloseAllTables();

    DefaultFolder = 2;
    showExpenses();
    ASSERT_EQ(forms().PickExp->rowCount(), 2);
    EXPECT_EQ(forms().PickExp->cell(2, 1), "2");
}

TEST_F(PickListTest, ExpenseListOpensOnChoiceOrLastOrFirst) {
    addExpense(2026, 1, 5, 1, 10);
    const long middle = addExpense(2026, 1, 6, 1, 20);
    addExpense(2026, 1, 7, 1, 30);
    const long archived = addExpense(2026, 1, 8, 1, 40, true);

    ExpenseChoice = middle;
    showExpenses();
    EXPECT_EQ(forms().PickExp->currentRow(), 2);
    CloseAllTables();

    ExpenseChoice = 0;  // first pass, or after a deletion: the newest
    showExpenses();
    EXPECT_EQ(forms().PickExp->currentRow(), 3);
    CloseAllTables();

    ExpenseChoice = archived;  // a choice that left the list: the first row
    showExpenses();
    EXPECT_EQ(forms().PickExp->currentRow(), 1);
}

TEST_F(PickListTest, SelectNewAndExitSetTheChoice) {
    const long first = addExpense(2026, 1, 5, 1, 10);
    const long second = addExpense(2026, 1, 6, 1, 20);
    ExpenseChoice = 0;
    showExpenses();
    TPickExp& pick = *forms().PickExp;
    pick.BtnSelectClick();
    EXPECT_EQ(ExpenseChoice, second);

    showExpenses();
    pick.StringGrid1->setCurrentCell(0, 0);
    pick.StringGrid1KeyPress(Qt::Key_Return);
    EXPECT_EQ(ExpenseChoice, first);

    showExpenses();
    pick.BtnNewClick();
    EXPECT_EQ(ExpenseChoice, 0);
    showExpenses();
    pick.BtnExitClick();
    EXPECT_EQ(ExpenseChoice, -1);
}

TEST_F(PickListTest, EmptyListSelectsNothingButNewAndExitWork) {
    IncomeChoice = 0;
    showIncome();
    TPickInc& pick = *forms().PickInc;
    EXPECT_EQ(pick.rowCount(), 1);
    EXPECT_FALSE(pick.StringGrid1->isEnabled());
    EXPECT_FALSE(pick.Button1->isEnabled());
    IncomeChoice = 5;
    pick.Button1Click();
    pick.StringGrid1DblClick();
    pick.StringGrid1KeyPress(Qt::Key_Enter);
    EXPECT_EQ(IncomeChoice, 5);
    pick.Button2Click();
    EXPECT_EQ(IncomeChoice, 0);
    showIncome();
    pick.Button3Click();
    EXPECT_EQ(IncomeChoice, -1);
}

TEST_F(PickListTest, IncomeListColumnsFilterAndSelection) {
    addIncome(2026, 2, 1, 1, 500);
    const long chosen = addIncome(2026, 2, 2, 3, 1250.75);
    addIncome(2026, 2, 3, 1, 99, /*archived=*/true);
    IncomeChoice = chosen;
    showIncome();
    TPickInc& pick = *forms().PickInc;
    const QStringList headers = {"Date", "Folder", "Amount", "Description", "RecNo"};
    for (int c = 0; c < headers.size(); ++c) EXPECT_EQ(pick.cell(c, 0), headers[c]);
    ASSERT_EQ(pick.rowCount(), 3);
    EXPECT_EQ(pick.currentRow(), 2);
    EXPECT_EQ(pick.cell(2, 2), "    1,250.75");
    EXPECT_EQ(pick.cell(3, 2).trimmed(), "Income 2");
    CloseAllTables();

    DefaultFolder = 1;
    showIncome();
    EXPECT_EQ(pick.rowCount(), 2);
    EXPECT_EQ(pick.currentRow(), 1);  // the chosen record is in folder 3
}

TEST_F(PickListTest, FolderListAlwaysOpensOnTheFirstFolder) {
    OpenFolders();
    ASSERT_EQ(engine::d4bottom(Folders), 0);
    FolderChoice = engine::d4recNo(Folders);
    forms().PickFol->FormShow();
    TPickFol& pick = *forms().PickFol;
    EXPECT_EQ(pick.currentRow(), 1);
    EXPECT_EQ(pick.cell(0, 0), "Number");
    EXPECT_EQ(pick.cell(1, 0), "Description");
    EXPECT_EQ(pick.cell(2, 0), "RecNo");
    // Folder numbers ascend down the list.
    for (int row = 2; row < pick.rowCount(); ++row)
        EXPECT_LT(pick.cell(0, row - 1).toInt(), pick.cell(0, row).toInt());
}

TEST_F(PickListTest, FolderListLeavesOutDeletedFolders) {
    OpenFolders();
    const long before = engine::d4recCount(Folders);
    ASSERT_EQ(engine::d4top(Folders), 0);
    ASSERT_EQ(engine::d4delete(Folders), 0);
    CloseAllTables();
    OpenFolders();
    forms().PickFol->FormShow();
    EXPECT_EQ(forms().PickFol->rowCount(), before);  // heading + all but the deleted one
}

TEST_F(PickListTest, AccountListFollowsTheAccountKind) {
    AccountKind = 'I';
    OpenIncomeAccounts();
    ASSERT_EQ(engine::d4bottom(IncomeAccounts), 0);
    IncAccountChoice = engine::d4recNo(IncomeAccounts);
    LoadIncomeAccount();
    const AccountRec last = CurIncAccount;
    TPickAcc& pick = *forms().PickAcc;
    pick.FormShow();
    EXPECT_EQ(pick.cell(2, 0), "Taxable");
    EXPECT_EQ(pick.currentRow(), pick.rowCount() - 1);
    EXPECT_EQ(pick.cell(0, pick.currentRow()), QString::number(last.AccNo));
    EXPECT_EQ(pick.cell(2, pick.currentRow()), last.AcDed ? "Yes" : "No");
    const std::int32_t lastRecord = IncAccountChoice;
    IncAccountChoice = 0;
    pick.BtnSelectClick();
    EXPECT_EQ(IncAccountChoice, lastRecord);
    CloseAllTables();

    AccountKind = 'E';
    OpenAccounts();
    ExpAccountChoice = 0;
    pick.FormShow();
    EXPECT_EQ(pick.cell(2, 0), "Deduct");
    EXPECT_EQ(pick.currentRow(), 1);  // nothing matched: the first row
}

TEST_F(PickListTest, OpeningRowRule) {
    EXPECT_EQ(RecordListOpeningRow(7, 3, 9), 3);
    EXPECT_EQ(RecordListOpeningRow(0, 0, 9), 9);
    EXPECT_EQ(RecordListOpeningRow(7, 0, 9), 1);
}

TEST_F(PickListTest, ReopenedListHasTheGridFocusedAndEnterPressesAFocusedButton) {
    OpenFolders();
    TPickFol& pick = *forms().PickFol;
    const auto enter = [] {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(QApplication::focusWidget(), &press);
    };
    for (int showing = 0; showing < 2; ++showing) {
        FolderChoice = 5;
        QTimer::singleShot(0, [&] {
            pick.activateWindow();
            QApplication::processEvents();
            EXPECT_EQ(QApplication::focusWidget(), pick.StringGrid1) << "showing " << showing;
            pick.BtnNew->setFocus(Qt::TabFocusReason);
            enter();
            if (pick.isVisible()) pick.reject();
        });
        pick.execModal();
        EXPECT_EQ(FolderChoice, 0) << "Enter on New, showing " << showing;
    }
}

// Escape and Alt+X leave, Alt+N asks for a new record, Alt+S selects; a letter without Alt
// stays the grid's; the close box leaves the choice as it was.
TEST_F(PickListTest, KeysOfTheButtonsAndEscape) {
    OpenFolders();
    TPickFol& pick = *forms().PickFol;
    std::int32_t firstRecord = 0;
    const auto run = [&](const std::function<void()>& user) {
        FolderChoice = 5;
        QTimer::singleShot(0, [&] {
            pick.activateWindow();
            QApplication::processEvents();
            firstRecord = pick.cell(2, 1).toInt();
            user();
            // A button's key clicks it a moment later, as a mouse would.
            for (int wait = 0; wait < 100 && pick.isVisible(); ++wait) QTest::qWait(10);
            if (pick.isVisible()) pick.reject();
        });
        pick.execModal();
        return FolderChoice;
    };
    const auto key = [&](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        return [&pick, k, m] { QTest::keyClick(pick.StringGrid1, k, m); };
    };
    EXPECT_EQ(run(key(Qt::Key_Escape)), -1);
    EXPECT_EQ(run(key(Qt::Key_X, Qt::AltModifier)), -1);
    EXPECT_EQ(run(key(Qt::Key_N, Qt::AltModifier)), 0);
    EXPECT_EQ(run(key(Qt::Key_S, Qt::AltModifier)), firstRecord);
    EXPECT_EQ(run([&] {
                  QTest::keyClick(pick.StringGrid1, Qt::Key_X);
                  EXPECT_TRUE(pick.isVisible());
              }),
              5);
    EXPECT_EQ(run([&] { pick.close(); }), 5);
}

// The find of the expense list, by keyboard on the example data: typing in the grid narrows
// the rows, Tab reaches the first date, the arrows move the highlight from there and Enter
// selects it; Escape clears the find, and a second Escape leaves. With CBK_SCREENSHOT_DIR set
// the narrowed list is written there as pick-expenses-find.png.
class PickListFind : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        startUp();
        DefaultFolder = -1;
    }
};

TEST_F(PickListFind, ExpenseFindByKeyboard) {
    ExpenseChoice = 0;
    OpenExpenses();
    OpenFolders();
    OpenAccounts();
    TPickExp& pick = *forms().PickExp;
    pick.resize(760, 420);
    std::int32_t highlighted = 0;
    QTimer::singleShot(0, [&] {
        pick.activateWindow();
        QApplication::processEvents();
        const int everyRow = pick.rowCount();
        QTest::keyClicks(pick.StringGrid1, "river");
        QTest::keyClicks(QApplication::focusWidget(), "ton");
        EXPECT_EQ(QApplication::focusWidget(), pick.FindEdit);
        EXPECT_EQ(pick.FindEdit->text(), "riverton");
        QTest::keyClick(pick.FindEdit, Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), pick.FromEdit);
        QTest::keyClicks(pick.FromEdit, "01/01/26");
        ASSERT_GT(pick.rowCount(), 2);
        EXPECT_LT(pick.rowCount(), everyRow);
        for (int row = 1; row < pick.rowCount(); ++row) {
            EXPECT_TRUE(pick.cell(5, row).contains("Riverton")) << pick.cell(5, row).toStdString();
            EXPECT_GE(*rules::TextToDate(pick.cell(0, row).toStdString()),
                      *platform::DateTime::fromYmd(2026, 1, 1));
        }
        EXPECT_EQ(pick.currentRow(), pick.rowCount() - 1);  // the newest match
        QApplication::processEvents();
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
            pick.grab().save(QString::fromLocal8Bit(dir) + "/pick-expenses-find.png");
        QTest::keyClick(pick.FromEdit, Qt::Key_Up);
        EXPECT_EQ(pick.currentRow(), pick.rowCount() - 2);
        highlighted = pick.cell(6, pick.currentRow()).toInt();
        QTest::keyClick(pick.FromEdit, Qt::Key_Return);
        if (pick.isVisible()) pick.reject();
    });
    pick.execModal();
    EXPECT_EQ(ExpenseChoice, highlighted);

    QTimer::singleShot(0, [&] {
        pick.activateWindow();
        QApplication::processEvents();
        const int everyRow = pick.rowCount();
        QTest::keyClicks(pick.StringGrid1, "zz");
        EXPECT_EQ(pick.rowCount(), 1);
        QTest::keyClick(pick.FindEdit, Qt::Key_Escape);
        EXPECT_TRUE(pick.isVisible());
        EXPECT_EQ(pick.FindEdit->text(), "");
        EXPECT_EQ(pick.rowCount(), everyRow);
        QTest::keyClick(pick.StringGrid1, Qt::Key_Escape);
        if (pick.isVisible()) pick.reject();
    });
    pick.execModal();
    EXPECT_EQ(ExpenseChoice, -1);
}

// The folder and account lists move to the first row whose number or name starts with what
// is typed.
TEST_F(PickListTest, FolderListTypeAhead) {
    OpenFolders();
    TPickFol& pick = *forms().PickFol;
    pick.FormShow();
    QTest::keyClicks(pick.StringGrid1, "sM");
    EXPECT_TRUE(pick.cell(1, pick.currentRow()).startsWith("Smith"))
        << pick.cell(1, pick.currentRow()).toStdString();
    pick.FormShow();
    QTest::keyClicks(pick.StringGrid1, "4");
    EXPECT_EQ(pick.cell(0, pick.currentRow()), "4");
}

}  // namespace
}  // namespace cbk::testing
