// Crash testing: the workload of crash/CrashWorkload.h runs in a separate process (the
// crash_worker program) that ends abruptly just before or just after one of its changing
// file-system calls, or is killed from outside at a random instant. Each time the directory it
// leaves is checked: the table opens; it holds exactly the records of the last committed step,
// or of the step in flight when that step had fully reached the file; every record the header
// claims is whole in the file; and a full index rebuild makes every tag agree with the table,
// which then takes new work. Pack and zap therefore leave the old table or the new one.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>
#include <thread>

#include "crash/CrashWorkload.h"
#include "data/engine/Engine.h"
#include "support/ScratchDir.h"
#include "support/TableFiles.h"

namespace engine {
namespace {

using crashtest::Model;
using crashtest::Op;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

constexpr int kSteps = 40;
constexpr unsigned kSeeds[] = {11, 29};
// Under the sanitizers every sixth call is a kill point, to keep the run short.
constexpr long kStride = kSanitized ? 6 : 1;
constexpr int kRandomKills = kSanitized ? 30 : 120;

using enginetest::ScratchDir;

std::string workerPath() {
    return std::string(CBK_BINARY_DIR) + "/tests/crash/crash_worker";
}

struct WorkerRun {
    bool exited = false;  // ended by itself
    int exitCode = -1;
    bool signalled = false;
    int committed = 0;  // steps committed
    int killStep = -1;
    std::string killWhat;
    long calls = 0;  // after a full run: changing calls made
};

pid_t startWorker(const std::string& dir, unsigned seed, long killAt, bool after,
                  const std::string& log) {
    std::vector<std::string> args = {workerPath(),
                                     dir,
                                     std::to_string(seed),
                                     std::to_string(kSteps),
                                     std::to_string(killAt),
                                     after ? "after" : "before",
                                     log};
    pid_t pid = ::fork();
    if (pid == 0) {
        int null = ::open("/dev/null", O_WRONLY);
        if (null >= 0) ::dup2(null, 1);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return pid;
}

void readLog(const std::string& log, WorkerRun& run) {
    std::istringstream in(enginetest::readFile(log));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream l(line);
        std::string kind;
        l >> kind;
        if (kind == "C") {
            int step = -1;
            l >> step;
            run.committed = step + 1;
        } else if (kind == "K") {
            long call = 0;
            l >> run.killStep >> call >> run.killWhat;
        } else if (kind == "E") {
            l >> run.calls;
        }
    }
}

WorkerRun finish(pid_t pid, const std::string& log) {
    WorkerRun run;
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.exited = WIFEXITED(status);
    run.exitCode = run.exited ? WEXITSTATUS(status) : -1;
    run.signalled = WIFSIGNALED(status);
    readLog(log, run);
    return run;
}

// What the campaign saw, for the report at the end of each test.
struct Tally {
    long killPoints = 0;
    std::array<long, crashtest::kOpCount> perOp{};
    long oldState = 0;      // the step in flight had left no trace
    long newState = 0;      // the step in flight had fully reached the file
    long tagsStale = 0;     // tags opened but disagreed with the table until rebuilt
    long tagsUnopened = 0;  // the table did not open with its tags until rebuilt
    long tail = 0;          // bytes of an unclaimed append after the last record
    long noTable = 0;       // killed while the table was being made
    long partAppend = 0;    // the first records of a step of several appends

