// The default-folder list: read from FOLDER alone, leaving a command's tables open.

#include "data/SettingsRecord.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

#include "data/Database.h"
#include "data/Records.h"
#include "data/TableSession.h"
#include "support/DataFixture.h"

namespace cbk {
namespace {

class SettingsRecordTest : public testing::DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        StartDataStore();
    }
    void TearDown() override {
        ShutDownDataStore(false);
        DataTest::TearDown();
    }
};

TEST_F(SettingsRecordTest, FolderListSkipsDeletedFoldersInNumberOrderAndCountsThemAll) {
    std::vector<std::pair<int, std::string>> live;
    long total = 0;
    {
        // Read in record order, the first folder marked deleted.
        TableSession session({"FOLDER"});
        engine::d4tagSelect(Folders, nullptr);
        total = engine::d4recCount(Folders);
        for (int rc = engine::d4top(Folders); rc == 0; rc = engine::d4skip(Folders, 1)) {
            if (engine::d4recNo(Folders) == 1) {
                engine::d4delete(Folders);
                continue;
            }
            live.emplace_back(engine::f4int(FolNoField),
                              engine::f4str(FolNoField) + " - " + engine::f4str(FolNameField));
        }
    }
    ASSERT_GE(live.size(), 2u);
    std::sort(live.begin(), live.end());
    std::vector<std::string> expected{"  -1 - No Default"};
    for (const auto& [number, entry] : live) expected.push_back(entry);

    TableSession command({"EXP5"});
    const DefaultFolderList list = ReadDefaultFolderList();
    EXPECT_EQ(list.entries, expected);
    EXPECT_EQ(list.recordCount, total);
    EXPECT_EQ(Folders, nullptr);
    EXPECT_EQ(FolNoField, nullptr);
    EXPECT_NE(Expenses, nullptr);
    EXPECT_EQ(engine::d4top(Expenses), 0);
}

}  // namespace
}  // namespace cbk
