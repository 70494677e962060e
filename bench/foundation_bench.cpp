// Foundation benchmarks on generated data: the full index rebuild, an ordered walk loading
// every expense, random seeks, appends through the store path and a pack, each beside its
// floor (the same bytes read or written sequentially; for the rebuild also the same keys
// extracted and sorted in memory).
//
// The data (N expense and N income records, N = CBK_BENCH_RECORDS or 1,000,000) is made once
// in a temporary directory, or kept in CBK_BENCH_DIR when that is set.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/SampleData.h"
#include "data/StoredForms.h"
#include "platform/ScriptedPlatform.h"

namespace {

using bench::Day;
using bench::FileIn;
using bench::ReadSequentially;

namespace fs = std::filesystem;

fs::path DataDir;
long Records = 1'000'000;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::string bytes(fs::file_size(path), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

// Where a field lies in a .dbf record, read from the table's own header.
struct DbfShape {
    std::size_t headerLength = 0;
    std::size_t recordLength = 0;
    std::size_t count = 0;
    int offset(const std::string& bytes, const char* field) const {
        int at = 1;
        for (std::size_t d = 32; d + 32 <= headerLength && bytes[d] != '\r'; d += 32) {
            if (std::strncmp(bytes.data() + d, field, 11) == 0) return at;
            at += static_cast<unsigned char>(bytes[d + 16]);
        }
        return -1;
    }
};

DbfShape ShapeOf(const std::string& bytes) {
    DbfShape s;
    auto u16 = [&](int at) {
        return std::size_t(static_cast<unsigned char>(bytes[at])) |
               std::size_t(static_cast<unsigned char>(bytes[at + 1])) << 8;
    };
    s.headerLength = u16(8);
    s.recordLength = u16(10);
    s.count = (bytes.size() - s.headerLength) / s.recordLength;
    return s;
}

// The rebuild's floor: read both record tables through a 1 MiB buffer, extract the four keys
// of every live record as they pass and sort each key set. A key of 12 bytes and its record
// number are packed into two words, so the sort compares integers.
struct PackedEntry {
    std::uint64_t high;  // key bytes 0..7, big-endian
    std::uint64_t low;   // key bytes 8..11, then the record number
    bool operator<(const PackedEntry& o) const {
        return high != o.high ? high < o.high : low < o.low;
    }
};

std::uint64_t BigEndian(const char* bytes, int n) {
    std::uint64_t v = 0;
    for (int i = 0; i < n; ++i) v = v << 8 | static_cast<unsigned char>(bytes[i]);
    return v;
}

PackedEntry Packed(const char* first, int firstLen, const char* second, std::uint32_t recNo) {
    char key[12];
    std::memcpy(key, first, firstLen);
    std::memcpy(key + firstLen, second, 12 - firstLen);
    return {BigEndian(key, 8), BigEndian(key + 8, 4) << 32 | recNo};
}

void BM_FloorRebuildReadExtractSort(benchmark::State& state) {
    for (auto _ : state) {
        for (const char* table : {"EXP5.dbf", "INC5.dbf"}) {
            const fs::path path = FileIn(DataDir, table);
            std::string head(4096, '\0');
            std::FILE* f = std::fopen(path.c_str(), "rb");
            head.resize(std::fread(head.data(), 1, head.size(), f));
            const DbfShape shape = ShapeOf(head);
            const bool exp = table[0] == 'E';
            const int date = shape.offset(head, exp ? "EXPDATE" : "INCDATE");
            const int acc = shape.offset(head, exp ? "ACCNO" : "INCACC");
            std::vector<PackedEntry> byDate, byAcc;
            byDate.reserve(Records);
            byAcc.reserve(Records);
            std::vector<char> buffer((1 << 20) / shape.recordLength * shape.recordLength);
            std::fseek(f, static_cast<long>(shape.headerLength), SEEK_SET);
            std::uint32_t recNo = 0;
            std::size_t got;
            while ((got = std::fread(buffer.data(), 1, buffer.size(), f)) >= shape.recordLength) {
                for (std::size_t at = 0; at + shape.recordLength <= got; at += shape.recordLength) {
                    const char* rec = buffer.data() + at;
                    ++recNo;
                    if (rec[0] == '*') continue;
                    // EDate/IncDate: the date, then the account (IncDate has the date alone;
                    // the extra bytes cost the floor nothing it would save).
                    byDate.push_back(Packed(rec + date, 8, rec + acc, recNo));
                    byAcc.push_back(Packed(rec + acc, 4, rec + date, recNo));
                }
            }
            std::fclose(f);
            std::sort(byDate.begin(), byDate.end());
            std::sort(byAcc.begin(), byAcc.end());
            benchmark::DoNotOptimize(byDate.data());
            benchmark::DoNotOptimize(byAcc.data());
        }
    }
}
BENCHMARK(BM_FloorRebuildReadExtractSort)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FloorReadRecordTables(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadSequentially(FileIn(DataDir, "EXP5.dbf")));
        benchmark::DoNotOptimize(ReadSequentially(FileIn(DataDir, "INC5.dbf")));
    }
}
BENCHMARK(BM_FloorReadRecordTables)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BuildIndexesFull(benchmark::State& state) {
    cbk::StartDataStore();
    for (auto _ : state) cbk::BuildIndexes(false);
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_BuildIndexesFull)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FloorReadExpenses(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReadSequentially(FileIn(DataDir, "EXP5.dbf")));
}
BENCHMARK(BM_FloorReadExpenses)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_WalkExpensesInDateOrder(benchmark::State& state) {
    cbk::StartDataStore();
    long loaded = 0;
    for (auto _ : state) {
        cbk::OpenExpenses();
        for (int rc = cbk::ResultWord; rc != engine::r4eof; rc = engine::d4skip(cbk::Expenses, 1)) {
            cbk::LoadExpense();
            ++loaded;
        }
        cbk::CloseAllTables();
    }
    state.SetItemsProcessed(loaded);
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_WalkExpensesInDateOrder)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same walk in record-number order: what the date-order walk costs beyond its visits to
// records scattered over the file.
void BM_WalkExpensesInFileOrder(benchmark::State& state) {
    cbk::StartDataStore();
    long loaded = 0;
    for (auto _ : state) {
        cbk::OpenExpenses();
        engine::d4tagSelect(cbk::Expenses, nullptr);
        for (int rc = engine::d4top(cbk::Expenses); rc != engine::r4eof;
             rc = engine::d4skip(cbk::Expenses, 1)) {
            cbk::LoadExpense();
            ++loaded;
        }
        cbk::CloseAllTables();
    }
    state.SetItemsProcessed(loaded);
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_WalkExpensesInFileOrder)->Unit(benchmark::kMillisecond)->Iterations(5);

