// Report benchmarks on generated data: the expense summary and the expense detail for one
// month and for one year, the income summary for one year, the general ledger for the last
// year of the data and for all ten years, the monthly profit for one year and the weekly
// profit for all ten years, all folders selected. Each runs beside its floor: the very records
// the report visits, in the order its tag gives them, copied out of the mapped table without
// decoding.
//
// Each also shows its memory: the peak resident size of the process while it ran (the peak is
// reset before each benchmark) and the most heap it held above what was held before it, both
// in MB. The floors' peaks are the mapped tables they read.
//
// The data (N expense and N income records over ten years up to 5 March 2026, N =
// CBK_BENCH_RECORDS or 1,000,000) is made once in a temporary directory, or kept in
// CBK_BENCH_DIR when that is set (the same tables foundation_bench makes).

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/SampleData.h"
#include "data/StoredForms.h"
#include "platform/ScriptedPlatform.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportDocument.h"
#include "reports/ReportExport.h"
#include "reports/ReportLookups.h"

// ---- memory ---------------------------------------------------------------------------
// Every heap block counted as it is taken and given back, so a benchmark can tell the most it
// held at once.
namespace {
std::atomic<std::size_t> HeapLive{0};
std::atomic<std::size_t> HeapPeak{0};

void* CountedAlloc(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p == nullptr) throw std::bad_alloc();
    const std::size_t live = HeapLive += malloc_usable_size(p);
    std::size_t peak = HeapPeak.load(std::memory_order_relaxed);
    while (live > peak && !HeapPeak.compare_exchange_weak(peak, live)) {
    }
    return p;
}

void CountedFree(void* p) {
    if (p == nullptr) return;
    HeapLive -= malloc_usable_size(p);
    std::free(p);
}
}  // namespace

