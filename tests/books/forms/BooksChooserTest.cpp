// The books chooser and the new-books dialog, driven as a user drives them; with
// CBK_SCREENSHOT_DIR set, their pictures are saved there.

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <cstdlib>
#include <memory>

#include "books/BooksPlaces.h"
#include "books/NewBooks.h"
#include "books/forms/BooksChooserU.h"
#include "books/forms/NewBooksU.h"
#include "platform/ScriptedPlatform.h"
#include "support/TableFiles.h"

namespace books {
namespace {

void screenshot(QWidget& w, const char* name) {
    if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
        w.grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png");
}

class Chooser : public ::testing::Test {
protected:
    void SetUp() override {
        ::setenv("XDG_DATA_HOME", home.path().c_str(), 1);
        std::string why;
        ASSERT_TRUE(CreateNewBooks(acme, &why)) << why;
    }
    void TearDown() override { ::unsetenv("XDG_DATA_HOME"); }

    platform::ScriptedPlatformScope platform_;
    enginetest::TempDir home;
    std::string acme = home.path() + "/Cantabook/Acme Repairs";
    std::string gone = home.path() + "/Emptied";
};

TEST_F(Chooser, RecentBooksOpenOnlyWhenSound) {
    TBooksChooser chooser({gone, acme});
    chooser.show();
    screenshot(chooser, "books-chooser");
    ASSERT_EQ(chooser.ListBooks->count(), 2);
    EXPECT_TRUE(chooser.ListBooks->item(1)->text().startsWith("Acme Repairs\n"));

    // The first, emptied since, is refused and the chooser stays.
    QTest::keyClick(chooser.ListBooks, Qt::Key_Return);
    ASSERT_EQ(platform_->messages.texts().size(), 1u);
    EXPECT_NE(platform_->messages.texts()[0].find("does not hold Cantabook books"),
              std::string::npos);
    EXPECT_TRUE(chooser.isVisible());
    EXPECT_EQ(chooser.choice().kind, BooksChoice::Kind::None);

    QTest::keyClick(chooser.ListBooks, Qt::Key_Down);
    QTest::keyClick(chooser.ListBooks, Qt::Key_Return);
    EXPECT_EQ(chooser.result(), QDialog::Accepted);
    EXPECT_EQ(chooser.choice().kind, BooksChoice::Kind::Existing);
    EXPECT_EQ(chooser.choice().dir, acme);
}

TEST_F(Chooser, FolderNewAndSampleButtonsEndWithTheirChoice) {
    TBooksChooser chooser({});
    EXPECT_FALSE(chooser.BtnOpen->isEnabled());
    chooser.chooseFolder = [&] { return home.path(); };  // no books there
    chooser.BtnOpenFolder->click();
    EXPECT_EQ(chooser.choice().kind, BooksChoice::Kind::None);
    chooser.chooseFolder = [&] { return acme + "/"; };
    chooser.BtnOpenFolder->click();
    EXPECT_EQ(chooser.choice().dir, acme);

    chooser.askNewBooks = [] { return BooksChoice{}; };  // cancelled
    chooser.BtnNew->click();
    EXPECT_EQ(chooser.choice().dir, acme);
    chooser.askNewBooks = [] { return BooksChoice{BooksChoice::Kind::New, "/b/New", "New Ltd"}; };
    chooser.BtnNew->click();
    EXPECT_EQ(chooser.choice().kind, BooksChoice::Kind::New);
    EXPECT_EQ(chooser.choice().company, "New Ltd");
    chooser.BtnSample->click();
    EXPECT_EQ(chooser.choice().kind, BooksChoice::Kind::Sample);
    EXPECT_EQ(chooser.choice().dir, home.path() + "/Cantabook/Sample");
}

TEST_F(Chooser, NewBooksAreANameUnderAFolder) {
    TNewBooks dialog;
    dialog.show();
    EXPECT_EQ(dialog.EditPlace->text().toStdString(), home.path() + "/Cantabook");
    // A folder that holds books already is refused.
    QTest::keyClicks(dialog.EditName, "Acme Repairs");
    screenshot(dialog, "books-new");
    dialog.BtnCreate->click();
    ASSERT_EQ(platform_->messages.texts().size(), 1u);
    EXPECT_NE(platform_->messages.texts()[0].find("already holds books"), std::string::npos);
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    dialog.EditName->clear();
    QTest::keyClicks(dialog.EditName, "Harbor Cafe");
    QTest::keyClick(dialog.EditName, Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.folder(), home.path() + "/Cantabook/Harbor Cafe");
    EXPECT_EQ(BooksName(dialog.folder()), "Harbor Cafe");
    EXPECT_EQ(dialog.company(), "Harbor Cafe");  // the books' name unless another is given
    QTest::keyClicks(dialog.EditCompany, "Harbor Cafe / Bakery Ltd");
    dialog.BtnCreateClick();
    EXPECT_EQ(dialog.company(), "Harbor Cafe / Bakery Ltd");
}

}  // namespace
}  // namespace books
