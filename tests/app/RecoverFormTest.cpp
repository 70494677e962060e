// The safeguards through the window: the two switches of Program Setup, a deleted expense
// that the pack at exit keeps and the recovery form puts back, and the automatic backup of
// that exit offered first by the restore chooser. Screenshot: CBK_SCREENSHOT_DIR.

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <filesystem>

#include "GuiFixture.h"
#include "maintenance/Safeguards.h"
#include "maintenance/forms/DriveDirU.h"
#include "maintenance/forms/RecoverU.h"
#include "state/MainVars.h"

namespace cbk::testing {
namespace {

using Safeguarded = FormTest;

// Types `keys` into `field` as key presses.
void Type(QWidget* field, const QString& keys) {
    for (QChar c : keys) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(field, &press);
    }
}

TEST_F(Safeguarded, DeletedExpenseComesBackAfterTheExitAndTheExitsBackupRestores) {
    startUp();
    platform_->modal.showLimit = 20;
    main().CheckBox2->click();
    EXPECT_EQ(maintenance::CurrentSafeguards(), (maintenance::Safeguards{true, false}));
    main().CheckBox2->click();
    EXPECT_EQ(maintenance::CurrentSafeguards(), (maintenance::Safeguards{true, true}));

    OpenExpenses();
    const long count = engine::d4recCount(Expenses);
    engine::d4go(Expenses, 1);
    const std::string payee = engine::f4str(PayToField);
    engine::d4delete(Expenses);
    CloseAllTables();
    PackOnExit = true;
    main().ShutDown();
    StartDataStore();

    platform_->modal.once("TRecover", [&](platform::ModalForm& f) {
        auto& form = dynamic_cast<TRecover&>(f);
        form.show();
        EXPECT_EQ(form.Rows().size(), 1u);
        Type(form.Edit1, "no such payee");
        EXPECT_EQ(form.VisibleRows(), 0);
        form.Edit1->clear();
        Type(form.Edit1, QString::fromStdString(payee.substr(0, 4)));
        EXPECT_EQ(form.VisibleRows(), 1);
        form.StringGrid1->selectRow(0);
        QApplication::processEvents();
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
            form.grab().save(QString::fromLocal8Bit(dir) + "/maintenance-recover.png");
        form.BtnRecover->click();
        EXPECT_TRUE(form.Rows().empty());
        form.hide();
        return platform::mrOk;
    });
    main().BtnRecoverClick();
    OpenExpenses();
    EXPECT_EQ(engine::d4recCount(Expenses), count);
    engine::d4go(Expenses, count);
    EXPECT_EQ(engine::f4str(PayToField), payee);
    CloseAllTables();

    platform_->modal.once("TDriveDir", [](platform::ModalForm& f) {
        auto& chooser = dynamic_cast<TDriveDir&>(f);
        chooser.show();
        EXPECT_EQ(chooser.Offered.size(), 1u);
        EXPECT_EQ(chooser.BackupList->count(), 1);
        chooser.BackupList->setCurrentRow(0);
        chooser.BtnOKClick();
        chooser.hide();
        return platform::mrOk;
    });
    main().BtnRestoreClick();
    // The exit's backup holds the recovery table too: the expense is recoverable again.
    ASSERT_EQ(platform_->messages.texts().size(), 1u);
    EXPECT_NE(platform_->messages.texts()[0].find(": ACC, ACCI, FOLDER, EXP5, INC5, EXP5REC.\r\n"),
              std::string::npos);
    OpenExpenses();
    EXPECT_EQ(engine::d4recCount(Expenses), count - 1);
    CloseAllTables();
}

}  // namespace
}  // namespace cbk::testing
