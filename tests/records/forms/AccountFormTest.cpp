// The account edit form for both charts on the example tables.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "RecordFormFixture.h"
#include "records/AccountOps.h"
#include "records/forms/AccountU.h"

namespace cbk::testing {
namespace {

using platform::Answer;
using platform::HelpCall;
using records::AccountChart;

class AccountForm : public RecordFormTest {
protected:
    void SetUp() override {
        RecordFormTest::SetUp();
        if (HasFatalFailure()) return;
        OpenAccounts();
        OpenIncomeAccounts();
    }
    TAccount& form() { return *forms().Account; }

    long recordOf(AccountChart chart, int n) {
        return records::AccountNoFree(chart, n) ? 0 : engine::d4recNo(records::AccountTable(chart));
    }

    void show(const char* kind, int number) {
        AccountKind = kind[0];
        std::int32_t& choice = AccountKind == 'I' ? IncAccountChoice : ExpAccountChoice;
        choice = number == 0 ? 0 : std::int32_t(recordOf(records::ChartOf(kind[0]), number));
        form().setResult(0);
        form().FormShow();
    }
};

TEST_F(AccountForm, NewAccountsStartTickedUnderTheirChartsCaption) {
    show("E", 0);
    EXPECT_EQ(text(form().MaskEdit1), " 331");
    EXPECT_EQ(form().CheckBox1->text(), "Tax Deductible");
    EXPECT_TRUE(form().CheckBox1->isChecked());
    EXPECT_TRUE(form().BtnDelete->isHidden());
    EXPECT_TRUE(form().MaskEdit1->isEnabled());
    EXPECT_EQ(form().focusWidget(), form().MaskEdit1);

    show("I", 0);
    EXPECT_EQ(text(form().MaskEdit1), "  51");
    EXPECT_EQ(form().CheckBox1->text(), "Taxable");
    EXPECT_TRUE(form().CheckBox1->isChecked());
}

TEST_F(AccountForm, NumberZeroIsRefusedWhenTheFieldIsLeftAndTheFormStaysOpen) {
    show("E", 0);
    form().MaskEdit1->setText("   0");
    form().MaskEdit1Exit();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Account Number must be greater than zero."}));
    EXPECT_EQ(text(form().MaskEdit1), "   0");
    form().BtnSaveClick();  // the save's own refusal is the account operations'
    EXPECT_EQ(form().result(), 0);
}

TEST_F(AccountForm, AddAnotherKeepsTheTickAndOffersTheNextNumber) {
    show("I", 0);
    form().Edit1->setText("Grants");
    form().CheckBox1->setChecked(false);
    answer({Answer::Yes});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), 0);
    EXPECT_EQ(text(form().MaskEdit1), "  52");
    EXPECT_EQ(form().Edit1->text(), "");
    EXPECT_FALSE(form().CheckBox1->isChecked());

    form().MaskEdit1->setText("  60");
    form().Edit1->setText("Royalties");
    answer({Answer::No});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_EQ(IncAccountChoice, recordOf(AccountChart::Income, 60));
    EXPECT_NE(recordOf(AccountChart::Income, 51), 0);
    EXPECT_EQ(ExpAccountChoice, 0);  // the other chart's choice is left alone
}

TEST_F(AccountForm, CancelledRenumberThenDeleteDeletesTheAccountShown) {
    show("E", 200);
    const std::int32_t shown = ExpAccountChoice;
    form().MaskEdit1->setText(" 205");
    answer({Answer::Cancel});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), 0);
    EXPECT_EQ(texts().at(0).substr(0, 24), "ACCOUNT NUMBER CHANGED!\r");
    answer({Answer::Yes});
    form().BtnDeleteClick();
    EXPECT_EQ(texts().at(1).substr(0, 40), "WARNING: All expenses assigned to this a");
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_EQ(ExpAccountChoice, 0);
    EXPECT_TRUE(PackOnExit);
    engine::d4go(Accounts, shown);
    EXPECT_TRUE(engine::d4deleted(Accounts));
}

TEST_F(AccountForm, DeleteAnsweredNoKeepsTheFormOpen) {
    show("E", 200);
    answer({Answer::No});
    form().BtnDeleteClick();
    EXPECT_EQ(form().result(), 0);
    EXPECT_FALSE(PackOnExit);
    EXPECT_NE(recordOf(AccountChart::Expense, 200), 0);
}

TEST_F(AccountForm, HelpOpensTheAccountTopic) {
    form().BitBtn1Click();
    EXPECT_EQ(platform_->help.calls, (std::vector<HelpCall>{{HelpCall::Topic, 0, "contents"},
                                                            {HelpCall::Jump, 0, "550"}}));
}

}  // namespace
}  // namespace cbk::testing
