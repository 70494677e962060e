#include "data/engine/Ntx.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <random>
#include <set>
#include <utility>
#include <vector>

#include "data/engine/Errors.h"
#include "support/FaultyFileSystem.h"
#include "support/TableFiles.h"

namespace engine {
namespace {

using enginetest::get32;
using enginetest::put16;
using enginetest::put32;
using enginetest::readFile;
using enginetest::TempDir;
using enginetest::writeFile;

using Entry = std::pair<std::string, std::uint32_t>;

// An EAcc-like key: four account characters and eight date characters.
std::string accKey(int acc, int day) {
    // Wide enough for any int, so the compiler can prove nothing is cut.
    char buf[32];
    std::snprintf(buf, sizeof buf, "%4d2026%04d", acc % 10000, day % 10000);
    return buf;
}

NtxHeader accHeader() {
    NtxHeader h;
    h.expression = "STR(ACCNO,4) + DTOS(EXPDATE)";
    h.filter = ".NOT. DELETED()";
    h.tagName = "EAcc";
    h.keySize = 12;
    return h;
}

std::unique_ptr<Ntx> build(const std::string& path, const std::vector<Entry>& entries,
                           NtxHeader h = accHeader()) {
    NtxBuilder b(posixFileSystem(), path, h);
    b.reserve(entries.size());
    for (const auto& [k, r] : entries) b.add(k, r);
    std::unique_ptr<Ntx> ntx;
    EXPECT_EQ(b.finish(ntx), 0);
    return ntx;
}

std::vector<Entry> walk(Ntx& ntx) {
    std::vector<Entry> out;
    EXPECT_EQ(ntx.forEach([&](std::string_view k, std::uint32_t r) {
        out.emplace_back(std::string(k), r);
        return true;
    }),
              0);
    return out;
}

std::vector<Entry> walkBack(Ntx& ntx) {
    std::vector<Entry> out;
    for (int rc = ntx.last(); rc == 0; rc = ntx.prev())
        out.emplace_back(std::string(ntx.key()), ntx.recNo());
    std::reverse(out.begin(), out.end());
    return out;
}

std::uint64_t checked(Ntx& ntx) {
    std::string report;
    std::uint64_t n = 0;
    EXPECT_EQ(ntx.check(&report, &n), 0) << report;
    // The count from the pages' item counts alone agrees with the full walk.
    std::uint64_t counted = 0;
    EXPECT_EQ(ntx.entries(counted), 0);
    EXPECT_EQ(counted, n);
    return n;
}

// Entries in random order over few accounts, so that equal keys and a deep tree occur.
std::vector<Entry> randomEntries(std::size_t n, unsigned seed) {
    std::mt19937 rng(seed);
    std::vector<Entry> v;
    for (std::size_t i = 0; i < n; ++i)
        v.emplace_back(accKey(static_cast<int>(rng() % 50) + 1, static_cast<int>(rng() % 40)),
                       static_cast<std::uint32_t>(i + 1));
    return v;
}

std::vector<Entry> sorted(std::vector<Entry> v) {
    std::sort(v.begin(), v.end());
    return v;
}

TEST(Ntx, EmptyIndexReportsEndForEveryMove) {
    TempDir dir;
    auto ntx = build(dir.file("e.ntx"), {});
    ASSERT_TRUE(ntx);
    EXPECT_EQ(ntx->first(), r4eof);
    EXPECT_EQ(ntx->last(), r4eof);
    EXPECT_EQ(ntx->seek("   1"), r4eof);
    EXPECT_TRUE(ntx->atEnd());
    EXPECT_EQ(ntx->recNo(), 0u);
    EXPECT_EQ(ntx->prev(), r4bof);
    EXPECT_EQ(checked(*ntx), 0u);
    EXPECT_EQ(readFile(dir.file("e.ntx")).size(), 2048u);  // header and an empty root
}

TEST(Ntx, HeaderAndPagesFollowTheClipperLayout) {
    TempDir dir;
    auto ntx = build(dir.file("a.ntx"), randomEntries(3000, 1));
    ntx.reset();
    std::string f = readFile(dir.file("a.ntx"));
    ASSERT_EQ(f.size() % 1024, 0u);
    auto u16 = [&](std::size_t at) { return static_cast<unsigned>(get32(f, at) & 0xFFFF); };
    EXPECT_EQ(u16(0), 6u);
    std::uint32_t root = get32(f, 4);
    EXPECT_EQ(root % 1024, 0u);
    EXPECT_LT(root, f.size());
    EXPECT_EQ(get32(f, 8), 0u);  // no free pages
    EXPECT_EQ(u16(12), 20u);
    EXPECT_EQ(u16(14), 12u);
    EXPECT_EQ(u16(16), 0u);
    EXPECT_EQ(u16(18), 44u);  // 1022/22 - 1 = 45, made even
    EXPECT_EQ(u16(20), 22u);
    EXPECT_EQ(std::string(f.data() + 22), "STR(ACCNO,4)+DTOS(EXPDATE)");
    EXPECT_EQ(f[278], 0);
    EXPECT_EQ(f[280], 0);
    EXPECT_EQ(std::string(f.data() + 282), ".NOT. DELETED()");
    EXPECT_EQ(std::string(f.data() + 538), "EAcc");
    // Every byte after the texts is zero.
    for (std::size_t i = 22 + 26; i < 278; ++i) ASSERT_EQ(f[i], 0) << i;
    for (std::size_t i = 282 + 15; i < 538; ++i) ASSERT_EQ(f[i], 0) << i;
    for (std::size_t i = 538 + 4; i < 1024; ++i) ASSERT_EQ(f[i], 0) << i;
    // The root is a branch: fresh slot offsets, item n carries only the rightmost child.
    unsigned n = u16(root);
    ASSERT_GT(n, 0u);
    for (unsigned i = 0; i <= 44; ++i) EXPECT_EQ(u16(root + 2 + 2 * i), 92 + i * 20);
    std::size_t tail = root + 92 + n * 20;
    EXPECT_NE(get32(f, tail), 0u);
    for (std::size_t i = tail + 4; i < root + 1024; ++i) ASSERT_EQ(f[i], 0) << i;
    for (unsigned i = 0; i <= n; ++i) EXPECT_EQ(get32(f, root + 92 + i * 20) % 1024, 0u);
}

TEST(Ntx, NumericKeyHeaderHasClipperItemCounts) {
    TempDir dir;
    NtxHeader h;
    h.expression = "FOLNO";
    h.tagName = "FolTag";
    h.keySize = 4;
    auto ntx = build(dir.file("f.ntx"), {{"0007", 1}}, h);
    ntx.reset();
    std::string f = readFile(dir.file("f.ntx"));
    EXPECT_EQ(get32(f, 18) & 0xFFFF, 72u);
    EXPECT_EQ(get32(f, 20) & 0xFFFF, 36u);
}

TEST(Ntx, SeekFindsExactPartialAndFollowingKeys) {
    TempDir dir;
    std::vector<Entry> entries;
    std::uint32_t rec = 1;
    for (int acc = 10; acc <= 900; acc += 10)
        for (int day = 1; day <= 30; ++day) entries.emplace_back(accKey(acc, day), rec++);
    entries.emplace_back(accKey(20, 5), 5000);  // a duplicate key after its twin
    std::shuffle(entries.begin(), entries.end(), std::mt19937(3));
    auto ntx = build(dir.file("s.ntx"), entries);

    EXPECT_EQ(ntx->seek(accKey(20, 5)), r4success);
    EXPECT_EQ(ntx->recNo(), 35u);  // equal keys in record order
    EXPECT_EQ(ntx->next(), 0);
    EXPECT_EQ(ntx->recNo(), 5000u);

    EXPECT_EQ(ntx->seek(" 500"), r4success);  // partial key: first date of account 500
    EXPECT_EQ(ntx->key(), accKey(500, 1));

    EXPECT_EQ(ntx->seek(" 505"), r4after);  // between accounts: the next one
    EXPECT_EQ(ntx->key(), accKey(510, 1));

    EXPECT_EQ(ntx->seek(std::string_view()), r4success);  // an empty key matches the first
    EXPECT_EQ(ntx->key(), accKey(10, 1));

    EXPECT_EQ(ntx->seek("   1"), r4after);  // before everything
    EXPECT_EQ(ntx->key(), accKey(10, 1));

    EXPECT_EQ(ntx->seek(" 900"
                        "20260031"),
              r4eof);  // past the end
    EXPECT_TRUE(ntx->atEnd());
    EXPECT_EQ(ntx->seek(accKey(900, 30) + "extra"), r4success);  // cut to the key size

    EXPECT_EQ(ntx->seekEntry(accKey(20, 5), 5000), r4success);
    EXPECT_EQ(ntx->seekEntry(accKey(20, 5), 36), r4after);
    EXPECT_EQ(ntx->recNo(), 5000u);
    EXPECT_EQ(ntx->seekEntry(accKey(20, 5), 6000), r4after);
    EXPECT_EQ(ntx->key(), accKey(20, 6));
}

TEST(Ntx, WalksBothWaysAcrossPageBoundaries) {
    TempDir dir;
    auto entries = randomEntries(6000, 7);
    auto ntx = build(dir.file("w.ntx"), entries);
    auto want = sorted(entries);
    EXPECT_EQ(walk(*ntx), want);
    EXPECT_EQ(walkBack(*ntx), want);
    EXPECT_EQ(ntx->prev(), r4bof);  // stays before the start
    EXPECT_EQ(walk(*ntx), want);
    EXPECT_EQ(ntx->next(), r4eof);  // stays at the end
    EXPECT_EQ(ntx->prev(), 0);      // and steps back onto the last entry
    EXPECT_EQ(std::string(ntx->key()), want.back().first);

    // Turning back and forth at every position gives the neighbours.
    ASSERT_EQ(ntx->first(), 0);
    for (std::size_t i = 0; i + 1 < want.size(); ++i) {
        ASSERT_EQ(ntx->next(), 0);
        ASSERT_EQ(ntx->prev(), 0);
        ASSERT_EQ(ntx->recNo(), want[i].second) << i;
        ASSERT_EQ(ntx->next(), 0);
        ASSERT_EQ(ntx->recNo(), want[i + 1].second) << i;
    }
    ASSERT_EQ(ntx->first(), 0);
    EXPECT_EQ(ntx->prev(), r4bof);
    EXPECT_EQ(ntx->next(), 0);
    EXPECT_EQ(ntx->recNo(), want.front().second);
}

TEST(Ntx, BulkBuildOfAnySizeIsSoundAndComplete) {
    TempDir dir;
    for (std::size_t n : {1u, 2u, 43u, 44u, 45u, 89u, 90u, 2024u, 2025u, 2026u, 5000u}) {
        auto entries = randomEntries(n, static_cast<unsigned>(n));
        auto ntx = build(dir.file("b.ntx"), entries);
        ASSERT_TRUE(ntx);
        EXPECT_EQ(checked(*ntx), n);
        EXPECT_EQ(walk(*ntx), sorted(entries)) << n;
    }
}

TEST(Ntx, RandomInsertsAndErasesMatchAMultiset) {
    TempDir dir;
    auto ntx = build(dir.file("r.ntx"), {});
    std::multiset<Entry> model;
    std::vector<Entry> live;
    std::mt19937 rng(11);
    std::uint32_t rec = 1;
    for (int stepNo = 1; stepNo <= 30000; ++stepNo) {
        // Grow for a while, then shrink, then grow again: splits, borrows and merges.
        bool grow = (stepNo < 12000 || stepNo > 24000) ? rng() % 4 != 0 : rng() % 4 == 0;
        if (grow || live.empty()) {
            Entry e{accKey(static_cast<int>(rng() % 60) + 1, static_cast<int>(rng() % 30)), rec++};
            ASSERT_EQ(ntx->insert(e.first, e.second), 0);
            model.insert(e);
            live.push_back(e);
        } else {
            std::size_t at = rng() % live.size();
            ASSERT_EQ(ntx->erase(live[at].first, live[at].second), 0);
            model.erase(model.find(live[at]));
            live[at] = live.back();
            live.pop_back();
        }
        if (stepNo % 3000 == 0) {
            ASSERT_EQ(checked(*ntx), model.size()) << stepNo;
            ASSERT_EQ(walk(*ntx), std::vector<Entry>(model.begin(), model.end())) << stepNo;
        }
    }
    EXPECT_EQ(ntx->erase(accKey(9999, 1), 1), e4index);  // absent
    auto want = std::vector<Entry>(model.begin(), model.end());
    EXPECT_EQ(walkBack(*ntx), want);

    // Everything reaches the file: reopen and compare.
    ASSERT_EQ(ntx->flush(), 0);
    unsigned version = get32(readFile(dir.file("r.ntx")), 2) & 0xFFFF;
    ntx.reset();
    std::unique_ptr<Ntx> again;
    ASSERT_EQ(Ntx::open(posixFileSystem(), dir.file("r.ntx"), true, again), 0);
    EXPECT_EQ(walk(*again), want);
    EXPECT_EQ(checked(*again), want.size());
    EXPECT_EQ(again->header().expression, "STR(ACCNO,4)+DTOS(EXPDATE)");
    EXPECT_EQ(again->header().filter, ".NOT. DELETED()");
    EXPECT_EQ(again->header().tagName, "EAcc");
    EXPECT_GE(version, 2u);  // counted up by the writes

    // The same entries built in bulk give the same order.
    auto bulk = build(dir.file("r2.ntx"), live);
    EXPECT_EQ(walk(*bulk), want);
}

// A batch in the tree's order lands leaf after leaf, splitting as it goes, in ascending and
// descending indexes alike, and ends as the same tree of entries as one insert at a time.
TEST(Ntx, OrderedBatchInsertMatchesSingleInserts) {
    TempDir dir;
    for (const bool descending : {false, true}) {
        NtxHeader h = accHeader();
        h.descending = descending;
        const std::vector<Entry> first = randomEntries(3000, 5);
        auto ntx = build(dir.file(descending ? "d.ntx" : "a.ntx"), first, h);
        std::vector<Entry> batch = randomEntries(2500, 6);
        for (auto& e : batch) e.second += 3000;
        std::stable_sort(batch.begin(), batch.end(), [descending](const Entry& a, const Entry& b) {
            return descending ? a.first > b.first : a.first < b.first;
        });
        std::string packed;
        for (const auto& [k, r] : batch) {
            packed += k;
            packed.append(reinterpret_cast<const char*>(&r), 4);
        }
        ASSERT_EQ(ntx->insertOrdered(packed.data(), batch.size(), 16), 0);
        std::vector<Entry> all = first;
        all.insert(all.end(), batch.begin(), batch.end());
        auto single = build(dir.file("s.ntx"), all, h);
        EXPECT_EQ(checked(*ntx), all.size());
        EXPECT_EQ(walk(*ntx), walk(*single)) << descending;
        // An entry already there stops the batch.
        EXPECT_EQ(ntx->insertOrdered(packed.data(), 1, 16), e4info);
    }
}

// A batch taken out in the tree's order: scattered entries from their leaves, a long stretch
// that empties leaves and merges them, separators of branch pages; in ascending and
// descending indexes it leaves the tree of the entries that stay. An entry not there stops
// the batch.
TEST(Ntx, OrderedBatchEraseLeavesTheEntriesThatStay) {
    TempDir dir;
    for (const bool descending : {false, true}) {
        NtxHeader h = accHeader();
        h.descending = descending;
        std::vector<Entry> all = randomEntries(4000, 7);
        std::sort(all.begin(), all.end(), [descending](const Entry& a, const Entry& b) {
            if (a.first != b.first) return descending ? a.first > b.first : a.first < b.first;
            return a.second < b.second;
        });
        auto ntx = build(dir.file(descending ? "d.ntx" : "a.ntx"), all, h);
        std::vector<Entry> gone, stay;
        for (std::size_t i = 0; i < all.size(); ++i)
            (i % 3 == 0 || (i >= 1000 && i < 1600) ? gone : stay).push_back(all[i]);
        std::string packed;
        for (const auto& [k, r] : gone) {
            packed += k;
            packed.append(reinterpret_cast<const char*>(&r), 4);
        }
        ASSERT_EQ(ntx->eraseOrdered(packed.data(), gone.size(), 16), 0);
        EXPECT_EQ(checked(*ntx), stay.size());
        EXPECT_EQ(walk(*ntx), stay) << descending;
        EXPECT_EQ(ntx->eraseOrdered(packed.data(), 1, 16), e4index);
    }
}

TEST(Ntx, ExactRepeatsAreRefusedOrDropped) {
    TempDir dir;
    auto ntx = build(dir.file("p.ntx"), {{accKey(1, 1), 1}, {accKey(1, 1), 1}, {accKey(1, 1), 2}});
    EXPECT_EQ(walk(*ntx), (std::vector<Entry>{{accKey(1, 1), 1}, {accKey(1, 1), 2}}));
    EXPECT_EQ(ntx->insert(accKey(1, 1), 2), e4info);
    for (std::uint32_t r = 3; r < 3000; ++r) ASSERT_EQ(ntx->insert(accKey(1, 1), r), 0);
    for (std::uint32_t r = 1; r < 3000; r += 97) EXPECT_EQ(ntx->insert(accKey(1, 1), r), e4info);
    EXPECT_EQ(checked(*ntx), 2999u);
}

TEST(Ntx, ChangedPagesKeepEveryUnusedByteZero) {
    TempDir dir;
    auto ntx = build(dir.file("z.ntx"), {});
    auto entries = randomEntries(4000, 13);
    for (const auto& [k, r] : entries) ASSERT_EQ(ntx->insert(k, r), 0);
    for (std::size_t i = 0; i < entries.size(); i += 2)
        ASSERT_EQ(ntx->erase(entries[i].first, entries[i].second), 0);
    ntx.reset();
    std::string f = readFile(dir.file("z.ntx"));
    ASSERT_EQ(f.size() % 1024, 0u);
    for (std::size_t page = 1024; page < f.size(); page += 1024) {
        unsigned n = get32(f, page) & 0xFFFF;
        ASSERT_LE(n, 44u);
        for (unsigned i = 0; i <= 44; ++i)
            ASSERT_EQ(get32(f, page + 2 + 2 * i) & 0xFFFF, 92 + i * 20) << page;
        // The rightmost item holds only a child; every slot after it is empty.
        for (std::size_t b = page + 92 + n * 20 + 4; b < page + 1024; ++b)
            ASSERT_EQ(f[b], 0) << "page " << page << " byte " << b - page;
    }
}

TEST(Ntx, ErasingEverythingFreesPagesForReuse) {
    TempDir dir;
    auto entries = randomEntries(5000, 5);
    auto ntx = build(dir.file("x.ntx"), {});
    for (const auto& [k, r] : entries) ASSERT_EQ(ntx->insert(k, r), 0);
    ASSERT_EQ(ntx->flush(), 0);
    std::size_t full = readFile(dir.file("x.ntx")).size();
    for (const auto& [k, r] : entries) ASSERT_EQ(ntx->erase(k, r), 0);
    EXPECT_EQ(checked(*ntx), 0u);
    EXPECT_EQ(ntx->first(), r4eof);
    ASSERT_EQ(ntx->flush(), 0);
    EXPECT_NE(get32(readFile(dir.file("x.ntx")), 8), 0u);  // free list head
    for (const auto& [k, r] : entries) ASSERT_EQ(ntx->insert(k, r), 0);
    ASSERT_EQ(ntx->flush(), 0);
    EXPECT_EQ(readFile(dir.file("x.ntx")).size(), full);  // the freed pages came back
    EXPECT_EQ(checked(*ntx), entries.size());
}

TEST(Ntx, CursorCarriesOnAfterChangesUnderIt) {
    TempDir dir;
    auto entries = randomEntries(3000, 9);
    auto ntx = build(dir.file("c.ntx"), entries);
    auto want = sorted(entries);
    ASSERT_EQ(ntx->seekEntry(want[1000].first, want[1000].second), 0);
    // Erasing the current entry: next lands on its successor, prev on its predecessor.
    ASSERT_EQ(ntx->erase(want[1000].first, want[1000].second), 0);
    ASSERT_EQ(ntx->next(), 0);
    EXPECT_EQ(ntx->recNo(), want[1001].second);
    ASSERT_EQ(ntx->erase(want[1001].first, want[1001].second), 0);
    ASSERT_EQ(ntx->prev(), 0);
    EXPECT_EQ(ntx->recNo(), want[999].second);
    // Inserts elsewhere (with splits) do not move the cursor.
    for (std::uint32_t r = 0; r < 500; ++r) ASSERT_EQ(ntx->insert(accKey(1, 1), 90000 + r), 0);
    ASSERT_EQ(ntx->next(), 0);
    EXPECT_EQ(ntx->recNo(), want[1002].second);
}

TEST(Ntx, ReadOnlyIndexRefusesChangesAndBadKeysAreRefused) {
    TempDir dir;
    build(dir.file("o.ntx"), randomEntries(10, 1)).reset();
    std::unique_ptr<Ntx> ntx;
    ASSERT_EQ(Ntx::open(posixFileSystem(), dir.file("o.ntx"), true, ntx), 0);
    EXPECT_EQ(ntx->insert(accKey(1, 1), 1), e4parm);
    ASSERT_EQ(Ntx::open(posixFileSystem(), dir.file("o.ntx"), false, ntx), 0);
    EXPECT_EQ(ntx->insert("short", 1), e4parm);
    EXPECT_EQ(checked(*ntx), 10u);
}

TEST(Ntx, UniqueIndexKeepsTheFirstRecordOfEachKey) {
    TempDir dir;
    NtxHeader h = accHeader();
    h.unique = true;
    auto ntx =
        build(dir.file("u.ntx"), {{accKey(1, 1), 7}, {accKey(1, 1), 3}, {accKey(2, 1), 9}}, h);
    EXPECT_EQ(walk(*ntx), (std::vector<Entry>{{accKey(1, 1), 3}, {accKey(2, 1), 9}}));
    EXPECT_EQ(ntx->insert(accKey(2, 1), 1), 0);
    EXPECT_EQ(checked(*ntx), 2u);
}

TEST(Ntx, DescendingIndexRunsFromTheHighestKey) {
    TempDir dir;
    NtxHeader h = accHeader();
    h.descending = true;
    auto ntx =
        build(dir.file("d.ntx"), {{accKey(1, 1), 1}, {accKey(3, 1), 2}, {accKey(2, 1), 3}}, h);
    ASSERT_EQ(ntx->insert(accKey(4, 1), 4), 0);
    auto got = walk(*ntx);
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].second, 4u);
    EXPECT_EQ(got[3].second, 1u);
    EXPECT_EQ(ntx->seek("   2"), r4success);
    EXPECT_EQ(ntx->recNo(), 3u);
    EXPECT_EQ(checked(*ntx), 4u);
}

