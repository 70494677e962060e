// The record forms and pick lists as the user sees them, filled with the example data: every
// control lies inside its form and every label shows its whole caption, and a negative amount
// is drawn in red. With CBK_SCREENSHOT_DIR set the pictures are also written there as
// record-*.png, for a person to look at.

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <cstdlib>

#include "RecordFormFixture.h"
#include "records/FolderOps.h"
#include "records/forms/AccountU.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FolderU.h"
#include "records/forms/FormParts.h"
#include "records/forms/IncomeU.h"
#include "records/forms/PickAccU.h"
#include "records/forms/PickExpU.h"
#include "records/forms/PickFolU.h"
#include "rules/EntryRules.h"

namespace cbk::testing {
namespace {

class RecordScreens : public RecordFormTest {
protected:
    // Shows the form (its FormShow runs), lets it lay itself out, checks that nothing is cut
    // off, grabs it and hides it again.
    QImage look(QWidget& form, const char* name) {
        form.show();
        QApplication::processEvents();
        const QRect inside = form.rect();
        for (QWidget* child : form.findChildren<QWidget*>()) {
            if (!child->isVisibleTo(&form) || child->parentWidget() != &form) continue;
            EXPECT_TRUE(inside.contains(child->geometry()))
                << name << " " << child->objectName().toStdString();
            if (auto* label = qobject_cast<QLabel*>(child)) {
                EXPECT_GE(label->width(), label->sizeHint().width())
                    << name << " " << label->text().toStdString();
            }
            if (auto* button = qobject_cast<QAbstractButton*>(child)) {
                EXPECT_GE(button->width(), button->sizeHint().width())
                    << name << " " << button->text().toStdString();
            }
        }
        const QImage image = form.grab().toImage();
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
            image.save(QString::fromLocal8Bit(dir) + "/record-" + name + ".png");
        form.hide();
        return image;
    }

    static int redPixels(const QImage& image) {
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                if (c.red() > 180 && c.green() < 90 && c.blue() < 90) ++n;
            }
        return n;
    }
};

TEST_F(RecordScreens, FoldersAndAccountsShowWhole) {
    OpenFolders();
    FolderChoice = std::int32_t(records::LiveFolderRecord(5));
    look(*forms().FolderF, "folder");
    CloseAllTables();

    OpenAccounts();
    AccountKind = 'E';
    ExpAccountChoice = 18;  // 280 Meals and Entertainment, not deductible
    look(*forms().Account, "account-expense");
    EXPECT_FALSE(forms().Account->CheckBox1->isChecked());
    CloseAllTables();
    OpenIncomeAccounts();
    AccountKind = 'I';
    IncAccountChoice = 0;
    look(*forms().Account, "account-income-new");
}

TEST_F(RecordScreens, ExpenseWithANegativeAmountIsRed) {
    OpenExpenses();
    OpenFolders();
    OpenAccounts();
    ExpenseChoice = 0;
    DefaultFolder = 3;
    TExpense& form = *forms().Expense;
    form.show();
    form.MaskEdit1->setText("    1187");
    form.Edit1->setText("Home Depot");
    form.MaskEdit3->setText("-86.40   ");
    form.MaskEdit3Exit();
    form.Edit2->setText("Returned cabinet pulls");
    form.ComboBox1->setCurrentIndex(9);
    form.hide();
    // FormShow runs again on the next showing; the look is taken of a saved record instead.
    platform_->messages.answer(platform::Answer::No);
    form.BtnSaveClick();
    ExpenseChoice = std::int32_t(engine::d4recCount(Expenses));
    const QImage shot = look(form, "expense-negative");
    EXPECT_EQ(text(form.MaskEdit3), "    -86.40");
    EXPECT_GT(redPixels(form.MaskEdit3->grab().toImage()), 10);
    EXPECT_GT(redPixels(shot), 10);
    MaskEdit* amount = form.MaskEdit3;
    amount->setText("    86.40");
    AmountFieldExit(amount, rules::kEntryAmountPattern);
    EXPECT_EQ(redPixels(amount->grab().toImage()), 0);
}

TEST_F(RecordScreens, IncomeShowsWhole) {
    OpenIncome();
    OpenFolders();
    OpenIncomeAccounts();
    IncomeChoice = 3;
    look(*forms().Income, "income");
}

TEST_F(RecordScreens, PickListsAfterEdits) {
    OpenFolders();
    platform_->messages.answer(platform::Answer::No);
    records::SaveNewFolder("Lake House");
    forms().PickFol->resize(forms().PickFol->sizeHint());
    look(*forms().PickFol, "pick-folders");
    EXPECT_EQ(forms().PickFol->cell(1, 6).trimmed(), "Lake House");
    CloseAllTables();

    OpenExpenses();
    OpenFolders();
    OpenAccounts();
    DefaultFolder = -1;
    ExpenseChoice = 7;
    TExpense& form = *forms().Expense;
    form.show();
    form.MaskEdit3->setText("  1500.00");
    form.BtnSaveClick();
    look(*forms().PickExp, "pick-expenses");
    EXPECT_EQ(forms().PickExp->cell(6, forms().PickExp->currentRow()), "7");
    EXPECT_EQ(forms().PickExp->cell(4, forms().PickExp->currentRow()), "    1,500.00");
    CloseAllTables();

    OpenIncomeAccounts();
    AccountKind = 'I';
    IncAccountChoice = 2;
    look(*forms().PickAcc, "pick-income-accounts");
    EXPECT_EQ(forms().PickAcc->cell(2, 0), "Taxable");
}

}  // namespace
}  // namespace cbk::testing
