#include "data/SampleData.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "data/Database.h"
#include "data/Records.h"
#include "support/DataFixture.h"

namespace cbk {
namespace {

namespace fs = std::filesystem;
using testing::DataTest;

struct FieldShape {
    const char* name;
    char type;
    int len;
    int dec;
};

void ExpectFields(const char* table, std::initializer_list<FieldShape> fields) {
    engine::Data4* t = engine::d4open(cb, table);
    ASSERT_NE(t, nullptr) << table;
    for (const FieldShape& f : fields) {
        engine::Field4* field = engine::d4field(t, f.name);
        ASSERT_NE(field, nullptr) << table << "." << f.name;
        EXPECT_EQ(engine::f4type(field), f.type) << f.name;
        EXPECT_EQ(engine::f4len(field), f.len) << f.name;
        EXPECT_EQ(engine::f4decimals(field), f.dec) << f.name;
    }
}

using SampleDataTest = DataTest;

TEST_F(SampleDataTest, TablesHaveTheFieldsTheProgramReads) {
    StartDataStore();
    ExpectFields("ACC", {{"ACCNO", 'N', 4, 0}, {"ACDESC", 'C', 30, 0}, {"ACDED", 'L', 1, 0}});
    ExpectFields("ACCI", {{"ACCNO", 'N', 4, 0}, {"ACDESC", 'C', 30, 0}, {"ACDED", 'L', 1, 0}});
    ExpectFields("FOLDER", {{"FOLNO", 'N', 4, 0}, {"FOLNAME", 'C', 30, 0}});
    ExpectFields("EXP5", {{"EXPDATE", 'D', 8, 0},
                          {"CHECKNO", 'N', 8, 0},
                          {"ACCNO", 'N', 4, 0},
                          {"FOLNO", 'N', 4, 0},
                          {"PAYTO", 'C', 30, 0},
                          {"AMOUNT", 'N', 10, 2},
                          {"EMEMO", 'C', 30, 0},
                          {"ARCHIVE", 'L', 1, 0}});
    ExpectFields("INC5", {{"INCACC", 'N', 4, 0},
                          {"INCIMP", 'L', 1, 0},
                          {"INCDATE", 'D', 8, 0},
                          {"INCDESC", 'C', 30, 0},
                          {"INCAMT", 'N', 10, 2},
                          {"FOLNO", 'N', 4, 0},
                          {"ARCHIVE", 'L', 1, 0}});
    ExpectFields("CBK1", {{"FYMONTH", 'N', 2, 0},
                          {"FYDAY", 'N', 2, 0},
                          {"FONTNAME", 'C', 60, 0},
                          {"FONTSIZE", 'N', 3, 0}});
}

TEST_F(SampleDataTest, ExamplesAreASmallBusinessYearAroundToday) {
    StartDataStore();
    OpenAccounts();
    std::set<bool> marks;
    int accounts = 0;
    for (int rc = ResultWord; rc != engine::r4eof; rc = engine::d4skip(Accounts, 1)) {
        LoadAccount();
        marks.insert(CurAccount.AcDed);
        ++accounts;
    }
    EXPECT_GE(accounts, 18);
    EXPECT_EQ(marks.size(), 2u);

    OpenFolders();
    std::set<std::string> folders;
    for (int rc = ResultWord; rc != engine::r4eof; rc = engine::d4skip(Folders, 1)) {
        LoadFolder();
        folders.insert(CurFolder.FolName.substr(0, CurFolder.FolName.find_last_not_of(' ') + 1));
    }
    EXPECT_TRUE(folders.count("General"));
    EXPECT_TRUE(folders.count("Main Street Duplex"));
    EXPECT_TRUE(folders.count("Smith Kitchen Job"));

    OpenExpenses();
    LoadExpense();
    EXPECT_EQ(CurExpense.ExpDate, *platform::DateTime::fromYmd(2025, 4, 1));
    engine::d4bottom(Expenses);
    LoadExpense();
    EXPECT_LE(CurExpense.ExpDate, *platform::DateTime::fromYmd(2026, 3, 31));
    EXPECT_GT(engine::d4recCount(Expenses), 100);

    OpenIncome();
    EXPECT_GT(engine::d4recCount(Income), 36);
}

TEST_F(SampleDataTest, RefusesToReplaceTablesUnlessForced) {
    SampleOptions options;
    options.today = *platform::DateTime::fromYmd(2026, 3, 5);
    std::string message;
    EXPECT_EQ(MakeSampleTables(dir_->path(), options, &message), 1);
    EXPECT_NE(message.find("already holds"), std::string::npos) << message;
    EXPECT_NE(message.find("--force"), std::string::npos) << message;

    StartDataStore();  // builds the index files
    ShutDownDataStore(false);
    options.force = true;
    options.records = 50;
    EXPECT_EQ(MakeSampleTables(dir_->path(), options, &message), 0) << message;
    EXPECT_FALSE(fs::exists(fileIn("EDate.ntx")));
    EXPECT_FALSE(fs::exists(fileIn("Acc.cgp")));
    StartDataStore();
    OpenExpenses();
    EXPECT_EQ(engine::d4recCount(Expenses), 50);
}

class GeneratedDataTest : public DataTest {
protected:
    GeneratedDataTest() { records_ = 2000; }
};

TEST_F(GeneratedDataTest, RecordsSpreadOverTenYearsInNoDateOrder) {
    StartDataStore();
    OpenExpenses();
    ASSERT_EQ(engine::d4recCount(Expenses), 2000);
    engine::d4tagSelect(Expenses, nullptr);
    int outOfOrder = 0;
    std::string previous;
    std::set<int> years;
    for (int rc = engine::d4top(Expenses); rc != engine::r4eof; rc = engine::d4skip(Expenses, 1)) {
        const std::string date = engine::f4str(ExpDateField);
        if (date < previous) ++outOfOrder;
        previous = date;
        years.insert(std::stoi(date.substr(0, 4)));
        ASSERT_TRUE(LoadExpense()) << date;
        ASSERT_LE(CurExpense.ExpDate, *platform::DateTime::fromYmd(2026, 3, 5));
    }
    EXPECT_GT(outOfOrder, 500);
    EXPECT_GE(years.size(), 10u);
    OpenIncome();
    EXPECT_EQ(engine::d4recCount(Income), 2000);
}

TEST(SampleData, IndexesOnRequestAreTheOnesTheOpenersUse) {
    platform::ScriptedPlatformScope platform;
    platform->clock.set(2026, 3, 5);
    SampleOptions options;
    options.today = *platform::DateTime::fromYmd(2026, 3, 5);
    options.indexes = true;
    SampleDataDir dir(options);
    ASSERT_TRUE(dir.ok()) << dir.error();
    for (const char* table : {"ACC", "ACCI", "FOLDER", "EXP5", "INC5"}) {
        for (const std::string& file : IndexFilesOf(table)) {
            EXPECT_TRUE(engine::fileExists(engine::posixFileSystem(), ".", file)) << file;
        }
    }
}

}  // namespace
}  // namespace cbk
