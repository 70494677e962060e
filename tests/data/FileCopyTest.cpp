// The one file copy: names without regard to case, what a failure leaves behind, and the
// result words that tell a full disk from a write-protected one.

#include "data/FileCopy.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/FaultyFileSystem.h"
#include "support/ScratchDir.h"

namespace cbk {
namespace {

namespace fs = std::filesystem;
using platform::CopyResult;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

TEST(FileCopy, ErrorsTellAFullDiskFromAWriteProtectedOne) {
    const std::pair<int, CopyResult> cases[] = {{0, CopyResult::Ok},
                                                {ENOSPC, CopyResult::DiskFull},
                                                {EDQUOT, CopyResult::DiskFull},
                                                {EFBIG, CopyResult::DiskFull},
                                                {EROFS, CopyResult::WriteProtected},
                                                {EACCES, CopyResult::WriteProtected},
                                                {EPERM, CopyResult::WriteProtected},
                                                {EIO, CopyResult::Failed},
                                                {ENOENT, CopyResult::Failed}};
    for (const auto& [err, result] : cases) EXPECT_EQ(CopyResultOf(err), result) << err;
}

TEST(FileCopy, OverwritesMatchingNamesWithoutCaseAndLeavesNoTemporaryFile) {
    enginetest::ScratchDir dir;
    const fs::path root = dir.path();
    WriteAll(root / "ACC.dbf", std::string(200000, 'n'));  // more than one buffer
    WriteAll(root / "acc.bak", "old bytes");
    engine::FaultyFileSystem files;
    EXPECT_EQ(CopyDataFile(files, (root / "acc.DBF").string(), (root / "ACC.bak").string()),
              CopyResult::Ok);
    EXPECT_EQ(ReadAll(root / "acc.bak"), std::string(200000, 'n'));
    EXPECT_EQ(std::distance(fs::directory_iterator(root), {}), 2);
    EXPECT_EQ(files.calls(engine::FsOp::SyncDir), 1);  // the rename is made durable
    EXPECT_EQ(CopyDataFile(files, (root / "none.dbf").string(), (root / "x").string()),
              CopyResult::Failed);
    EXPECT_FALSE(fs::exists(root / "x"));
}

TEST(FileCopy, AFailedCopyLeavesTheOldTargetAndNoTemporaryFile) {
    const std::pair<engine::FsOp, int> faults[] = {{engine::FsOp::Write, ENOSPC},
                                                   {engine::FsOp::Sync, EIO},
                                                   {engine::FsOp::Rename, EROFS},
                                                   {engine::FsOp::Open, EACCES}};
    const CopyResult expected[] = {CopyResult::DiskFull, CopyResult::Failed,
                                   CopyResult::WriteProtected, CopyResult::WriteProtected};
    for (std::size_t i = 0; i < std::size(faults); ++i) {
        enginetest::ScratchDir dir;
        const fs::path root = dir.path();
        WriteAll(root / "EXP5.dbf", "records");
        WriteAll(root / "EXP5.bak", "backup");
        engine::FaultyFileSystem files;
        files.onlyPaths("EXP5.bak");
        files.failNth(faults[i].first, 1, faults[i].second, /*sticky=*/true);
        EXPECT_EQ(CopyDataFile(files, (root / "EXP5.dbf").string(), (root / "EXP5.bak").string()),
                  expected[i])
            << engine::fsOpName(faults[i].first);
        EXPECT_EQ(ReadAll(root / "EXP5.bak"), "backup");
        EXPECT_EQ(std::distance(fs::directory_iterator(root), {}), 2);
    }
}

}  // namespace
}  // namespace cbk