    void print(const char* what) const {
        std::printf("[crash] %s: %ld kill points (", what, killPoints);
        for (int i = 0; i < crashtest::kOpCount; ++i)
            std::printf("%s%s %ld", i ? ", " : "", crashtest::opName(static_cast<Op>(i)), perOp[i]);
        std::printf(
            "); old table %ld, new table %ld, part of the appends %ld, no table yet %ld; tags "
            "stale %ld, tags not opened %ld; unclaimed tail %ld\n",
            oldState, newState, partAppend, noTable, tagsStale, tagsUnopened, tail);
    }
};

struct RawTable {
    bool exists = false;
    std::uint32_t count = 0;
    std::vector<std::string> records;
    bool tail = false;
};

std::uint16_t get16(const std::string& s, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(s[at]) |
                                      (static_cast<unsigned char>(s[at + 1]) << 8));
}

// Reads the table file byte by byte, without the engine.
::testing::AssertionResult readRaw(const std::string& dir, RawTable& out) {
    std::string path = dir + "/" + crashtest::kTable + ".dbf";
    if (!std::filesystem::exists(path)) return ::testing::AssertionSuccess();
    std::string bytes = enginetest::readFile(path);
    out.exists = true;
    if (bytes.size() < 32) return ::testing::AssertionFailure() << "header cut short";
    std::size_t headerLength = get16(bytes, 8), recordLength = get16(bytes, 10);
    if (headerLength != 32 + 32 * crashtest::tableFields().size() + 1 || recordLength != 43)
        return ::testing::AssertionFailure() << "header lengths changed";
    out.count = enginetest::get32(bytes, 4);
    std::size_t need = headerLength + out.count * recordLength;
    if (bytes.size() < need)
        return ::testing::AssertionFailure()
               << "header claims " << out.count << " records, the file holds "
               << (bytes.size() - headerLength) / recordLength;
    for (std::uint32_t i = 0; i < out.count; ++i)
        out.records.push_back(bytes.substr(headerLength + i * recordLength, recordLength));
    if (bytes.size() > need && bytes[need] != '\x1A') out.tail = true;
    return ::testing::AssertionSuccess();
}

std::string describe(const std::vector<std::string>& records) {
    std::string s = std::to_string(records.size()) + " records";
    for (std::size_t i = 0; i < records.size() && i < 60; ++i)
        s += "\n  " + std::to_string(i + 1) + ": [" + records[i] + "]";
    return s;
}

// Checks the directory a run left. `states[i]` is the table after i steps.
void checkDirectory(const std::string& dir, const std::vector<crashtest::Step>& steps,
                    const std::vector<Model>& states, const WorkerRun& run, Tally& tally) {
    const Model& before = states[run.committed];
    const Model* after =
        run.committed + 1 < static_cast<int>(states.size()) ? &states[run.committed + 1] : nullptr;
    RawTable raw;
    ASSERT_TRUE(readRaw(dir, raw));
    if (!raw.exists) {
        ASSERT_FALSE(before.exists) << "the table is gone after " << run.committed << " steps";
        ++tally.noTable;
        return;
    }
    bool isOld = before.exists && raw.records == before.records;
    bool isNew = after && after->exists && raw.records == after->records;
    // Each record of an append reaches the file at the next move: a step of several appends
    // may have left its first records.
    bool isPart = false;
    if (!isOld && !isNew && run.committed < static_cast<int>(steps.size()) &&
        steps[run.committed].op == Op::Append) {
        for (std::size_t j = 1; j < steps[run.committed].rows.size() && !isPart; ++j) {
            Model part = before;
            crashtest::Step first = steps[run.committed];
            first.rows.resize(j);
            part.apply(first);
            isPart = raw.records == part.records;
        }
    }
    ASSERT_TRUE(isOld || isNew || isPart)
        << "the table is neither the one of step " << run.committed
        << " nor the next one: it holds " << describe(raw.records) << "\nexpected "
        << describe(before.records);
    ++(isOld ? tally.oldState : isNew ? tally.newState : tally.partAppend);
    if (raw.tail) ++tally.tail;

    auto h = code4init(posixFileSystem(), dir);
    code4exitHandler(h.get(), [] { throw std::runtime_error("program ends"); });
    // As the program opens it: with its tags.
    if (Data4* t = d4open(h.get(), crashtest::kTable)) {
        std::string report;
        if (d4check(t, &report) != 0) ++tally.tagsStale;
        d4close(t);
    } else {
        ++tally.tagsUnopened;
    }
    code4errorCode(h.get(), 0);

    // As the index rebuild opens it: without them; the rebuild must cure every tag.
    code4autoOpen(h.get(), 0);
    Data4* t = d4open(h.get(), crashtest::kTable);
    ASSERT_NE(t, nullptr) << code4errorText(h.get());
    EXPECT_EQ(d4recCount(t), static_cast<long>(raw.count));
    code4safety(h.get(), 0);
    ASSERT_EQ(i4create(t, crashtest::kGroup, crashtest::tableTags()), 0) << code4errorText(h.get());
    std::string report;
    ASSERT_EQ(d4check(t, &report), 0) << report;

    // And the table takes new work.
    ASSERT_EQ(d4appendBlank(t), 0);
    ASSERT_EQ(f4assign(d4field(t, "PAYTO"), "After the crash"), 0);
    ASSERT_EQ(f4assign(d4field(t, "EXPDATE"), "20270101"), 0);
    ASSERT_EQ(d4flush(t), 0) << code4errorText(h.get());
    ASSERT_EQ(d4pack(t), 0) << code4errorText(h.get());
    ASSERT_EQ(d4check(t, &report), 0) << report;
    EXPECT_EQ(code4close(h.get()), 0);
}

std::vector<Model> statesOf(const std::vector<crashtest::Step>& steps) {
    std::vector<Model> states(1);
    for (const auto& s : steps) {
        states.push_back(states.back());
        states.back().apply(s);
    }
    return states;
}

// Waits (a second at most) until the worker has logged its first committed step.
void waitForFirstLine(const std::string& log) {
    for (int i = 0; i < 20000; ++i) {
        std::error_code ec;
        if (std::filesystem::file_size(log, ec) > 0 && !ec) return;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
    }
}

class Crash : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(std::filesystem::exists(workerPath())) << workerPath() << " is not built";
    }

    // A full run of the worker: the number of changing calls it makes, and its duration.
    long fullRun(unsigned seed, std::chrono::microseconds* took = nullptr) {
        ScratchDir dir;
        std::string log = dir.file("worker.log");
        pid_t pid = startWorker(dir.path(), seed, 0, false, log);
        waitForFirstLine(log);
        auto start = std::chrono::steady_clock::now();
        WorkerRun run = finish(pid, log);
        if (took)
            *took = std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now() - start);
        EXPECT_TRUE(run.exited && run.exitCode == 0) << "worker ended with " << run.exitCode;
        EXPECT_GT(run.calls, 0);
        return run.calls;
    }

    // Ends the worker at every `kStride`-th changing call of a full run and checks each time.
    void killAtEveryCall(bool after, Tally& tally) {
        for (unsigned seed : kSeeds) {
            auto steps = crashtest::makeWorkload(seed, kSteps);
            auto states = statesOf(steps);
            long calls = fullRun(seed);
            for (long k = 1; k <= calls; k += kStride) {
                SCOPED_TRACE("seed " + std::to_string(seed) + (after ? ", after" : ", before") +
                             " call " + std::to_string(k));
                ScratchDir dir;
                std::string log = dir.file("worker.log");
                WorkerRun run = finish(startWorker(dir.path(), seed, k, after, log), log);
                ASSERT_TRUE(run.exited && run.exitCode == 77)
                    << "worker was not stopped at its call (exit " << run.exitCode << ")";
                ASSERT_GE(run.killStep, 0);
                ++tally.killPoints;
                ++tally.perOp[static_cast<int>(steps[run.killStep].op)];
                ASSERT_NO_FATAL_FAILURE(checkDirectory(dir.path(), steps, states, run, tally));
            }
        }
    }
};

