#pragma once

// Makes the six tables in a directory: either the examples of a small business the program
// is supplied with, or large generated tables for benchmarks. Used by tools/make-sample-data
// and by every test that needs a data directory (SampleDataDir).

#include <string>
#include <vector>

#include "platform/DateTime.h"

namespace cbk {

struct SampleOptions {
    // 0: the examples (folders, accounts, settings and a year of income and expenses around
    // `today`). N > 0: the same folders, accounts and settings with N expense and N income
    // records spread over the ten years up to `today`, in no particular date order.
    long records = 0;
    bool force = false;        // replace existing tables (their index and group files are removed)
    bool indexes = false;      // also build the index and group files
    platform::DateTime today;  // required: the day the dates are placed around
};

// Creates `dir` if needed and the tables in it. Returns 0, or 1 with the reason in `message`
// (tables already there without `force`, a directory or table that cannot be made).
int MakeSampleTables(const std::string& dir, const SampleOptions& options, std::string* message);

// One account (flag: deductible, or taxable for an income account) or one folder (flag unused).
struct ChartEntry {
    int no;
    std::string name;
    bool flag = false;
};

// What a new set of books starts with.
struct TableSeed {
    std::vector<ChartEntry> expenseAccounts;
    std::vector<ChartEntry> incomeAccounts;
    std::vector<ChartEntry> folders;
    std::string company;  // the business's name in the settings record
};

// Creates `dir` if needed and the six tables in it, with their index and group files, holding
// only `seed` and the settings record (fiscal year from January 1, the seed's business name,
// no address). Returns 0, or 1 with the reason in `message` (a table already there, a directory
// or table that cannot be made).
int MakeSeededTables(const std::string& dir, const TableSeed& seed, std::string* message);

// A fresh temporary data directory holding the six tables, made current for its lifetime:
// the set-up of every data and form test. The previous current directory is restored and the
// directory removed on destruction; an engine left started by the test is released first.
class SampleDataDir {
public:
    explicit SampleDataDir(const SampleOptions& options);
    ~SampleDataDir();
    SampleDataDir(const SampleDataDir&) = delete;
    SampleDataDir& operator=(const SampleDataDir&) = delete;

    // False when the directory or its tables could not be made; `error` says why.
    bool ok() const { return error_.empty(); }
    const std::string& error() const { return error_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    std::string error_;
    std::string previousDir_;
};

}  // namespace cbk