TEST(Ntx, FailedBuildLeavesNoFileBehind) {
    TempDir dir;
    FaultyFileSystem fs;
    fs.failNth(FsOp::Write, 1, ENOSPC);
    NtxBuilder b(fs, dir.file("f.ntx"), accHeader());
    for (const auto& [k, r] : randomEntries(100, 1)) b.add(k, r);
    std::unique_ptr<Ntx> ntx;
    EXPECT_EQ(b.finish(ntx), e4full);
    EXPECT_FALSE(ntx);
    std::vector<std::string> names;
    ASSERT_EQ(posixFileSystem().list(dir.path(), names), 0);
    EXPECT_TRUE(names.empty());
}

TEST(Ntx, BadBuilderInputIsRefused) {
    TempDir dir;
    std::unique_ptr<Ntx> ntx;
    NtxBuilder wrongKey(posixFileSystem(), dir.file("k.ntx"), accHeader());
    wrongKey.add("short", 1);
    EXPECT_EQ(wrongKey.finish(ntx), e4parm);
    NtxHeader h = accHeader();
    h.tagName = "MUCHTOOLONGNAME";
    NtxBuilder longTag(posixFileSystem(), dir.file("t.ntx"), h);
    EXPECT_EQ(longTag.finish(ntx), e4tagName);
}

