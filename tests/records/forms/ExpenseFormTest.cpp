// The expense entry form on the example tables.

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include <cerrno>

#include "RecordFormFixture.h"
#include "records/RecordTables.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FormParts.h"
#include "rules/EntryRules.h"
#include "support/FaultyFileSystem.h"

namespace cbk::testing {
namespace {

using platform::Answer;
using platform::HelpCall;

class ExpenseForm : public RecordFormTest {
protected:
    void SetUp() override {
        RecordFormTest::SetUp();
        if (HasFatalFailure()) return;
        OpenExpenses();
        OpenFolders();
        OpenAccounts();
    }
    TExpense& form() { return *forms().Expense; }

    void showNew() {
        ExpenseChoice = 0;
        form().setResult(0);
        form().FormShow();
    }

    ExpenseRec load(long recNo) {
        engine::d4go(Expenses, recNo);
        LoadExpense();
        return CurExpense;
    }

    static QColor colour(const MaskEdit* field) { return field->palette().color(QPalette::Text); }
};

TEST_F(ExpenseForm, NewExpenseOpensOnTodayTheFirstAccountAndTheDefaultFolder) {
    DefaultFolder = 3;
    showNew();
    EXPECT_EQ(text(form().MaskEdit1), "       0");
    EXPECT_EQ(text(form().MaskEdit2), "03/05/26");
    EXPECT_EQ(text(form().MaskEdit3), "      0.00");
    EXPECT_EQ(form().ComboBox1->currentText().left(17), " 100 - Advertisin");
    EXPECT_EQ(form().ComboBox2->currentText().left(24), "   3 - Smith Kitchen Job");
    EXPECT_EQ(form().ComboBox1->count(), 22);
    EXPECT_TRUE(form().BtnDelete->isHidden());
    EXPECT_TRUE(form().BtnSave->isEnabled());
    EXPECT_EQ(form().focusWidget(), form().MaskEdit1);

    DefaultFolder = -1;
    showNew();
    EXPECT_EQ(form().ComboBox2->currentIndex(), 0);
    EXPECT_EQ(form().ComboBox2->currentText().left(14), "   1 - General");
}

TEST_F(ExpenseForm, AddAnotherRunKeepsDateAccountAndFolder) {
    DefaultFolder = 4;
    showNew();
    const long count = engine::d4recCount(Expenses);
    form().MaskEdit1->setText("    1001");
    form().MaskEdit2->setText("02/27/26");
    form().Edit1->setText("Riverton Lumber");
    form().MaskEdit3->setText("   1234.50");
    form().Edit2->setText("Deck boards");
    form().ComboBox1->setCurrentIndex(9);  // 190 Materials
    answer({Answer::Yes});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), 0);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Add another expense record?"}));
    EXPECT_EQ(text(form().MaskEdit1), "       0");
    EXPECT_EQ(text(form().MaskEdit3), "      0.00");
    EXPECT_EQ(form().Edit1->text(), "");
    EXPECT_EQ(form().Edit2->text(), "");
    EXPECT_EQ(text(form().MaskEdit2), "02/27/26");
    EXPECT_EQ(form().ComboBox1->currentText().left(4), " 190");
    EXPECT_EQ(form().ComboBox2->currentText().left(4), "   4");
    EXPECT_EQ(form().focusWidget(), form().MaskEdit1);
    EXPECT_EQ(ExpenseChoice, 0);

    form().Edit1->setText("Ferguson Plumbing");
    form().MaskEdit3->setText("    -12.00");
    answer({Answer::No});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    ASSERT_EQ(engine::d4recCount(Expenses), count + 2);
    EXPECT_EQ(ExpenseChoice, count + 2);

    const ExpenseRec first = load(count + 1);
    EXPECT_EQ(first.CheckNo, 1001);
    EXPECT_EQ(first.ExpDate, *platform::DateTime::fromYmd(2026, 2, 27));
    EXPECT_EQ(first.AccNo, 190);
    EXPECT_EQ(first.FolNo, 4);
    EXPECT_DOUBLE_EQ(first.Amount, 1234.5);
    EXPECT_EQ(first.PayTo.substr(0, 16), "Riverton Lumber ");
    EXPECT_EQ(first.EMemo.substr(0, 11), "Deck boards");
    const ExpenseRec second = load(count + 2);
    EXPECT_EQ(second.CheckNo, 0);
    EXPECT_EQ(second.ExpDate, first.ExpDate);
    EXPECT_EQ(second.AccNo, 190);
    EXPECT_EQ(second.FolNo, 4);
    EXPECT_DOUBLE_EQ(second.Amount, -12.0);
    EXPECT_EQ(second.EMemo.find_first_not_of(' '), std::string::npos);
    EXPECT_FALSE(second.Archive);
}

