#pragma once

// Putting back tables that a bulk append changed. An append leaves the records already in a
// table as they are: it rewrites the header and adds bytes behind the last record. So the
// table is put back by its length, its first block and its last block, kept before the
// append; no copy of a million records is needed. Index files change inside, so they are not
// kept here: the caller builds them again from the tables put back.

#include <cstdint>
#include <string>
#include <vector>

#include "data/engine/FileSystem.h"

namespace statements {

class AppendRollback {
public:
    explicit AppendRollback(engine::FileSystem& fs) : fs_(fs) {}

    // Keeps what is needed to put back each of `paths` (a missing file is removed when put
    // back). Returns 0 or the errno value of a file that could not be read.
    int keep(const std::vector<std::string>& paths);

    // Puts every kept file back and syncs it. Returns the names of those that could not be.
    std::vector<std::string> putBack();

private:
    struct Kept {
        std::string path;
        bool existed = false;
        std::uint64_t length = 0;
        std::string head;  // bytes from 0
        std::string tail;  // the last bytes, ending at `length`
    };
    static constexpr std::size_t kBlock = 4096;

    engine::FileSystem& fs_;
    std::vector<Kept> kept_;
};

}  // namespace statements