// ---- damaged files ------------------------------------------------------------------------

class NtxDamage : public ::testing::Test {
protected:
    void SetUp() override {
        build(dir.file("g.ntx"), randomEntries(4000, 21)).reset();
        good = readFile(dir.file("g.ntx"));
        root = get32(good, 4);
        firstChild = get32(good, root + 92);
    }

    // Opens the damaged bytes and walks and checks the index: the damage must show as e4index
    // at one of these steps, never as a crash or a hang.
    int openDamaged(const std::string& bytes) {
        writeFile(dir.file("bad.ntx"), bytes);
        std::unique_ptr<Ntx> ntx;
        int rc = Ntx::open(posixFileSystem(), dir.file("bad.ntx"), true, ntx);
        if (rc) return rc;
        int walked = ntx->forEach([](std::string_view, std::uint32_t) { return true; });
        int back = 0;
        for (back = ntx->last(); back == 0; back = ntx->prev()) {
        }
        std::string report;
        int checkRc = ntx->check(&report, nullptr);
        std::uint64_t entries = 0;
        const int counted = ntx->entries(entries);
        if (counted < 0) return counted;
        if (walked < 0) return walked;
        if (back < 0) return back;
        return checkRc;
    }

    std::string with16(std::size_t at, unsigned v) {
        std::string s = good;
        put16(s, at, v);
        return s;
    }
    std::string with32(std::size_t at, std::uint32_t v) {
        std::string s = good;
        put32(s, at, v);
        return s;
    }

