// The statement import as the preview drives it, without its windows: files refused, an OFX
// statement written and caught as duplicates the second time, a CSV statement through its
// remembered mapping with the lines that cannot be read and lines left without an account,
// and a rule made from a line.

#include "statements/ImportSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "bank/BankAccounts.h"
#include "bank/Register.h"
#include "data/Database.h"
#include "data/TableSession.h"
#include "statements/MappingStore.h"
#include "support/DataFixture.h"

namespace cbk::testing {
namespace {

using statements::ImportSession;
using statements::Kind;
using statements::LineState;

class ImportSessionTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        ::setenv("XDG_CONFIG_HOME", (std::filesystem::path(dir_->path()) / "config").c_str(), 1);
        StartDataStore();
        for (const char* name : {"first-national.ofx", "letter.txt"})
            std::filesystem::copy_file(
                std::string(CBK_SOURCE_DIR) + "/tests/data/statements/" + name, path(name));
    }
    void TearDown() override {
        CloseAllTables();
        ::unsetenv("XDG_CONFIG_HOME");
        DataTest::TearDown();
    }

    std::string path(const char* name) const {
        return (std::filesystem::path(dir_->path()) / name).string();
    }

    std::vector<std::string> texts() {
        auto t = platform_->messages.texts();
        platform_->messages.clear();
        return t;
    }

    // Every line without an account gets the first account of its kind.
    static void GiveAccounts(ImportSession& s) {
        for (int row = 0; row < static_cast<int>(s.Lines.size()); ++row) {
            const Kind kind = s.Lines[row].kind;
            const auto& list =
                kind == Kind::Expense ? s.choices().expenseAccounts : s.choices().incomeAccounts;
            if (s.Lines[row].account == 0) s.Apply({row}, kind, list.front(), std::nullopt);
        }
    }
};

TEST_F(ImportSessionTest, FilesThatAreNoStatementAreRefusedWithWhy) {
    std::ofstream(path("empty.csv")) << " \r\n";
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"empty.csv", "empty.csv: the file is empty. Nothing was imported."},
        {"letter.txt",
         "letter.txt: this is not a bank statement (OFX, QFX, QIF or CSV). Nothing was "
         "imported."},
    };
    for (const auto& c : cases) {
        ImportSession s;
        EXPECT_FALSE(s.Open(path(c.name)));
        EXPECT_EQ(texts(), std::vector<std::string>{c.message});
    }
}

TEST_F(ImportSessionTest, OfxWrittenThenCaughtAsDuplicatesWithAccountsFromTheFirstImport) {
    ImportSession s;
    ASSERT_TRUE(s.Open(path("first-national.ofx")));
    ASSERT_TRUE(s.ReadAndPropose(false));
    EXPECT_FALSE(s.OfferDateOrder());
    EXPECT_EQ(s.CountsText(),
              "first-national.ofx: 3 lines, 0 probable duplicates, 0 cannot be read");
    std::optional<std::size_t> select;
    EXPECT_FALSE(s.ReadyToWrite(select));
    EXPECT_EQ(select, 0u);
    GiveAccounts(s);
    EXPECT_TRUE(s.ReadyToWrite(select));
    platform_->messages.answer(platform::Answer::Yes);  // add the statement's account
    s.Write();
    EXPECT_EQ(texts(), std::vector<std::string>(
                           {"3 ticked lines have no account (the first is line 1, Harbor Office "
                            "Supply): choose one for each, or untick them.",
                            "The statement is for account 121000248  4411-0098, which is not among "
                            "the bank accounts. Add it?",
                            "2 expenses and 1 income record were added; 0 lines were skipped. "
                            "Income records have no memo: the memo of 1 income line was not "
                            "kept."}));
    // The records went into the new account, cleared, and it keeps the statement's balance.
    const bank::BankAccounts accounts = bank::LoadBankAccounts();
    ASSERT_EQ(accounts.accounts.size(), 2u);
    const bank::BankAccount& added = accounts.accounts[1];
    EXPECT_EQ(added.number, "121000248  4411-0098");
    EXPECT_EQ(added.statement, 531012);
    EXPECT_EQ(added.statementDate, platform::DateTime::fromYmd(2026, 2, 28));
    {
        cbk::TableSession session({"EXP5", "INC5"});
        const bank::Register reg = bank::BuildRegister(added.no, 0, bank::LoadMarks());
        ASSERT_EQ(reg.rows.size(), 3u);
        for (const bank::RegisterRow& row : reg.rows) EXPECT_TRUE(row.cleared);
        EXPECT_EQ(reg.rows.back().balance, -12000 + 250000 - 6437);
    }

    ImportSession again;
    ASSERT_TRUE(again.Open(path("first-national.ofx")));
    ASSERT_TRUE(again.ReadAndPropose(false));
    EXPECT_EQ(again.CountsText(),
              "first-national.ofx: 3 lines, 3 probable duplicates, 0 cannot be read");
    for (const auto& line : again.Lines) {
        EXPECT_EQ(line.state, LineState::Duplicate);
        EXPECT_FALSE(line.chosen);
        EXPECT_EQ(statements::SourceText(line), "last record");
    }
}

