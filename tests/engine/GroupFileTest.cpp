#include "data/engine/GroupFile.h"

#include <gtest/gtest.h>

#include "data/engine/Errors.h"
#include "support/TableFiles.h"

namespace engine {
namespace {

using enginetest::readFile;
using enginetest::TempDir;
using enginetest::writeFile;

TEST(GroupFile, WritesOneTagNamePerLineAndReadsThemBack) {
    TempDir dir;
    std::string path = dir.file("Exp5.cgp");
    ASSERT_EQ(writeGroupFile(posixFileSystem(), path, {"EDate", "EAcc"}), 0);
    EXPECT_EQ(readFile(path), "EDate\r\nEAcc\r\n");
    std::vector<std::string> tags;
    ASSERT_EQ(readGroupFile(posixFileSystem(), path, tags), 0);
    EXPECT_EQ(tags, (std::vector<std::string>{"EDate", "EAcc"}));
}

TEST(GroupFile, ReadsLooseFormsOfTheList) {
    TempDir dir;
    std::string path = dir.file("G.cgp");
    writeFile(path, "  AccTag.NTX \n\nSecond\r\n\x1A");
    std::vector<std::string> tags;
    ASSERT_EQ(readGroupFile(posixFileSystem(), path, tags), 0);
    EXPECT_EQ(tags, (std::vector<std::string>{"AccTag", "Second"}));
}

TEST(GroupFile, RefusesWhatIsNotAGroupFile) {
    TempDir dir;
    std::string path = dir.file("G.cgp");
    for (std::string bad : {std::string(), std::string("\n\n"), std::string("Acc\0Tag", 7),
                            std::string("a/b"), std::string(100, 'x'), std::string("A\nB\na\n"),
                            std::string("\x89PNG\r\n\x1A\n"), std::string(70000, 'A')}) {
        writeFile(path, bad);
        std::vector<std::string> tags;
        EXPECT_EQ(readGroupFile(posixFileSystem(), path, tags), e4index) << bad.substr(0, 20);
    }
    std::vector<std::string> tags;
    EXPECT_EQ(readGroupFile(posixFileSystem(), dir.file("none.cgp"), tags), e4open);
    EXPECT_EQ(writeGroupFile(posixFileSystem(), path, {"ok", "not ok"}), e4tagName);
}

}  // namespace
}  // namespace engine
