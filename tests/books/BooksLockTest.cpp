// The books' lock between real processes, and the start-up check that the books can be
// written (through the file-system seam: tests may run as root, whom chmod does not stop).

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <functional>

#include "books/BooksLock.h"
#include "books/EnterBooks.h"
#include "data/SampleData.h"
#include "platform/ScriptedPlatform.h"
#include "support/FaultyFileSystem.h"
#include "support/TableFiles.h"

namespace books {
namespace {

using Outcome = BooksLock::Outcome;

// Runs `fn` in a forked process and returns its exit status.
int inSecondProcess(const std::function<int()>& fn) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(fn());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(BooksLock, AKilledHolderLeavesTheBooksFree) {
    enginetest::TempDir dir;
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t holder = ::fork();
    if (holder == 0) {
        BooksLock lock = BooksLock::take(engine::posixFileSystem(), dir.path());
        const char held = lock.held() ? 'y' : 'n';
        if (::write(ready[1], &held, 1) != 1) ::_exit(1);
        for (;;) ::pause();
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 'y');
    EXPECT_EQ(BooksLock::take(engine::posixFileSystem(), dir.path()).outcome(), Outcome::InUse);
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    EXPECT_TRUE(BooksLock::take(engine::posixFileSystem(), dir.path()).held());
}

class EnterBooksTest : public ::testing::Test {
protected:
    void SetUp() override {
        cbk::SampleOptions options;
        options.today = *platform::DateTime::fromYmd(2026, 3, 5);
        options.indexes = true;
        data_ = std::make_unique<cbk::SampleDataDir>(options);
        ASSERT_TRUE(data_->ok()) << data_->error();
    }
    const std::string& dir() const { return data_->path(); }
    std::unique_ptr<cbk::SampleDataDir> data_;
};

TEST_F(EnterBooksTest, BooksInUseAreNamedAndLeftAsTheyWere) {
    BooksLock first;
    ASSERT_EQ(EnterBooks(engine::posixFileSystem(), dir(), first).kind, Entry::Kind::Entered);
    const std::string table = enginetest::readFile(dir() + "/EXP5.dbf");
    const int second = inSecondProcess([&] {
        BooksLock lock;
        const Entry e = EnterBooks(engine::posixFileSystem(), dir(), lock);
        const bool named = e.message.find(dir()) != std::string::npos &&
                           e.message.find("another copy of Cantabook") != std::string::npos;
        return e.kind == Entry::Kind::InUse && named && !lock.held() ? 0 : 1;
    });
    EXPECT_EQ(second, 0);
    EXPECT_TRUE(first.held());
    EXPECT_EQ(enginetest::readFile(dir() + "/EXP5.dbf"), table);
    EXPECT_FALSE(std::filesystem::exists(dir() + "/cantabook.probe"));
}

// Each place a write can be refused: the lock file, the directory, a table, an index file.
// The books are then entered read-only, under a shared lock when the lock file opens.
TEST_F(EnterBooksTest, BooksThatCannotBeWrittenAreEnteredReadOnlyNamingWhatAndWhy) {
    struct Case {
        const char* path;  // the path fragment whose opens fail
        int err;
        const char* named;
        bool locked;
    };
    const Case cases[] = {{"cantabook.lck", EACCES, "cantabook.lck: Permission denied", false},
                          {"cantabook.probe", EROFS, ": Read-only file system", true},
                          {"EXP5.dbf", EACCES, "EXP5.dbf: Permission denied", true},
                          {"EAcc.ntx", EACCES, "EAcc.ntx: Permission denied", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        engine::FaultyFileSystem fs;
        const std::string fragment = c.path;
        const int err = c.err;
        fs.setHook([&](engine::FsOp op, const std::string& path) {
            return op == engine::FsOp::Open && path.find(fragment) != std::string::npos ? err : 0;
        });
        BooksLock lock;
        const Entry e = EnterBooks(fs, dir(), lock);
        EXPECT_EQ(e.kind, Entry::Kind::ReadOnly);
        EXPECT_NE(e.message.find(dir() + "\r\ncannot be changed there"), std::string::npos)
            << e.message;
        EXPECT_NE(e.message.find(c.named), std::string::npos) << e.message;
        EXPECT_EQ(lock.held(), c.locked);
    }
}

// Read-only copies look at the books together; a copy that would write is kept out while one
// looks, and is asked whether to choose other books.
TEST_F(EnterBooksTest, ReadOnlyCopiesShareTheBooksAndKeepAWriterOut) {
    const auto readOnlyDisk = [](engine::FaultyFileSystem& fs) {
        fs.setHook([](engine::FsOp op, const std::string& path) {
            return op == engine::FsOp::Open && path.find("probe") != std::string::npos ? EROFS : 0;
        });
    };
    engine::FaultyFileSystem disk;
    readOnlyDisk(disk);
    BooksLock first;
    ASSERT_EQ(EnterBooks(disk, dir(), first).kind, Entry::Kind::ReadOnly);
    const int reader = inSecondProcess([&] {
        engine::FaultyFileSystem own;
        readOnlyDisk(own);
        BooksLock lock;
        return EnterBooks(own, dir(), lock).kind == Entry::Kind::ReadOnly && lock.held() ? 0 : 1;
    });
    EXPECT_EQ(reader, 0);
    const int writer = inSecondProcess([&] {
        platform::ScriptedPlatformScope platform;
        platform->messages.answer(platform::Answer::No);
        BooksLock lock;
        const Entry e = EnterBooks(engine::posixFileSystem(), dir(), lock);
        const bool asked = e.kind == Entry::Kind::InUse && !AskForOtherBooks(e) &&
                           platform->messages.shown.size() == 1 &&
                           platform->messages.shown[0].buttons == platform::Buttons::YesNo &&
                           e.message.ends_with(
                               "Choose other books? (No: close the other copy "
                               "and start again.)");
        return asked && !lock.held() ? 0 : 1;
    });
    EXPECT_EQ(writer, 0);
}

TEST(EnterBooks, ARealReadOnlyDirectoryIsEnteredReadOnly) {
    enginetest::TempDir dir;
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    const bool canWrite = ::access(dir.path().c_str(), W_OK) == 0;
    BooksLock lock;
    const Entry e = EnterBooks(engine::posixFileSystem(), dir.path(), lock);
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    if (canWrite) GTEST_SKIP() << "this user writes to read-only directories (root)";
    EXPECT_EQ(e.kind, Entry::Kind::ReadOnly);
    EXPECT_FALSE(std::filesystem::exists(dir.file(kLockFileName)));
}

}  // namespace
}  // namespace books