TEST_F(ExpenseForm, ConversionFailureWritesNothingAndKeepsTheFields) {
    showNew();
    const long count = engine::d4recCount(Expenses);
    form().Edit1->setText("Somebody");
    for (const char* date : {"02/30/26", "  /  /  "}) {
        form().MaskEdit2->setText(date);
        form().BtnSaveClick();
    }
    form().MaskEdit2->setText("03/01/26");
    form().ComboBox2->setCurrentIndex(-1);  // no folder chosen
    form().BtnSaveClick();
    EXPECT_EQ(texts(), std::vector<std::string>(
                           3, "Data Conversion Error. Please check values and try again"));
    EXPECT_EQ(form().result(), 0);
    EXPECT_EQ(engine::d4recCount(Expenses), count);
    EXPECT_EQ(form().Edit1->text(), "Somebody");
    EXPECT_EQ(text(form().MaskEdit2), "03/01/26");
}

TEST_F(ExpenseForm, ASaveTheDiskRefusesIsReportedAndTheFormKeepsTheEntry) {
    ExpenseChoice = 3;
    form().FormShow();
    const ExpenseRec was = load(3);
    engine::FaultyFileSystem disk;
    CloseAllTables();
    StartDataStore(disk);
    OpenExpenses();
    OpenFolders();
    OpenAccounts();
    form().MaskEdit3->setText("   1451.00");
    // Full from the second write on: the table is marked in flux, and its indexes cannot be
    // built again until there is room.
    disk.failNth(engine::FsOp::Write, 2, ENOSPC, /*sticky=*/true);
    form().BtnSaveClick();
    EXPECT_EQ(texts(), std::vector<std::string>{records::SaveRefusedMessage(engine::e4full)});
    EXPECT_EQ(form().result(), 0);
    EXPECT_EQ(text(form().MaskEdit3), "   1451.00");
    EXPECT_DOUBLE_EQ(load(3).Amount, was.Amount);

    disk.clearFaults();
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    CloseAllTables();  // the next command
    OpenExpenses();
    EXPECT_DOUBLE_EQ(load(3).Amount, 1451.0);
    CloseAllTables();
    StartDataStore();
}

TEST_F(ExpenseForm, EditingStoresIntoTheSameRecordWithoutAsking) {
    const ExpenseRec was = load(3);
    ExpenseChoice = 3;
    form().FormShow();
    EXPECT_FALSE(form().BtnDelete->isHidden());
    EXPECT_EQ(text(form().MaskEdit2), rules::DateToText(was.ExpDate));
    EXPECT_EQ(form().ComboBox1->currentText().left(4).trimmed().toInt(), was.AccNo);
    EXPECT_EQ(form().ComboBox2->currentText().left(4).trimmed().toInt(), was.FolNo);
    const long count = engine::d4recCount(Expenses);
    form().MaskEdit3->setText("    99.99");
    form().BtnSaveClick();
    EXPECT_TRUE(texts().empty());
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_EQ(ExpenseChoice, 3);
    EXPECT_EQ(engine::d4recCount(Expenses), count);
    const ExpenseRec now = load(3);
    EXPECT_DOUBLE_EQ(now.Amount, 99.99);
    EXPECT_EQ(now.PayTo, was.PayTo);
    EXPECT_EQ(now.CheckNo, was.CheckNo);
}

TEST_F(ExpenseForm, DeleteMarksTheExpenseOnceConfirmed) {
    ExpenseChoice = 5;
    form().FormShow();
    answer({platform::Answer::No, platform::Answer::Yes});
    form().BtnDeleteClick();
    engine::d4go(Expenses, 5);
    EXPECT_FALSE(engine::d4deleted(Expenses));
    EXPECT_EQ(form().result(), 0);
    form().BtnDeleteClick();
    EXPECT_EQ(platform_->messages.shown,
              std::vector<platform::RecordedMessage>(
                  2, {platform::MessageKind::Warning, std::string(records::kDeleteExpenseQuestion),
                      platform::Buttons::YesNo, platform::DefaultButton::Negative}));
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_EQ(ExpenseChoice, 0);
    EXPECT_TRUE(PackOnExit);
    engine::d4go(Expenses, 5);
    EXPECT_TRUE(engine::d4deleted(Expenses));
}

