// The bank statement import on generated data: a CSV statement of 100,000 lines (a tenth of
// CBK_BENCH_RECORDS) read, previewed against 1,000,000 expense and 1,000,000 income records
// (one walk of each table for the proposed accounts and the duplicates), and imported in one
// bulk write with its durable close. Beside them their floor: the statement and both tables
// read in 64 KB blocks, and the new records' bytes written the same way.
//
// The rules for imported lines: a 2,000-line statement previewed with 500 rules (most of them
// matching no line, so every line is compared with all of them; one in five a regular
// expression), beside its floor, the same lines proposed with no rules.
//
// The tables come from bench/BenchData.h and are copied into a directory of this program's
// own, since the import adds to them; they are put back before each import.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchData.h"
#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "platform/ScriptedPlatform.h"
#include "records/RecordTables.h"
#include "statements/ImportRules.h"
#include "statements/Readers.h"
#include "statements/StatementImport.h"

namespace {

namespace fs = std::filesystem;

long Lines = 100'000;
const char* kStatement = "statement.csv";

void MakeStatement() {
    std::ofstream out(kStatement, std::ios::binary);
    out << "Date,Description,Amount,Check Number,Memo\r\n";
    char line[160];
    for (long i = 0; i < Lines; ++i) {
        const bool income = i % 4 == 0;
        std::snprintf(line, sizeof line,
                      "%02ld/%02ld/2025,\"Supplier %ld, Inc.\",%s%ld.%02ld,%s,memo %ld\r\n",
                      1 + i % 12, 1 + i / 12 % 28, i % 311, income ? "" : "-", 1 + i % 5000,
                      i % 100, i % 7 == 0 ? std::to_string(1000 + i).c_str() : "", i);
        out << line;
    }
}

std::vector<std::string> TableFiles() {
    std::vector<std::string> files = cbk::IndexFilesOf("EXP5");
    for (const std::string& f : cbk::IndexFilesOf("INC5")) files.push_back(f);
    files.push_back("EXP5.dbf");
    files.push_back("INC5.dbf");
    return files;
}

void KeepTables(bool restore) {
    bench::KeepFiles(TableFiles(), restore);
}

statements::Statement ReadStatement() {
    std::string bytes, error;
    if (!statements::ReadFileBytes(kStatement, bytes, error)) std::abort();
    statements::CsvMapping m = statements::GuessMapping(bytes, platform::DateOrder::MDY);
    statements::Statement st = statements::MakeCsvReader(m)->read(kStatement, bytes);
    if (!st.error.empty() || static_cast<long>(st.lines.size()) != Lines) std::abort();
    return st;
}

std::vector<statements::PreviewLine> Preview(const statements::Statement& st) {
    cbk::OpenExpenses();
    cbk::OpenIncome();
    statements::Choices choices{
        {20, 21, 22, 23, 24, 25, 26, 27, 28}, {10, 20, 30}, {1, 2, 3, 4, 5}};
    auto lines = statements::Propose(st.lines, choices, 1, statements::ImportedIds());
    cbk::CloseAllTables();
    return lines;
}

constexpr long kRuleLines = 2'000;
constexpr int kRules = 500;

std::vector<statements::StatementLine> RuleLines(const statements::Statement& st) {
    return {st.lines.begin(), st.lines.begin() + std::min<long>(kRuleLines, Lines)};
}

std::vector<statements::ImportRule> MakeRules() {
    std::vector<statements::ImportRule> rules;
    for (int i = 0; i < kRules - 11; ++i) {
        statements::ImportRule r;
        r.account = 20 + i % 9;
        r.text = i % 3 == 0 ? statements::RuleText::Either : statements::RuleText::Payee;
        if (i % 5 == 0) {
            r.match = statements::RuleMatch::Pattern;
            r.pattern = "^vendor\\s+" + std::to_string(i) + "\\b";
        } else {
            r.match = i % 2 ? statements::RuleMatch::Contains : statements::RuleMatch::StartsWith;
            r.pattern = "Vendor " + std::to_string(i);
        }
        rules.push_back(r);
    }
    // The last eleven rules are the ones that match: every line passes all the others first.
    for (long supplier = 0; supplier < 311; supplier += 31) {
        statements::ImportRule r;
        r.pattern = "Supplier " + std::to_string(supplier) + ",";
        r.account = 20 + supplier % 9;
        rules.push_back(r);
    }
    return rules;
}

// What the user waits for between choosing a 2,000-line file and seeing the preview, with 500
// rules (state.range(0) == 1) or none, the floor.
void BM_PreviewWithRules(benchmark::State& state) {
    const std::vector<statements::StatementLine> lines = RuleLines(ReadStatement());
    const std::vector<statements::ImportRule> rules =
        state.range(0) ? MakeRules() : std::vector<statements::ImportRule>{};
    const statements::Choices choices{
        {20, 21, 22, 23, 24, 25, 26, 27, 28}, {10, 20, 30}, {1, 2, 3, 4, 5}};
    for (auto _ : state) {
        cbk::OpenExpenses();
        cbk::OpenIncome();
        benchmark::DoNotOptimize(statements::Propose(lines, choices, 1, statements::ImportedIds(),
                                                     statements::RuleSet(rules, choices))
                                     .data());
        cbk::CloseAllTables();
    }
    state.counters["lines"] = double(lines.size());
    state.counters["rules"] = double(rules.size());
}

// The rules alone on the same lines: made ready once, then every line matched.
void BM_ApplyRules(benchmark::State& state) {
    std::vector<statements::PreviewLine> lines = Preview(ReadStatement());
    lines.resize(std::min<std::size_t>(lines.size(), kRuleLines));
    const std::vector<statements::ImportRule> rules =
        state.range(0) ? MakeRules() : std::vector<statements::ImportRule>{};
    const statements::Choices choices{
        {20, 21, 22, 23, 24, 25, 26, 27, 28}, {10, 20, 30}, {1, 2, 3, 4, 5}};
    for (auto _ : state) {
        statements::ApplyProposals(lines, statements::RuleSet(rules, choices), 1);
        benchmark::DoNotOptimize(lines.data());
    }
    state.counters["lines"] = double(lines.size());
    state.counters["rules"] = double(rules.size());
}

void BM_ReadStatement(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(ReadStatement().lines.data());
    state.counters["lines"] = double(Lines);
}

// What the user waits for between choosing the file and seeing the preview.
void BM_PreviewStatement(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(Preview(ReadStatement()).data());
}

void BM_ImportStatement(benchmark::State& state) {
    std::vector<statements::PreviewLine> lines = Preview(ReadStatement());
    for (auto& p : lines) {
        p.chosen = true;
        if (p.account == 0) p.account = p.kind == statements::Kind::Expense ? 20 : 10;
    }
    for (auto _ : state) {
        state.PauseTiming();
        KeepTables(true);
        state.ResumeTiming();
        const statements::WriteOutcome outcome = statements::WriteStatement(lines);
        if (!outcome.ok) std::abort();
    }
    state.counters["lines"] = double(Lines);
}

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

void BM_FloorStatement(benchmark::State& state) {
    // An EXP5 record is 96 bytes, an INC5 record 59; three lines in four are expenses.
    const std::uint64_t bytes = std::uint64_t(Lines) * (3 * 96 + 59) / 4;
    const std::vector<char> block(1 << 16, ' ');
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            ReadWhole(kStatement) +
            ReadWhole(engine::resolvePath(engine::posixFileSystem(), ".", "EXP5.dbf")) +
            ReadWhole(engine::resolvePath(engine::posixFileSystem(), ".", "INC5.dbf")));
        std::unique_ptr<engine::File> out;
        engine::posixFileSystem().open("floor.out", engine::OpenMode::Create, out);
        for (std::uint64_t at = 0; at < bytes; at += block.size())
            out->write(at, block.data(),
                       std::size_t(std::min<std::uint64_t>(block.size(), bytes - at)));
        out->sync();
        out.reset();
        engine::posixFileSystem().remove("floor.out");
    }
}

BENCHMARK(BM_FloorStatement)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ReadStatement)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewStatement)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PreviewWithRules)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ApplyRules)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_ImportStatement)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);

    bench::BenchData data("statement_bench");
    if (!data.ok()) return 1;
    Lines = data.records() / 10;
    std::string pattern = (fs::temp_directory_path() / "cbk-stmt-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return 1;
    const fs::path work = pattern;
    for (const cbk::TableSpec& spec : cbk::TableCatalogue()) {
        const std::string name = std::string(spec.name) + ".dbf";
        fs::copy_file(bench::FileIn(data.dir(), name), work / name);
    }
    fs::current_path(work);
    cbk::StartDataStore();  // builds the indexes
    MakeStatement();
    KeepTables(false);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    cbk::ShutDownDataStore(false);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(work);
    return 0;
}