    TempDir dir;
    std::string good;
    std::uint32_t root = 0;
    std::uint32_t firstChild = 0;
};

TEST_F(NtxDamage, SoundFileOpensAndChecks) {
    EXPECT_EQ(openDamaged(good), 0);
}

TEST_F(NtxDamage, BadHeadersAreRefused) {
    EXPECT_EQ(openDamaged(good.substr(0, 500)), e4index);
    EXPECT_EQ(openDamaged(""), e4index);
    EXPECT_EQ(openDamaged(with16(0, 0x1234)), e4index);
    EXPECT_EQ(openDamaged(with16(14, 0)), e4index);  // key size 0
    std::string big = with16(14, 300);
    put16(big, 12, 308);
    EXPECT_EQ(openDamaged(big), e4index);             // key size over 256
    EXPECT_EQ(openDamaged(with16(12, 21)), e4index);  // item size not key size + 8
    EXPECT_EQ(openDamaged(with16(18, 60)), e4index);  // more items than a page holds
    EXPECT_EQ(openDamaged(with16(18, 1)), e4index);
    EXPECT_EQ(openDamaged(with32(4, 0)), e4index);          // root in the header page
    EXPECT_EQ(openDamaged(with32(4, root + 10)), e4index);  // not page aligned
    EXPECT_EQ(openDamaged(with32(4, static_cast<std::uint32_t>(good.size()))), e4index);
    EXPECT_EQ(openDamaged(with32(8, 0xFFFFFC00u)), e4index);  // free list past the end
    std::string garbage = good;
    garbage[24] = '\x01';  // control byte in the key expression
    EXPECT_EQ(openDamaged(garbage), e4index);
    std::string unterminated = good;
    for (int i = 22; i < 278; ++i) unterminated[i] = 'A';
    EXPECT_EQ(openDamaged(unterminated), e4index);
}

