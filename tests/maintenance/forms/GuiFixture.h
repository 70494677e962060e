#pragma once

// The form tests of the file maintenance forms: the set-up of support/GuiTest.h with the
// maintenance forms, reached by forms() under the names the program gives them.

#include <memory>

#include "maintenance/forms/About.h"
#include "maintenance/forms/ArchiveU.h"
#include "maintenance/forms/DriveDirU.h"
#include "maintenance/forms/PmtImportU.h"
#include "maintenance/forms/RateChangeU.h"
#include "maintenance/forms/RecoverU.h"
#include "support/GuiTest.h"

namespace cbk::testing {

// Made in the program's order, destroyed in reverse.
struct MaintenanceForms {
    std::unique_ptr<TAboutForm> AboutForm = std::make_unique<TAboutForm>();
    std::unique_ptr<TDriveDir> DriveDir = std::make_unique<TDriveDir>();
    std::unique_ptr<TArchive> Archive = std::make_unique<TArchive>();
    std::unique_ptr<TRateChange> RateChange = std::make_unique<TRateChange>();
    std::unique_ptr<TPmtImport> PmtImport = std::make_unique<TPmtImport>();
    std::unique_ptr<TRecover> Recover = std::make_unique<TRecover>();
};

class FormTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        forms_ = std::make_unique<MaintenanceForms>();
    }

    void TearDown() override {
        CloseAllTables();
        forms_.reset();
        GuiTest::TearDown();
    }

    const MaintenanceForms& forms() const { return *forms_; }

    std::unique_ptr<MaintenanceForms> forms_;
};

}  // namespace cbk::testing
