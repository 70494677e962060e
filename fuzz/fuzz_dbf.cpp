// Opens a table made of the input bytes and reads every record and field of it, then changes
// and appends a record: a damaged or hostile .dbf must give an error, never a crash or a read
// past the file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/engine/Engine.h"
#include "fuzz/MemoryFileSystem.h"

using namespace engine;

namespace {

constexpr long kMaxRecords = 20000;

void readFields(Data4* t) {
    for (int j = 1; j <= d4numFields(t); ++j) {
        Field4* f = d4fieldJ(t, j);
        (void)f4str(f);
        (void)f4int(f);
        (void)f4long(f);
        (void)f4double(f);
        (void)f4true(f);
    }
    (void)d4deleted(t);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Both ways of reading records: through a view of the file and through block reads.
    fuzzing::MemoryFileSystem fs(size % 2 == 0);
    fs.put("/mem/T.dbf", std::string(reinterpret_cast<const char*>(data), size));
    auto h = code4init(fs, "/mem");
    code4exitHandler(h.get(), [] { __builtin_trap(); });
    Data4* t = d4open(h.get(), "T");
    if (!t) return 0;
    for (int j = 1; j <= d4numFields(t); ++j) {
        Field4* f = d4fieldJ(t, j);
        (void)f4name(f);
        (void)f4type(f);
        (void)f4len(f);
        (void)f4decimals(f);
    }
    long seen = 0;
    for (int rc = d4top(t); rc == 0 && seen < kMaxRecords; rc = d4skip(t, 1), ++seen) readFields(t);
    for (int rc = d4bottom(t), n = 0; rc == 0 && n < 3; rc = d4skip(t, -1), ++n) readFields(t);
    std::string report;
    (void)d4check(t, &report);

    // Writing: every field of the first record, then a new record.
    if (d4go(t, 1) == 0) {
        for (int j = 1; j <= d4numFields(t); ++j) (void)f4assign(d4fieldJ(t, j), "12");
        (void)d4delete(t);
    }
    if (d4appendBlank(t) == 0 && d4numFields(t) > 0) (void)f4assignDouble(d4fieldJ(t, 1), -3.5);
    (void)d4flush(t);
    code4errorCode(h.get(), 0);
    code4close(h.get());
    return 0;
}
