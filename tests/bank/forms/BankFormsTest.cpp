// The bank forms driven by keys: the accounts list with its editor, the register with its
// find and Open, and a reconciliation from its difference to its finish.

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>
#include <optional>

#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "bank/forms/BankAccountsU.h"
#include "bank/forms/ReconcileU.h"
#include "bank/forms/RegisterModel.h"
#include "bank/forms/RegisterU.h"
#include "data/TableSession.h"
#include "support/GuiTest.h"

namespace cbk::testing {
namespace {

class BankForm : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        StartDataStore();
        session_.emplace(std::initializer_list<std::string_view>{"EXP5", "INC5"});
    }
    void TearDown() override {
        session_.reset();
        GuiTest::TearDown();
    }
    void Shot(QWidget& form, const char* name) {
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
            form.grab().save(QString::fromLocal8Bit(dir) + "/" + name);
    }
    static void Show(QWidget& form) {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }
    std::vector<std::string> texts() { return platform_->messages.texts(); }
    std::optional<TableSession> session_;
};

TEST_F(BankForm, AccountsAreAddedThroughTheEditorWhichRefusesAnAmountThatIsNone) {
    int tries = 0;
    platform_->modal.onShow("TBankAccount", [&](platform::ModalForm& shown) {
        auto& f = dynamic_cast<TBankAccount&>(shown);
        f.setResult(0);
        f.show();
        QTest::keyClicks(f.EditName, "Visa");
        f.BoxKind->setCurrentIndex(1);
        f.EditOpening->selectAll();
        QTest::keyClicks(f.EditOpening, ++tries == 1 ? "12,3x" : "-1,250.5");
        QTest::keyClicks(f.EditNumber, "4111-22");
        QTest::keyClick(f.EditNumber, Qt::Key_Return);  // OK is the default button
        f.hide();
        return f.result() == QDialog::Accepted ? platform::mrOk : platform::mrCancel;
    });
    TBankAccounts form;
    Show(form);
    EXPECT_EQ(form.Grid->rowCount(), 1);  // new books: "Checking"
    form.BtnAdd->setFocus();
    QTest::keyClick(form.BtnAdd, Qt::Key_Space);
    EXPECT_EQ(texts(), std::vector<std::string>{std::string(kOpeningNoAmount)});
    QTest::keyClick(form.BtnAdd, Qt::Key_Space);
    ASSERT_EQ(form.Grid->rowCount(), 2);
    Shot(form, "bank-accounts.png");
    form.hide();

    const bank::BankAccounts saved = bank::LoadBankAccounts();
    ASSERT_EQ(saved.accounts.size(), 2u);
    EXPECT_EQ(saved.accounts[1].name, "Visa");
    EXPECT_EQ(saved.accounts[1].kind, bank::AccountKind::Card);
    EXPECT_EQ(saved.accounts[1].opening, -125050);
    EXPECT_EQ(saved.accounts[1].number, "4111-22");
    EXPECT_EQ(saved.DefaultNo(), 1);
}

TEST_F(BankForm, RegisterFindsByTypingAndOpensTheRecordWithEnter) {
    std::vector<std::pair<bank::Kind, long>> opened;
    TRegister form([&](bank::Kind kind, long recNo) { opened.emplace_back(kind, recNo); });
    Show(form);
    const bank::Register& reg = form.Model()->reg();
    ASSERT_GT(reg.rows.size(), 5u);
    EXPECT_EQ(form.Grid->currentIndex().row(), int(reg.rows.size()) - 1);  // the latest
    const bank::RegisterRow third = reg.rows[2];
    const std::string payee = bank::ReadRowText(third).payee;
    QTest::keyClicks(form.EditFind, QString::fromStdString(payee));
    QTest::keyClick(form.EditFind, Qt::Key_Return);
    const int found = form.Grid->currentIndex().row();
    ASSERT_GE(found, 0);
    EXPECT_EQ(bank::ReadRowText(reg.rows[std::size_t(found)]).payee, payee);
    EXPECT_EQ(
        form.Model()->index(found, RegisterModel::Payee).data().toString().left(int(payee.size())),
        QString::fromStdString(payee));
    Shot(form, "bank-register.png");
    form.Grid->setFocus();
    QTest::keyClick(form.Grid, Qt::Key_Return);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].second, long(reg.rows[std::size_t(found)].recNo));
    form.hide();
}

TEST_F(BankForm, ReconcileShowsTheDifferenceOffersTheRecordAndFinishesAtZero) {
    // Everything cleared by an import but one record, which the statement holds too.
    bank::Marks marks = bank::LoadMarks();
    const bank::Register reg = bank::BuildRegister(1, 0, marks);
    bank::Reconciliation all = bank::StartReconciliation(1, reg, marks, 20260305, 0);
    ASSERT_GT(all.items.size(), 3u);
    const bank::ReconcileItem missing = all.items[1];
    bank::Cents total = 0;
    for (const bank::ReconcileItem& item : all.items) {
        total += item.row.amount;
        marks.Put(item.row.key).cleared = item.row.key != missing.row.key;
    }
    ASSERT_EQ(bank::ReplaceMarks(marks), "");

    std::vector<std::string> reported;
    TReconcile form(nullptr, [&](const bank::Reconciliation&, const std::string& account) {
        reported.push_back(account);
    });
    Show(form);
    QTest::keyClicks(form.EditBalance, "12x");
    QTest::keyClick(form.EditBalance, Qt::Key_Return);
    EXPECT_EQ(texts(), std::vector<std::string>{std::string(bank::kNoAmount)});
    form.EditBalance->clear();
    const std::string statement = bank::StoredText(total);
    QTest::keyClicks(form.EditBalance, QString::fromStdString(statement));
    QTest::keyClick(form.EditBalance, Qt::Key_Return);
    EXPECT_EQ(form.Rec().Difference(), missing.row.amount);
    EXPECT_FALSE(form.BtnFinish->isEnabled());
    ASSERT_FALSE(form.Explanations().empty());
    Shot(form, "bank-reconcile.png");

    // The first offer is a record of the missing amount; ticking it balances the statement.
    form.ListExplain->setFocus();
    form.ListExplain->setCurrentRow(0);
    QTest::keyClick(form.ListExplain, Qt::Key_Return);
    EXPECT_EQ(form.Rec().Difference(), 0);
    EXPECT_EQ(form.LabelDifference->text(), QStringLiteral("0.00"));
    ASSERT_TRUE(form.BtnFinish->isEnabled());
    QTest::keyClick(form.ListExplain, Qt::Key_R, Qt::AltModifier);
    for (int wait = 0; wait < 100 && reported.empty(); ++wait) QTest::qWait(10);
    EXPECT_EQ(reported, std::vector<std::string>{"Checking"});
    QTest::keyClick(form.ListExplain, Qt::Key_F, Qt::AltModifier);
    for (int wait = 0; wait < 100 && platform_->messages.shown.size() < 2; ++wait) QTest::qWait(10);
    EXPECT_EQ(texts().back(), std::string(kFinished) + "Checking to 03/05/26.");
    EXPECT_TRUE(form.Rec().items.empty() || form.Rec().Difference() == 0);
    form.hide();

    const bank::Register after = bank::BuildRegister(1, 0, bank::LoadMarks());
    long reconciled = 0;
    for (const bank::RegisterRow& row : after.rows) reconciled += row.reconciledOn == 20260305;
    EXPECT_EQ(std::size_t(reconciled), all.items.size());
}

}  // namespace
}  // namespace cbk::testing
