#pragma once

// The form tests of the report forms: the set-up of support/GuiTest.h with the folder dialog
// and the report viewer, reached by forms() under the names the program gives them.

#include <memory>

#include "reports/forms/MultFolU.h"
#include "reports/forms/ReportU.h"
#include "support/GuiTest.h"

namespace cbk::testing {

struct ReportForms {
    std::unique_ptr<TMultFol> MultFol = std::make_unique<TMultFol>();
    std::unique_ptr<TReportF> ReportF = std::make_unique<TReportF>();
};

class FormTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        forms_ = std::make_unique<ReportForms>();
    }

    void TearDown() override {
        CloseAllTables();
        forms_.reset();
        GuiTest::TearDown();
    }

    const ReportForms& forms() const { return *forms_; }

    // The data store started, as the program's start-up leaves it for the report commands.
    void startUp() { StartDataStore(); }

    std::unique_ptr<ReportForms> forms_;
};

}  // namespace cbk::testing
