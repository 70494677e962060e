#pragma once

// The form tests of the main window: the set-up of support/GuiTest.h with the program's
// sixteen forms, made as the program makes them.

#include "app/DKRMain.h"
#include "app/Forms.h"
#include "support/GuiTest.h"

namespace cbk::testing {

class FormTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        forms_ = std::make_unique<FormSet>();
    }

    void TearDown() override {
        CloseAllTables();
        forms_.reset();
        GuiTest::TearDown();
    }

    TFormMain& main() { return forms_->main(); }

    // Runs the main window's start-up as the first showing does.
    void startUp() { main().FormShow(); }

    std::unique_ptr<FormSet> forms_;
};

}  // namespace cbk::testing
