// The pack at exit with 10% of the expense records marked deleted, with the deleted records
// kept for recovery and without, beside its floor (the expense table read and the nine tenths
// that stay written).
//
// The data (N expense and N income records, N = CBK_BENCH_RECORDS or 1,000,000) is made once
// in a temporary directory, or kept in CBK_BENCH_DIR when that is set.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchData.h"
#include "data/Database.h"
#include "maintenance/Recovery.h"
#include "platform/ScriptedPlatform.h"

namespace {

namespace fs = std::filesystem;

fs::path DataDir;

const fs::path& Scratch() {
    static const fs::path dir = fs::temp_directory_path() / "cbk-bench-recovery";
    return dir;
}

// A copy of the books with every tenth expense marked deleted, the data store started on it.
void PrepareBooks() {
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(Scratch());
    fs::create_directories(Scratch());
    for (const auto& entry : fs::directory_iterator(DataDir))
        if (entry.is_regular_file())
            fs::copy_file(entry.path(), Scratch() / entry.path().filename());
    fs::current_path(Scratch());
    cbk::StartDataStore();
    cbk::OpenExpenses();
    engine::d4tagSelect(cbk::Expenses, nullptr);
    for (long r = 10; r <= engine::d4recCount(cbk::Expenses); r += 10) {
        engine::d4go(cbk::Expenses, r);
        engine::d4delete(cbk::Expenses);
    }
    cbk::CloseAllTables();
}

void BM_FloorPackReadAndWrite(benchmark::State& state) {
    const fs::path scratch = fs::temp_directory_path() / "cbk-bench-recovery-floor.bin";
    for (auto _ : state) {
        std::ifstream in(bench::FileIn(DataDir, "EXP5.dbf"), std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::FILE* f = std::fopen(scratch.c_str(), "wb");
        std::fwrite(bytes.data(), 1, bytes.size() / 10 * 9, f);
        std::fclose(f);
    }
    fs::remove(scratch);
}
BENCHMARK(BM_FloorPackReadAndWrite)->Unit(benchmark::kMillisecond)->Iterations(3);

// Arg 0: the plain pack; arg 1: the deleted records kept for recovery first.
void BM_PackAtExitTenPercentDeleted(benchmark::State& state) {
    const bool keep = state.range(0) == 1;
    for (auto _ : state) {
        state.PauseTiming();
        PrepareBooks();
        state.ResumeTiming();
        maintenance::PackDataFiles(keep);
        state.PauseTiming();
        cbk::ShutDownDataStore(false);
        state.ResumeTiming();
    }
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(Scratch());
}
BENCHMARK(BM_PackAtExitTenPercentDeleted)
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("recovery_bench");
    if (!data.ok()) return 1;
    DataDir = data.dir();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
