// The user's folders and the safe write of the settings files.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "data/UserFiles.h"
#include "support/FaultyFileSystem.h"
#include "support/TableFiles.h"

namespace cbk::testing {
namespace {

TEST(UserFiles, AnXdgBaseIsTheVariableOnlyWhenAbsolute) {
    EXPECT_EQ(XdgBase("/x/conf", "/home/u", ".config"), "/x/conf");
    EXPECT_EQ(XdgBase("", "/home/u", ".config"), "/home/u/.config");
    EXPECT_EQ(XdgBase("relative/conf", "/home/u", ".local/share"), "/home/u/.local/share");
}

TEST(UserFiles, ASafeWriteLeavesTheOldFileWholeAtAnyFailedStep) {
    enginetest::TempDir dir;
    const std::string path = dir.file("deep/er/books.conf");
    ASSERT_EQ(WriteFileSafely(engine::posixFileSystem(), path, "old\n"), 0);
    for (engine::FsOp op : {engine::FsOp::Write, engine::FsOp::Sync, engine::FsOp::Rename}) {
        engine::FaultyFileSystem fs;
        fs.failNth(op, 1, ENOSPC);
        EXPECT_EQ(WriteFileSafely(fs, path, "new\n"), ENOSPC);
        EXPECT_EQ(enginetest::readFile(path), "old\n");
        EXPECT_FALSE(std::filesystem::exists(path + ".new"));
    }
    ASSERT_EQ(WriteFileSafely(engine::posixFileSystem(), path, "new\n"), 0);
    EXPECT_EQ(enginetest::readFile(path), "new\n");
}

}  // namespace
}  // namespace cbk::testing
