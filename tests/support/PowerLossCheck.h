#pragma once

// The check of one table on a disk found after a power loss: read raw, its header count must
// not claim records the file lacks and no claimed record may be torn, unless the header
// carries the in-flux mark that the next open cures; opened as the program opens it (with its
// tags, a missing index file built again as start-up does) it must open, mend what the mark
// says and pass d4check; and what the engine leaves must then be whole.

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "data/engine/Engine.h"
#include "support/PowerLossFileSystem.h"
#include "support/TableFiles.h"

namespace enginetest {

struct Reopened {
    bool exists = false;
    bool marked = false;       // the header carried the in-flux mark
    bool mended = false;       // the open cut the count back to the records on disk
    bool tagsMissing = false;  // an index file was gone and was built again
    std::vector<std::string> records;
};

inline const std::string* findFile(const Disk& disk, const std::string& path) {
    for (const auto& [name, bytes] : disk) {
        if (name.size() != path.size()) continue;
        bool same = true;
        for (std::size_t i = 0; i < name.size() && same; ++i)
            same = std::tolower(static_cast<unsigned char>(name[i])) ==
                   std::tolower(static_cast<unsigned char>(path[i]));
        if (same) return &bytes;
    }
    return nullptr;
}

// The records a table file's header claims, each checked whole; `lenient` lets a count run
// past the file or over never-written records (the mark's business).
inline ::testing::AssertionResult rawRecords(const std::string& bytes, bool lenient,
                                             std::vector<std::string>& out) {
    out.clear();
    if (bytes.size() < 32) return ::testing::AssertionFailure() << "header cut short";
    const std::size_t headerLength =
        static_cast<unsigned char>(bytes[8]) | static_cast<unsigned char>(bytes[9]) << 8;
    const std::size_t recordLength =
        static_cast<unsigned char>(bytes[10]) | static_cast<unsigned char>(bytes[11]) << 8;
    const std::size_t count = get32(bytes, 4);
    if (headerLength + count * recordLength > bytes.size()) {
        if (lenient) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "header claims " << count << " records, the file holds "
               << (bytes.size() - headerLength) / recordLength;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out.push_back(bytes.substr(headerLength + i * recordLength, recordLength));
        if (out.back()[0] != ' ' && out.back()[0] != '*' && !lenient)
            return ::testing::AssertionFailure()
                   << "record " << i + 1 << " of " << count << " was never written whole";
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult reopenTable(const Disk& disk, const std::string& dir,
                                              const std::string& table, const std::string& group,
                                              const std::vector<engine::Tag4Info>& tags,
                                              Reopened& out) {
    using namespace engine;
    const std::string path = (dir == "." ? "" : dir + "/") + table + ".dbf";
    const std::string* raw = findFile(disk, path);
    out = Reopened{};
    if (raw == nullptr) return ::testing::AssertionSuccess();
    out.exists = true;
    out.marked = raw->size() > 14 && (*raw)[14] != 0;
    std::vector<std::string> before;
    if (auto r = rawRecords(*raw, out.marked, before); !r) return r << " (unmarked)";

    PowerLossFileSystem fs(disk);
    auto h = code4init(fs, dir);
    code4exitHandler(h.get(), [] { throw std::runtime_error("program ends"); });
    Data4* t = d4open(h.get(), table);
    std::string why = code4errorText(h.get());
    if (t == nullptr && code4errorCode(h.get(), 0) == e4open && !group.empty()) {
        // As start-up does for a missing index file: the table alone, and a build.
        out.tagsMissing = true;
        code4autoOpen(h.get(), 0);
        code4safety(h.get(), 0);
        t = d4open(h.get(), table);
        if (t != nullptr && i4create(t, group, tags) != 0)
            return ::testing::AssertionFailure() << "index build: " << code4errorText(h.get());
    }
    if (t == nullptr)
        return ::testing::AssertionFailure()
               << "does not open: " << why << " " << code4errorText(h.get());
    std::string report;
    if (d4check(t, &report) != 0)
        return ::testing::AssertionFailure() << "d4check after reopening: " << report;
    if (code4close(h.get()) != 0)
        return ::testing::AssertionFailure() << "close: " << code4errorText(h.get());

    const Disk now = fs.files();
    const std::string* after = findFile(now, path);
    if (after == nullptr) return ::testing::AssertionFailure() << "gone after reopening";
    if (after->size() > 14 && (*after)[14] != 0)
        return ::testing::AssertionFailure() << "still marked after reopening";
    if (auto r = rawRecords(*after, false, out.records); !r) return r << " (after reopening)";
    out.mended = out.marked && get32(*after, 4) != get32(*raw, 4);
    return ::testing::AssertionSuccess();
}

}  // namespace enginetest