// The mapping confirmed for a layout is remembered; a line that cannot be read is named once;
// ticked lines without an account are left out only when the user agrees.
TEST_F(ImportSessionTest, CsvThroughItsMappingWithLinesThatCannotBeReadOrLackAnAccount) {
    std::ofstream(path("checking.csv"))
        << "Account:,Business Checking\n\nDate,Description,Amount,Memo\n"
           "02/03/2026,Harbor Office Supply,-120.00,Check 1043\n"
           "02/10/2026,Lakeside Catering Co,2500.00,Invoice 311\n"
           "02/30/2026,City Water & Power,-64.37,\n";
    ImportSession s;
    ASSERT_TRUE(s.Open(path("checking.csv")));
    ASSERT_EQ(s.format(), statements::Format::Csv);
    s.UseMapping(s.ProposedMapping());
    const auto remembered = statements::RememberedMapping(statements::MappingFilePath(),
                                                          "Date,Description,Amount,Memo");
    ASSERT_TRUE(remembered.has_value());
    EXPECT_EQ(remembered->firstLine, 3);
    ASSERT_TRUE(s.ReadAndPropose(true));
    s.TellProblems();
    EXPECT_EQ(s.Lines[2].state, LineState::Unreadable);

    s.Apply({0, 1}, Kind::Expense, 200, 2);  // the income line keeps its account
    EXPECT_EQ(s.Lines[0].account, 200);
    EXPECT_EQ(s.Lines[1].account, 0);
    EXPECT_EQ(s.Lines[1].folder, 2);
    std::optional<std::size_t> select;
    platform_->messages.answer(platform::Answer::No);
    EXPECT_FALSE(s.ReadyToWrite(select));
    EXPECT_EQ(select, 1u);
    EXPECT_TRUE(s.Lines[1].chosen);
    platform_->messages.answer(platform::Answer::Yes);
    select.reset();
    EXPECT_TRUE(s.ReadyToWrite(select));
    EXPECT_FALSE(select.has_value());
    EXPECT_FALSE(s.Lines[1].chosen);
    s.Write();
    EXPECT_EQ(texts(), std::vector<std::string>(
                           {"checking.csv, line 6: '02/30/2026' is not a date.\r\nThese lines "
                            "cannot be imported; the others can.",
                            "Line 2 (Lakeside Catering Co) has no account. Import the other "
                            "lines and leave it out?",
                            "Line 2 (Lakeside Catering Co) has no account. Import the other "
                            "lines and leave it out?",
                            "1 expense and 0 income records was added; 2 lines were skipped."}));
}

// A rule made from a line takes its payee and kind; once saved it proposes the lines that
// the user has not given an account, and the next import reads it from the books.
TEST_F(ImportSessionTest, RuleFromALineIsSavedAndProposesAgain) {
    ImportSession s;
    ASSERT_TRUE(s.Open(path("first-national.ofx")));
    ASSERT_TRUE(s.ReadAndPropose(false));
    const statements::ImportRule rule = s.RuleFromLine(0, 240, 3);
    EXPECT_EQ(rule.pattern, "Harbor Office Supply");
    EXPECT_EQ(rule.kind, Kind::Expense);
    EXPECT_EQ(rule.match, statements::RuleMatch::Contains);
    s.Apply({2}, Kind::Expense, 120, std::nullopt);
    statements::ImportRule all = rule;
    all.match = statements::RuleMatch::Pattern;
    all.pattern = ".";
    ASSERT_TRUE(s.SaveRules({rule, all}));
    EXPECT_EQ(s.Lines[0].account, 240);
    EXPECT_EQ(s.Lines[0].folder, 3);
    EXPECT_EQ(statements::SourceText(s.Lines[0]), "rule 1");
    EXPECT_EQ(s.Lines[2].account, 120);                     // chosen by the user
    EXPECT_EQ(statements::SourceText(s.Lines[1]), "none");  // income: no income rule

    ImportSession next;
    ASSERT_TRUE(next.Open(path("first-national.ofx")));
    ASSERT_TRUE(next.ReadAndPropose(false));
    EXPECT_EQ(next.Rules().size(), 2u);
    EXPECT_EQ(statements::SourceText(next.Lines[2]), "rule 2");
    EXPECT_TRUE(texts().empty());
}

}  // namespace
}  // namespace cbk::testing
