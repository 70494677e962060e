// make-sample-data DIR [--records N] [--force] [--indexes]
//
// Makes the six tables of a Cantabook data directory: the examples of a small business, or
// with --records N, N expense and N income records over ten years for benchmarks. The program
// builds its index files itself at start-up; --indexes builds them here as well.

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "data/SampleData.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: make-sample-data DIR [--records N] [--force] [--indexes]\n"
                 "  --records N  N expense and N income records over ten years\n"
                 "  --force      replace tables that are already there\n"
                 "  --indexes    also build the index files\n");
    return 2;
}

bool ParseCount(const char* text, long& out) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 1 || value > 100'000'000) return false;
    out = value;
    return true;
}

platform::DateTime Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return *platform::DateTime::fromYmd(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace

int main(int argc, char** argv) {
    std::string dir;
    cbk::SampleOptions options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--records") {
            if (i + 1 >= argc || !ParseCount(argv[++i], options.records)) {
                std::fprintf(stderr, "make-sample-data: --records needs a count from 1\n");
                return 2;
            }
        } else if (arg == "--force") {
            options.force = true;
        } else if (arg == "--indexes") {
            options.indexes = true;
        } else if (arg == "--help" || arg == "-h") {
            Usage();
            return 0;
        } else if (arg.starts_with("-") || !dir.empty()) {
            return Usage();
        } else {
            dir = arg;
        }
    }
    if (dir.empty()) return Usage();

    options.today = Today();
    std::string message;
    if (cbk::MakeSampleTables(dir, options, &message) != 0) {
        std::fprintf(stderr, "make-sample-data: %s\n", message.c_str());
        return 1;
    }
    return 0;
}
