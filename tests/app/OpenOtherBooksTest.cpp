// The run on one set of books after another in one process (File > Open Other Books).

#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <filesystem>

#include "app/BooksRun.h"
#include "app/DKRMain.h"
#include "books/BooksLock.h"
#include "books/BooksPlaces.h"
#include "books/RecentBooks.h"
#include "data/Books.h"
#include "support/GuiTest.h"

namespace cbk::testing {
namespace {

using OpenOtherBooks = GuiTest;

TEST_F(OpenOtherBooks, ClosesOneSetAndOpensTheChosenInTheSameProcess) {
    const std::filesystem::path other = dataDir() / "Other";
    SampleOptions options;
    options.today = *platform::DateTime::fromYmd(2026, 3, 5);
    std::string why;
    ASSERT_EQ(MakeSampleTables(other.string(), options, &why), 0) << why;
    // The books never depend on the current directory.
    std::filesystem::current_path("/");

    std::vector<std::vector<std::string>> offered;
    BooksRunHooks hooks;
    hooks.choose = [&](const std::vector<std::string>& recent) {
        offered.push_back(recent);
        return std::optional<books::BooksChoice>{
            {books::BooksChoice::Kind::Existing, other.string(), {}}};
    };
    std::vector<std::string> seen;
    hooks.loop = [&] {
        TFormMain* main = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* m = dynamic_cast<TFormMain*>(w); m && m->isVisible()) main = m;
        if (main == nullptr) return 1;
        seen.push_back(main->LabelBooks->text().toStdString() + " | " + BooksFolder() + " | " +
                       std::to_string(ExpenseChoice));
        if (seen.size() == 1) {
            ExpenseChoice = 7;  // a choice of these books, not of the next
            EXPECT_EQ(books::BooksLock::take(DataFileSystem(), dataDir().string()).outcome(),
                      books::BooksLock::Outcome::InUse);
            // File > Open Other Books..., by the keyboard.
            main->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(main));
            QTest::keyClick(main, Qt::Key_F, Qt::AltModifier);
            QMenu* file = main->menuBar()->actions().front()->menu();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(file));
            QTest::keyClick(file, Qt::Key_O);
        } else {
            // The first books were closed and their lock given up.
            EXPECT_TRUE(books::BooksLock::take(DataFileSystem(), dataDir().string()).held());
            main->mF_ExitClick();
        }
        return 0;
    };

    books::StartPlan plan{books::StartPlan::Kind::Books, dataDir().string(), {}};
    EXPECT_EQ(RunOnBooks(plan, "/", hooks), 0);

    const std::string first = books::BooksName(dataDir().string());
    EXPECT_EQ(seen,
              (std::vector<std::string>{"Books: " + first + " | " + dataDir().string() + " | 0",
                                        "Books: Other | " + other.string() + " | 0"}));
    EXPECT_EQ(offered, (std::vector<std::vector<std::string>>{{dataDir().string()}}));
    EXPECT_EQ(books::LoadRecentBooks(DataFileSystem(), books::RecentBooksFile()),
              (std::vector<std::string>{other.string(), dataDir().string()}));
    EXPECT_EQ(OpenBooks(), nullptr);
    EXPECT_EQ(std::filesystem::current_path(), "/");
}

}  // namespace
}  // namespace cbk::testing
