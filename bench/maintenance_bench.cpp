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
#include "data/FileCopy.h"
#include "data/SampleData.h"
#include "maintenance/Archive.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/CopyData.h"
#include "maintenance/RunBooks.h"
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
// The tables of an automatic backup.
const char* const kAutoTables[] = {"CBK1", "ACC", "ACCI", "FOLDER", "EXP5", "INC5"};

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

// The floor of an automatic backup: the same six tables copied uncompressed and synced.
void BM_FloorCopyAutoBackupTables(benchmark::State& state) {
    const fs::path scratch = BackupDir / "floor";
    fs::create_directories(scratch);
    std::uintmax_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        for (const char* t : kAutoTables) {
            const fs::path from = FileIn(DataDir, std::string(t) + ".dbf");
            CopyAndSync(from, scratch / (std::string(t) + ".bin"));
            bytes += fs::file_size(from);
        }
    }
    fs::remove_all(scratch);
    state.counters["MB"] = double(bytes) / 1e6;
}
BENCHMARK(BM_FloorCopyAutoBackupTables)->Unit(benchmark::kMillisecond)->Iterations(3);

std::uintmax_t FolderBytes(const fs::path& dir) {
    std::uintmax_t bytes = 0;
    for (const auto& entry : fs::directory_iterator(dir)) bytes += entry.file_size();
    return bytes;
}

// The exit's work on the books (nothing to pack): the automatic backup copied plain into its
// unfinished folder, read back, renamed into place, the engine released. Each run starts on an
// empty backups folder, as the floor rewrites the same files: new files at every run would
// time the machine's first touch of fresh memory, not the copy. "MB": the backup's size.
void BM_ExitWithAutomaticBackup(benchmark::State& state) {
    const fs::path xdg = BackupDir / "xdg";
    ::setenv("XDG_DATA_HOME", xdg.c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (BackupDir / "config").c_str(), 1);
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(xdg);
        maintenance::StartRun();
        state.ResumeTiming();
        const std::string why = maintenance::EndRun();
        if (!why.empty()) state.SkipWithError(why.c_str());
    }
    const fs::path root = maintenance::AutoBackupRoot(xdg.string(), "", DataDir.string());
    const auto made = maintenance::AutomaticBackups(root.string());
    if (!made.empty()) state.counters["MB"] = double(FolderBytes(made.front().path)) / 1e6;
    fs::remove_all(xdg);
}
BENCHMARK(BM_ExitWithAutomaticBackup)->Unit(benchmark::kMillisecond)->Iterations(5);

// The compression of one plain automatic backup during the next run (each table compressed,
// read back and checked, the plain files removed), beside BM_FloorCopyAutoBackupTables. "MB":
// the compressed backup's size; "keptMB": the largest kept set (the last 10 and one a month
// for 12 months), all compressed but the newest, still plain until the next run.
void BM_CompressBackupDuringRun(benchmark::State& state) {
    const fs::path root = BackupDir / "compressed";
    cbk::StartDataStore();
    std::string folder, why;
    for (auto _ : state) {
        state.PauseTiming();
        fs::remove_all(root);
        why = maintenance::MakeBackupNow(root.string(), Day(2026, 3, 5), folder, false);
        state.ResumeTiming();
        if (why.empty()) why = maintenance::CompressBackups(root.string());
        if (!why.empty()) state.SkipWithError(why.c_str());
    }
    cbk::ShutDownDataStore(false);
    std::uintmax_t plain = 0;
    for (const char* t : kAutoTables)
        plain += fs::file_size(FileIn(DataDir, std::string(t) + ".dbf"));
    const double mb = double(FolderBytes(folder)) / 1e6;
    const int kept = maintenance::kKeepLatest + maintenance::kKeepMonths;
    state.counters["MB"] = mb;
    state.counters["keptMB"] = mb * (kept - 1) + double(plain) / 1e6;
    state.counters["ratio"] = double(plain) / 1e6 / mb;
}
BENCHMARK(BM_CompressBackupDuringRun)->Unit(benchmark::kMillisecond)->Iterations(3);

// One expense table compressed and read back at zstd level and worker count (range 0, 1):
// what the choice of the automatic backup's settings rests on.
void BM_CompressExpenses(benchmark::State& state) {
    const fs::path to = BackupDir / "EXP5.bak.zst";
    const cbk::CompressionSettings settings{int(state.range(0)), int(state.range(1))};
    for (auto _ : state)
        if (cbk::CompressDataFile(engine::posixFileSystem(), FileIn(DataDir, "EXP5.dbf").string(),
                                  to.string(), settings))
            state.SkipWithError("the compression failed");
    if (fs::exists(to))
        state.counters["ratio"] =
            double(fs::file_size(FileIn(DataDir, "EXP5.dbf"))) / double(fs::file_size(to));
    fs::remove(to);
}
BENCHMARK(BM_CompressExpenses)
    ->Args({-5, 0})
    ->Args({-1, 0})
    ->Args({1, 0})
    ->Args({1, 2})
    ->Args({3, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

// A restore from a compressed automatic backup (its files checked and decompressed into
// place), beside BM_Restore/0 from plain backup files.
void BM_RestoreFromAutomaticBackup(benchmark::State& state) {
    const fs::path root = BackupDir / "restored";
    cbk::StartDataStore();
    std::string folder;
    maintenance::MakeBackupNow(root.string(), Day(2026, 3, 5), folder, false);
    maintenance::CompressBackups(root.string());
    for (auto _ : state)
        if (!maintenance::CopyDataFiles(false, folder, false))
            state.SkipWithError("the restore failed");
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_RestoreFromAutomaticBackup)->Unit(benchmark::kMillisecond)->Iterations(3);

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
