// Index speed: a bulk build of 1,000,000 twelve-byte keys against its floor (extracting the
// keys from the records and sorting them in memory), seeks in that index, and incremental
// inserts of 100,000 entries.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "data/engine/KeyExpression.h"
#include "data/engine/Ntx.h"

namespace {

using namespace engine;

constexpr std::size_t kRecords = 1'000'000;
constexpr int kRecLen = 1 + 8 + 4;  // delete flag, EXPDATE, ACCNO

const std::vector<FieldLayout>& fields() {
    static const std::vector<FieldLayout> f{{"EXPDATE", 'D', 1, 8, 0}, {"ACCNO", 'N', 9, 4, 0}};
    return f;
}

// Expense-like records in table order: random accounts and dates.
const std::string& records() {
    static const std::string data = [] {
        std::string d(kRecords * kRecLen, ' ');
        std::mt19937 rng(42);
        auto pick = [&](unsigned n) { return static_cast<unsigned>(rng() % n); };
        char buf[16];
        for (std::size_t i = 0; i < kRecords; ++i) {
            std::snprintf(buf, sizeof buf, "%04u%02u%02u%4u", 1990 + pick(40), 1 + pick(12),
                          1 + pick(28), 1 + pick(9999));
            std::memcpy(&d[i * kRecLen + 1], buf, 12);
        }
        return d;
    }();
    return data;
}

const KeyExpression& expression() {
    static const KeyExpression e = *KeyExpression::parse("STR(ACCNO,4)+DTOS(EXPDATE)", fields());
    return e;
}

// A scratch directory for the index files, removed when the program ends.
class ScratchDir {
public:
    ScratchDir() {
        std::string t = (std::filesystem::temp_directory_path() / "cbk-ntx-XXXXXX").string();
        path_ = ::mkdtemp(t.data()) ? t : std::string(".");
    }
    ~ScratchDir() {
        std::error_code ec;
        if (path_ != ".") std::filesystem::remove_all(path_, ec);
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

std::string tempDir() {
    static const ScratchDir dir;
    return dir.path();
}

NtxHeader header() {
    NtxHeader h;
    h.expression = expression().canonicalText();
    h.filter = ".NOT. DELETED()";
    h.tagName = "EACC";
    h.keySize = expression().keyLength();
    return h;
}

struct Item {
    std::array<unsigned char, 16> b;  // key bytes, then the record number big-endian
    bool operator<(const Item& o) const { return std::memcmp(b.data(), o.b.data(), 16) < 0; }
};

// The floor: read every record, extract its key and sort the keys in memory.
void BM_SortFloor(benchmark::State& state) {
    const std::string& recs = records();
    std::vector<Item> items(kRecords);
    std::string key;
    for (auto _ : state) {
        for (std::size_t i = 0; i < kRecords; ++i) {
            key.clear();
            expression().evaluate(recs.data() + i * kRecLen, key);
            std::memcpy(items[i].b.data(), key.data(), 12);
            std::uint32_t r = static_cast<std::uint32_t>(i + 1);
            for (int k = 0; k < 4; ++k)
                items[i].b[12 + k] = static_cast<unsigned char>(r >> (24 - 8 * k));
        }
        std::sort(items.begin(), items.end());
        benchmark::DoNotOptimize(items.data());
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRecords));
}
BENCHMARK(BM_SortFloor)->Unit(benchmark::kMillisecond);

// The same work plus the index: sort, fill pages bottom-up, write, sync and rename.
void BM_BulkBuild(benchmark::State& state) {
    const std::string& recs = records();
    std::string key;
    for (auto _ : state) {
        NtxBuilder b(posixFileSystem(), tempDir() + "/bulk.ntx", header());
        b.reserve(kRecords);
        for (std::size_t i = 0; i < kRecords; ++i) {
            key.clear();
            expression().evaluate(recs.data() + i * kRecLen, key);
            b.add(key, static_cast<std::uint32_t>(i + 1));
        }
        std::unique_ptr<Ntx> ntx;
        if (b.finish(ntx) != 0) state.SkipWithError("build failed");
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kRecords));
}
BENCHMARK(BM_BulkBuild)->Unit(benchmark::kMillisecond);

// Seeks of existing keys at random: in 1,000,000 entries (most leaves come from the file)
// and in 50,000 (every page cached).
void BM_Seek(benchmark::State& state) {
    const std::string& recs = records();
    const auto entries = static_cast<std::size_t>(state.range(0));
    std::string path = tempDir() + "/seek.ntx";
    std::string key;
    {
        NtxBuilder b(posixFileSystem(), path, header());
        for (std::size_t i = 0; i < entries; ++i) {
            key.clear();
            expression().evaluate(recs.data() + i * kRecLen, key);
            b.add(key, static_cast<std::uint32_t>(i + 1));
        }
        std::unique_ptr<Ntx> built;
        if (b.finish(built) != 0) state.SkipWithError("build failed");
    }
    std::unique_ptr<Ntx> ntx;
    if (Ntx::open(posixFileSystem(), path, false, ntx) != 0) {
        state.SkipWithError("open failed");
        return;
    }
    std::vector<std::string> probes;
    std::mt19937 rng(7);
    for (int i = 0; i < 4096; ++i) {
        key.clear();
        expression().evaluate(recs.data() + (rng() % entries) * kRecLen, key);
        probes.push_back(key);
    }
    std::size_t i = 0;
    for (auto _ : state) {
        int rc = ntx->seek(probes[i++ & 4095]);
        benchmark::DoNotOptimize(rc);
    }
}
BENCHMARK(BM_Seek)->Arg(kRecords)->Arg(50'000);

// 100,000 inserts at random places into an index that starts empty, written back at the end.
void BM_Insert100k(benchmark::State& state) {
    const std::string& recs = records();
    std::vector<std::string> keys;
    std::string key;
    for (std::size_t i = 0; i < 100'000; ++i) {
        key.clear();
        expression().evaluate(recs.data() + i * kRecLen, key);
        keys.push_back(key);
    }
    for (auto _ : state) {
        NtxBuilder b(posixFileSystem(), tempDir() + "/insert.ntx", header());
        std::unique_ptr<Ntx> ntx;
        if (b.finish(ntx) != 0) state.SkipWithError("build failed");
        for (std::size_t i = 0; i < keys.size(); ++i)
            if (ntx->insert(keys[i], static_cast<std::uint32_t>(i + 1)) != 0)
                state.SkipWithError("insert failed");
        ntx->flush();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * keys.size()));
}
BENCHMARK(BM_Insert100k)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
