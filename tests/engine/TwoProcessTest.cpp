// Two processes on the same tables. In access mode 1 the engine holds an exclusive lock on
// each table it opens, so a second program's open fails (e4lock) whatever mode it asks for,
// and the table stays as the first left it; in access mode 0 both hold shared locks and both
// read the same records, but neither can then take the table exclusively.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

#include "data/engine/Engine.h"
#include "engine/EngineFixture.h"
#include "support/TableFiles.h"

namespace engine {
namespace {

// What the second process reports through its exit status.
enum Second { kOpened = 0, kLocked = 1, kOtherError = 2, kWrongRecords = 3, kWrote = 4 };

// Runs `fn` in a forked process and returns its exit status.
int inSecondProcess(const std::function<int()>& fn) {
    pid_t pid = ::fork();
    if (pid == 0) {
        int rc = kOtherError;
        try {
            rc = fn();
        } catch (...) {
        }
        ::_exit(rc);
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class TwoProcesses : public enginetest::EngineFixture {
protected:
    void SetUp() override {
        EngineFixture::SetUp();
        Data4* t = makeExpenses(enginetest::sampleExpenses());
        ASSERT_NE(t, nullptr);
        ASSERT_EQ(code4close(h.get()), 0);
        bytes_ = enginetest::readFile(dir.file("EXP5.dbf"));
    }

    // The second program: opens EXP5 in `mode` and reads every record in EDate order, then,
    // with `write`, changes the first record and flushes.
    std::function<int()> second(int mode, bool write = false) {
        std::string path = dir.path();
        return [path, mode, write] {
            auto h2 = code4init(posixFileSystem(), path);
            code4accessMode(h2.get(), mode);
            Data4* t = d4open(h2.get(), "EXP5");
            if (!t) return code4errorCode(h2.get(), 0) == e4lock ? kLocked : kOtherError;
            std::vector<std::string> seen;
            for (int rc = d4top(t); rc == 0; rc = d4skip(t, 1))
                seen.push_back(f4str(d4field(t, "PAYTO")).substr(0, 6));
            std::vector<std::string> want = {"OldSev", "Twelve", "Three ",
                                             "Seven ", "SameDa", "LateTw"};
            if (seen != want) return kWrongRecords;
            if (!write) return kOpened;
            if (d4top(t) != 0 || f4assign(d4field(t, "PAYTO"), "Second") != 0 || d4flush(t) != 0)
                return kOtherError;
            return kWrote;
        };
    }

    std::string bytes_;
};

TEST_F(TwoProcesses, ExclusiveHolderShutsOutASecondProgramInEitherMode) {
    code4accessMode(h.get(), 1);
    Data4* t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr) << code4errorText(h.get());
    EXPECT_EQ(inSecondProcess(second(0, true)), kLocked);
    EXPECT_EQ(inSecondProcess(second(1, true)), kLocked);
    ASSERT_EQ(code4close(h.get()), 0);
    EXPECT_EQ(enginetest::readFile(dir.file("EXP5.dbf")), bytes_);
    // Closed, the table is free again.
    EXPECT_EQ(inSecondProcess(second(0)), kOpened);
}

TEST_F(TwoProcesses, ExclusiveHolderKeepsWritingWhileTheOtherIsShutOut) {
    code4accessMode(h.get(), 1);
    Data4* t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(d4go(t, 1), 0);
    ASSERT_EQ(f4assign(d4field(t, "PAYTO"), "Holder"), 0);
    ASSERT_EQ(d4flush(t), 0);
    EXPECT_EQ(inSecondProcess(second(0, true)), kLocked);
    d4go(t, 1);
    EXPECT_EQ(payTo(t), "Holder");
    std::string report;
    EXPECT_EQ(d4check(t, &report), 0) << report;
}

TEST_F(TwoProcesses, SharedHoldersBothReadTheSameRecords) {
    code4accessMode(h.get(), 0);
    Data4* t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(inSecondProcess(second(0)), kOpened);
    EXPECT_EQ(walk(t), (std::vector<std::string>{"OldSeven", "Twelve", "Three", "Seven", "SameDay",
                                                 "LateTwelve"}));
    EXPECT_EQ(enginetest::readFile(dir.file("EXP5.dbf")), bytes_);
}

TEST_F(TwoProcesses, SharedHolderKeepsASecondProgramFromTakingTheTableExclusively) {
    Data4* t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(inSecondProcess(second(1, true)), kLocked);
    EXPECT_EQ(enginetest::readFile(dir.file("EXP5.dbf")), bytes_);
}

TEST_F(TwoProcesses, ExclusiveIndexBuildShutsOutAReader) {
    code4accessMode(h.get(), 1);
    code4autoOpen(h.get(), 0);
    code4safety(h.get(), 0);
    Data4* t = d4open(h.get(), "EXP5");
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(i4create(t, "exp5",
                       {{"EDate", "DTOS(EXPDATE) + STR(ACCNO,4)", ".NOT. DELETED()"},
                        {"EAcc", "STR(ACCNO,4) + DTOS(EXPDATE)", ".NOT. DELETED()"}}),
              0);
    EXPECT_EQ(inSecondProcess(second(0)), kLocked);
    ASSERT_EQ(code4close(h.get()), 0);
    EXPECT_EQ(inSecondProcess(second(0)), kOpened);
}

}  // namespace
}  // namespace engine
