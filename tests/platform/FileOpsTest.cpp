#include "platform/FileOps.h"

#include <gtest/gtest.h>

#include <cerrno>

using platform::CopyResult;
using platform::copyResultOf;

TEST(FileOps, CopyErrorsTellAFullDiskFromAWriteProtectedOne) {
    EXPECT_EQ(copyResultOf(0), CopyResult::Ok);
    EXPECT_EQ(copyResultOf(ENOSPC), CopyResult::DiskFull);
    EXPECT_EQ(copyResultOf(EDQUOT), CopyResult::DiskFull);
    EXPECT_EQ(copyResultOf(EROFS), CopyResult::WriteProtected);
    EXPECT_EQ(copyResultOf(EACCES), CopyResult::WriteProtected);
    EXPECT_EQ(copyResultOf(EPERM), CopyResult::WriteProtected);
    EXPECT_EQ(copyResultOf(EIO), CopyResult::Failed);
    EXPECT_EQ(copyResultOf(ENOENT), CopyResult::Failed);
}
