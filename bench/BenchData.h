#pragma once

// The tables every benchmark works on: those in CBK_BENCH_DIR when it is set (made there when
// it holds none), otherwise a temporary directory made here and removed again. The tables
// hold CBK_BENCH_RECORDS expense and income records (1,000,000 by default) over the ten years
// up to 5 March 2026, the date the benchmarks' clock is pinned to.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "data/SampleData.h"
#include "data/engine/FileSystem.h"

namespace bench {

inline platform::DateTime Day(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

// The file `name` in `dir`, found without regard to case.
inline std::filesystem::path FileIn(const std::filesystem::path& dir, const std::string& name) {
    return engine::resolvePath(engine::posixFileSystem(), dir.string(), name);
}

// Sequential read of a file through a 1 MiB buffer, the floor of a scan in file order; returns
// a checksum so that nothing is elided.
inline std::uint64_t ReadSequentially(const std::filesystem::path& path) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (f == nullptr) return 0;
    std::vector<char> buffer(1 << 20);
    std::uint64_t sum = 0;
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) sum += buffer[got - 1];
    std::fclose(f);
    return sum;
}

class BenchData {
public:
    explicit BenchData(const char* program) {
        namespace fs = std::filesystem;
        if (const char* records = std::getenv("CBK_BENCH_RECORDS")) records_ = std::atol(records);
        if (const char* dir = std::getenv("CBK_BENCH_DIR")) {
            dir_ = dir;
        } else {
            std::string pattern = (fs::temp_directory_path() / "cbk-bench-XXXXXX").string();
            if (mkdtemp(pattern.data()) == nullptr) {
                std::fprintf(stderr, "%s: cannot make a temporary directory\n", program);
                return;
            }
            dir_ = pattern;
            madeHere_ = true;
        }
        if (!engine::fileExists(engine::posixFileSystem(), dir_.string(), "EXP5.dbf")) {
            cbk::SampleOptions options;
            options.records = records_;
            options.today = Day(2026, 3, 5);
            std::string message;
            if (cbk::MakeSampleTables(dir_.string(), options, &message) != 0) {
                std::fprintf(stderr, "%s: %s\n", program, message.c_str());
                return;
            }
        }
        ok_ = true;
    }
    ~BenchData() {
        if (!madeHere_) return;
        std::error_code ec;
        std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
        std::filesystem::remove_all(dir_, ec);
    }
    BenchData(const BenchData&) = delete;
    BenchData& operator=(const BenchData&) = delete;

    bool ok() const { return ok_; }
    const std::filesystem::path& dir() const { return dir_; }
    long records() const { return records_; }

private:
    std::filesystem::path dir_;
    long records_ = 1'000'000;
    bool madeHere_ = false;
    bool ok_ = false;
};

// Copies the named files of the working directory into `kept` (restore false), or back from
// it (restore true): a benchmark that changes its tables puts them back before each run.
inline void KeepFiles(const std::vector<std::string>& names, bool restore,
                      const std::string& kept = "kept") {
    std::filesystem::create_directories(kept);
    for (const std::string& name : names) {
        const std::string here = engine::resolvePath(engine::posixFileSystem(), ".", name);
        const std::string copy = kept + "/" + name;
        std::filesystem::copy_file(restore ? copy : here, restore ? here : copy,
                                   std::filesystem::copy_options::overwrite_existing);
    }
}

}  // namespace bench
