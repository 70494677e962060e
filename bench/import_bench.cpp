// File maintenance benchmarks on generated data: the payment import of 100,000 payments into
// an income table of 1,000,000 records (a first import, and a re-import that first marks the
// earlier one's records deleted), and the upgrade of 1,000,000 old income and 1,000,000 old
// expense records (the conversion alone, and the whole command with its index rebuild and
// pack). Each runs beside its floor: the source tables' bytes read in 64 KB blocks and the
// target records' bytes written the same way.
//
// The current tables (N expense and N income records, N = CBK_BENCH_RECORDS or 1,000,000)
// are made in a temporary directory, or copied from CBK_BENCH_DIR when that is set; the
// payment table and the older version's tables are made beside them.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "data/TableCatalogue.h"
#include "maintenance/PaymentImport.h"
#include "maintenance/Upgrade.h"
#include "platform/ScriptedPlatform.h"

namespace {

namespace fs = std::filesystem;

fs::path WorkDir;
long Records = 1'000'000;
long Payments = 100'000;

platform::DateTime Day(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

const maintenance::ImportRange kYear2025{Day(2025, 1, 1), Day(2025, 12, 31), 10, 1};

// ---- data -------------------------------------------------------------------------------

// A table of `n` generated records, written in bulk.
void MakeTable(const std::string& name, const std::vector<engine::Field4Info>& fields, long n,
               void (*fill)(engine::Data4*, long)) {
    engine::code4optimizeWrite(cbk::cb, 1);
    engine::Data4* t = engine::d4create(cbk::cb, name, fields);
    for (long i = 0; i < n; ++i) {
        engine::d4appendBlank(t);
        fill(t, i);
    }
    engine::d4close(t);
    engine::code4optimizeWrite(cbk::cb, 0);
}

std::string DateOf(long i) {
    char text[16];
    std::snprintf(text, sizeof text, "%04ld%02ld%02ld", 2016 + i % 10, 1 + i / 10 % 12,
                  1 + i / 120 % 28);
    return text;
}

void FillPayment(engine::Data4* t, long i) {
    char date[16];
    std::snprintf(date, sizeof date, "2025%02ld%02ld", 1 + i % 12, 1 + i / 12 % 28);
    engine::f4assign(engine::d4field(t, "PDATE"), date);
    engine::f4assignDouble(engine::d4field(t, "PAMT"), double(i % 100000) / 100);
    engine::f4assign(engine::d4field(t, "IVNO"), "  INV" + std::to_string(i) + " ");
    engine::f4assign(engine::d4field(t, "CUSTOMER"), "Customer " + std::to_string(i % 977));
}

void FillOldIncome(engine::Data4* t, long i) {
    engine::f4assign(engine::d4field(t, "INCDATE"), DateOf(i));
    engine::f4assign(engine::d4field(t, "INCDESC"), "Rent received " + std::to_string(i));
    engine::f4assignDouble(engine::d4field(t, "INCAMT"), double(i % 50000) / 10);
    engine::f4assignInt(engine::d4field(t, "FOLNO"), int(1 + i % 5));
    engine::f4assign(engine::d4field(t, "INCIMP"), i % 3 == 0 ? "T" : "F");
}

void FillOldExpense(engine::Data4* t, long i) {
    engine::f4assign(engine::d4field(t, "EXPDATE"), DateOf(i));
    engine::f4assignLong(engine::d4field(t, "CHECKNO"), 1000 + i);
    engine::f4assignInt(engine::d4field(t, "ACCNO"), int(20 + i % 9));
    engine::f4assignInt(engine::d4field(t, "FOLNO"), int(1 + i % 5));
    engine::f4assign(engine::d4field(t, "PAYTO"), "Supplier " + std::to_string(i % 311));
    engine::f4assign(engine::d4field(t, "EMEMO"), "memo " + std::to_string(i));
    engine::f4assignDouble(engine::d4field(t, "AMOUNT"), double(i % 70000) / 10);
}

void MakeForeignTables() {
    fs::create_directories(WorkDir / "marlo");
    MakeTable("marlo/pmt",
              {{"CUSTOMER", 'C', 30, 0},
               {"IVNO", 'C', 10, 0},
               {"PDATE", 'D', 8, 0},
               {"PAMT", 'N', 12, 2}},
              Payments, FillPayment);
    fs::create_directories(WorkDir / "old");
    fs::copy_file(engine::resolvePath(engine::posixFileSystem(), ".", "FOLDER.dbf"),
                  "old/Folder.dbf", fs::copy_options::overwrite_existing);
    fs::copy_file(engine::resolvePath(engine::posixFileSystem(), ".", "ACC.dbf"), "old/Acc.dbf",
                  fs::copy_options::overwrite_existing);
    MakeTable("old/Inc3",
              {{"INCDATE", 'D', 8, 0},
               {"INCDESC", 'C', 30, 0},
               {"INCAMT", 'N', 10, 2},
               {"FOLNO", 'N', 4, 0},
               {"INCIMP", 'L', 1, 0}},
              Records, FillOldIncome);
    MakeTable("old/Exp3",
              {{"EXPDATE", 'D', 8, 0},
               {"CHECKNO", 'N', 8, 0},
               {"ACCNO", 'N', 4, 0},
               {"FOLNO", 'N', 4, 0},
               {"PAYTO", 'C', 30, 0},
               {"EMEMO", 'C', 30, 0},
               {"AMOUNT", 'N', 10, 2}},
              Records, FillOldExpense);
}

// INC5 and its index files as generated, put back before each import.
std::vector<std::string> IncomeFiles() {
    std::vector<std::string> files = cbk::IndexFilesOf("INC5");
    files.push_back("INC5.dbf");
    return files;
}
void KeepIncome(bool restore) {
    bench::KeepFiles(IncomeFiles(), restore);
}

// ---- floors -----------------------------------------------------------------------------

std::uint64_t ReadWhole(const std::string& path) {
    std::unique_ptr<engine::File> in;
    engine::posixFileSystem().open(path, engine::OpenMode::ReadOnly, in);
    std::vector<char> block(1 << 16);
    std::uint64_t at = 0, sum = 0;
    for (std::size_t got = 0; in->read(at, block.data(), block.size(), got) == 0 && got > 0;
         at += got)
        sum += std::uint8_t(block[got - 1]);
    return sum;
}

void WriteBytes(const std::string& path, std::uint64_t bytes) {
    std::unique_ptr<engine::File> out;
    engine::posixFileSystem().open(path, engine::OpenMode::Create, out);
    const std::vector<char> block(1 << 16, ' ');
    for (std::uint64_t at = 0; at < bytes; at += block.size())
        out->write(at, block.data(),
                   std::size_t(std::min<std::uint64_t>(block.size(), bytes - at)));
    out.reset();
    engine::posixFileSystem().remove(path);
}

// The record length and count of a table, from its header.
std::pair<std::uint64_t, std::uint64_t> Shape(const std::string& name) {
    cbk::CloseAllTables();
    engine::Data4* t = engine::d4open(cbk::cb, name);
    engine::d4top(t);
    std::uint64_t length = 1;
    for (int j = 1; j <= engine::d4numFields(t); ++j)
        length += std::uint64_t(engine::f4len(engine::d4fieldJ(t, j)));
    const std::uint64_t count = std::uint64_t(engine::d4recCount(t));
    cbk::CloseAllTables();
    return {length, count};
}

// ---- the import -------------------------------------------------------------------------

void RunImport() {
    cbk::OpenIncome();
    cbk::OpenFolders();
    cbk::OpenIncomeAccounts();
    engine::Data4* payments = maintenance::OpenPaymentTable("marlo/pmt.dbf");
    const maintenance::ImportOutcome outcome = maintenance::ImportPayments(payments, kYear2025);
    cbk::CloseAllTables();
    if (outcome.result != maintenance::ImportResult::Done) std::abort();
}

// Argument 0: the first import of the range; 1: a re-import that marks the first one's
// records deleted before appending.
void BM_ImportPayments(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        KeepIncome(true);
        if (state.range(0) == 1) RunImport();
        state.ResumeTiming();
        RunImport();
    }
    state.counters["payments"] = double(Payments);
}

void BM_FloorImport(benchmark::State& state) {
    const auto [incomeLength, incomeCount] = Shape("INC5");
    (void)incomeCount;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ReadWhole("marlo/pmt.dbf") +
            ReadWhole(engine::resolvePath(engine::posixFileSystem(), ".", "INC5.dbf")));
        WriteBytes("floor.out", incomeLength * std::uint64_t(Payments));
    }
}

