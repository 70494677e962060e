// Pick-list benchmarks on generated data: the walk that fills the expense and the income list
// (every folder, the archive flag tested) and one keystroke of the find, each beside its
// floor. The walk's floor is the same tag walk keeping every record number; the find's floor
// is the same records visited by number in file order, no field read.
//
// The data (N expense and N income records over ten years up to 5 March 2026, N =
// CBK_BENCH_RECORDS or 1,000,000) is made once in a temporary directory, or kept in
// CBK_BENCH_DIR when that is set (the same tables foundation_bench makes).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>

#include "BenchData.h"
#include "data/Database.h"
#include "platform/ScriptedPlatform.h"
#include "records/RecordList.h"

namespace {

using records::RecordTable;

engine::Data4* TableOf(RecordTable which) {
    return which == RecordTable::Expenses ? cbk::Expenses : cbk::Income;
}
RecordTable Which(const benchmark::State& state) {
    return state.range(0) == 0 ? RecordTable::Expenses : RecordTable::Income;
}

// Opens the tables of a record command around the benchmark.
struct OpenTables {
    explicit OpenTables(RecordTable which) {
        cbk::OpenFolders();
        if (which == RecordTable::Expenses) {
            cbk::OpenExpenses();
            cbk::OpenAccounts();
        } else {
            cbk::OpenIncome();
            cbk::OpenIncomeAccounts();
        }
    }
    ~OpenTables() { cbk::CloseAllTables(); }
};

void BM_FloorTagWalk(benchmark::State& state) {
    const RecordTable which = Which(state);
    OpenTables open(which);
    engine::Data4* t = TableOf(which);
    engine::d4tagSelect(t, which == RecordTable::Expenses ? cbk::EDateTag : cbk::IncDateTag);
    std::size_t rows = 0;
    for (auto _ : state) {
        records::ListRows recs;
        for (int rc = engine::d4top(t); rc == 0; rc = engine::d4skip(t, 1))
            recs.push_back(std::uint32_t(engine::d4recNo(t)));
        rows = recs.size();
        benchmark::DoNotOptimize(recs.data());
    }
    state.counters["rows"] = double(rows);
}

void BM_ListWalk(benchmark::State& state) {
    const RecordTable which = Which(state);
    OpenTables open(which);
    std::size_t rows = 0;
    for (auto _ : state) {
        const records::ListWalk walk = records::WalkRecordList(which, -1, 0);
        rows = walk.rows.size();
        benchmark::DoNotOptimize(walk.rows.data());
    }
    state.counters["rows"] = double(rows);
}

// The finds timed: second argument 0 a word of pay-to text ("rent": few rows), 1 an amount
// digit pair ("12": many rows), 2 one year of dates, no text.
records::FindRequest Find(const benchmark::State& state) {
    switch (state.range(1)) {
        case 0:
            return {"rent", "", ""};
        case 1:
            return {"12", "", ""};
        default:
            return {"", "20250101", "20251231"};
    }
}

void BM_FloorFind(benchmark::State& state) {
    const RecordTable which = Which(state);
    OpenTables open(which);
    records::ListRows rows = records::WalkRecordList(which, -1, 0).rows;
    std::sort(rows.begin(), rows.end());
    engine::Data4* t = TableOf(which);
    for (auto _ : state) {
        long sum = 0;
        for (std::uint32_t n : rows) sum += engine::d4go(t, long(n));
        benchmark::DoNotOptimize(sum);
    }
    state.counters["rows"] = double(rows.size());
}

void BM_Find(benchmark::State& state) {
    const RecordTable which = Which(state);
    OpenTables open(which);
    const records::ListRows rows = records::WalkRecordList(which, -1, 0).rows;
    const records::FindRequest find = Find(state);
    std::size_t found = 0;
    for (auto _ : state) {
        const records::ListRows hits = records::FindRows(which, rows, find);
        found = hits.size();
        benchmark::DoNotOptimize(hits.data());
    }
    state.counters["rows"] = double(rows.size());
    state.counters["found"] = double(found);
}

// On a shared machine the least of several repetitions (--benchmark_repetitions=N) is the
// figure to compare.
double Least(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

// First argument 0: expenses, 1: income.
BENCHMARK(BM_FloorTagWalk)
    ->Arg(0)
    ->Arg(1)
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListWalk)
    ->Arg(0)
    ->Arg(1)
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorFind)
    ->Args({0, 0})
    ->Args({1, 0})
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Find)
    ->ArgsProduct({{0, 1}, {0, 1, 2}})
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("list_bench");
    if (!data.ok()) return 1;
    std::filesystem::current_path(data.dir());
    cbk::StartDataStore();  // builds missing indexes

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cbk::ShutDownDataStore(false);
    return 0;
}
