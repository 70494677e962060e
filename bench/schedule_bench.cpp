// Payee memory and Due list benchmarks on generated data.
//
// The payee memory is read at the first showing of the expense (or income) form of a run: one
// pass over EXP5 (INC5) in record order, then one suggestion; its floor is the same records
// visited by number in file order, no field read. A keystroke afterwards is one suggestion
// alone. The Due list reads SCHED (200 schedules of every kind of repeat) and works out what
// fell due since a month ago and since a year ago; its floor is the same file read in one go.
//
// The data (N expense and N income records, N = CBK_BENCH_RECORDS or 1,000,000) is made once
// in a temporary directory, or kept in CBK_BENCH_DIR (the tables foundation_bench makes).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "BenchData.h"
#include "data/Database.h"
#include "platform/ScriptedPlatform.h"
#include "records/PayeeMemory.h"
#include "records/ScheduleTable.h"

namespace {

using records::RecordTable;

RecordTable Which(const benchmark::State& state) {
    return state.range(0) == 0 ? RecordTable::Expenses : RecordTable::Income;
}

struct OpenTable {
    explicit OpenTable(RecordTable which) {
        if (which == RecordTable::Expenses)
            cbk::OpenExpenses();
        else
            cbk::OpenIncome();
        table = which == RecordTable::Expenses ? cbk::Expenses : cbk::Income;
    }
    ~OpenTable() { cbk::CloseAllTables(); }
    engine::Data4* table;
};

void BM_FloorRecordVisit(benchmark::State& state) {
    OpenTable open(Which(state));
    const long count = engine::d4recCount(open.table);
    for (auto _ : state) {
        long sum = 0;
        for (long n = 1; n <= count; ++n) sum += engine::d4go(open.table, n);
        benchmark::DoNotOptimize(sum);
    }
    state.counters["records"] = double(count);
}

void BM_PayeeMemoryFirstUse(benchmark::State& state) {
    OpenTable open(Which(state));
    std::size_t names = 0, offered = 0;
    for (auto _ : state) {
        const records::PayeeMemory memory = records::ReadPayeeMemory(Which(state));
        offered = memory.Suggest("S").size();
        names = memory.NameCount();
        benchmark::DoNotOptimize(offered);
    }
    state.counters["names"] = double(names);
    state.counters["offered"] = double(offered);
}

void BM_PayeeSuggestion(benchmark::State& state) {
    records::PayeeMemory memory;
    {
        OpenTable open(Which(state));
        memory = records::ReadPayeeMemory(Which(state));
    }
    std::size_t offered = 0;
    for (auto _ : state) {
        offered = memory.Suggest("S").size();
        benchmark::DoNotOptimize(offered);
    }
    state.counters["offered"] = double(offered);
}

// 200 schedules, every kind of repeat, started in 2024.
void MakeSchedules() {
    std::vector<records::Schedule> schedules;
    for (int i = 0; i < 200; ++i) {
        records::Schedule s;
        s.id = i + 1;
        s.kind = i % 3 == 0 ? records::ScheduleKind::Income : records::ScheduleKind::Expense;
        s.rule.repeat = records::Repeat(i % 6);
        s.rule.every = 1 + i % 4;
        s.rule.day = 1 + i % 31;
        s.rule.start = bench::Day(2024, 1 + i % 12, 1 + i % 28);
        s.accNo = 100 + 10 * (i % 20);
        s.folNo = 1 + i % 5;
        s.payee = "Scheduled payee " + std::to_string(i);
        s.amount = 10.0 + i;
        schedules.push_back(s);
    }
    records::SaveSchedules(schedules, std::nullopt);
}

void BM_FloorScheduleFile(benchmark::State& state) {
    const auto file = bench::FileIn(".", "SCHED.dbf");
    for (auto _ : state) benchmark::DoNotOptimize(bench::ReadSequentially(file));
}

// Second argument: days since the last check (30 or 365).
void BM_DueList(benchmark::State& state) {
    const std::set<std::int32_t> accounts = {100, 110, 120, 130, 140, 150, 160, 170, 180, 190,
                                             200, 210, 220, 230, 240, 250, 260, 270, 280, 290};
    const records::ChartLookup chart{
        [&](records::ScheduleKind, std::int32_t n) { return accounts.count(n) != 0; },
        [](std::int32_t n) { return n >= 1 && n <= 5; }};
    const platform::DateTime today = bench::Day(2026, 3, 5);
    const platform::DateTime since{today.day - std::chrono::days{state.range(0)}, {}};
    std::size_t lines = 0;
    for (auto _ : state) {
        const records::StoredSchedules books = records::LoadSchedules();
        lines = records::DueSince(books.schedules, since, today, chart).size();
        benchmark::DoNotOptimize(lines);
    }
    state.counters["lines"] = double(lines);
}

double Least(const std::vector<double>& v) {
    return *std::min_element(v.begin(), v.end());
}

// First argument 0: expenses, 1: income.
BENCHMARK(BM_FloorRecordVisit)
    ->Arg(0)
    ->Arg(1)
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PayeeMemoryFirstUse)
    ->Arg(0)
    ->Arg(1)
    ->ComputeStatistics("min", Least)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PayeeSuggestion)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FloorScheduleFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DueList)->Arg(30)->Arg(365)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("schedule_bench");
    if (!data.ok()) return 1;
    std::filesystem::current_path(data.dir());
    cbk::StartDataStore();  // builds missing indexes
    MakeSchedules();

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cbk::ShutDownDataStore(false);
    return 0;
}
