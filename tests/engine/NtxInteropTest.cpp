// Index files written here must read back, in key order and with their record numbers,
// through an independent reader: Perl's XBase::Index (Debian's libdbd-xbase-perl).

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "data/engine/KeyExpression.h"
#include "data/engine/Ntx.h"
#include "support/TableFiles.h"

namespace engine {
namespace {

using Entry = std::pair<std::string, std::uint32_t>;

bool perlReaderPresent() {
    return std::system("perl -MXBase::Index -e 1 >/dev/null 2>&1") == 0;
}

// Every (key, record number) the Perl reader finds, in its order.
std::vector<Entry> readWithPerl(const std::string& path, char type) {
    std::string cmd =
        "perl -MXBase::Index -e '$i = XBase::Index->new($ARGV[0], type => $ARGV[1]) or die "
        "XBase::Index->errstr; $i->prepare_select; while (my ($k, $r) = $i->fetch) "
        "{ print \"$k\\t$r\\n\" }' '" +
        path + "' " + type;
    std::vector<Entry> out;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return out;
    char line[512];
    while (std::fgets(line, sizeof line, p)) {
        std::string s(line);
        auto tab = s.find('\t');
        if (tab == std::string::npos) continue;
        out.emplace_back(s.substr(0, tab),
                         static_cast<std::uint32_t>(std::stoul(s.substr(tab + 1))));
    }
    EXPECT_EQ(::pclose(p), 0) << cmd;
    return out;
}

std::string accKey(int acc, int day) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%4d2026%02d%02d", acc, day / 28 % 12 + 1, day % 28 + 1);
    return buf;
}

NtxHeader accHeader() {
    NtxHeader h;
    h.expression = "STR(ACCNO,4)+DTOS(EXPDATE)";
    h.filter = ".NOT. DELETED()";
    h.tagName = "EACC";
    h.keySize = 12;
    return h;
}

class NtxInterop : public ::testing::Test {
protected:
    void SetUp() override {
        if (!perlReaderPresent())
            GTEST_SKIP() << "perl with XBase::Index (libdbd-xbase-perl) is not installed";
    }
    enginetest::TempDir dir;
};

TEST_F(NtxInterop, BulkBuiltCharacterIndexReadsInOrder) {
    std::mt19937 rng(5);
    std::multiset<Entry> want;
    NtxBuilder b(posixFileSystem(), dir.file("EAcc.ntx"), accHeader());
    for (std::uint32_t r = 1; r <= 6000; ++r) {
        Entry e{accKey(static_cast<int>(rng() % 300) + 1, static_cast<int>(rng() % 336)), r};
        b.add(e.first, e.second);
        want.insert(e);
    }
    std::unique_ptr<Ntx> ntx;
    ASSERT_EQ(b.finish(ntx), 0);
    ntx.reset();
    EXPECT_EQ(readWithPerl(dir.file("EAcc.ntx"), 'C'),
              std::vector<Entry>(want.begin(), want.end()));
}

TEST_F(NtxInterop, IncrementallyKeptCharacterIndexReadsInOrder) {
    std::mt19937 rng(6);
    NtxBuilder b(posixFileSystem(), dir.file("EAcc.ntx"), accHeader());
    std::unique_ptr<Ntx> ntx;
    ASSERT_EQ(b.finish(ntx), 0);
    std::multiset<Entry> want;
    std::vector<Entry> live;
    for (std::uint32_t r = 1; r <= 5000; ++r) {
        Entry e{accKey(static_cast<int>(rng() % 300) + 1, static_cast<int>(rng() % 336)), r};
        ASSERT_EQ(ntx->insert(e.first, e.second), 0);
        want.insert(e);
        live.push_back(e);
    }
    std::shuffle(live.begin(), live.end(), rng);
    for (int i = 0; i < 2000; ++i) {  // erases leave free pages, which readers must skip
        ASSERT_EQ(ntx->erase(live.back().first, live.back().second), 0);
        want.erase(want.find(live.back()));
        live.pop_back();
    }
    ASSERT_EQ(ntx->flush(), 0);
    EXPECT_EQ(readWithPerl(dir.file("EAcc.ntx"), 'C'),
              std::vector<Entry>(want.begin(), want.end()));
    for (int i = 0; i < 500; ++i) {  // the freed pages come back into use
        Entry e{accKey(static_cast<int>(rng() % 300) + 1, 1), 9000u + static_cast<unsigned>(i)};
        ASSERT_EQ(ntx->insert(e.first, e.second), 0);
        want.insert(e);
    }
    ntx.reset();  // written back on close
    EXPECT_EQ(readWithPerl(dir.file("EAcc.ntx"), 'C'),
              std::vector<Entry>(want.begin(), want.end()));
}

TEST_F(NtxInterop, NumericIndexWithNegativesReadsInNumericOrder) {
    NtxHeader h;
    h.expression = "FOLNO";
    h.filter = ".NOT. DELETED()";
    h.tagName = "FOLTAG";
    h.keySize = 4;
    std::mt19937 rng(8);
    std::vector<std::pair<int, std::uint32_t>> values;
    NtxBuilder b(posixFileSystem(), dir.file("FolTag.ntx"), h);
    for (std::uint32_t r = 1; r <= 3000; ++r) {
        int v = static_cast<int>(rng() % 1999) - 999;
        values.emplace_back(v, r);
        b.add(numericKey(v, 4, 0), r);
    }
    std::unique_ptr<Ntx> ntx;
    ASSERT_EQ(b.finish(ntx), 0);
    for (std::uint32_t r = 3001; r <= 3300; ++r) {
        int v = static_cast<int>(rng() % 1999) - 999;
        values.emplace_back(v, r);
        ASSERT_EQ(ntx->insert(numericKey(v, 4, 0), r), 0);
    }
    ntx.reset();
    std::sort(values.begin(), values.end());
    auto got = readWithPerl(dir.file("FolTag.ntx"), 'N');
    ASSERT_EQ(got.size(), values.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        ASSERT_EQ(std::stoi(got[i].first), values[i].first) << i;
        ASSERT_EQ(got[i].second, values[i].second) << i;
    }
}

}  // namespace
}  // namespace engine
