// The open books: their folder, whatever the current directory, and their tables opened alone.

#include <cerrno>
#include <filesystem>
#include <memory>

#include "data/Books.h"
#include "data/Database.h"
#include "data/TableSession.h"
#include "support/DataFixture.h"

namespace cbk::testing {
namespace {

using BooksTest = DataTest;

TEST_F(BooksTest, EveryRelativeNameIsOneOfTheBooksFilesWhateverTheCurrentDirectory) {
    const std::string folder = dir_->path();
    std::filesystem::current_path("/");
    ASSERT_TRUE(DataFilesPresent(folder));
    StartDataStore(engine::posixFileSystem(), folder);
    ASSERT_NE(OpenBooks(), nullptr);
    EXPECT_EQ(BooksFolder(), folder);
    EXPECT_EQ(BooksPath("EXP5.dbf"), folder + "/EXP5.dbf");
    EXPECT_EQ(engine::code4dir(cb), folder);
    {
        TableSession session({"EXP5"});
        EXPECT_GT(engine::d4recCount(Expenses), 0);
    }
    std::unique_ptr<engine::File> file;
    EXPECT_EQ(DataFileSystem().open("note.txt", engine::OpenMode::Create, file), 0);
    file.reset();
    EXPECT_TRUE(std::filesystem::exists(folder + "/note.txt"));
    EXPECT_FALSE(std::filesystem::exists("/note.txt"));

    // A table opened alone reads in record order without its tags.
    engine::Data4* bare = OpenBare("EXP5");
    ASSERT_NE(bare, nullptr);
    EXPECT_EQ(engine::d4tagDefault(bare), nullptr);
    engine::d4close(bare);

    // A side table is opened only when there, or made with its catalogue's fields.
    EXPECT_FALSE(BooksHold(kStatementIdsTable));
    EXPECT_EQ(OpenSideTable(kStatementIdsTable), nullptr);
    engine::Data4* made = OpenSideTable(kStatementIdsTable, true);
    ASSERT_NE(made, nullptr);
    EXPECT_NE(engine::d4field(made, "FITID"), nullptr);
    engine::d4close(made);
    EXPECT_TRUE(BooksHold(kStatementIdsTable));
    EXPECT_EQ(TakeEngineError(), 0);

    ShutDownDataStore(false);
    EXPECT_EQ(OpenBooks(), nullptr);
    EXPECT_EQ(BooksFolder(), "");
    EXPECT_EQ(std::filesystem::current_path(), "/");
}

TEST_F(BooksTest, ReadOnlyBooksRefuseWritesByRelativeAndAbsoluteNames) {
    const std::string folder = dir_->path();
    struct Writable {
        ~Writable() { SetReadOnlyBooks(""); }
    } writable;
    SetReadOnlyBooks(folder);
    std::filesystem::current_path("/");
    StartDataStore(engine::posixFileSystem(), folder);
    engine::FileSystem& fs = DataFileSystem();
    std::unique_ptr<engine::File> file;
    EXPECT_EQ(fs.open("EXP5.dbf", engine::OpenMode::ReadWrite, file), EROFS);
    EXPECT_EQ(fs.open(folder + "/EXP5.dbf", engine::OpenMode::ReadWrite, file), EROFS);
    EXPECT_EQ(fs.open("EXP5.dbf", engine::OpenMode::ReadOnly, file), 0);
    EXPECT_EQ(fs.rename(folder + "/ACC.dbf", "/tmp/cbk-never.dbf"), EROFS);
    EXPECT_EQ(fs.remove("ACC.dbf"), EROFS);
}

}  // namespace
}  // namespace cbk::testing
