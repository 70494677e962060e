// File maintenance benchmarks on generated data: an archive of one year, a backup and a
// restore with its index rebuild, each beside its floor (the record tables read sequentially,
// and for the archive both tables' records copied out of the mapped files in the order of
// their date tags, undecoded; the same five files copied and synced by plain reads and writes).
//
// The data (N expense and N income records over ten years, N = CBK_BENCH_RECORDS or
// 1,000,000) is made once in a temporary directory, or kept in CBK_BENCH_DIR when set. The
// rebuild's own floor is foundation_bench's BM_FloorRebuildReadExtractSort on the same data.

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/Database.h"
#include "data/SampleData.h"
#include "maintenance/Archive.h"
#include "maintenance/CopyData.h"
#include "platform/ScriptedPlatform.h"

namespace {

using bench::Day;
using bench::FileIn;
using bench::ReadSequentially;

namespace fs = std::filesystem;

fs::path DataDir;
fs::path BackupDir;
long Records = 1'000'000;
const char* const kTables[] = {"ACC", "ACCI", "FOLDER", "EXP5", "INC5"};

// Reads `from` and writes it to `to` through a 64 KiB buffer, then syncs: what any copy that
// must survive a power loss costs at least.
void CopyAndSync(const fs::path& from, const fs::path& to) {
    const int in = ::open(from.c_str(), O_RDONLY);
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<char> buffer(1 << 16);
    ssize_t got;
    while ((got = ::read(in, buffer.data(), buffer.size())) > 0)
        if (::write(out, buffer.data(), std::size_t(got)) != got) break;
    ::fsync(out);
    ::close(out);
    ::close(in);
}

void BM_FloorReadRecordTables(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(ReadSequentially(FileIn(DataDir, "EXP5.dbf")));
        benchmark::DoNotOptimize(ReadSequentially(FileIn(DataDir, "INC5.dbf")));
    }
}
BENCHMARK(BM_FloorReadRecordTables)->Unit(benchmark::kMillisecond)->Iterations(5);

// The record numbers of a table in the order of its selected (date) tag.
std::vector<std::uint32_t> TagOrder(engine::Data4* table) {
    std::vector<std::uint32_t> recs;
    for (int rc = engine::d4top(table); rc == engine::r4success; rc = engine::d4skip(table, 1))
        recs.push_back(std::uint32_t(engine::d4recNo(table)));
    return recs;
}

// The archive's floor: every record of both tables copied out of the mapped file in the order
// of its date tag, as the archive visits them, without decoding a field.
void BM_FloorArchiveTagWalk(benchmark::State& state) {
    cbk::StartDataStore();
    cbk::OpenExpenses();
    cbk::OpenIncome();
    const std::vector<std::uint32_t> orders[] = {TagOrder(cbk::Expenses), TagOrder(cbk::Income)};
    cbk::CloseAllTables();
    cbk::ShutDownDataStore(false);
    struct Mapped {
        const unsigned char* bytes;
        std::size_t size, header, length;
    };
    std::vector<Mapped> maps;
    for (const char* name : {"EXP5.dbf", "INC5.dbf"}) {
        const int fd = ::open(FileIn(DataDir, name).c_str(), O_RDONLY);
        struct stat st {};
        ::fstat(fd, &st);
        const auto* bytes = static_cast<const unsigned char*>(
            ::mmap(nullptr, std::size_t(st.st_size), PROT_READ, MAP_SHARED, fd, 0));
        ::close(fd);
        maps.push_back({bytes, std::size_t(st.st_size), std::size_t(bytes[8] | bytes[9] << 8),
                        std::size_t(bytes[10] | bytes[11] << 8)});
    }
    unsigned char record[4096];
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (int t = 0; t < 2; ++t)
            for (std::uint32_t r : orders[t]) {
                std::memcpy(record, maps[t].bytes + maps[t].header + (r - 1) * maps[t].length,
                            maps[t].length);
                sum += record[1];
            }
        benchmark::DoNotOptimize(sum);
    }
    for (const Mapped& m : maps) ::munmap(const_cast<unsigned char*>(m.bytes), m.size);
    state.counters["records"] = double(orders[0].size() + orders[1].size());
}
BENCHMARK(BM_FloorArchiveTagWalk)->Unit(benchmark::kMillisecond)->Iterations(5);

// Arg 1 archives the year 2025, arg 0 de-archives it again.
void BM_ArchiveOneYear(benchmark::State& state) {
    cbk::StartDataStore();
    for (auto _ : state)
        maintenance::ArchiveRecords(state.range(0) == 1, Day(2025, 1, 1), Day(2025, 12, 31));
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_ArchiveOneYear)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_FloorCopyFiveTables(benchmark::State& state) {
    const fs::path scratch = BackupDir / "floor";
    fs::create_directories(scratch);
    for (auto _ : state)
        for (const char* t : kTables)
            CopyAndSync(FileIn(DataDir, std::string(t) + ".dbf"),
                        scratch / (std::string(t) + ".bin"));
    fs::remove_all(scratch);
}
BENCHMARK(BM_FloorCopyFiveTables)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_Backup(benchmark::State& state) {
    cbk::StartDataStore();
    for (auto _ : state) maintenance::CopyDataFiles(true, BackupDir.string(), false);
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_Backup)->Unit(benchmark::kMillisecond)->Iterations(3);

// Arg 0: the copies alone (each backup file checked, then copied in); arg 1: with the full
// index rebuild that follows every restore.
void BM_Restore(benchmark::State& state) {
    cbk::StartDataStore();
    maintenance::CopyDataFiles(true, BackupDir.string(), false);
    for (auto _ : state) {
        maintenance::CopyDataFiles(false, BackupDir.string(), false);
        if (state.range(0) == 1) cbk::BuildIndexes(false);
    }
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_Restore)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("maintenance_bench");
    if (!data.ok()) return 1;
    DataDir = data.dir();
    Records = data.records();
    BackupDir = DataDir / "cbk-bench-backup";
    fs::create_directories(BackupDir);
    fs::current_path(DataDir);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(BackupDir);
    return 0;
}
