// Bank benchmarks on generated data: opening the register of the default bank account (the
// marks read, both record tables walked in record order, the account's rows sorted by date)
// and the search that explains a reconciliation's difference over a month of records, each
// beside its floor. The register's floor reads the same bytes in the same order without the
// work on top: BANKMARK.dbf, EXP5.dbf and INC5.dbf read sequentially. The search's floor visits
// the month's items once, summing their amounts. The difference is one cent that nothing
// explains, so the search runs to its end: singles, pairs and every three.
//
// The data (N expense and N income records over ten years up to 5 March 2026, N =
// CBK_BENCH_RECORDS or 1,000,000) is made once in a temporary directory, or kept in
// CBK_BENCH_DIR when that is set; every record is given the default account first.

#include <benchmark/benchmark.h>

#include <filesystem>

#include "BenchData.h"
#include "bank/BankMarks.h"
#include "bank/Reconcile.h"
#include "bank/Register.h"
#include "data/Database.h"
#include "data/TableSession.h"
#include "platform/ScriptedPlatform.h"

namespace {

void BM_FloorRegister(benchmark::State& state) {
    std::uint64_t sum = 0;
    for (auto _ : state)
        for (const char* file : {"BANKMARK.dbf", "EXP5.dbf", "INC5.dbf"})
            sum += bench::ReadSequentially(bench::FileIn(".", file));
    benchmark::DoNotOptimize(sum);
}

void BM_RegisterOpen(benchmark::State& state) {
    std::size_t rows = 0;
    for (auto _ : state) {
        const bank::Register reg = bank::BuildRegister(1, 0, bank::LoadMarks());
        rows = reg.rows.size();
        benchmark::DoNotOptimize(reg.rows.data());
    }
    state.counters["rows"] = double(rows);
}

// February 2026, everything before it reconciled; the statement one cent off.
bank::Reconciliation& Month() {
    static bank::Reconciliation rec = [] {
        bank::Marks marks = bank::LoadMarks();
        const bank::Register reg = bank::BuildRegister(1, 0, marks);
        for (const bank::RegisterRow& row : reg.rows)
            if (row.date < 20260201) marks.Put(row.key).reconciled = 20260131;
        bank::Reconciliation r = bank::StartReconciliation(1, reg, marks, 20260228, 0);
        r.statementBalance = r.Cleared() + 1;
        return r;
    }();
    return rec;
}

void BM_FloorExplain(benchmark::State& state) {
    const bank::Reconciliation& rec = Month();
    for (auto _ : state) {
        bank::Cents sum = 0;
        for (const bank::ReconcileItem& item : rec.items) sum += item.row.amount;
        benchmark::DoNotOptimize(sum);
    }
    state.counters["items"] = double(rec.items.size());
}

void BM_Explain(benchmark::State& state) {
    const bank::Reconciliation& rec = Month();
    std::size_t found = 0;
    for (auto _ : state) found = bank::Explain(rec).size();
    state.counters["items"] = double(rec.items.size());
    state.counters["found"] = double(found);
}

BENCHMARK(BM_FloorRegister)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RegisterOpen)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorExplain)->Iterations(3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Explain)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("bank_bench");
    if (!data.ok()) return 1;
    std::filesystem::current_path(data.dir());
    cbk::StartDataStore();  // builds missing indexes
    {
        cbk::TableSession session({"EXP5", "INC5"});
        if (!bank::EnsureMarks().empty()) return 1;
        benchmark::RunSpecifiedBenchmarks();
    }
    benchmark::Shutdown();
    cbk::ShutDownDataStore(false);
    return 0;
}