TEST(CrashWorkload, ModelBytesAreWhatTheEngineStores) {
    Model m;
    m.apply({Op::Create, {}, 0, 0, 0});
    crashtest::Values v{"20260305", 7, "Payee 12", -12345};
    m.apply({Op::Append, {v}, 0, 0, 0});
    EXPECT_EQ(m.records[0], " 20260305   7Payee 12" + std::string(12, ' ') + "   -123.45");
    m.apply({Op::Delete, {}, 1, 0, 0});
    EXPECT_EQ(m.records[0][0], '*');
}

TEST_F(Crash, WorkloadRunToTheEndLeavesTheModelsTableWithSoundTags) {
    for (unsigned seed : kSeeds) {
        ScratchDir dir;
        std::string log = dir.file("worker.log");
        WorkerRun run = finish(startWorker(dir.path(), seed, 0, false, log), log);
        ASSERT_TRUE(run.exited && run.exitCode == 0);
        auto states = statesOf(crashtest::makeWorkload(seed, kSteps));
        ASSERT_EQ(run.committed, static_cast<int>(states.size()) - 1);
        RawTable raw;
        ASSERT_TRUE(readRaw(dir.path(), raw));
        ASSERT_EQ(raw.records, states.back().records) << describe(raw.records);
        EXPECT_FALSE(raw.tail);
        auto h = code4init(posixFileSystem(), dir.path());
        Data4* t = d4open(h.get(), crashtest::kTable);
        ASSERT_NE(t, nullptr) << code4errorText(h.get());
        std::string report;
        EXPECT_EQ(d4check(t, &report), 0) << report;
    }
}

