// The layout check of tables that come from outside: the program's own tables pass; a table
// with a field missing, of the wrong type or too narrow, and a file that is no dBASE table at
// all, each give a message naming the file and the fault; and the check changes no file.

#include <gtest/gtest.h>

#include <filesystem>

#include "data/FileCopy.h"
#include "data/TableCheck.h"
#include "data/engine/Engine.h"
#include "support/DataFixture.h"
#include "support/TableFiles.h"

namespace cbk {
namespace {

using enginetest::RawField;
using enginetest::rawTable;

class TableCheck : public testing::DataTest {
protected:
    // Writes `bytes` as `name` beside the data and checks it against `table`'s needs; the file
    // must be unchanged afterwards.
    std::string check(const std::string& name, const std::string& bytes, std::string_view table) {
        std::string path = (std::filesystem::path(dir_->path()) / name).string();
        enginetest::writeFile(path, bytes);
        auto stamp = std::filesystem::last_write_time(path);
        std::string message;
        bool ok = CheckTableLayout(path, FieldsNeeded(table), &message);
        EXPECT_EQ(enginetest::readFile(path), bytes) << "the check changed " << name;
        EXPECT_EQ(std::filesystem::last_write_time(path), stamp);
        EXPECT_EQ(ok, message.empty()) << message;
        return ok ? "fits" : message;
    }
};

const std::vector<RawField> kAccountLayout = {
    {"ACCNO", 'N', 4}, {"ACDESC", 'C', 30}, {"ACDED", 'L', 1}};

TEST_F(TableCheck, TheProgramsOwnTablesFit) {
    for (const char* table : {"CBK1", "ACC", "ACCI", "FOLDER", "EXP5", "INC5"}) {
        std::string path = fileIn(std::string(table) + ".dbf").string();
        std::string bytes = enginetest::readFile(path);
        std::string message;
        EXPECT_TRUE(CheckTableLayout(path, FieldsNeeded(table), &message)) << message;
        EXPECT_EQ(enginetest::readFile(path), bytes);
    }
}

TEST_F(TableCheck, BackupUnderAnotherExtensionWithExtraFieldsInAnyOrderFits) {
    EXPECT_EQ(
        check(
            "ACC.bak",
            rawTable(0x03, 0x03,
                     {{"acded", 'L', 1}, {"NOTE", 'C', 12}, {"AcDesc", 'C', 40}, {"ACCNO", 'N', 6}},
                     {}),
            "ACC"),
        "fits");
}

TEST_F(TableCheck, ForeignDbaseFourTableWithMemoFlagFits) {
    EXPECT_EQ(
        check("pmt.dbf",
              rawTable(
                  0x8B, 0x00,
                  {{"PDATE", 'D', 8}, {"PAMT", 'N', 12, 2}, {"IVNO", 'C', 10}, {"NOTES", 'M', 10}},
                  {}, 2),
              "PMT"),
        "fits");
}

TEST_F(TableCheck, MissingFieldIsNamed) {
    EXPECT_EQ(
        check("ACC.bak", rawTable(0x03, 0x03, {{"ACCNO", 'N', 4}, {"ACDESC", 'C', 30}}, {}), "ACC"),
        "ACC.bak is not a valid Cantabook data file: field ACDED is missing");
}

TEST_F(TableCheck, FieldOfTheWrongTypeIsNamed) {
    EXPECT_EQ(
        check("ACC.bak",
              rawTable(0x03, 0x03, {{"ACCNO", 'C', 4}, {"ACDESC", 'C', 30}, {"ACDED", 'L', 1}}, {}),
              "ACC"),
        "ACC.bak is not a valid Cantabook data file: field ACCNO is text (type C), not "
        "numeric");
    EXPECT_EQ(check("Exp3.dbf",
                    rawTable(0x03, 0x03,
                             {{"EXPDATE", 'C', 8},
                              {"CHECKNO", 'N', 6},
                              {"ACCNO", 'N', 4},
                              {"FOLNO", 'N', 4},
                              {"PAYTO", 'C', 20},
                              {"EMEMO", 'C', 20},
                              {"AMOUNT", 'N', 9, 2}},
                             {}),
                    "EXP3"),
              "Exp3.dbf is not a valid Cantabook data file: field EXPDATE is text (type C), not "
              "date");
}

TEST_F(TableCheck, FieldsTooNarrowForTheProgramAreNamed) {
    EXPECT_EQ(
        check("ACC.bak",
              rawTable(0x03, 0x03, {{"ACCNO", 'N', 3}, {"ACDESC", 'C', 30}, {"ACDED", 'L', 1}}, {}),
              "ACC"),
        "ACC.bak is not a valid Cantabook data file: field ACCNO is 3 characters wide, at "
        "least 4 are needed");
    EXPECT_EQ(check("FOLDER.bak",
                    rawTable(0x03, 0x03, {{"FOLNO", 'N', 5}, {"FOLNAME", 'C', 30}}, {}), "FOLDER"),
              "FOLDER.bak is not a valid Cantabook data file: field FOLNO is 5 characters wide, "
              "not 4");
    std::vector<RawField> expense = {{"EXPDATE", 'D', 8}, {"CHECKNO", 'N', 8}, {"ACCNO", 'N', 4},
                                     {"FOLNO", 'N', 4},   {"PAYTO", 'C', 30},  {"AMOUNT", 'N', 10},
                                     {"EMEMO", 'C', 30},  {"ARCHIVE", 'L', 1}};
    EXPECT_EQ(check("EXP5.bak", rawTable(0x03, 0x03, expense, {}), "EXP5"),
              "EXP5.bak is not a valid Cantabook data file: field AMOUNT has 0 decimals, at "
              "least 2 are needed");
}

TEST_F(TableCheck, FileThatIsNoDbaseTableIsSaidToBeNone) {
    EXPECT_EQ(check("INC5.bak", "Date,Amount\n2026-03-05,12.50\n", "INC5")
                  .rfind("INC5.bak is not a dBASE table (", 0),
              0u);
    EXPECT_EQ(check("INC5.bak", "", "INC5").rfind("INC5.bak is not a dBASE table (", 0), 0u);
    // A header that claims more records than the file holds.
    std::string lying = rawTable(0x03, 0x03, kAccountLayout, {"   7Rent"});
    enginetest::put32(lying, 4, 5000);
    EXPECT_EQ(check("ACC.bak", lying, "ACC").rfind("ACC.bak is not a dBASE table (", 0), 0u);
}

// A compressed backup is checked by the header it decompresses to; one that does not
// decompress is said to be damaged.
TEST_F(TableCheck, CompressedBackupIsCheckedByWhatItHolds) {
    const std::string zst = dir_->path() + "/ACC.bak.zst";
    ASSERT_EQ(CompressDataFile(engine::posixFileSystem(), fileIn("ACC.dbf").string(), zst, {}), 0);
    std::string message;
    EXPECT_TRUE(CheckTableLayout(zst, FieldsNeeded("ACC"), &message)) << message;
    EXPECT_FALSE(CheckTableLayout(zst, FieldsNeeded("FOLDER"), &message));
    EXPECT_EQ(message, "ACC.bak.zst is not a valid Cantabook data file: field FOLNO is missing");
    EXPECT_EQ(check("ACC.bak.zst", enginetest::readFile(fileIn("ACC.dbf").string()), "ACC"),
              "ACC.bak.zst is damaged and cannot be read");
}

TEST_F(TableCheck, MissingFileIsSaidToBeMissing) {
    std::string message;
    EXPECT_FALSE(CheckTableLayout(dir_->path() + "/ACC.bak", FieldsNeeded("ACC"), &message));
    EXPECT_EQ(message, "ACC.bak was not found");
    EXPECT_FALSE(std::filesystem::exists(dir_->path() + "/ACC.bak"));
}

TEST_F(TableCheck, NeedsAreKnownByEngineNameInAnyCase) {
    EXPECT_EQ(FieldsNeeded("acc").size(), 3u);
    EXPECT_EQ(FieldsNeeded("Inc5").size(), 7u);
    EXPECT_TRUE(FieldsNeeded("NOSUCH").empty());
}

}  // namespace
}  // namespace cbk
