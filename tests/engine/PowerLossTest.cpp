// Power-loss simulation: the crash workload (crash/CrashWorkload.h) runs as a series of
// commands, each opening the table, doing its step and closing it, on a file system in memory
// that can lose power (PowerLossFileSystem). At every write, truncation, sync and directory
// change the power goes, in thought: for each way the disk may have kept the unsynced writes
// (none, all, only the later ones, a random choice) the disk is reopened and checked. Every
// record of a command that returned is there byte for byte; the step in flight left the old
// table, the new one or, for an append, its first records; no record is torn and no count
// claims records the disk lacks; the indexes agree with the table, or the open rebuilds them.

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstdlib>

#include "crash/CrashWorkload.h"
#include "support/PowerLossCheck.h"

namespace engine {
namespace {

using crashtest::Model;
using crashtest::Op;
using enginetest::Disk;
using enginetest::Keep;
using enginetest::PowerLossFileSystem;
using enginetest::Reopened;

constexpr const char* kDir = "books";
constexpr unsigned kSeeds[] = {11, 29, 47};
// Random choices of the unsynced writes per point. The disk is in memory: the whole campaign
// takes under a second, about a dozen under the sanitizers.
constexpr int kRandomDraws = 3;

struct Tally {
    long points = 0;
    long disks = 0;
    std::array<long, crashtest::kOpCount> perOp{};
    long oldTable = 0, newTable = 0, partAppend = 0, noTable = 0;
    long marked = 0, mended = 0, tagsMissing = 0;

    void print(unsigned seed) const {
        std::printf("[power] seed %u: %ld points (", seed, points);
        for (int i = 0; i < crashtest::kOpCount; ++i)
            std::printf("%s%s %ld", i ? ", " : "", crashtest::opName(static_cast<Op>(i)), perOp[i]);
        std::printf(
            "), %ld disks: old table %ld, new %ld, part of the appends %ld, no table yet %ld; "
            "marked in flux %ld (count mended %ld), index files missing %ld\n",
            disks, oldTable, newTable, partAppend, noTable, marked, mended, tagsMissing);
    }
};

std::vector<Model> statesOf(const std::vector<crashtest::Step>& steps) {
    std::vector<Model> states(1);
    for (const auto& s : steps) {
        states.push_back(states.back());
        states.back().apply(s);
    }
    return states;
}

// The disk after `committed` commands returned and the next one was in flight.
::testing::AssertionResult judge(const Disk& disk, const std::vector<crashtest::Step>& steps,
                                 const std::vector<Model>& states, std::size_t committed,
                                 Tally& tally) {
    Reopened table;
    if (auto r = enginetest::reopenTable(disk, kDir, crashtest::kTable, crashtest::kGroup,
                                         crashtest::tableTags(), table);
        !r)
        return r;
    ++tally.disks;
    if (!table.exists) {
        if (states[committed].exists) return ::testing::AssertionFailure() << "the table is gone";
        ++tally.noTable;
        return ::testing::AssertionSuccess();
    }
    tally.marked += table.marked;
    tally.mended += table.mended;
    tally.tagsMissing += table.tagsMissing;
    const Model& before = states[committed];
    if (before.exists && table.records == before.records) {
        ++tally.oldTable;
        return ::testing::AssertionSuccess();
    }
    if (committed + 1 < states.size() && table.records == states[committed + 1].records) {
        ++tally.newTable;
        return ::testing::AssertionSuccess();
    }
    if (committed < steps.size() && steps[committed].op == Op::Append) {
        for (std::size_t j = 1; j < steps[committed].rows.size(); ++j) {
            Model part = before;
            crashtest::Step first = steps[committed];
            first.rows.resize(j);
            part.apply(first);
            if (table.records == part.records) {
                ++tally.partAppend;
                return ::testing::AssertionSuccess();
            }
        }
    }
    auto failure = ::testing::AssertionFailure()
                   << "after " << committed << " commands the table holds " << table.records.size()
                   << " records, expected " << before.records.size();
    for (std::size_t i = 0; i < table.records.size(); ++i)
        if (i >= before.records.size() || table.records[i] != before.records[i])
            failure << "\n  record " << i + 1 << ": [" << table.records[i] << "]";
    return failure;
}

// Runs the workload, losing power in thought at every point, and checks each disk.
void campaign(unsigned seed, int stepsWanted, Tally& tally) {
    const auto steps = crashtest::makeWorkload(seed, stepsWanted);
    const auto states = statesOf(steps);
    PowerLossFileSystem fs;
    std::mt19937 random(seed);
    std::size_t committed = 0;
    bool failed = false;
    fs.setHook([&](const char* what, const std::string& path) {
        if (failed) return;
        ++tally.points;
        if (committed < steps.size()) ++tally.perOp[static_cast<int>(steps[committed].op)];
        for (Keep keep : {Keep::None, Keep::All, Keep::Later, Keep::Random}) {
            for (int draw = 0; draw < (keep == Keep::Random ? kRandomDraws : 1); ++draw) {
                const Disk disk = fs.afterPowerLoss(keep, random);
                if (auto r = judge(disk, steps, states, committed, tally); !r) {
                    ADD_FAILURE() << "seed " << seed << ", command " << committed << " ("
                                  << crashtest::opName(steps[committed].op) << "), power lost at "
                                  << what << " of " << path
                                  << ", unsynced writes kept: " << enginetest::keepName(keep)
                                  << ": " << r.message();
                    failed = true;
                    return;
                }
            }
        }
    });
    for (const auto& step : steps) {
        auto h = code4init(fs, kDir);
        code4exitHandler(h.get(), [] { throw std::runtime_error("program ends"); });
        Data4* t = step.op == Op::Create ? nullptr : d4open(h.get(), crashtest::kTable);
        ASSERT_TRUE(step.op == Op::Create || t != nullptr) << code4errorText(h.get());
        std::string what;
        ASSERT_EQ(crashtest::runStep(h.get(), t, step, what), 0)
            << what << ": " << code4errorText(h.get());
        ASSERT_EQ(code4close(h.get()), 0) << code4errorText(h.get());
        ++committed;
        if (failed) return;
    }
    // And once everything returned, nothing may be lost whatever the disk kept.
    for (Keep keep : {Keep::None, Keep::All})
        ASSERT_TRUE(judge(fs.afterPowerLoss(keep, random), steps, states, committed, tally));
    EXPECT_EQ(tally.newTable + tally.partAppend + tally.oldTable + tally.noTable, tally.disks);
}

TEST(PowerLoss, EveryCommandThatReturnedSurvivesAtEveryPointOfTheWorkload) {
    // CBK_POWERLOSS_STEPS lengthens the workload for a longer run by hand.
    const char* wanted = std::getenv("CBK_POWERLOSS_STEPS");
    const int steps = wanted ? std::atoi(wanted) : 40;
    for (unsigned seed : kSeeds) {
        Tally tally;
        campaign(seed, steps, tally);
        tally.print(seed);
        if (HasFailure()) return;
        EXPECT_GT(tally.points, 200);
        // The worst cases were met: a count claiming records the disk lost, a table in flux.
        EXPECT_GT(tally.marked, 0);
    }
}

}  // namespace
}  // namespace engine
