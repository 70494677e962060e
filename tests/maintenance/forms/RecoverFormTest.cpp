// Recover Deleted Records from the keyboard: find, Down into the list, Alt+R.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cstdlib>

#include "RecordFormFixture.h"
#include "maintenance/forms/RecoverU.h"

namespace cbk::testing {
namespace {

using RecoverForm = RecordFormTest;

TEST_F(RecoverForm, FindDownAndAltRRecoverARecordNotYetPacked) {
    OpenExpenses();
    engine::d4go(Expenses, 2);
    const std::string payee = engine::f4str(PayToField);
    engine::d4delete(Expenses);
    CloseAllTables();

    TRecover& form = *forms().Recover;
    form.show();
    form.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    ASSERT_EQ(form.Rows().size(), 1u);
    EXPECT_EQ(form.Rows()[0].cells.back(), "not packed");
    QTest::keyClicks(form.Edit1, QString::fromStdString(payee.substr(0, 5)));
    EXPECT_EQ(form.VisibleRows(), 1);
    QTest::keyClick(form.Edit1, Qt::Key_Down);
    EXPECT_EQ(QApplication::focusWidget(), form.StringGrid1);
    EXPECT_EQ(form.StringGrid1->currentRow(), 0);
    if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
        form.grab().save(QString::fromLocal8Bit(dir) + "/maintenance-recover-unpacked.png");
    QTest::keyClick(form.StringGrid1, Qt::Key_R, Qt::AltModifier);
    // A button's key clicks it a moment later, as a mouse would.
    for (int wait = 0; wait < 100 && !form.Rows().empty(); ++wait) QTest::qWait(10);
    EXPECT_TRUE(form.Rows().empty());
    form.hide();

    OpenExpenses();
    engine::d4go(Expenses, 2);
    EXPECT_FALSE(engine::d4deleted(Expenses));
    EXPECT_EQ(engine::f4str(PayToField), payee);
}

}  // namespace
}  // namespace cbk::testing
