// The books entry: the plan followed to books that are chosen, made, locked and remembered.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "books/BooksEntry.h"
#include "books/BooksPlaces.h"
#include "books/NewBooks.h"
#include "books/RecentBooks.h"
#include "data/Database.h"
#include "platform/ScriptedPlatform.h"
#include "support/TableFiles.h"

namespace books {
namespace {

using Kind = StartPlan::Kind;

class BooksEntry : public ::testing::Test {
protected:
    void SetUp() override { ::setenv("XDG_CONFIG_HOME", home.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("XDG_CONFIG_HOME"); }

    // Follows `plan` with a chooser that answers `choices` in turn (then closes).
    int enter(const StartPlan& plan, std::vector<BooksChoice> choices = {}) {
        out.str({});
        err.str({});
        run = RunBooks{};
        asked = 0;
        auto answers = std::make_shared<std::vector<BooksChoice>>(std::move(choices));
        const Chooser choose = [this, answers](const std::vector<std::string>&) {
            ++asked;
            if (answers->empty()) return std::optional<BooksChoice>{};
            BooksChoice next = answers->front();
            answers->erase(answers->begin());
            return std::optional<BooksChoice>{next};
        };
        return EnterRunBooks(plan, "/nowhere", choose, run, out, err);
    }
    std::vector<std::string> recent() {
        return LoadRecentBooks(cbk::DataFileSystem(), RecentBooksFile());
    }

    enginetest::TempDir home, dir;
    platform::ScriptedPlatformScope platform_;
    std::ostringstream out, err;
    RunBooks run;
    int asked = 0;
};

TEST_F(BooksEntry, CommandLinesThatEndTheRunSayWhyAndEnterNothing) {
    const std::string fresh = dir.file("fresh");
    ASSERT_TRUE(CreateNewBooks(dir.file("made"), nullptr));
    struct Case {
        StartPlan plan;
        int code;
        std::string out, err;
    };
    const Case cases[] = {
        {{Kind::Usage, {}, "usage\n"}, 0, "usage\n", ""},
        {{Kind::BadUsage, {}, "bad\n"}, 2, "", "bad\n"},
        {{Kind::Books, dir.file("missing"), {}},
         1,
         "",
         "cantabook: there is no folder " + dir.file("missing") + "\n"},
        {{Kind::NewBooks, dir.file("made"), {}},
         1,
         "",
         "cantabook: " + dir.file("made") +
             " already holds books (CBK1.dbf); open them with cantabook DIR\n"},
        {{Kind::Chooser, {}, {}}, 0, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.err + c.out);
        EXPECT_EQ(enter(c.plan), c.code);
        EXPECT_EQ(out.str(), c.out);
        EXPECT_EQ(err.str(), c.err);
        EXPECT_TRUE(run.dir.empty());
        EXPECT_FALSE(run.lock.held());
    }
    EXPECT_TRUE(recent().empty());
}

TEST_F(BooksEntry, ChosenBooksAreMadeLockedAndRemembered) {
    const std::string made = dir.file("Acme");
    EXPECT_EQ(enter({Kind::Chooser, {}, {}}, {{BooksChoice::Kind::New, made, "Acme Ltd"}}), -1);
    EXPECT_EQ(run.dir, made);
    EXPECT_TRUE(run.lock.held());
    EXPECT_TRUE(HoldsBooks(made));
    EXPECT_EQ(recent(), std::vector<std::string>{made});
    EXPECT_FALSE(cbk::BooksReadOnly());

    // A folder without books is left to the start-up to refuse, unlocked and not remembered.
    const std::string empty = dir.file("empty");
    std::filesystem::create_directory(empty);
    EXPECT_EQ(enter({Kind::Books, empty, {}}), -1);
    EXPECT_EQ(run.dir, empty);
    EXPECT_FALSE(run.lock.held());
    EXPECT_EQ(err.str(),
              "cantabook: " + empty + " holds no books; cantabook --new DIR makes new ones\n");
    EXPECT_EQ(recent(), std::vector<std::string>{made});
}

TEST_F(BooksEntry, BooksInUseOfferTheChooserOrEndTheRun) {
    const std::string acme = dir.file("Acme"), other = dir.file("Other");
    ASSERT_TRUE(CreateNewBooks(acme, nullptr));
    ASSERT_TRUE(CreateNewBooks(other, nullptr));
    BooksLock held = BooksLock::take(cbk::DataFileSystem(), acme);
    ASSERT_TRUE(held.held());

    platform_->messages.answer(platform::Answer::No);
    EXPECT_EQ(enter({Kind::Books, acme, {}}, {{BooksChoice::Kind::Existing, other, {}}}), 1);
    EXPECT_EQ(asked, 0);

    platform_->messages.answer(platform::Answer::Yes);
    EXPECT_EQ(enter({Kind::Books, acme, {}}, {{BooksChoice::Kind::Existing, acme, {}},
                                              {BooksChoice::Kind::Existing, other, {}}}),
              -1);
    EXPECT_EQ(asked, 2) << "the books in use asked about again, then the others entered";
    EXPECT_EQ(run.dir, other);
    EXPECT_EQ(recent(), std::vector<std::string>{other});
}

}  // namespace
}  // namespace books
