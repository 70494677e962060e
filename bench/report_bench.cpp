// Report benchmarks on generated data: the expense summary and the expense detail for one
// month and for one year, and the income summary for one year, all folders selected. Each
// runs beside its floor: the very records the report visits, in the order its tag gives them,
// copied out of the mapped table without decoding.
//
// The data (N expense and N income records over ten years up to 5 March 2026, N =
// CBK_BENCH_RECORDS or 1,000,000) is made once in a temporary directory, or kept in
// CBK_BENCH_DIR when that is set (the same tables foundation_bench makes).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Records.h"
#include "data/SampleData.h"
#include "data/StoredForms.h"
#include "platform/ScriptedPlatform.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportDocument.h"

namespace {

namespace fs = std::filesystem;

fs::path DataDir;
long Records = 1'000'000;

platform::DateTime Day(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

std::vector<std::int32_t> AllFolders() {
    std::vector<std::int32_t> folders;
    for (int rc = engine::d4top(cbk::Folders); rc == 0; rc = engine::d4skip(cbk::Folders, 1))
        folders.push_back(engine::f4int(cbk::FolNoField));
    return folders;
}

reports::ReportRequest Request(platform::DateTime from, platform::DateTime through) {
    reports::ReportRequest r;
    r.from = from;
    r.through = through;
    r.fyMonth = 1;
    r.fyDay = 1;
    r.folders = AllFolders();
    return r;
}

// The periods measured: February 2026 and the year 2025.
struct Period {
    platform::DateTime from, through;
};
Period Month() {
    return {Day(2026, 2, 1), Day(2026, 2, 28)};
}
Period Year() {
    return {Day(2025, 1, 1), Day(2025, 12, 31)};
}
Period PeriodOf(int arg) {
    return arg == 0 ? Month() : Year();
}

// ---- floors ---------------------------------------------------------------------------
// A table mapped read-only, with its record length read from the header.
struct MappedTable {
    explicit MappedTable(const std::string& name) {
        const std::string path =
            engine::resolvePath(engine::posixFileSystem(), DataDir.string(), name);
        fd = ::open(path.c_str(), O_RDONLY);
        struct stat st {};
        ::fstat(fd, &st);
        size = std::size_t(st.st_size);
        bytes =
            static_cast<const unsigned char*>(::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0));
        headerLength = bytes[8] | bytes[9] << 8;
        recordLength = bytes[10] | bytes[11] << 8;
    }
    ~MappedTable() {
        ::munmap(const_cast<unsigned char*>(bytes), size);
        ::close(fd);
    }
    const unsigned char* record(long recNo) const {
        return bytes + headerLength + std::size_t(recNo - 1) * recordLength;
    }
    int fd = -1;
    std::size_t size = 0;
    const unsigned char* bytes = nullptr;
    std::size_t headerLength = 0, recordLength = 0;
};

// The record numbers a summary visits: per account, its entries from the fiscal start through
// the first one after the end date, by the account-then-date tag.
std::vector<long> SummaryRecords(bool income, Period p) {
    engine::Data4* accounts = income ? cbk::IncomeAccounts : cbk::Accounts;
    engine::Field4* accNo = income ? cbk::IncAccNoField : cbk::AccNoField;
    engine::Data4* entries = income ? cbk::Income : cbk::Expenses;
    engine::Field4* entryAcc = income ? cbk::IncAccField : cbk::ExpAccNoField;
    engine::Field4* date = income ? cbk::IncDateField : cbk::ExpDateField;
    engine::d4tagSelect(entries, income ? cbk::IncAccTag : cbk::EAccTag);
    const std::string start = cbk::DateToStored(reports::FiscalYearStart(p.from, 1, 1));
    const std::string end = cbk::DateToStored(p.through);
    std::vector<long> recs;
    for (int rc = engine::d4top(accounts); rc == 0; rc = engine::d4skip(accounts, 1)) {
        const int n = engine::f4int(accNo);
        for (int s = engine::d4seek(entries, cbk::PadNumber(n, 4) + start);
             s != engine::r4eof && engine::f4int(entryAcc) == n; s = engine::d4skip(entries, 1)) {
            recs.push_back(engine::d4recNo(entries));
            if (engine::f4str(date) > end) break;
        }
    }
    return recs;
}

// The record numbers a detail visits, by the date tag, from the start date through the first
// entry after the end date.
std::vector<long> DetailRecords(Period p) {
    engine::d4tagSelect(cbk::Expenses, cbk::EDateTag);
    const std::string end = cbk::DateToStored(p.through);
    std::vector<long> recs;
    for (int s = engine::d4seek(cbk::Expenses, cbk::DateToStored(p.from)); s != engine::r4eof;
         s = engine::d4skip(cbk::Expenses, 1)) {
        recs.push_back(engine::d4recNo(cbk::Expenses));
        if (engine::f4str(cbk::ExpDateField) > end) break;
    }
    return recs;
}

// Two floors: each record copied out of the mapped table (what the engine's own reads come
// to when the table is mapped), and each record read at its offset through the file seam, one
// call per record (what a reader that does not map the file pays).
void ReadFloor(benchmark::State& state, const char* table, const std::vector<long>& recs,
               bool mapped) {
    const MappedTable map(table);
    std::unique_ptr<engine::File> file;
    engine::posixFileSystem().open(
        engine::resolvePath(engine::posixFileSystem(), DataDir.string(), table),
        engine::OpenMode::ReadOnly, file);
    std::vector<unsigned char> buffer(map.recordLength);
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (long r : recs) {
            if (mapped) {
                std::memcpy(buffer.data(), map.record(r), buffer.size());
            } else {
                std::size_t got = 0;
                file->read(map.headerLength + std::uint64_t(r - 1) * map.recordLength,
                           buffer.data(), buffer.size(), got);
            }
            sum += buffer[1];
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["records"] = double(recs.size());
}

// Opens the tables of a report command around the benchmark.
struct OpenTables {
    explicit OpenTables(bool income) {
        cbk::OpenFolders();
        if (income) {
            cbk::OpenIncome();
            cbk::OpenIncomeAccounts();
        } else {
            cbk::OpenExpenses();
            cbk::OpenAccounts();
        }
    }
    ~OpenTables() { cbk::CloseAllTables(); }
};

void RunBuilder(benchmark::State& state, void (*build)(const reports::ReportRequest&),
                const reports::ReportRequest& request) {
    long rows = 0;
    for (auto _ : state) {
        build(request);
        rows = reports::ReportDocument.rowCount();
        reports::ReportDocument.ClearDocument();
    }
    state.counters["rows"] = double(rows);
}

// ---- the reports ----------------------------------------------------------------------
void BM_FloorExpenseSummary(benchmark::State& state) {
    OpenTables open(false);
    const std::vector<long> recs = SummaryRecords(false, PeriodOf(int(state.range(0))));
    ReadFloor(state, "EXP5.dbf", recs, state.range(1) == 0);
}
void BM_ExpenseSummary(benchmark::State& state) {
    OpenTables open(false);
    const Period p = PeriodOf(int(state.range(0)));
    RunBuilder(state, reports::BuildExpenseSummary, Request(p.from, p.through));
}

void BM_FloorExpenseDetail(benchmark::State& state) {
    OpenTables open(false);
    ReadFloor(state, "EXP5.dbf", DetailRecords(PeriodOf(int(state.range(0)))), state.range(1) == 0);
}
void BM_ExpenseDetail(benchmark::State& state) {
    OpenTables open(false);
    const Period p = PeriodOf(int(state.range(0)));
    RunBuilder(state, reports::BuildExpenseDetail, Request(p.from, p.through));
}

void BM_FloorIncomeSummaryYear(benchmark::State& state) {
    OpenTables open(true);
    ReadFloor(state, "INC5.dbf", SummaryRecords(true, Year()), state.range(0) == 0);
}
void BM_IncomeSummaryYear(benchmark::State& state) {
    OpenTables open(true);
    RunBuilder(state, reports::BuildIncomeSummary, Request(Year().from, Year().through));
}

// First argument 0: one month, 1: one year. Floors' last argument 0: mapped, 1: read per
// record.
BENCHMARK(BM_FloorExpenseSummary)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpenseSummary)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorExpenseDetail)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpenseDetail)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorIncomeSummaryYear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IncomeSummaryYear)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    if (const char* records = std::getenv("CBK_BENCH_RECORDS")) Records = std::atol(records);
    bool madeHere = false;
    if (const char* dir = std::getenv("CBK_BENCH_DIR")) {
        DataDir = dir;
    } else {
        std::string pattern = (fs::temp_directory_path() / "cbk-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) return 1;
        DataDir = pattern;
        madeHere = true;
    }
    if (!engine::fileExists(engine::posixFileSystem(), DataDir.string(), "EXP5.dbf")) {
        cbk::SampleOptions options;
        options.records = Records;
        options.today = Day(2026, 3, 5);
        std::string message;
        if (cbk::MakeSampleTables(DataDir.string(), options, &message) != 0) {
            std::fprintf(stderr, "report_bench: %s\n", message.c_str());
            return 1;
        }
    }
    fs::current_path(DataDir);
    cbk::StartDataStore();  // builds missing indexes

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cbk::ShutDownDataStore(false);
    if (madeHere) {
        fs::current_path(fs::temp_directory_path());
        fs::remove_all(DataDir);
    }
    return 0;
}
