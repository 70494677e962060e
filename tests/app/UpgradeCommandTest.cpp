// The upgrade command of the main window, through its handler; the routine under it is tested
// in tests/maintenance.

#include <filesystem>
#include <string>
#include <vector>

#include "GuiFixture.h"
#include "maintenance/forms/DriveDirU.h"

namespace cbk::testing {
namespace {

class UpgradeCommand : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        if (HasFatalFailure()) return;
        startUp();
        old_ = (dataDir() / "old").string();
        std::filesystem::create_directories(old_);
        std::filesystem::copy_file(dataDir() / "FOLDER.dbf", old_ + "/Folder.dbf");
        std::filesystem::copy_file(dataDir() / "ACC.dbf", old_ + "/Acc.dbf");
        engine::Data4* inc = engine::d4create(cb, old_ + "/Inc3",
                                              {{"INCDATE", 'D', 8, 0},
                                               {"INCDESC", 'C', 30, 0},
                                               {"INCAMT", 'N', 10, 2},
                                               {"FOLNO", 'N', 4, 0},
                                               {"INCIMP", 'L', 1, 0}});
        engine::Data4* exp = engine::d4create(cb, old_ + "/Exp3",
                                              {{"EXPDATE", 'D', 8, 0},
                                               {"CHECKNO", 'N', 8, 0},
                                               {"ACCNO", 'N', 4, 0},
                                               {"FOLNO", 'N', 4, 0},
                                               {"PAYTO", 'C', 30, 0},
                                               {"EMEMO", 'C', 30, 0},
                                               {"AMOUNT", 'N', 10, 2}});
        ASSERT_TRUE(inc && exp);
        for (int i = 0; i < 3; ++i) {
            engine::d4appendBlank(inc);
            engine::f4assign(engine::d4field(inc, "INCDATE"), "19990104");
            engine::d4appendBlank(exp);
            engine::f4assign(engine::d4field(exp, "EXPDATE"), "19990105");
        }
        CloseAllTables();
        platform_->modal.onShow("TDriveDir", [this](platform::ModalForm& shown) {
            auto& chooser = dynamic_cast<TDriveDir&>(shown);
            preselected_ = chooser.Preselected;
            chooser.ChosenDirectory = old_;
            return platform::mrOk;
        });
    }

    long Count(const char* table) {
        engine::Data4* t = engine::d4open(cb, table);
        const long n = t ? engine::d4recCount(t) : -1;
        CloseAllTables();
        return n;
    }

    std::vector<std::string> ProgressTitles() {
        std::vector<std::string> titles;
        for (const platform::ProgressCall& call : platform_->progress.calls)
            if (call.kind == platform::ProgressCall::Show && call.visible)
                titles.push_back(call.title);
        return titles;
    }

    std::string old_;
    std::string preselected_ = "unset";
};

TEST_F(UpgradeCommand, ConvertsThenPacksAndRebuilds) {
    main().BtnUpgradeClick();
    EXPECT_EQ(preselected_, "");
    EXPECT_EQ(ProgressTitles(),
              (std::vector<std::string>{"Converting Data Files", "Packing Data Files",
                                        "Rebuilding Indexes"}));
    EXPECT_EQ(Count("INC5"), 3);
    EXPECT_EQ(Count("EXP5"), 3);
    EXPECT_EQ(Count("ACCI"), 1);
    EXPECT_NO_THROW({
        OpenIncome();
        OpenExpenses();
        OpenIncomeAccounts();
        CloseAllTables();
    });
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(UpgradeCommand, CancelAtTheWarningStillPacksAndRebuilds) {
    OpenIncome();
    const long before = engine::d4recCount(Income);
    engine::d4go(Income, 1);
    engine::d4delete(Income);
    CloseAllTables();
    platform_->messages.answer(platform::Answer::Cancel);
    main().BtnUpgradeClick();
    EXPECT_EQ(ProgressTitles(),
              (std::vector<std::string>{"Packing Data Files", "Rebuilding Indexes"}));
    EXPECT_EQ(Count("INC5"), before - 1);
}

}  // namespace
}  // namespace cbk::testing
