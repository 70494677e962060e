#pragma once

// The form tests of the record forms: the set-up of support/GuiTest.h with the eight pick
// lists and edit forms, reached by forms() under the names the program gives them.

#include <memory>

#include "records/forms/AccountU.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FolderU.h"
#include "records/forms/IncomeU.h"
#include "records/forms/PickAccU.h"
#include "records/forms/PickExpU.h"
#include "records/forms/PickFolU.h"
#include "records/forms/PickIncU.h"
#include "support/GuiTest.h"

namespace cbk::testing {

// Made in the program's order, destroyed in reverse.
struct RecordForms {
    std::unique_ptr<TPickInc> PickInc = std::make_unique<TPickInc>();
    std::unique_ptr<TIncome> Income = std::make_unique<TIncome>();
    std::unique_ptr<TPickFol> PickFol = std::make_unique<TPickFol>();
    std::unique_ptr<TFolderF> FolderF = std::make_unique<TFolderF>();
    std::unique_ptr<TPickExp> PickExp = std::make_unique<TPickExp>();
    std::unique_ptr<TExpense> Expense = std::make_unique<TExpense>();
    std::unique_ptr<TPickAcc> PickAcc = std::make_unique<TPickAcc>();
    std::unique_ptr<TAccount> Account = std::make_unique<TAccount>();
};

class FormTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        if (HasFatalFailure()) return;
        forms_ = std::make_unique<RecordForms>();
    }

    void TearDown() override {
        CloseAllTables();
        forms_.reset();
        GuiTest::TearDown();
    }

    const RecordForms& forms() const { return *forms_; }

    // The data store started with the run's choices cleared, as the program's start-up leaves
    // them for the record commands.
    void startUp() {
        StartDataStore();
        FolderIndex = 0;
        DefaultFolder = -1;
        PackOnExit = false;
        FolderListStale = true;
    }

    std::unique_ptr<RecordForms> forms_;
};

}  // namespace cbk::testing
