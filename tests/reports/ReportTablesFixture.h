#pragma once

// Set-up of the report tests that read tables: the six tables in a fresh directory with the
// engine started, FOLDER, EXP5, INC5, ACC and ACCI open and emptied, and small steps to fill
// them by hand. The clock is pinned to 5 March 2026; dates show as "M/d/yy".

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "data/Database.h"
#include "data/Records.h"
#include "data/engine/Engine.h"
#include "reports/ReportDocument.h"
#include "reports/ReportRequest.h"
#include "reports/ReportTestRows.h"
#include "rules/EntryRules.h"
#include "support/DataFixture.h"

namespace reports::testing {

inline platform::DateTime Day(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

// A character field's text as stored: blank-padded to its 30 characters.
inline std::string Stored(const std::string& text) {
    return text + std::string(30 - text.size(), ' ');
}

// A report amount: the text right-aligned in 13 characters.
inline std::string A(const std::string& text) {
    return std::string(13 - text.size(), ' ') + text;
}

// A summary row as the document holds it.
inline std::string SummaryRow(const std::string& number, const std::string& name,
                              const std::string& period, const std::string& prior,
                              const std::string& toDate, const std::string& flag = "") {
    return "R05" + number + "|L07" + name + "|R50" + A(period) + "|R63" + A(prior) + "|R76" +
           A(toDate) + "|" + flag;
}

class ReportTablesTest : public cbk::testing::DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        cbk::StartDataStore();
        cbk::OpenFolders();
        cbk::OpenExpenses();
        cbk::OpenIncome();
        cbk::OpenAccounts();
        cbk::OpenIncomeAccounts();
        for (engine::Data4* t :
             {cbk::Folders, cbk::Expenses, cbk::Income, cbk::Accounts, cbk::IncomeAccounts})
            ASSERT_EQ(engine::d4zap(t, 1, engine::d4recCount(t)), 0);
    }
    void TearDown() override {
        cbk::CloseAllTables();
        DataTest::TearDown();
    }

    static long Append(engine::Data4* table, void (*store)()) {
        EXPECT_EQ(engine::d4appendBlank(table), 0);
        store();
        return engine::d4recNo(table);
    }

    long Folder(int no, const std::string& name) {
        cbk::CurFolder = {no, name};
        return Append(cbk::Folders, cbk::StoreFolder);
    }
    long Account(int no, const std::string& name, bool deductible) {
        cbk::CurAccount = {no, name, deductible};
        return Append(cbk::Accounts, cbk::StoreAccount);
    }
    long IncomeAccount(int no, const std::string& name, bool taxable) {
        cbk::CurIncAccount = {no, name, taxable};
        return Append(cbk::IncomeAccounts, cbk::StoreIncomeAccount);
    }
    // A check number of -1 is stored blank.
    long Expense(platform::DateTime date, int account, int folder, double amount,
                 const std::string& payTo = "", const std::string& memo = "", int check = 0) {
        cbk::CurExpense = {date, check < 0 ? 0 : check, account, folder, payTo, amount, memo,
                           false};
        const long rec = Append(cbk::Expenses, cbk::StoreExpense);
        if (check < 0) engine::f4assign(cbk::CheckNoField, "");
        return rec;
    }
    long IncomeEntry(platform::DateTime date, int account, int folder, double amount,
                     const std::string& desc = "") {
        cbk::CurIncome = {account, date, desc, amount, folder, false, false};
        return Append(cbk::Income, cbk::StoreIncome);
    }
    static void Delete(engine::Data4* table, long rec) {
        ASSERT_EQ(engine::d4go(table, rec), 0);
        ASSERT_EQ(engine::d4delete(table), 0);
    }

    // What the builders under test fill.
    Document ReportDocument;

    static ReportRequest Request(platform::DateTime from, platform::DateTime through,
                                 std::vector<std::int32_t> folders, int fyMonth = 1,
                                 int fyDay = 1) {
        ReportRequest r;
        r.from = from;
        r.through = through;
        r.fyMonth = fyMonth;
        r.fyDay = fyDay;
        r.folders = std::move(folders);
        return r;
    }
};

}  // namespace reports::testing