TEST_F(ExpenseForm, AmountFieldReformatsAndTurnsRedForNegative) {
    showNew();
    form().MaskEdit3->setText("-12      ");
    form().MaskEdit3Exit();
    EXPECT_EQ(text(form().MaskEdit3), "    -12.00");
    EXPECT_EQ(colour(form().MaskEdit3), QColor(Qt::red));
    form().MaskEdit3->setText("  1234.5 ");
    form().MaskEdit3Exit();
    EXPECT_EQ(text(form().MaskEdit3), "   1234.50");
    EXPECT_EQ(colour(form().MaskEdit3), QColor(Qt::black));
    // The separator key right-aligns the whole part before it is typed.
    form().MaskEdit3->setText("75       ");
    EXPECT_TRUE(form().MaskEdit3KeyPress(QLatin1Char('.')));
    EXPECT_EQ(text(form().MaskEdit3), "     75.00");
    EXPECT_FALSE(form().MaskEdit3KeyPress(QLatin1Char('5')));
    // A minus in front of a zero amount survives.
    form().MaskEdit3->setText("-0       ");
    form().MaskEdit3Exit();
    EXPECT_EQ(text(form().MaskEdit3), "     -0.00");
    EXPECT_EQ(colour(form().MaskEdit3), QColor(Qt::red));
    // No number: reported, and the field keeps its text.
    form().MaskEdit3->setText("1-2      ");
    form().MaskEdit3Exit();
    EXPECT_EQ(platform_->messages.errors,
              (std::vector<std::string>{"'1-2.' is not a valid floating point value"}));
}

TEST_F(ExpenseForm, CheckNumberAndDateFieldsFollowTheirRules) {
    showNew();
    form().MaskEdit1->setText("5       ");
    form().MaskEdit1Exit();
    EXPECT_EQ(text(form().MaskEdit1), "       5");
    form().MaskEdit2->setText("02/30/26");
    form().MaskEdit2Exit();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Invalid Date Entered"}));
    EXPECT_EQ(text(form().MaskEdit2), "02/30/26");
    form().MaskEdit2->setText(" 1/ 2/26");
    form().MaskEdit2Exit();
    EXPECT_EQ(text(form().MaskEdit2), "01/02/26");
}

TEST_F(ExpenseForm, TypingWhatNoEntryBeginsWithChangesNothing) {
    showNew();
    const int before = form().ComboBox1->currentIndex();
    QKeyEvent key(QEvent::KeyPress, Qt::Key_Q, Qt::NoModifier, QStringLiteral("Q"));
    QApplication::sendEvent(form().ComboBox1, &key);
    EXPECT_EQ(form().ComboBox1->currentIndex(), before);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QApplication::sendEvent(form().ComboBox1, &down);
    EXPECT_EQ(form().ComboBox1->currentIndex(), before + 1);
}

TEST_F(ExpenseForm, WithoutAccountsSaveIsDisabledForTheShowing) {
    for (long r = 1; r <= engine::d4recCount(Accounts); ++r) records::DeleteRecord(Accounts, r);
    showNew();
    EXPECT_EQ(texts(), (std::vector<std::string>{
                           "Expense Accounts must be defined before entering Expense Records"}));
    EXPECT_FALSE(form().BtnSave->isEnabled());
    const long count = engine::d4recCount(Expenses);
    form().BtnSaveClick();
    EXPECT_EQ(engine::d4recCount(Expenses), count);
    form().BtnCancelClick();
    EXPECT_EQ(form().result(), QDialog::Rejected);
}

TEST_F(ExpenseForm, FieldsFollowTheTabOrderAndHelpOpensItsTopic) {
    TExpense& f = form();
    const std::vector<QWidget*> order = {f.MaskEdit1, f.MaskEdit2, f.Edit1,     f.MaskEdit3,
                                         f.Edit2,     f.ComboBox1, f.ComboBox2, f.Bank.box(),
                                         f.BtnSave,   f.BtnDelete, f.BtnCancel, f.BitBtn1};
    for (std::size_t i = 1; i < order.size(); ++i)
        EXPECT_EQ(nextTabStop(order[i - 1]), order[i]) << i;
    f.BitBtn1Click();
    EXPECT_EQ(platform_->help.calls, (std::vector<HelpCall>{{HelpCall::Topic, 0, "contents"},
                                                            {HelpCall::Jump, 0, "530"}}));
}

}  // namespace
}  // namespace cbk::testing
