// Durable commands: what a close syncs and in what order, each named after the fault the
// power-loss simulation found (PowerLossTest) before it was mended, and the mending of a table
// that the power left in flux.

#include <gtest/gtest.h>

#include "crash/CrashWorkload.h"
#include "data/engine/Engine.h"
#include "support/FaultyFileSystem.h"
#include "support/PowerLossFileSystem.h"
#include "support/TableFiles.h"

namespace engine {
namespace {

using enginetest::Disk;
using enginetest::Keep;
using enginetest::PowerLossFileSystem;

constexpr const char* kDbf = "d/CRASH.dbf";

// The crash workload's table with its two tags and `n` records, all synced.
Disk tableWith(int n) {
    PowerLossFileSystem fs;
    auto h = code4init(fs, "d");
    Data4* t = d4create(h.get(), crashtest::kTable, crashtest::tableFields());
    for (int i = 0; i < n; ++i) {
        d4appendBlank(t);
        crashtest::assignRow(t, {"2026030" + std::to_string(1 + i % 9), 10 + i, "Payee", 100L * i});
    }
    EXPECT_EQ(i4create(t, crashtest::kGroup, crashtest::tableTags()), 0);
    EXPECT_EQ(code4close(h.get()), 0);
    std::mt19937 random(1);
    return fs.afterPowerLoss(Keep::None, random);
}

char markOf(const Disk& disk) {
    return disk.at(kDbf)[14];
}

TEST(Durable, ClosedTableLostItsChangesWithThePower) {
    // Each way a command ends: d4close of the table, code4close of them all, d4flush.
    for (int way = 0; way < 3; ++way) {
        PowerLossFileSystem fs(tableWith(3));
        auto h = code4init(fs, "d");
        Data4* t = d4open(h.get(), crashtest::kTable);
        d4appendBlank(t);
        crashtest::assignRow(t, {"20260401", 7, "Appended", 123});
        d4go(t, 2);
        d4delete(t);
        ASSERT_EQ(way == 0 ? d4close(t) : way == 1 ? code4close(h.get()) : d4flush(t), 0);
        std::mt19937 random(1);
        EXPECT_EQ(fs.afterPowerLoss(Keep::None, random), fs.files()) << "way " << way;
        EXPECT_EQ(markOf(fs.files()), 0);
    }
}

TEST(Durable, CommandThatChangesNothingSyncsNothing) {
    PowerLossFileSystem disk(tableWith(3));
    FaultyFileSystem fs(disk);
    auto h = code4init(fs, "d");
    Data4* t = d4open(h.get(), crashtest::kTable);
    d4top(t);
    d4seek(t, "20260302");
    d4go(t, 3);
    ASSERT_EQ(code4close(h.get()), 0);
    EXPECT_EQ(fs.calls(FsOp::Sync), 0);
    EXPECT_EQ(fs.calls(FsOp::Write), 0);
}

TEST(Durable, IndexPageReachedTheDiskBeforeTheInFluxMark) {
    PowerLossFileSystem fs(tableWith(3));
    int ntxWrites = 0;
    fs.setHook([&](const char* what, const std::string& path) {
        if (std::string(what) != "write" || path.find(".ntx") == std::string::npos) return;
        ++ntxWrites;
        std::mt19937 random(1);
        EXPECT_EQ(markOf(fs.afterPowerLoss(Keep::None, random)), 1) << "before writing " << path;
    });
    auto h = code4init(fs, "d");
    Data4* t = d4open(h.get(), crashtest::kTable);
    d4appendBlank(t);
    crashtest::assignRow(t, {"20260401", 7, "Appended", 123});
    ASSERT_EQ(code4close(h.get()), 0);
    EXPECT_GE(ntxWrites, 2);
}

TEST(Durable, MarkClearedBeforeTheIndexFilesWereSynced) {
    PowerLossFileSystem fs(tableWith(3));
    fs.setHook([&](const char* what, const std::string& path) {
        if (std::string(what) != "write" || path != kDbf) return;
        std::mt19937 random(1);
        const Disk all = fs.afterPowerLoss(Keep::All, random);
        if (markOf(fs.files()) == 0 || all.at(kDbf)[14] == 0) return;
        // Once the mark may go, every index page must be on disk already.
        for (const auto& [name, bytes] : fs.afterPowerLoss(Keep::None, random))
            if (name.find(".ntx") != std::string::npos) {
                EXPECT_EQ(bytes, fs.files().at(name));
            }
    });
    auto h = code4init(fs, "d");
    Data4* t = d4open(h.get(), crashtest::kTable);
    d4go(t, 1);
    crashtest::assignRow(t, {"20261231", 99, "Changed", 1});
    ASSERT_EQ(code4close(h.get()), 0);
}

// A table the power left in flux, as bytes: `count` in its header, then `records` (each
// given as its delete flag, the rest filled), then `tail`.
std::string inFlux(std::uint32_t count, const std::string& flags, const std::string& tail) {
    Disk disk = tableWith(0);
    std::string bytes = disk.at(kDbf);
    bytes.pop_back();  // the end marker
    for (char flag : flags) bytes += flag + std::string(42, flag == '\0' ? '\0' : '1');
    bytes += tail;
    bytes[14] = 1;
    for (int i = 0; i < 4; ++i) bytes[4 + i] = static_cast<char>((count >> (8 * i)) & 0xFF);
    return bytes;
}

TEST(Durable, HeaderCountClaimedAppendsThePowerLost) {
    struct Case {
        const char* what;
        std::string bytes;
        long records;
    } cases[] = {
        {"count past the end", inFlux(4, "  ", "\x1A"), 2},
        {"count past a half record", inFlux(3, " *", std::string(20, '1')), 2},
        {"a hole in the appends", inFlux(3, std::string(" \0 ", 3), "\x1A"), 1},
        {"the old end marker", inFlux(3, "\x1A ", "\x1A"), 0},
        {"records beyond the count", inFlux(1, "  ", "\x1A"), 1},
        {"sound, only marked", inFlux(2, "* ", "\x1A"), 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Disk disk = tableWith(0);
        disk[kDbf] = c.bytes;
        PowerLossFileSystem fs(disk);
        auto h = code4init(fs, "d");
        Data4* t = d4open(h.get(), crashtest::kTable);
        ASSERT_NE(t, nullptr) << code4errorText(h.get());
        EXPECT_EQ(d4recCount(t), c.records);
        std::string report;
        EXPECT_EQ(d4check(t, &report), 0) << report;
        ASSERT_EQ(code4close(h.get()), 0);
        // Mended on disk: the count, the end marker right after the records, the mark gone.
        std::mt19937 random(1);
        const std::string after = fs.afterPowerLoss(Keep::None, random).at(kDbf);
        EXPECT_EQ(enginetest::get32(after, 4), static_cast<std::uint32_t>(c.records));
        EXPECT_EQ(after.size(), c.bytes.find('\r') + 1 + 43 * c.records + 1);
        EXPECT_EQ(after.back(), '\x1A');
        EXPECT_EQ(after[14], 0);
    }
    // Without the mark a count past the end is damage, refused as before.
    Disk disk = tableWith(0);
    disk[kDbf] = inFlux(4, "  ", "\x1A");
    disk[kDbf][14] = 0;
    PowerLossFileSystem fs(disk);
    auto h = code4init(fs, "d");
    EXPECT_EQ(d4open(h.get(), crashtest::kTable), nullptr);
    EXPECT_EQ(code4errorCode(h.get(), 0), e4data);
}

TEST(Durable, IndexPagesThePowerLostStoppedTheOpenInsteadOfItsRebuild) {
    // The header of CDate.ntx reached the disk, the pages it points to did not.
    for (char mark : {1, 0}) {
        Disk disk = tableWith(3);
        disk.at("d/CDate.ntx").resize(1024);
        disk.at(kDbf)[14] = mark;
        PowerLossFileSystem fs(disk);
        auto h = code4init(fs, "d");
        Data4* t = d4open(h.get(), crashtest::kTable);
        if (mark == 0) {
            // Without the mark it is damage, as before: the index build cures it.
            EXPECT_EQ(t, nullptr);
            EXPECT_EQ(code4errorCode(h.get(), 0), e4index);
            continue;
        }
        ASSERT_NE(t, nullptr) << code4errorText(h.get());
        std::string report;
        EXPECT_EQ(d4check(t, &report), 0) << report;
        EXPECT_EQ(d4seek(t, "20260302"), 0);
        EXPECT_EQ(d4recNo(t), 2);
    }
}

TEST(Durable, SecondOpenerClearedTheMarkOfAChangeInProgress) {
    enginetest::TempDir dir;
    for (const auto& [name, bytes] : tableWith(2))
        enginetest::writeFile(dir.path() + "/" + name.substr(2), bytes);
    auto writer = code4init(posixFileSystem(), dir.path());
    Data4* t = d4open(writer.get(), crashtest::kTable);
    d4go(t, 1);
    crashtest::assignRow(t, {"20261231", 99, "Changed", 1});
    ASSERT_EQ(d4go(t, 2), 0);  // the change is written, its index pages held
    auto reader = code4init(posixFileSystem(), dir.path());
    ASSERT_NE(d4open(reader.get(), crashtest::kTable), nullptr);
    ASSERT_EQ(code4close(reader.get()), 0);
    EXPECT_EQ(enginetest::readFile(dir.file("CRASH.dbf"))[14], 1);
    ASSERT_EQ(code4close(writer.get()), 0);
    EXPECT_EQ(enginetest::readFile(dir.file("CRASH.dbf"))[14], 0);
}

TEST(Durable, ShutIndexFilesKeepTheMarkUntilBuilt) {
    // A change, or a pack, made with the index files left shut: they no longer follow the
    // table, so the mark stays until an index build, even across an open that leaves them shut.
    for (bool pack : {false, true}) {
        SCOPED_TRACE(pack ? "pack" : "change");
        PowerLossFileSystem fs(tableWith(3));
        auto h = code4init(fs, "d");
        code4autoOpen(h.get(), 0);
        Data4* t = d4open(h.get(), crashtest::kTable);
        d4go(t, 1);
        d4delete(t);
        ASSERT_EQ(pack ? d4pack(t) : d4close(t), 0);
        code4close(h.get());
        EXPECT_EQ(markOf(fs.files()), 1);
        t = d4open(h.get(), crashtest::kTable);
        ASSERT_EQ(code4close(h.get()), 0);
        EXPECT_EQ(markOf(fs.files()), 1);
        code4autoOpen(h.get(), 1);
        t = d4open(h.get(), crashtest::kTable);
        ASSERT_NE(t, nullptr);
        std::string report;
        EXPECT_EQ(d4check(t, &report), 0) << report;
        ASSERT_EQ(code4close(h.get()), 0);
        EXPECT_EQ(markOf(fs.files()), 0);
    }
}

}  // namespace
}  // namespace engine
