// The main window's own fields under the keyboard: the fiscal-year start and the report
// period, entered by Tab and typed over with real key events, reach the run's variables.

#include <QApplication>
#include <QKeyEvent>
#include <QTabWidget>

#include "RecordFormFixture.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {
namespace {

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
    static MaskEdit* focused() { return qobject_cast<MaskEdit*>(QApplication::focusWidget()); }
};

TEST_F(RecordFormKeys, SettingsFieldsEnteredByTabAreTypedOver) {
    main().FormShow();
    main().show();
    main().activateWindow();
    QApplication::processEvents();
    main().PageControl1->setCurrentIndex(2);  // Program Setup
    main().MaskEdit3->setFocus(Qt::TabFocusReason);
    type("7");
    key(Qt::Key_Tab);
    ASSERT_EQ(focused(), main().MaskEdit4);
    type("1");
    key(Qt::Key_Tab);
    EXPECT_EQ(Settings.FyMonth, 7);
    EXPECT_EQ(Settings.FyDay, 1);

    main().PageControl1->setCurrentIndex(1);  // Report Generation
    main().MaskEdit1->setFocus(Qt::TabFocusReason);
    type("011526");
    key(Qt::Key_Tab);
    ASSERT_EQ(focused(), main().MaskEdit2);
    type("013126");
    key(Qt::Key_Tab);
    EXPECT_EQ(ReportFrom, *platform::DateTime::fromYmd(2026, 1, 15));
    EXPECT_EQ(ReportThrough, *platform::DateTime::fromYmd(2026, 1, 31));
    main().hide();
}

}  // namespace
}  // namespace cbk::testing