TEST_F(NtxDamage, BadPagesAreRefused) {
    EXPECT_EQ(openDamaged(with16(root, 45)), e4index);                // more keys than max items
    EXPECT_EQ(openDamaged(with16(root + 2, 1020)), e4index);          // slot past the page end
    EXPECT_EQ(openDamaged(with32(root + 92, root)), e4index);         // child is the page itself
    EXPECT_EQ(openDamaged(with32(root + 92, 512)), e4index);          // not page aligned
    EXPECT_EQ(openDamaged(with32(root + 92, 0x7FFFFC00u)), e4index);  // past the end
    EXPECT_EQ(openDamaged(with16(firstChild, 45)), e4index);          // below the root
    // A cycle: a page below the root made to point back at it.
    EXPECT_EQ(openDamaged(with32(firstChild + 92, root)), e4index);
    // Two parents share a child.
    std::uint32_t second = get32(good, root + 92 + 20);
    EXPECT_EQ(openDamaged(with32(root + 92, second)), e4index);
    // Every child of the root is the same page: walks stop at the first repeated entry.
    std::string shared = good;
    unsigned n = get32(good, root) & 0xFFFF;
    for (unsigned i = 0; i <= n; ++i) put32(shared, root + 92 + i * 20, firstChild);
    EXPECT_EQ(openDamaged(shared), e4index);
    // Keys out of order.
    std::string swapped = good;
    swapped[firstChild + 92 + 8] = '9';  // first key now above all that follow
    EXPECT_EQ(openDamaged(swapped), e4index);
    // A file cut short in the middle of the pages.
    EXPECT_EQ(openDamaged(good.substr(0, good.size() / 2 + 100)), e4index);
}

TEST_F(NtxDamage, EveryByteFlipStaysSafe) {
    // Any single damaged byte gives a sound walk or an error, never a crash or a hang.
    std::mt19937 rng(4);
    for (int i = 0; i < 300; ++i) {
        std::string s = good;
        std::size_t at = rng() % (root + 1024 > s.size() ? s.size() : root + 1024);
        if (i % 3 == 0) at = rng() % 1024;
        s[at] = static_cast<char>(rng());
        int rc = openDamaged(s);
        EXPECT_TRUE(rc == 0 || rc == e4index) << at << " " << rc;
    }
}

}  // namespace
}  // namespace engine
