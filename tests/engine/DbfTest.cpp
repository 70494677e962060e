#include "data/engine/Dbf.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <cstring>

#include "data/engine/Errors.h"
#include "support/FaultyFileSystem.h"
#include "support/TableFiles.h"

namespace engine {
namespace {

using enginetest::get32;
using enginetest::RawField;
using enginetest::rawTable;
using enginetest::readFile;
using enginetest::TempDir;
using enginetest::writeFile;

std::vector<FieldLayout> sampleFields() {
    return {{"AccNo", 'N', 0, 4, 0},
            {"AcDesc", 'C', 0, 30, 0},
            {"AcDed", 'L', 0, 1, 0},
            {"When", 'D', 0, 8, 0},
            {"Amount", 'N', 0, 10, 2}};
}

std::unique_ptr<Dbf> openOk(const std::string& path, bool exclusive = false,
                            FileSystem& fs = posixFileSystem()) {
    std::unique_ptr<Dbf> t;
    std::string why;
    EXPECT_EQ(Dbf::open(fs, path, exclusive, t, &why), 0) << why;
    return t;
}

std::string record(Dbf& t, std::uint32_t n) {
    const char* p = nullptr;
    EXPECT_EQ(t.record(n, p), 0);
    return p ? std::string(p, t.recordLength()) : std::string();
}

TEST(Dbf, CreatedTableIsDBaseIIIWithTodaysDateAndWindows1252) {
    TempDir dir;
    std::string path = dir.file("ACC.dbf");
    ASSERT_EQ(Dbf::create(posixFileSystem(), path, sampleFields()), 0);
    std::string b = readFile(path);
    const std::size_t headerLen = 32 + 5 * 32 + 1;
    ASSERT_EQ(b.size(), headerLen + 1);
    EXPECT_EQ(b[0], 0x03);
    using namespace std::chrono;
    year_month_day today{floor<days>(system_clock::now())};
    EXPECT_EQ(static_cast<unsigned char>(b[1]), static_cast<int>(today.year()) - 1900);
    EXPECT_EQ(static_cast<unsigned char>(b[2]), static_cast<unsigned>(today.month()));
    EXPECT_EQ(static_cast<unsigned char>(b[3]), static_cast<unsigned>(today.day()));
    EXPECT_EQ(get32(b, 4), 0u);
    EXPECT_EQ(static_cast<unsigned char>(b[8]) | (static_cast<unsigned char>(b[9]) << 8),
              headerLen);
    EXPECT_EQ(b[10], 1 + 4 + 30 + 1 + 8 + 10);
    EXPECT_EQ(b[29], 0x03);
    EXPECT_EQ(std::string(b.data() + 32, 11), std::string("ACCNO\0\0\0\0\0\0", 11));
    EXPECT_EQ(b[32 + 11], 'N');
    EXPECT_EQ(b[32 + 16], 4);
    EXPECT_EQ(std::string(b.data() + 32 + 4 * 32, 6), "AMOUNT");
    EXPECT_EQ(b[32 + 4 * 32 + 16], 10);
    EXPECT_EQ(b[32 + 4 * 32 + 17], 2);
    EXPECT_EQ(b[headerLen - 1], 0x0D);
    EXPECT_EQ(b[headerLen], 0x1A);
}

TEST(Dbf, CreateRefusesFieldsDBaseCannotHold) {
    TempDir dir;
    std::vector<std::vector<FieldLayout>> bad = {
        {},
        {{"TOOLONGNAME1", 'C', 0, 5, 0}},
        {{"A B", 'C', 0, 5, 0}},
        {{"X", 'C', 0, 0, 0}},
        {{"X", 'C', 0, 255, 0}},
        {{"X", 'N', 0, 5, 4}},
        {{"X", 'M', 0, 10, 0}},
        {{"X", 'C', 0, 5, 0}, {"x", 'N', 0, 5, 0}},
    };
    for (std::size_t i = 0; i < bad.size(); ++i) {
        EXPECT_LT(Dbf::create(posixFileSystem(), dir.file("T.dbf"), bad[i]), 0) << i;
        EXPECT_FALSE(std::filesystem::exists(dir.file("T.dbf"))) << i;
    }
}

TEST(Dbf, AppendWritesRecordAndEndMarkerBeforeTheCount) {
    TempDir dir;
    std::string path = dir.file("T.dbf");
    ASSERT_EQ(Dbf::create(posixFileSystem(), path, sampleFields()), 0);
    FaultyFileSystem fs;
    std::vector<std::uint64_t> writes;
    auto t = openOk(path, false, fs);
    std::string rec = t->blankRecord();
    std::memcpy(rec.data() + 1, "   7", 4);
    int before = fs.calls(FsOp::Write);
    ASSERT_EQ(t->append(rec.data()), 0);
    EXPECT_EQ(fs.calls(FsOp::Write), before);  // gathered until written
    EXPECT_EQ(get32(readFile(path), 4), 0u);
    ASSERT_EQ(t->writeAppends(), 0);
    EXPECT_EQ(fs.calls(FsOp::Write) - before, 2);  // the record, then the header
    std::string b = readFile(path);
    std::size_t headerLen = 32 + 5 * 32 + 1;
    EXPECT_EQ(b.size(), headerLen + t->recordLength() + 1);
    EXPECT_EQ(b.substr(headerLen, t->recordLength()), rec);
    EXPECT_EQ(b.back(), 0x1A);
    EXPECT_EQ(get32(b, 4), 1u);

    // A failing header write leaves the record on disk but unclaimed.
    fs.failNth(FsOp::Write, 2, ENOSPC);
    EXPECT_EQ(t->append(rec.data()), 0);
    EXPECT_EQ(t->writeAppends(), e4full);
    b = readFile(path);
    EXPECT_EQ(get32(b, 4), 1u);
    EXPECT_EQ(b.size(), headerLen + 2 * t->recordLength() + 1);
}

TEST(Dbf, FailedRecordWriteClaimsNothing) {
    TempDir dir;
    std::string path = dir.file("T.dbf");
    ASSERT_EQ(Dbf::create(posixFileSystem(), path, sampleFields()), 0);
    FaultyFileSystem fs;
    auto t = openOk(path, false, fs);
    fs.failNth(FsOp::Write, 1, EIO);
    EXPECT_EQ(t->append(t->blankRecord().data()), 0);
    EXPECT_EQ(t->flush(), e4write);
    EXPECT_EQ(get32(readFile(path), 4), 0u);
    // The gathered record is kept and goes out once the disk takes it.
    EXPECT_EQ(t->flush(), 0);
    EXPECT_EQ(get32(readFile(path), 4), 1u);
}

TEST(Dbf, WritesAndAppendsAreSeenByLaterReads) {
    TempDir dir;
    std::string path = dir.file("T.dbf");
    ASSERT_EQ(Dbf::create(posixFileSystem(), path, sampleFields()), 0);
    auto t = openOk(path);
    std::string rec = t->blankRecord();
    // Enough appends to outgrow a view taken early, and a block buffer taken in between.
    for (std::uint32_t n = 1; n <= 30000; ++n) {
        std::snprintf(rec.data() + 1, 5, "%4u", n % 10000);
        rec[5] = static_cast<char>('A' + n % 26);
        ASSERT_EQ(t->append(rec.data()), 0);
        if (n == 1 || n == 5000 || n == 17000) record(*t, n);
    }
    for (std::uint32_t n = 1; n <= 30000; n += 997) {
        std::string r = record(*t, n);
        EXPECT_EQ(r[5], static_cast<char>('A' + n % 26)) << n;
    }
    std::string r = record(*t, 29999);
    r[5] = 'z';
    ASSERT_EQ(t->write(29999, r.data()), 0);
    EXPECT_EQ(record(*t, 29999)[5], 'z');
    r = record(*t, 3);
    r[5] = 'y';
    ASSERT_EQ(t->write(3, r.data()), 0);
    EXPECT_EQ(record(*t, 3)[5], 'y');
    // A gathered record changed before it reaches the file costs no write of its own.
    ASSERT_EQ(t->append(rec.data()), 0);
    std::string last = record(*t, 30001);
    last[5] = 'q';
    ASSERT_EQ(t->write(30001, last.data()), 0);
    EXPECT_EQ(record(*t, 30001)[5], 'q');
    ASSERT_EQ(t->flush(), 0);
    EXPECT_EQ(record(*t, 30001)[5], 'q');
    const char* p = nullptr;
    EXPECT_EQ(t->record(0, p), e4parm);
    EXPECT_EQ(t->record(30002, p), e4parm);
    t.reset();
    auto again = openOk(path);
    EXPECT_EQ(again->count(), 30001u);
    EXPECT_EQ(record(*again, 29999)[5], 'z');
}

// Gathered changes are read back at once and reach the file only at the flush, every byte
// as a write of each would leave it: records close together share a write with the unchanged
// ones between them, and a record changed twice keeps its last change.
TEST(Dbf, GatheredChangesReachTheFileAtTheFlushByteForByte) {
    TempDir dir;
    std::string path = dir.file("T.dbf");
    ASSERT_EQ(Dbf::create(posixFileSystem(), path, sampleFields()), 0);
    auto t = openOk(path);
    std::string rec = t->blankRecord();
    for (std::uint32_t n = 1; n <= 3000; ++n) {
        std::snprintf(rec.data() + 1, 5, "%4u", n);
        ASSERT_EQ(t->append(rec.data()), 0);
    }
    ASSERT_EQ(t->flush(), 0);
    std::string want = readFile(path);
    const std::size_t head = 32 + 5 * 32 + 1, len = t->recordLength();
    for (const std::uint32_t n : {2900u, 7u, 9u, 10u, 40u, 2000u, 7u}) {
        std::string r = record(*t, n);
        r[6] = static_cast<char>(r[6] == 'a' ? 'b' : 'a');
        ASSERT_EQ(t->write(n, r.data(), /*gather=*/true), 0);
        EXPECT_EQ(record(*t, n), r) << n;
        want.replace(head + (n - 1) * len, len, r);
    }
    EXPECT_NE(readFile(path), want) << "nothing written before the flush";
    // A write of a record outside the gathered ones goes straight to the file.
    std::string r = record(*t, 500);
    r[6] = 'w';
    ASSERT_EQ(t->write(500, r.data()), 0);
    want.replace(head + 499 * len, len, r);
    ASSERT_EQ(t->flush(), 0);
    std::string got = readFile(path);
    got[1] = want[1], got[2] = want[2], got[3] = want[3];  // the date of the last change
    EXPECT_EQ(got, want);
    EXPECT_EQ(record(*t, 7)[6], 'b');
}

TEST(Dbf, ClipperLongCharacterFieldUsesTheDecimalsByte) {
    TempDir dir;
    std::string path = dir.file("LONG.dbf");
    std::string text(300, 'x');
    text[299] = 'E';
    writeFile(path,
              rawTable(0x03, 0x00, {{"NOTE", 'C', 300}, {"N", 'N', 3}}, {" " + text + "  5"}));
    auto t = openOk(path);
    ASSERT_EQ(t->fields().size(), 2u);
    EXPECT_EQ(t->fields()[0].len, 300);
    EXPECT_EQ(t->fields()[1].offset, 301);
    EXPECT_EQ(record(*t, 1).substr(301, 3), "  5");
}

TEST(Dbf, VisualFoxProTableWithBinaryFieldsOpens) {
    TempDir dir;
    std::string path = dir.file("VFP.dbf");
    std::string rec = std::string(" ") + "ABC  " + std::string("\x01\x00\x00\x00", 4) +
                      std::string(8, '\0') + std::string(4, '\x07');
    writeFile(path,
              rawTable(0x30, 0x03,
                       {{"NAME", 'C', 5}, {"QTY", 'I', 4}, {"PRICE", 'B', 8}, {"MEMO", 'M', 4}},
                       {rec}, 264));
    auto t = openOk(path);
    ASSERT_EQ(t->fields().size(), 4u);
    EXPECT_EQ(t->fields()[1].type, 'I');
    EXPECT_EQ(t->fields()[3].offset, 18);
    EXPECT_EQ(record(*t, 1), rec);
    // A blank record of such a table keeps binary fields binary.
    std::string blank = t->blankRecord();
    EXPECT_EQ(blank.substr(6, 4), std::string(4, '\0'));
    EXPECT_EQ(blank.substr(1, 5), "     ");
}

TEST(Dbf, ToleratesMissingEndMarkerAndTrailingJunk) {
    TempDir dir;
    std::string path = dir.file("T.dbf");
    std::string bytes = rawTable(0x03, 0x01, {{"A", 'C', 3}}, {" abc", " def"});
    bytes.pop_back();
    writeFile(path, bytes);
    EXPECT_EQ(openOk(path)->count(), 2u);
    writeFile(path, bytes + "\x1A\x1A junk junk");
    auto t = openOk(path);
    EXPECT_EQ(t->count(), 2u);
    EXPECT_EQ(record(*t, 2), " def");
}

TEST(Dbf, DamagedHeadersAreRefused) {
    auto good = rawTable(0x03, 0x03, {{"A", 'C', 3}, {"B", 'N', 4}}, {" abc   1", " def   2"});
    struct Case {
        const char* what;
        std::string bytes;
    };
    std::vector<Case> cases;
    cases.push_back({"empty", ""});
    cases.push_back({"short", good.substr(0, 20)});
    cases.push_back({"truncated records", good.substr(0, good.size() - 6)});
    auto c = good;
    enginetest::put32(c, 4, 1000000);
    cases.push_back({"count beyond file", c});
    c = good;
    enginetest::put16(c, 10, 99);
    cases.push_back({"record length", c});
    c = good;
    enginetest::put16(c, 8, 60000);
    cases.push_back({"header length beyond file", c});
    c = good;
    enginetest::put16(c, 8, 40);
    cases.push_back({"header length too small", c});
    cases.push_back({"no fields", rawTable(0x03, 0x03, {}, {})});
    c = good;
    c[32] = '\x01';
    cases.push_back({"garbage name", c});
    c = good;
    c[32 + 11] = '\0';
    cases.push_back({"garbage type", c});
    c = good;
    c[64 + 16] = 0;
    cases.push_back({"zero-length field", c});
    c = good;
    c[0] = 0x42;
    cases.push_back({"not a table", c});
    c = good;
    c[32 + 64] = 'Z';
    cases.push_back({"no terminator", c});
    c = good;
    std::memcpy(c.data() + 64, "A\0", 2);
    cases.push_back({"duplicate names", c});
    cases.push_back({"random", std::string(4000, '\xA7')});

    TempDir dir;
    for (const auto& k : cases) {
        writeFile(dir.file("BAD.dbf"), k.bytes);
        std::unique_ptr<Dbf> t;
        std::string why;
        int rc = Dbf::open(posixFileSystem(), dir.file("BAD.dbf"), false, t, &why);
        EXPECT_LT(rc, 0) << k.what;
        EXPECT_FALSE(t) << k.what;
        EXPECT_FALSE(why.empty()) << k.what;
    }
}

TEST(Dbf, RewriteKeepsChosenRecordsAndReplacesTheFile) {
    TempDir dir;
    std::string path = dir.file("T.dbf");
    writeFile(path, rawTable(0x03, 0x03, {{"A", 'C', 3}}, {" aaa", "*bbb", " ccc", "*ddd"}));
    auto t = openOk(path);
    ASSERT_EQ(t->rewrite([](std::uint32_t, const char* r) { return r[0] != '*'; }), 0);
    EXPECT_EQ(t->count(), 2u);
    EXPECT_EQ(record(*t, 2), " ccc");
    std::string b = readFile(path);
    EXPECT_EQ(get32(b, 4), 2u);
    EXPECT_EQ(b.substr(b.size() - 9), " aaa ccc\x1A");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    // The table goes on working on the new file.
    std::string rec = t->blankRecord();
    ASSERT_EQ(t->append(rec.data()), 0);
    ASSERT_EQ(t->flush(), 0);
    EXPECT_EQ(get32(readFile(path), 4), 3u);
}

TEST(Dbf, FailedRewriteLeavesTheOldFileWhole) {
    TempDir dir;
    std::string path = dir.file("T.dbf");
    writeFile(path, rawTable(0x03, 0x03, {{"A", 'C', 3}}, {" aaa", "*bbb", " ccc"}));
    const std::string original = readFile(path);
    for (auto [op, err] : {std::pair{FsOp::Write, ENOSPC}, std::pair{FsOp::Sync, EIO},
                           std::pair{FsOp::Rename, EACCES}, std::pair{FsOp::Open, EACCES}}) {
        FaultyFileSystem fs;
        auto t = openOk(path, false, fs);
        fs.failNth(op, 1, err);
        EXPECT_LT(t->rewrite([](std::uint32_t, const char* r) { return r[0] != '*'; }), 0)
            << fsOpName(op);
        EXPECT_EQ(readFile(path), original) << fsOpName(op);
        EXPECT_FALSE(std::filesystem::exists(path + ".tmp")) << fsOpName(op);
        EXPECT_EQ(t->count(), 3u);
        EXPECT_EQ(record(*t, 2), "*bbb");
    }
}

TEST(Dbf, ExclusiveLockKeepsOthersOut) {
    TempDir dir;
    std::string path = dir.file("T.dbf");
    ASSERT_EQ(Dbf::create(posixFileSystem(), path, sampleFields()), 0);
    {
        auto a = openOk(path, false);
        auto b = openOk(path, false);
        std::unique_ptr<Dbf> c;
        EXPECT_EQ(Dbf::open(posixFileSystem(), path, true, c), e4lock);
    }
    auto owner = openOk(path, true);
    for (bool exclusive : {false, true}) {
        std::unique_ptr<Dbf> other;
        EXPECT_EQ(Dbf::open(posixFileSystem(), path, exclusive, other), e4lock);
    }
    owner.reset();
    EXPECT_TRUE(openOk(path, true));
}

TEST(Dbf, WriteProtectedTableOpensReadOnly) {
    if (::geteuid() == 0) GTEST_SKIP() << "root ignores file permissions";
    TempDir dir;
    std::string path = dir.file("T.dbf");
    writeFile(path, rawTable(0x03, 0x03, {{"A", 'C', 3}}, {" aaa"}));
    ::chmod(path.c_str(), 0444);
    auto t = openOk(path);
    EXPECT_TRUE(t->readOnly());
    EXPECT_EQ(record(*t, 1), " aaa");
    EXPECT_EQ(t->write(1, " zzz"), e4access);
    EXPECT_EQ(t->append(" zzz"), e4access);
}

}  // namespace
}  // namespace engine