void* operator new(std::size_t size) {
    return CountedAlloc(size);
}
void* operator new[](std::size_t size) {
    return CountedAlloc(size);
}
void operator delete(void* p) noexcept {
    CountedFree(p);
}
void operator delete[](void* p) noexcept {
    CountedFree(p);
}
void operator delete(void* p, std::size_t) noexcept {
    CountedFree(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    CountedFree(p);
}

namespace {

using bench::Day;

// A resident size line of /proc/self/status ("VmHWM:", "VmRSS:") in MB.
double ResidentMB(const std::string& key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word)
        if (word == key) {
            double kb = 0;
            status >> kb;
            return kb / 1024;
        }
    return 0;
}

// The memory a benchmark used: its resident peak (the process's peak is reset at the start,
// which Linux allows through clear_refs) and the most heap it held above the start.
class MemoryWatch {
public:
    MemoryWatch() {
        std::ofstream("/proc/self/clear_refs") << "5";
        heapBase_ = HeapLive;
        HeapPeak = heapBase_;
    }
    void report(benchmark::State& state) const {
        state.counters["peak_rss_MB"] = ResidentMB("VmHWM:");
        state.counters["heap_MB"] = double(HeapPeak - heapBase_) / (1024.0 * 1024.0);
    }

private:
    std::size_t heapBase_ = 0;
};

namespace fs = std::filesystem;

fs::path DataDir;
long Records = 1'000'000;

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
std::vector<long> DateRecords(bool income, platform::DateTime from, platform::DateTime through) {
    engine::Data4* entries = income ? cbk::Income : cbk::Expenses;
    engine::Field4* date = income ? cbk::IncDateField : cbk::ExpDateField;
    engine::d4tagSelect(entries, income ? cbk::IncDateTag : cbk::EDateTag);
    const std::string end = cbk::DateToStored(through);
    std::vector<long> recs;
    for (int s = engine::d4seek(entries, cbk::DateToStored(from)); s != engine::r4eof;
         s = engine::d4skip(entries, 1)) {
        recs.push_back(engine::d4recNo(entries));
        if (engine::f4str(date) > end) break;
    }
    return recs;
}
std::vector<long> DetailRecords(Period p) {
    return DateRecords(false, p.from, p.through);
}

// Two floors: each record copied out of the mapped table (what the engine's own reads come
// to when the table is mapped), and each record read at its offset through the file seam, one
// call per record (what a reader that does not map the file pays).
struct TableRecords {
    const char* table;
    std::vector<long> recs;
};

void ReadFloor(benchmark::State& state, const std::vector<TableRecords>& tables, bool mapped) {
    std::vector<std::unique_ptr<MappedTable>> maps;
    std::vector<std::unique_ptr<engine::File>> files;
    for (const TableRecords& t : tables) {
        maps.push_back(std::make_unique<MappedTable>(t.table));
        files.emplace_back();
        engine::posixFileSystem().open(
            engine::resolvePath(engine::posixFileSystem(), DataDir.string(), t.table),
            engine::OpenMode::ReadOnly, files.back());
    }
    std::vector<unsigned char> buffer(4096);
    const MemoryWatch memory;
    double records = 0;
    for (const TableRecords& t : tables) records += double(t.recs.size());
    for (auto _ : state) {
        std::uint64_t sum = 0;
        for (std::size_t i = 0; i < tables.size(); ++i) {
            const MappedTable& map = *maps[i];
            for (long r : tables[i].recs) {
                if (mapped) {
                    std::memcpy(buffer.data(), map.record(r), map.recordLength);
                } else {
                    std::size_t got = 0;
                    files[i]->read(map.headerLength + std::uint64_t(r - 1) * map.recordLength,
                                   buffer.data(), map.recordLength, got);
                }
                sum += buffer[1];
            }
        }
        benchmark::DoNotOptimize(sum);
    }
    state.counters["records"] = records;
    memory.report(state);
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

// The ledger's and the profit reports' tables.
struct OpenBothSides {
    OpenBothSides() {
        cbk::OpenFolders();
        cbk::OpenExpenses();
        cbk::OpenIncome();
        cbk::OpenAccounts();
        cbk::OpenIncomeAccounts();
    }
    ~OpenBothSides() { cbk::CloseAllTables(); }
};

void RunBuilder(benchmark::State& state,
                void (*build)(const reports::ReportRequest&, reports::Document&),
                const reports::ReportRequest& request) {
    long rows = 0;
    const MemoryWatch memory;
    reports::Document doc;
    for (auto _ : state) {
        build(request, doc);
        rows = doc.rowCount();
        doc.ClearDocument();
    }
    state.counters["rows"] = double(rows);
    memory.report(state);
}

// ---- the reports ----------------------------------------------------------------------
void BM_FloorExpenseSummary(benchmark::State& state) {
    OpenTables open(false);
    const std::vector<long> recs = SummaryRecords(false, PeriodOf(int(state.range(0))));
    ReadFloor(state, {{"EXP5.dbf", recs}}, state.range(1) == 0);
}
void BM_ExpenseSummary(benchmark::State& state) {
    OpenTables open(false);
    const Period p = PeriodOf(int(state.range(0)));
    RunBuilder(state, reports::BuildExpenseSummary, Request(p.from, p.through));
}

void BM_FloorExpenseDetail(benchmark::State& state) {
    OpenTables open(false);
    ReadFloor(state, {{"EXP5.dbf", DetailRecords(PeriodOf(int(state.range(0))))}},
              state.range(1) == 0);
}
void BM_ExpenseDetail(benchmark::State& state) {
    OpenTables open(false);
    const Period p = PeriodOf(int(state.range(0)));
    RunBuilder(state, reports::BuildExpenseDetail, Request(p.from, p.through));
}

void BM_FloorIncomeSummaryYear(benchmark::State& state) {
    OpenTables open(true);
    ReadFloor(state, {{"INC5.dbf", SummaryRecords(true, Year())}}, state.range(0) == 0);
}
void BM_IncomeSummaryYear(benchmark::State& state) {
    OpenTables open(true);
    RunBuilder(state, reports::BuildIncomeSummary, Request(Year().from, Year().through));
}

// The whole data, from its first day on: the ten-year ledger and the weekly profit.
Period AllYears() {
    return {Day(2016, 3, 5), Day(2026, 3, 5)};
}
// The ledger: the last year of the data, its opening rows reading every record before it.
Period LastYear() {
    return {Day(2025, 3, 6), Day(2026, 3, 5)};
}

// The ledger reads every record in record order for its opening rows, then the period's by
// the date tags.
std::vector<long> LedgerRecords(bool income, Period p) {
    std::vector<long> recs(std::size_t(engine::d4recCount(income ? cbk::Income : cbk::Expenses)));
    for (std::size_t i = 0; i < recs.size(); ++i) recs[i] = long(i + 1);
    const std::vector<long> period = DateRecords(income, p.from, p.through);
    recs.insert(recs.end(), period.begin(), period.end());
    return recs;
}
void LedgerFloor(benchmark::State& state, Period p) {
    OpenBothSides open;
    ReadFloor(state, {{"INC5.dbf", LedgerRecords(true, p)}, {"EXP5.dbf", LedgerRecords(false, p)}},
              state.range(0) == 0);
}
void BM_FloorGeneralLedger(benchmark::State& state) {
    LedgerFloor(state, LastYear());
}
void BM_GeneralLedger(benchmark::State& state) {
    OpenBothSides open;
    RunBuilder(state, reports::BuildGeneralLedger, Request(LastYear().from, LastYear().through));
}
// Every entry of the data in the period: a row for each, 2.2 million rows at 1,000,000 records
// a table.
void BM_FloorGeneralLedgerTenYears(benchmark::State& state) {
    LedgerFloor(state, AllYears());
}
void BM_GeneralLedgerTenYears(benchmark::State& state) {
    OpenBothSides open;
    RunBuilder(state, reports::BuildGeneralLedger, Request(AllYears().from, AllYears().through));
}

// The ten-year ledger exported as text, beside the same number of bytes written in 64 KB
// blocks and synced: the export goes out row by row, so its heap stays at a block.
std::uint64_t ExportedBytes = 0;
void BM_ExportGeneralLedgerTenYears(benchmark::State& state) {
    OpenBothSides open;
    reports::Document doc;
    reports::BuildGeneralLedger(Request(AllYears().from, AllYears().through), doc);
    const std::string path = (DataDir / "ledger.txt").string();
    const MemoryWatch memory;
    for (auto _ : state) {
        const reports::ExportOutcome outcome =
            reports::ExportReport(doc, reports::ExportKind::Text, path, engine::posixFileSystem());
        if (!outcome.ok) state.SkipWithError(outcome.message.c_str());
    }
    memory.report(state);
    doc.ClearDocument();
    ExportedBytes = fs::file_size(path);
    state.counters["MB"] = double(ExportedBytes) / (1024.0 * 1024.0);
    fs::remove(path);
}
void BM_FloorExportGeneralLedgerTenYears(benchmark::State& state) {
    const std::string path = (DataDir / "floor.txt").string();
    const std::vector<char> block(1 << 16, 'x');
    for (auto _ : state) {
        std::unique_ptr<engine::File> file;
        engine::posixFileSystem().open(path, engine::OpenMode::Create, file);
        for (std::uint64_t at = 0; at < ExportedBytes; at += block.size())
            file->write(at, block.data(),
                        std::min<std::uint64_t>(block.size(), ExportedBytes - at));
        file->sync();
    }
    state.counters["MB"] = double(ExportedBytes) / (1024.0 * 1024.0);
    fs::remove(path);
}

// The profit reports read both date tags over their period, bucket by bucket.
void ProfitFloor(benchmark::State& state, Period p) {
    OpenBothSides open;
    ReadFloor(state,
              {{"INC5.dbf", DateRecords(true, p.from, p.through)},
               {"EXP5.dbf", DateRecords(false, p.from, p.through)}},
              state.range(0) == 0);
}
void BM_FloorMonthlyProfitYear(benchmark::State& state) {
    ProfitFloor(state, Year());
}
void BM_MonthlyProfitYear(benchmark::State& state) {
    OpenBothSides open;
    RunBuilder(state, reports::BuildMonthlyProfit, Request(Year().from, Year().through));
}
void BM_FloorWeeklyProfitTenYears(benchmark::State& state) {
    ProfitFloor(state, AllYears());
}
void BM_WeeklyProfitTenYears(benchmark::State& state) {
    OpenBothSides open;
    RunBuilder(state, reports::BuildWeeklyProfit, Request(AllYears().from, AllYears().through));
}

// First argument 0: one month, 1: one year. Floors' last argument 0: mapped, 1: read per
// record.
BENCHMARK(BM_FloorExpenseSummary)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpenseSummary)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorExpenseDetail)->ArgsProduct({{0, 1}, {0, 1}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpenseDetail)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorIncomeSummaryYear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IncomeSummaryYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorGeneralLedger)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneralLedger)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorGeneralLedgerTenYears)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GeneralLedgerTenYears)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportGeneralLedgerTenYears)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorExportGeneralLedgerTenYears)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorMonthlyProfitYear)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MonthlyProfitYear)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FloorWeeklyProfitTenYears)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WeeklyProfitTenYears)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("report_bench");
    if (!data.ok()) return 1;
    DataDir = data.dir();
    Records = data.records();
    fs::current_path(DataDir);
    cbk::StartDataStore();  // builds missing indexes

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cbk::ShutDownDataStore(false);
    return 0;
}