TEST_F(Crash, EndedJustBeforeAnyChangingCallKeepsEveryCommittedRecord) {
    Tally tally;
    killAtEveryCall(false, tally);
    tally.print("before a call");
    EXPECT_GE(tally.killPoints, kSanitized ? 100 : 500);
}

TEST_F(Crash, EndedJustAfterAnyChangingCallKeepsEveryCommittedRecord) {
    Tally tally;
    killAtEveryCall(true, tally);
    tally.print("after a call");
    EXPECT_GE(tally.killPoints, kSanitized ? 100 : 500);
}

TEST_F(Crash, KilledAtRandomInstantsKeepsEveryCommittedRecord) {
    Tally tally;
    long finished = 0;
    std::mt19937 rng(20260305);
    for (unsigned seed : kSeeds) {
        auto steps = crashtest::makeWorkload(seed, kSteps);
        auto states = statesOf(steps);
        std::chrono::microseconds took{};
        fullRun(seed, &took);
        // The kill comes at a random instant of the work itself, after the start-up of the
        // program, which is as long as the work. On a loaded machine one measured run says
        // little of the next, so a run that ends before its kill narrows the window, and the
        // tries go on (up to twice as many) until the seed has its share of kills.
        std::int64_t window = took.count() * 3 / 5 + 1;
        int kills = 0;
        for (int i = 0; kills < kRandomKills / 2 && i < kRandomKills; ++i) {
            ScratchDir dir;
            std::string log = dir.file("worker.log");
            auto delay = std::chrono::microseconds(std::int64_t(rng()) % window);
            pid_t pid = startWorker(dir.path(), seed, 0, false, log);
            waitForFirstLine(log);
            std::this_thread::sleep_for(delay);
            ::kill(pid, SIGKILL);
            WorkerRun run = finish(pid, log);
            SCOPED_TRACE("seed " + std::to_string(seed) + ", killed after " +
                         std::to_string(delay.count()) + " us");
            if (!run.signalled) {
                ASSERT_TRUE(run.exited && run.exitCode == 0);
                ++finished;
                window = std::max<std::int64_t>(window * 3 / 4, 1);
                continue;
            }
            ++kills;
            ++tally.killPoints;
            if (run.committed < static_cast<int>(steps.size()))
                ++tally.perOp[static_cast<int>(steps[run.committed].op)];
            ASSERT_NO_FATAL_FAILURE(checkDirectory(dir.path(), steps, states, run, tally));
        }
    }
    tally.print("random instants");
    std::printf("[crash] random instants: %ld runs finished before the kill\n", finished);
    EXPECT_GE(tally.killPoints, kRandomKills / 2);
}

}  // namespace
}  // namespace engine