constexpr int kSeeks = 10'000;

std::vector<std::string> SeekKeys() {
    std::mt19937 random(42);
    std::vector<std::string> keys;
    static const int kAccounts[] = {100, 110, 120, 130, 140, 150, 160, 170, 180, 190, 200,
                                    210, 220, 230, 240, 250, 270, 280, 300, 310, 320, 330};
    for (int i = 0; i < kSeeks; ++i) {
        const auto day = Day(2016, 3, 7).day + std::chrono::days{random() % 3650};
        keys.push_back(cbk::PadNumber(kAccounts[random() % std::size(kAccounts)], 4) +
                       cbk::DateToStored(platform::DateTime{day, {}}));
    }
    return keys;
}

// The seek's floor: as many single-record reads at random places in the table.
void BM_FloorRandomRecordReads(benchmark::State& state) {
    const fs::path path = FileIn(DataDir, "EXP5.dbf");
    const std::string head = ReadAll(path).substr(0, 4096);
    const DbfShape shape{ShapeOf(head).headerLength, ShapeOf(head).recordLength,
                         static_cast<std::size_t>(Records)};
    std::FILE* f = std::fopen(path.c_str(), "rb");
    std::mt19937 random(7);
    std::vector<char> rec(shape.recordLength);
    for (auto _ : state) {
        for (int i = 0; i < kSeeks; ++i) {
            const long at = static_cast<long>(shape.headerLength +
                                              (random() % shape.count) * shape.recordLength);
            std::fseek(f, at, SEEK_SET);
            benchmark::DoNotOptimize(std::fread(rec.data(), 1, rec.size(), f));
        }
    }
    std::fclose(f);
    state.SetItemsProcessed(state.iterations() * kSeeks);
}
BENCHMARK(BM_FloorRandomRecordReads)->Unit(benchmark::kMillisecond);

void BM_SeekExpensesByAccount(benchmark::State& state) {
    const std::vector<std::string> keys = SeekKeys();
    cbk::StartDataStore();
    cbk::OpenExpenses();
    engine::d4tagSelect(cbk::Expenses, cbk::EAccTag);
    int found = 0;
    for (auto _ : state) {
        for (const std::string& key : keys) found += engine::d4seek(cbk::Expenses, key) != 3;
    }
    benchmark::DoNotOptimize(found);
    state.SetItemsProcessed(state.iterations() * kSeeks);
    cbk::CloseAllTables();
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_SeekExpensesByAccount)->Unit(benchmark::kMillisecond);

