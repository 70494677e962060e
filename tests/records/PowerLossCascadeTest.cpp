// A folder renumbering losing power at every point of its cascade (the power-loss simulation
// of engine/PowerLossFileSystem.h through the data layer): the folder itself is saved first,
// then the records move table by table, INC5 first and closed, then EXP5. Whatever the disk kept,
// every table reopens with sound indexes, holds each record either as it was or as moved (none
// torn, none lost, the count unchanged), and a table whose close had returned holds all of its
// moves before any later table shows one.

#include <gtest/gtest.h>

#include <filesystem>

#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "records/FolderOps.h"
#include "support/DataFixture.h"
#include "support/PowerLossCheck.h"

namespace cbk::testing {
namespace {

using enginetest::Disk;
using enginetest::Keep;
using enginetest::PowerLossFileSystem;

// In cascade order: a table's moves all reach the disk before the next table's first.
constexpr const char* kTables[] = {"FOLDER", "INC5", "EXP5"};

class PowerLossCascade : public DataTest {
protected:
    // The data store goes back to the real disk before the simulated one is gone.
    void TearDown() override {
        StartDataStore();
        ShutDownDataStore(false);
        DataTest::TearDown();
    }

    // The example tables as a synced disk, named as the data store names them.
    Disk startingDisk() const {
        Disk disk;
        for (const auto& e : std::filesystem::directory_iterator(dir_->path()))
            disk[dir_->path() + "/" + e.path().filename().string()] =
                enginetest::readFile(e.path().string());
        return disk;
    }

    // Folder 5 becomes folder 8 as the folder form does it, in one command.
    void renumber(PowerLossFileSystem& fs) {
        StartDataStore(fs);
        OpenFolders();
        engine::d4seek(Folders, "   5");
        const long rec = engine::d4recNo(Folders);
        records::SaveExistingFolder(rec, 5, 8, "8", "Harbor Office");
        CloseAllTables();
    }

    // Each table's records on `disk` after reopening it.
    ::testing::AssertionResult reopen(const Disk& disk, std::vector<std::vector<std::string>>& out,
                                      long& marked) {
        out.clear();
        for (const char* name : kTables) {
            const TableSpec& spec = *FindTable(name);
            enginetest::Reopened table;
            if (auto r = enginetest::reopenTable(disk, dir_->path(), name, spec.group,
                                                 CreateTags(spec), table);
                !r)
                return r << " (" << name << ")";
            marked += table.marked;
            out.push_back(table.records);
        }
        return ::testing::AssertionSuccess();
    }
};

TEST_F(PowerLossCascade, FolderRenumberingKeepsEveryRecordOldOrMovedAndTablesInOrder) {
    StartDataStore();  // index files made once, on the real disk, before the disk is taken
    ShutDownDataStore(false);
    const Disk start = startingDisk();
    long marked = 0;
    std::vector<std::vector<std::string>> before, after;
    ASSERT_TRUE(reopen(start, before, marked));
    {
        PowerLossFileSystem fs(start);
        renumber(fs);
        ShutDownDataStore(false);
        ASSERT_TRUE(reopen(fs.files(), after, marked));
    }
    ASSERT_NE(before, after);

    PowerLossFileSystem fs(start);
    std::mt19937 random(5);
    long points = 0, disks = 0, partial = 0;
    bool failed = false;
    fs.setHook([&](const char* what, const std::string& path) {
        if (failed) return;
        ++points;
        for (Keep keep : {Keep::None, Keep::All, Keep::Later, Keep::Random}) {
            std::vector<std::vector<std::string>> now;
            auto r = reopen(fs.afterPowerLoss(keep, random), now, marked);
            ++disks;
            // The first table (in cascade order) not wholly moved; every later one untouched.
            std::size_t moving = std::size(kTables);
            for (std::size_t t = 0; r && t < now.size(); ++t) {
                if (now[t].size() != before[t].size()) {
                    r = ::testing::AssertionFailure() << kTables[t] << " holds " << now[t].size()
                                                      << " records, not " << before[t].size();
                    break;
                }
                for (std::size_t i = 0; r && i < now[t].size(); ++i) {
                    const bool old = now[t][i] == before[t][i], moved = now[t][i] == after[t][i];
                    if (!old && !moved)
                        r = ::testing::AssertionFailure()
                            << kTables[t] << " record " << i + 1 << " is neither old nor moved";
                    else if (!old && t > moving)
                        r = ::testing::AssertionFailure()
                            << kTables[t] << " record " << i + 1 << " moved before all of "
                            << kTables[moving];
                    else if (!moved && moving == std::size(kTables))
                        moving = t;
                }
            }
            if (r && moving < std::size(kTables) && now[moving] != before[moving]) ++partial;
            if (!r) {
                ADD_FAILURE() << "power lost at " << what << " of " << path
                              << ", unsynced writes kept: " << enginetest::keepName(keep) << ": "
                              << r.message();
                failed = true;
                return;
            }
        }
    });
    renumber(fs);
    fs.setHook(nullptr);
    ShutDownDataStore(false);
    std::vector<std::vector<std::string>> done;
    ASSERT_TRUE(reopen(fs.afterPowerLoss(Keep::None, random), done, marked));
    EXPECT_EQ(done, after) << "the command returned, but not all of it is on disk";
    std::printf(
        "[power] folder renumbering: %ld points, %ld disks, %ld with a table part moved, "
        "%ld tables marked in flux\n",
        points, disks, partial, marked);
    EXPECT_GT(points, 20);
    EXPECT_GT(partial, 0);
}

}  // namespace
}  // namespace cbk::testing
