// The folder edit form on the example tables.

#include <QLineEdit>
#include <QPushButton>

#include "RecordFormFixture.h"
#include "records/FolderOps.h"
#include "records/forms/FolderU.h"

namespace cbk::testing {
namespace {

using platform::Answer;
using platform::HelpCall;

class FolderForm : public RecordFormTest {
protected:
    void SetUp() override {
        RecordFormTest::SetUp();
        if (HasFatalFailure()) return;
        OpenFolders();
    }
    TFolderF& form() { return *forms().FolderF; }

    void showFolder(int number) {
        FolderChoice = std::int32_t(records::LiveFolderRecord(number));
        ASSERT_GT(FolderChoice, 0);
        form().setResult(0);
        form().FormShow();
    }

    std::string nameOf(long recNo) {
        engine::d4go(Folders, recNo);
        LoadFolder();
        return QString::fromStdString(CurFolder.FolName).trimmed().toStdString();
    }
};

TEST_F(FolderForm, NewFolderIsOfferedTheNextNumberWhichCannotBeTyped) {
    FolderChoice = 0;
    form().FormShow();
    EXPECT_EQ(text(form().MaskEdit1), "   6");
    EXPECT_FALSE(form().MaskEdit1->isEnabled());
    EXPECT_TRUE(form().BtnDelete->isHidden());
    EXPECT_EQ(form().Edit1->text(), "");
    EXPECT_EQ(form().focusWidget(), form().Edit1);
    EXPECT_EQ(form().Edit1->maxLength(), 30);
}

TEST_F(FolderForm, AddAnotherRunStoresEachFolderUnderTheNextFreeNumber) {
    FolderChoice = 0;
    form().FormShow();
    form().Edit1->setText("  Lake House  ");
    answer({Answer::Yes});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), 0);  // still open for the next folder
    EXPECT_EQ(text(form().MaskEdit1), "   7");
    EXPECT_EQ(form().Edit1->text(), "");
    EXPECT_EQ(form().focusWidget(), form().Edit1);

    form().Edit1->setText("Mill Road");
    answer({Answer::No});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_EQ(texts(), (std::vector<std::string>{"Add another folder?", "Add another folder?"}));
    EXPECT_EQ(FolderChoice, records::LiveFolderRecord(7));
    EXPECT_EQ(nameOf(records::LiveFolderRecord(6)), "Lake House");
    EXPECT_EQ(nameOf(records::LiveFolderRecord(7)), "Mill Road");
    EXPECT_FALSE(PackOnExit);
}

TEST_F(FolderForm, ExistingFolderOpensOnItsNumberWithDeleteShown) {
    showFolder(4);
    EXPECT_EQ(text(form().MaskEdit1), "   4");
    EXPECT_EQ(form().Edit1->text(), "Oak Avenue Rental");
    EXPECT_TRUE(form().MaskEdit1->isEnabled());
    EXPECT_FALSE(form().BtnDelete->isHidden());
    EXPECT_EQ(form().focusWidget(), form().MaskEdit1);
}

TEST_F(FolderForm, NumberFieldRightAlignsAndTakesZeroButNotBlank) {
    showFolder(4);
    form().MaskEdit1->setText("0   ");
    form().MaskEdit1Exit();
    EXPECT_EQ(text(form().MaskEdit1), "   0");
    form().MaskEdit1->setText("    ");
    form().MaskEdit1Exit();
    EXPECT_EQ(platform_->messages.errors,
              (std::vector<std::string>{"'' is not a valid integer value"}));
    EXPECT_EQ(text(form().MaskEdit1), "    ");
    // Save with the blank number writes nothing and stays open.
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), 0);
    EXPECT_EQ(platform_->messages.errors.size(), 2u);
}

TEST_F(FolderForm, CancelledNumberChangeLeavesFormAndTablesAsTheyWere) {
    showFolder(5);
    const std::int32_t choice = FolderChoice;
    form().MaskEdit1->setText("   3");
    answer({Answer::Cancel});
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), 0);
    EXPECT_EQ(FolderChoice, choice);
    EXPECT_EQ(text(form().MaskEdit1), "   3");
    EXPECT_EQ(records::LiveFolderRecord(5), choice);
    ASSERT_EQ(texts().size(), 1u);
    EXPECT_EQ(texts()[0].substr(0, 31), "FOLDER NUMBER 3 ALREADY EXISTS.");

    // Delete then deletes the folder shown, not the one typed.
    answer({Answer::Yes});
    form().BtnDeleteClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_EQ(FolderChoice, 0);
    EXPECT_TRUE(PackOnExit);
    EXPECT_EQ(records::LiveFolderRecord(5), 0);
    EXPECT_NE(records::LiveFolderRecord(3), 0);
}

TEST_F(FolderForm, MergeComesBackToTheSurvivingFolderAndPacksAtExit) {
    showFolder(5);
    const std::int32_t edited = FolderChoice;
    form().MaskEdit1->setText("   1");
    form().Edit1->setText("Office");
    form().BtnSaveClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_EQ(FolderChoice, edited);
    EXPECT_TRUE(PackOnExit);
    EXPECT_EQ(records::LiveFolderRecord(1), edited);
    EXPECT_EQ(nameOf(edited), "Office");
}

TEST_F(FolderForm, CancelButtonClosesWithNothingSaved) {
    showFolder(2);
    const std::int32_t choice = FolderChoice;
    form().Edit1->setText("Changed");
    form().BtnCancelClick();
    EXPECT_EQ(form().result(), QDialog::Rejected);
    EXPECT_EQ(FolderChoice, choice);
    EXPECT_EQ(nameOf(choice), "Main Street Duplex");
}

TEST_F(FolderForm, HelpOpensTheContentsThenTheFolderTopic) {
    form().BitBtn1Click();
    EXPECT_EQ(platform_->help.calls, (std::vector<HelpCall>{{HelpCall::Topic, 0, "contents"},
                                                            {HelpCall::Jump, 0, "570"}}));
}

}  // namespace
}  // namespace cbk::testing
