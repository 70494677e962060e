// The compressed form of the automatic backups: what goes in comes out at every length around
// the checksum's block, a damaged or cut-off file is refused, a full disk leaves no file, and
// the set copy writes a compressed source out whole or not at all.

#include "data/Compression.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/FileCopy.h"
#include "support/FaultyFileSystem.h"
#include "support/ScratchDir.h"

namespace cbk {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

// Records of a table, varied enough that the compressed file has several blocks.
std::string Records(std::size_t n) {
    std::string bytes;
    for (std::size_t i = 0; bytes.size() < n; ++i)
        bytes += " 2026" + std::to_string(i * 7919 % 100000) + "  Payee " + std::to_string(i);
    bytes.resize(n);
    return bytes;
}

// What the compressed file at `path` decompresses to, and the errno value.
std::pair<int, std::string> Unpack(const fs::path& path) {
    std::unique_ptr<engine::File> file;
    if (int err = engine::posixFileSystem().open(path, engine::OpenMode::ReadOnly, file))
        return {err, {}};
    std::string bytes;
    const int err = DecompressStream(*file, [&](const char* b, std::size_t n) {
        bytes.append(b, n);
        return 0;
    });
    return {err, bytes};
}

TEST(Compression, EveryLengthComesBackWithItsHeadAndSize) {
    enginetest::ScratchDir dir;
    const fs::path plain = dir.file("EXP5.dbf"), packed = dir.file("EXP5.bak.zst");
    for (std::size_t n : {0u, 1u, 31u, 32u, 33u, 65u, 3u << 20}) {
        const std::string bytes = Records(n);
        WriteAll(plain, bytes);
        ASSERT_EQ(CompressDataFile(engine::posixFileSystem(), plain, packed, {1, n > 100 ? 2 : 0}),
                  0)
            << n;
        EXPECT_EQ(Unpack(packed), std::make_pair(0, bytes)) << n;
        EXPECT_TRUE(SameAsCompressed(engine::posixFileSystem(), plain, packed)) << n;
        std::unique_ptr<engine::File> file;
        ASSERT_EQ(engine::posixFileSystem().open(packed, engine::OpenMode::ReadOnly, file), 0);
        std::string head;
        std::uint64_t size = 0;
        EXPECT_EQ(DecompressedHead(*file, 40, head, size), 0);
        EXPECT_EQ(head, bytes.substr(0, 40)) << n;
        EXPECT_EQ(size, n);
    }
    EXPECT_LT(fs::file_size(packed), (3u << 20) / 3);  // the last, 3 MiB of records
    WriteAll(plain, Records(1000) + "x");
    EXPECT_FALSE(SameAsCompressed(engine::posixFileSystem(), plain, packed));
}

TEST(Compression, ADamagedOrCutOffFileIsRefused) {
    enginetest::ScratchDir dir;
    const fs::path plain = dir.file("EXP5.dbf"), packed = dir.file("EXP5.bak.zst");
    WriteAll(plain, Records(1 << 20));
    ASSERT_EQ(CompressDataFile(engine::posixFileSystem(), plain, packed, {}), 0);
    const std::string whole = ReadAll(packed);
    std::string flipped = whole;
    flipped[flipped.size() / 2] ^= 0x20;
    for (const std::string& bad : {flipped, whole.substr(0, whole.size() - 1), whole.substr(0, 10),
                                   std::string(), ReadAll(plain), whole + "trailing"}) {
        WriteAll(packed, bad);
        EXPECT_EQ(Unpack(packed).first, EBADMSG) << bad.size();
    }
}

TEST(Compression, AFullDiskLeavesNoFileAndAStopIsAStop) {
    enginetest::ScratchDir dir;
    const fs::path plain = dir.file("EXP5.dbf"), packed = dir.file("EXP5.bak.zst");
    WriteAll(plain, Records(3 << 20));
    engine::FaultyFileSystem files;
    files.onlyPaths(".zst");
    files.failNth(engine::FsOp::Write, 2, ENOSPC, true);
    EXPECT_EQ(CompressDataFile(files, plain, packed, {}), ENOSPC);
    EXPECT_FALSE(fs::exists(packed));
    files.clearFaults();
    EXPECT_EQ(CompressDataFile(files, plain, packed, {}, [] { return true; }), ECANCELED);
    EXPECT_FALSE(fs::exists(packed));
}

// Restored from a compressed file: the bytes it holds, or, when it is damaged, the old target
// as it was and no temporary file.
TEST(Compression, TheSetCopyWritesACompressedSourceOutWholeOrNotAtAll) {
    enginetest::ScratchDir dir;
    const fs::path root = dir.path();
    const std::string records = Records(1 << 20);
    WriteAll(root / "live.dbf", records);
    ASSERT_EQ(
        CompressDataFile(engine::posixFileSystem(), root / "live.dbf", root / "EXP5.bak.zst", {}),
        0);
    WriteAll(root / "EXP5.dbf", "old");
    const std::vector<FileToCopy> files = {
        {(root / "EXP5.bak.zst").string(), (root / "EXP5.dbf").string(), true}};
    EXPECT_EQ(CopyFileSet(engine::posixFileSystem(), files).result, platform::CopyResult::Ok);
    EXPECT_EQ(ReadAll(root / "EXP5.dbf"), records);

    WriteAll(root / "EXP5.dbf", "old");
    std::string damaged = ReadAll(root / "EXP5.bak.zst");
    damaged[damaged.size() - 2] ^= 1;  // the checksum at its end
    WriteAll(root / "EXP5.bak.zst", damaged);
    const SetCopyOutcome out = CopyFileSet(engine::posixFileSystem(), files);
    EXPECT_EQ(out.result, platform::CopyResult::Failed);
    EXPECT_EQ(out.error, EBADMSG);
    EXPECT_EQ(ReadAll(root / "EXP5.dbf"), "old");
    EXPECT_EQ(std::distance(fs::directory_iterator(root), {}), 3);
}

}  // namespace
}  // namespace cbk
