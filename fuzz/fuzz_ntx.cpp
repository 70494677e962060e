// Opens an index made of the input bytes, checks it, walks it both ways, seeks in it and
// changes it: a damaged or hostile .ntx must give an error, never a crash, a hang or a read
// past the file.

#include <cstddef>
#include <cstdint>
#include <string>

#include "data/engine/Errors.h"
#include "data/engine/Ntx.h"
#include "fuzz/MemoryFileSystem.h"

using namespace engine;

namespace {

// A walk longer than this over an input of at most a few hundred pages is a loop.
constexpr int kMaxSteps = 200000;

void walk(Ntx& ntx) {
    int rc = ntx.first();
    for (int n = 0; rc == r4success && n < kMaxSteps; ++n) {
        (void)ntx.key();
        (void)ntx.recNo();
        rc = ntx.next();
    }
    rc = ntx.last();
    for (int n = 0; rc == r4success && n < kMaxSteps; ++n) rc = ntx.prev();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzzing::MemoryFileSystem fs(size % 2 == 0);
    std::string bytes(reinterpret_cast<const char*>(data), size);
    fs.put("/mem/T.ntx", bytes);
    std::unique_ptr<Ntx> ntx;
    if (Ntx::open(fs, "/mem/T.ntx", false, ntx) != 0) return 0;
    std::string report;
    std::uint64_t entries = 0;
    (void)ntx->check(&report, &entries);
    walk(*ntx);

    // Keys taken from the input's tail, so that seeks land inside the tree.
    auto keySize = static_cast<std::size_t>(ntx->header().keySize);
    std::string key = bytes.substr(bytes.size() > keySize ? bytes.size() - keySize : 0);
    key.resize(keySize, ' ');
    (void)ntx->seek(key);
    (void)ntx->seek(key.substr(0, keySize / 2));
    (void)ntx->seekEntry(key, 1);
    (void)ntx->next();
    (void)ntx->prev();
    if (ntx->insert(key, 7) == 0) (void)ntx->erase(key, 7);
    (void)ntx->insert(std::string(keySize, '0'), 1);
    (void)ntx->erase(std::string(keySize, ' '), 2);
    walk(*ntx);
    (void)ntx->flush();
    return 0;
}
