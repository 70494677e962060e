// The cost of durable commands: saving one expense record (open, append, store, close) and a
// folder renumbering over the record tables (every income and expense record of a folder
// moved to another number), each with the syncs of the close (arg 1) and with every sync
// skipped (arg 0), on a disk directory so that the syncs reach the device.
//
// The data (N expense and N income records, N = CBK_BENCH_RECORDS or 1,000,000) is made once
// in a temporary directory, or kept in CBK_BENCH_DIR when that is set; the benchmarks work on a
// copy beside it, removed at the end.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "BenchData.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/SampleData.h"
#include "platform/ScriptedPlatform.h"
#include "records/FolderOps.h"
#include "records/RecordTables.h"

namespace {

using bench::Day;

namespace fs = std::filesystem;

// The real file system with every sync skipped: what the commands cost without durability.
class NoSyncFile final : public engine::File {
public:
    explicit NoSyncFile(std::unique_ptr<engine::File> inner) : inner_(std::move(inner)) {}
    int read(std::uint64_t offset, void* buf, std::size_t n, std::size_t& got) override {
        return inner_->read(offset, buf, n, got);
    }
    int write(std::uint64_t offset, const void* buf, std::size_t n) override {
        return inner_->write(offset, buf, n);
    }
    int size(std::uint64_t& out) override { return inner_->size(out); }
    int truncate(std::uint64_t length) override { return inner_->truncate(length); }
    int sync() override { return 0; }
    int lock(bool exclusive) override { return inner_->lock(exclusive); }
    int unlock() override { return inner_->unlock(); }
    const char* map(std::uint64_t length) override { return inner_->map(length); }

private:
    std::unique_ptr<engine::File> inner_;
};

class NoSyncFileSystem final : public engine::FileSystem {
public:
    int open(const std::string& path, engine::OpenMode mode,
             std::unique_ptr<engine::File>& out) override {
        std::unique_ptr<engine::File> inner;
        int err = real().open(path, mode, inner);
        if (err == 0) out = std::make_unique<NoSyncFile>(std::move(inner));
        return err;
    }
    int rename(const std::string& from, const std::string& to) override {
        return real().rename(from, to);
    }
    int remove(const std::string& path) override { return real().remove(path); }
    int list(const std::string& dir, std::vector<std::string>& names) override {
        return real().list(dir, names);
    }
    int syncDir(const std::string&) override { return 0; }

private:
    static engine::FileSystem& real() { return engine::posixFileSystem(); }
};

engine::FileSystem& FileSystemFor(const benchmark::State& state) {
    static NoSyncFileSystem noSync;
    return state.range(0) ? engine::posixFileSystem() : noSync;
}

void BM_SaveOneExpense(benchmark::State& state) {
    cbk::StartDataStore(FileSystemFor(state));
    long i = 0;
    for (auto _ : state) {
        cbk::OpenExpenses();
        cbk::CurExpense = {};
        cbk::CurExpense.ExpDate = platform::DateTime{Day(2026, 3, 5).day, {}};
        cbk::CurExpense.CheckNo = static_cast<std::int32_t>(++i);
        cbk::CurExpense.AccNo = 120;
        cbk::CurExpense.FolNo = 2;
        cbk::CurExpense.PayTo = "Riverton Lumber";
        cbk::CurExpense.Amount = 42.17;
        cbk::CurExpense.EMemo = "Materials";
        records::StoreRecord(cbk::Expenses, 0, cbk::StoreExpense);
        cbk::CloseAllTables();
    }
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_SaveOneExpense)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(50);

// Folder 3 (about a fifth of the records) becomes 9, and back on the next iteration.
void BM_RenumberFolder(benchmark::State& state) {
    cbk::StartDataStore(FileSystemFor(state));
    bool back = false;
    long moved = 0;
    for (auto _ : state) {
        moved += back ? records::MoveFolder(9, 3) : records::MoveFolder(3, 9);
        back = !back;
        cbk::CloseAllTables();
    }
    if (back) records::MoveFolder(9, 3);
    state.SetItemsProcessed(moved);
    cbk::ShutDownDataStore(false);
}
BENCHMARK(BM_RenumberFolder)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(4);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("durable_bench");
    if (!data.ok()) return 1;
    const fs::path dataDir = data.dir();
    const fs::path work = dataDir / "durable-bench";
    fs::remove_all(work);
    fs::create_directories(work);
    for (const auto& e : fs::directory_iterator(dataDir))
        if (e.is_regular_file()) fs::copy_file(e.path(), work / e.path().filename());
    fs::current_path(work);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    fs::current_path(dataDir);
    fs::remove_all(work);
    return 0;
}
