// The income entry form on the example tables.

#include <QLineEdit>
#include <QPushButton>

#include "RecordFormFixture.h"
#include "records/RecordTables.h"
#include "records/forms/FormParts.h"
#include "records/forms/IncomeU.h"

namespace cbk::testing {
namespace {

using platform::Answer;
using platform::HelpCall;

class IncomeForm : public RecordFormTest {
protected:
    void SetUp() override {
        RecordFormTest::SetUp();
        if (HasFatalFailure()) return;
        OpenIncome();
        OpenFolders();
        OpenIncomeAccounts();
    }
    TIncome& form() { return *forms().Income; }

    IncomeRec load(long recNo) {
        engine::d4go(Income, recNo);
        LoadIncome();
        return CurIncome;
    }

    // Marks record `recNo` as made by the payment import.
    void markImported(long recNo) {
        engine::d4go(Income, recNo);
        engine::f4assign(IncImpField, "T");
        engine::d4flush(Income);
    }
};

TEST_F(IncomeForm, EditingAnImportedRecordKeepsItsImportMark) {
    markImported(2);
    IncomeChoice = 2;
    form().FormShow();
    form().Edit1->setText("Rent, unit B");
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_EQ(IncomeChoice, 2);
    const IncomeRec saved = load(2);
    EXPECT_TRUE(saved.IncImp);
    EXPECT_EQ(saved.IncDesc.substr(0, 13), "Rent, unit B ");
}

TEST_F(IncomeForm, AddAnotherRunKeepsDateAccountAndFolderAndClearsTheRest) {
    DefaultFolder = -1;
    IncomeChoice = 0;
    form().FormShow();
    EXPECT_EQ(text(form().MaskEdit1), "03/05/26");
    EXPECT_EQ(form().ComboBox2->currentText().left(14), "   1 - General");
    EXPECT_EQ(form().ComboBox1->currentText().left(20), "  10 - Rental Income");
    EXPECT_TRUE(form().BtnDelete->isHidden());
    const long count = engine::d4recCount(Income);

    form().MaskEdit1->setText("03/01/26");
    form().MaskEdit2->setText("  1450.00");
    form().Edit1->setText("March rent");
    form().ComboBox1->setCurrentIndex(1);  // 20 Contract Income
    form().ComboBox2->setCurrentIndex(3);  // folder 4
    answer({Answer::Yes});
    form().BtnSaveClick();
    EXPECT_EQ(texts(), (std::vector<std::string>{"Add another income record?"}));
    EXPECT_EQ(form().result(), 0);
    EXPECT_EQ(text(form().MaskEdit2), "      0.00");
    EXPECT_EQ(form().Edit1->text(), "");
    EXPECT_EQ(text(form().MaskEdit1), "03/01/26");
    EXPECT_EQ(form().ComboBox1->currentIndex(), 1);
    EXPECT_EQ(form().ComboBox2->currentIndex(), 3);
    EXPECT_EQ(form().focusWidget(), form().MaskEdit1);

    form().Edit1->setText("Late fee");
    form().MaskEdit2->setText("    35.00");
    answer({Answer::No});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    ASSERT_EQ(engine::d4recCount(Income), count + 2);
    EXPECT_EQ(IncomeChoice, count + 2);
    for (long r : {count + 1, count + 2}) {
        const IncomeRec rec = load(r);
        EXPECT_EQ(rec.IncDate, *platform::DateTime::fromYmd(2026, 3, 1));
        EXPECT_EQ(rec.IncAcc, 20);
        EXPECT_EQ(rec.FolNo, 4);
        EXPECT_FALSE(rec.IncImp);
        EXPECT_FALSE(rec.Archive);
    }
    EXPECT_DOUBLE_EQ(load(count + 2).IncAmt, 35.0);
}

TEST_F(IncomeForm, NegativeAmountShowsRed) {
    IncomeChoice = 0;
    form().FormShow();
    form().MaskEdit2->setText("-250     ");
    form().MaskEdit2Exit();
    EXPECT_EQ(text(form().MaskEdit2), "   -250.00");
    EXPECT_EQ(form().MaskEdit2->palette().color(QPalette::Text), QColor(Qt::red));
}

TEST_F(IncomeForm, ConversionFailureWritesNothing) {
    IncomeChoice = 0;
    form().FormShow();
    const long count = engine::d4recCount(Income);
    form().MaskEdit1->setText("13/01/26");
    form().BtnSaveClick();
    EXPECT_EQ(
        texts(),
        (std::vector<std::string>{"Data Conversion Error. Please check values and try again"}));
    EXPECT_EQ(engine::d4recCount(Income), count);
    EXPECT_EQ(form().result(), 0);
}

TEST_F(IncomeForm, DeleteMarksTheRecordOnceConfirmed) {
    IncomeChoice = 4;
    form().FormShow();
    EXPECT_FALSE(form().BtnDelete->isHidden());
    form().BtnDeleteClick();
    EXPECT_EQ(texts(), std::vector<std::string>{std::string(records::kDeleteIncomeQuestion)});
    EXPECT_EQ(IncomeChoice, 0);
    EXPECT_TRUE(PackOnExit);
    engine::d4go(Income, 4);
    EXPECT_TRUE(engine::d4deleted(Income));
}

TEST_F(IncomeForm, WithoutFoldersTheFormSaysSoAndCannotSave) {
    for (long r = 1; r <= engine::d4recCount(Folders); ++r) {
        engine::d4go(Folders, r);
        engine::d4delete(Folders);
    }
    IncomeChoice = 0;
    form().FormShow();
    EXPECT_EQ(texts(),
              (std::vector<std::string>{"Folders must be defined before entering Income Records"}));
    EXPECT_FALSE(form().BtnSave->isEnabled());
}

TEST_F(IncomeForm, HelpOpensTheIncomeTopic) {
    TIncome& f = form();
    f.BitBtn1Click();
    EXPECT_EQ(platform_->help.calls, (std::vector<HelpCall>{{HelpCall::Topic, 0, "contents"},
                                                            {HelpCall::Jump, 0, "510"}}));
}

}  // namespace
}  // namespace cbk::testing
