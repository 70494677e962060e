// Which books a run starts on, and the list of books last opened.

#include <gtest/gtest.h>

#include <cstdlib>

#include "books/BooksPlaces.h"
#include "books/RecentBooks.h"
#include "books/StartPlan.h"
#include "support/TableFiles.h"

namespace books {
namespace {

using Kind = StartPlan::Kind;

TEST(StartPlan, CommandLineAndFactsChooseTheBooks) {
    const std::string sample = "/d/Cantabook/Sample";
    struct Case {
        const char* name;
        std::vector<std::string> args;
        bool here;
        bool shift;
        std::vector<std::string> recent;
        Kind kind;
        std::string dir;
    };
    const Case cases[] = {
        {"tables here start as always", {}, true, true, {"/b/Acme"}, Kind::StartHere, ""},
        {"one own set goes straight in",
         {},
         false,
         false,
         {"/b/Acme", sample},
         Kind::Books,
         "/b/Acme"},
        {"Shift asks", {}, false, true, {"/b/Acme"}, Kind::Chooser, ""},
        {"two own sets ask", {}, false, false, {"/b/Acme", "/b/Other"}, Kind::Chooser, ""},
        {"only the sample books", {}, false, false, {sample}, Kind::Books, sample},
        {"nothing kept asks", {}, false, false, {}, Kind::Chooser, ""},
        {"a folder", {"/b/x/../Acme/"}, true, false, {}, Kind::Books, "/b/Acme"},
        {"new books", {"--new", "/b/New"}, false, false, {}, Kind::NewBooks, "/b/New"},
        {"the chooser asked for", {"--choose"}, true, false, {"/b/Acme"}, Kind::Chooser, ""},
        {"help", {"--help"}, false, false, {}, Kind::Usage, ""},
        {"--new without a folder", {"--new"}, false, false, {}, Kind::BadUsage, ""},
        {"--new on the root", {"--new", "/"}, false, false, {}, Kind::BadUsage, ""},
        {"two folders", {"/a", "/b"}, false, false, {}, Kind::BadUsage, ""},
        {"unknown option", {"--frobnicate"}, false, false, {}, Kind::BadUsage, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const StartPlan plan = PlanStart(c.args, {c.here, c.shift, c.recent, sample});
        EXPECT_EQ(plan.kind, c.kind);
        EXPECT_EQ(plan.dir, c.dir);
        if (c.kind == Kind::BadUsage) {
            EXPECT_NE(plan.text.find(kUsage), std::string::npos);
        }
    }
    EXPECT_EQ(PlanStart({"relative"}, {}).dir, CleanDir("relative"));
    EXPECT_EQ(CleanDir("relative").front(), '/');
}

TEST(BooksPlaces, NamesAndPlacesFollowTheFolderAndTheXdgDirectories) {
    EXPECT_EQ(BooksName("/home/u/.local/share/Cantabook/Acme Repairs/"), "Acme Repairs");
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    ::setenv("XDG_DATA_HOME", "/x/data", 1);
    ::setenv("XDG_CONFIG_HOME", "relative/is/ignored", 1);
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(SampleBooksDir(), "/x/data/Cantabook/Sample");
    EXPECT_EQ(RecentBooksFile(), "/home/u/.config/Cantabook/books.conf");
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(BooksHome(), "/home/u/.local/share/Cantabook");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", home.c_str(), 1);
    EXPECT_EQ(BooksNameProblem("Acme"), "");
    EXPECT_NE(BooksNameProblem("  "), "");
    EXPECT_NE(BooksNameProblem("a/b"), "");
    EXPECT_NE(BooksNameProblem(".."), "");
}

TEST(RecentBooks, MostRecentFirstOnceEachAndKeptWhole) {
    enginetest::TempDir dir;
    const std::string file = dir.file("config/Cantabook/books.conf");
    auto& fs = engine::posixFileSystem();
    EXPECT_TRUE(LoadRecentBooks(fs, file).empty());

    std::vector<std::string> list;
    for (int i = 0; i < 12; ++i) list = Remembered(list, "/b/" + std::to_string(i));
    list = Remembered(list, "/b/5");
    ASSERT_EQ(list.size(), kRecentBooksKept);
    EXPECT_EQ(list[0], "/b/5");
    EXPECT_EQ(list[1], "/b/11");
    EXPECT_EQ(list.back(), "/b/2");
    ASSERT_EQ(SaveRecentBooks(fs, file, list), 0);
    EXPECT_EQ(LoadRecentBooks(fs, file), list);
    EXPECT_FALSE(std::filesystem::exists(file + ".new"));

    // Lines that are not absolute folders, and repeats, are not books.
    enginetest::writeFile(file, "# comment\nrelative\n/b/a\n\n/b/a\n/b/c");
    EXPECT_EQ(LoadRecentBooks(fs, file), (std::vector<std::string>{"/b/a", "/b/c"}));
}

}  // namespace
}  // namespace books