// ---- the upgrade ------------------------------------------------------------------------

void BM_ConvertOldData(benchmark::State& state) {
    for (auto _ : state)
        if (!maintenance::ConvertOldData("old")) std::abort();
    state.counters["records"] = double(2 * Records);
}

// The whole command as the main window runs it: conversion, then the pack and one full build.
void BM_UpgradeCommand(benchmark::State& state) {
    for (auto _ : state) {
        if (!maintenance::ConvertOldData("old")) std::abort();
        maintenance::FinishUpgrade(false);
    }
}

void BM_FloorUpgrade(benchmark::State& state) {
    const auto inc = Shape("INC5");
    const auto exp = Shape("EXP5");
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadWhole("old/Inc3.dbf") + ReadWhole("old/Exp3.dbf"));
        WriteBytes("floor.out",
                   inc.first * std::uint64_t(Records) + exp.first * std::uint64_t(Records));
    }
}

BENCHMARK(BM_FloorImport)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportPayments)
    ->Arg(0)
    ->Arg(1)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_FloorUpgrade)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ConvertOldData)->Iterations(2)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_UpgradeCommand)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    if (const char* records = std::getenv("CBK_BENCH_RECORDS")) Records = std::atol(records);
    Payments = Records / 10;
    std::string pattern = (fs::temp_directory_path() / "cbk-maint-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    WorkDir = pattern;
    if (const char* from = std::getenv("CBK_BENCH_DIR")) {
        for (const cbk::TableSpec& spec : cbk::TableCatalogue()) {
            const std::string name = std::string(spec.name) + ".dbf";
            fs::copy_file(engine::resolvePath(engine::posixFileSystem(), from, name),
                          WorkDir / name);
        }
    } else {
        cbk::SampleOptions options;
        options.records = Records;
        options.today = Day(2026, 3, 5);
        std::string message;
        if (cbk::MakeSampleTables(WorkDir.string(), options, &message) != 0) {
            std::fprintf(stderr, "maintenance_bench: %s\n", message.c_str());
            return 1;
        }
    }
    fs::current_path(WorkDir);
    cbk::StartDataStore();  // builds the indexes
    MakeForeignTables();
    KeepIncome(false);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cbk::ShutDownDataStore(false);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(WorkDir);
    return 0;
}