constexpr long kAppends = 100'000;

// A fresh directory with the example tables, the expense table emptied, made current.
struct ScratchTables {
    ScratchTables() {
        cbk::SampleOptions options;
        options.today = Day(2026, 3, 5);
        options.indexes = true;
        dir = std::make_unique<cbk::SampleDataDir>(options);
        cbk::StartDataStore();
        cbk::OpenExpenses();
        engine::d4zap(cbk::Expenses, 1, engine::d4recCount(cbk::Expenses));
        cbk::CloseAllTables();
    }
    ~ScratchTables() {
        cbk::ShutDownDataStore(false);
        dir.reset();
        fs::current_path(DataDir);
    }
    std::unique_ptr<cbk::SampleDataDir> dir;
};

void BM_FloorWriteAppendedBytes(benchmark::State& state) {
    ScratchTables scratch;
    const std::size_t recordLength = 8 + 8 + 4 + 4 + 30 + 10 + 30 + 1 + 1;
    const std::vector<char> record(recordLength, ' ');
    for (auto _ : state) {
        std::FILE* f = std::fopen("floor.bin", "wb");
        for (long i = 0; i < kAppends; ++i) std::fwrite(record.data(), 1, record.size(), f);
        std::fclose(f);
    }
}
BENCHMARK(BM_FloorWriteAppendedBytes)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_AppendExpensesThroughStore(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        {
            ScratchTables scratch;
            cbk::OpenExpenses();
            // Arg 0: every record written at the next move (the program's way); arg 1: bulk
            // appends gathered in memory.
            engine::code4optimizeWrite(cbk::cb, static_cast<int>(state.range(0)));
            state.ResumeTiming();
            for (long i = 0; i < kAppends; ++i) {
                engine::d4appendBlank(cbk::Expenses);
                cbk::CurExpense.ExpDate = platform::DateTime{
                    Day(2016, 1, 1).day + std::chrono::days{(i * 7919) % 3650}, {}};
                cbk::CurExpense.CheckNo = static_cast<std::int32_t>(i);
                cbk::CurExpense.AccNo = static_cast<std::int32_t>(100 + (i * 31) % 230);
                cbk::CurExpense.FolNo = static_cast<std::int32_t>(1 + i % 5);
                cbk::CurExpense.PayTo = "Riverton Lumber";
                cbk::CurExpense.Amount = static_cast<double>(i % 100000) / 100.0;
                cbk::CurExpense.EMemo = "Materials";
                cbk::CurExpense.Archive = false;
                cbk::StoreExpense();
            }
            cbk::CloseAllTables();
            state.PauseTiming();
        }
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * kAppends);
}
BENCHMARK(BM_AppendExpensesThroughStore)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// The pack's floor: read the table and write the nine tenths that stay.
void BM_FloorPackReadAndWrite(benchmark::State& state) {
    const fs::path scratch = fs::temp_directory_path() / "cbk-bench-pack-floor.bin";
    for (auto _ : state) {
        const std::string bytes = ReadAll(FileIn(DataDir, "EXP5.dbf"));
        std::FILE* f = std::fopen(scratch.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size() / 10 * 9, f);
        std::fclose(f);
    }
    fs::remove(scratch);
}
BENCHMARK(BM_FloorPackReadAndWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PackTenPercentDeleted(benchmark::State& state) {
    const fs::path scratch = fs::temp_directory_path() / "cbk-bench-pack";
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(scratch);
        fs::create_directories(scratch);
        for (const char* name : {"EXP5.dbf", "EDate.ntx", "EAcc.ntx", "Exp5.cgp"}) {
            fs::copy_file(FileIn(DataDir, name),
                          scratch / fs::path(FileIn(DataDir, name)).filename());
        }
        std::unique_ptr<engine::Code4> h =
            engine::code4init(engine::posixFileSystem(), scratch.string());
        engine::code4accessMode(h.get(), 1);
        engine::Data4* t = engine::d4open(h.get(), "EXP5");
        for (long r = 10; r <= engine::d4recCount(t); r += 10) {
            engine::d4go(t, r);
            engine::d4delete(t);
        }
        engine::d4go(t, 1);
        state.ResumeTiming();
        benchmark::DoNotOptimize(engine::d4pack(t));
        engine::d4close(t);
        state.PauseTiming();
        engine::code4initUndo(h.get());
        h.reset();
        state.ResumeTiming();
    }
    fs::remove_all(scratch);
}
BENCHMARK(BM_PackTenPercentDeleted)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("foundation_bench");
    if (!data.ok()) return 1;
    DataDir = data.dir();
    Records = data.records();
    fs::current_path(DataDir);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
