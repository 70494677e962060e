// Proposals, duplicates and the bulk write on a data directory, the write also on a file
// system that fails part-way.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "data/Database.h"
#include "data/Records.h"
#include "data/engine/Engine.h"
#include "statements/ImportRules.h"
#include "statements/StatementImport.h"
#include "support/DataFixture.h"
#include "support/FaultyFileSystem.h"

namespace cbk::testing {
namespace {

using statements::Kind;
using statements::LineState;
using statements::PreviewLine;
using statements::StatementLine;

platform::DateTime Ymd(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

StatementLine Line(platform::DateTime date, std::int64_t cents, std::string payee,
                   std::string memo = "", int check = 0, std::string id = "") {
    StatementLine line;
    line.date = date;
    line.cents = cents;
    line.payee = std::move(payee);
    line.memo = std::move(memo);
    line.checkNo = check;
    line.transactionId = std::move(id);
    return line;
}

class StatementImportTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        Faulty().clearFaults();
        StartDataStore(Faulty());
        OpenExpenses();
        OpenIncome();
        engine::d4zap(Expenses, 1, engine::d4recCount(Expenses));
        engine::d4zap(Income, 1, engine::d4recCount(Income));
        CloseAllTables();
    }
    void TearDown() override {
        Faulty().clearFaults();
        CloseAllTables();
        DataTest::TearDown();
    }

    static engine::FaultyFileSystem& Faulty() {
        static engine::FaultyFileSystem fs;
        return fs;
    }

    void AddExpense(platform::DateTime date, int acc, double amount, const char* payee,
                    bool deleted = false) {
        OpenExpenses();
        engine::d4appendBlank(Expenses);
        CurExpense = {date, 0, acc, 1, payee, amount, "", false};
        StoreExpense();
        if (deleted) engine::d4delete(Expenses);
        CloseAllTables();
    }
    void AddIncome(platform::DateTime date, int acc, double amount, const char* desc) {
        OpenIncome();
        engine::d4appendBlank(Income);
        CurIncome = {acc, date, desc, amount, 1, false, false};
        StoreIncome();
        CloseAllTables();
    }

    std::vector<PreviewLine> Propose(const std::vector<StatementLine>& lines,
                                     const std::unordered_set<std::string>& ids = {}) {
        OpenExpenses();
        OpenIncome();
        auto out = statements::Propose(lines, choices_, 3, ids);
        CloseAllTables();
        return out;
    }

    // Every field of every record, as stored, in record order.
    std::vector<std::string> Rows(const char* table) {
        std::vector<std::string> rows;
        engine::Data4* t = engine::d4open(cb, table);
        if (t == nullptr) return rows;
        engine::d4tagSelect(t, nullptr);
        for (int rc = engine::d4top(t); rc == 0; rc = engine::d4skip(t, 1)) {
            std::string row;
            for (int j = 1; j <= engine::d4numFields(t); ++j)
                row += (j > 1 ? "|" : "") + engine::f4str(engine::d4fieldJ(t, j));
            rows.push_back(row);
        }
        engine::d4close(t);
        return rows;
    }

    std::string Bytes(const std::string& name) {
        std::ifstream in(fileIn(name), std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    void ExpectSound(const char* table) {
        engine::Data4* t = engine::d4open(cb, table);
        ASSERT_NE(t, nullptr) << table;
        std::string report;
        EXPECT_EQ(engine::d4check(t, &report), 0) << table << ": " << report;
        engine::d4close(t);
    }

    statements::Choices choices_{{120, 200, 240}, {10, 20}, {1, 2, 3}};
};

TEST_F(StatementImportTest, ProposesFromLatestRecordOfPayeeAndMarksDuplicates) {
    AddExpense(Ymd(2026, 1, 5), 200, 80.0, "Harbor Office Supply");
    AddExpense(Ymd(2026, 1, 20), 240, 15.0, "HARBOR OFFICE SUPPLY");
    AddExpense(Ymd(2026, 1, 30), 120, 15.0, "Harbor Office Supply", /*deleted=*/true);
    AddExpense(Ymd(2026, 1, 2), 999, 1.0, "Closed Account Co");
    AddExpense(Ymd(2026, 2, 14), 120, 64.37, "city water & power");
    AddIncome(Ymd(2026, 1, 10), 20, 900.0, "Lakeside Catering Co");

    const auto p = Propose(
        {
            Line(Ymd(2026, 2, 3), -12000, "Harbor Office Supply"),
            Line(Ymd(2026, 2, 10), 250000, "Lakeside Catering Co"),
            Line(Ymd(2026, 2, 14), -6437, "City Water & Power"),
            Line(Ymd(2026, 2, 14), 6437, "City Water & Power"),  // money in: not that expense
            Line(Ymd(2026, 2, 15), -100, "Closed Account Co"),
            Line(Ymd(2026, 2, 16), -100, "Someone New", "", 0, "acct/77"),
        },
        {"acct/77"});
    ASSERT_EQ(p.size(), 6u);
    const struct {
        Kind kind;
        int account;
        LineState state;
    } want[] = {
        {Kind::Expense, 240, LineState::New},       {Kind::Income, 20, LineState::New},
        {Kind::Expense, 120, LineState::Duplicate}, {Kind::Income, 0, LineState::New},
        {Kind::Expense, 0, LineState::New},         {Kind::Expense, 0, LineState::Duplicate},
    };
    for (std::size_t i = 0; i < p.size(); ++i) {
        EXPECT_EQ(p[i].kind, want[i].kind) << i;
        EXPECT_EQ(p[i].account, want[i].account) << i;
        EXPECT_EQ(p[i].state, want[i].state) << i;
        EXPECT_EQ(p[i].chosen, want[i].state == LineState::New) << i;
        EXPECT_EQ(p[i].folder, 3) << i;
    }
}

// Rules come before the payee's last record, the first usable one wins, and each line says
// where its account came from; proposing again after the rules change keeps what the user chose.
TEST_F(StatementImportTest, RulesComeBeforeTheLastRecordAndEachLineSaysItsSource) {
    AddExpense(Ymd(2026, 1, 5), 200, 80.0, "Harbor Office Supply");
    AddExpense(Ymd(2026, 1, 6), 240, 80.0, "City Water & Power");
    statements::ImportRule gone;
    gone.pattern = "harbor";
    gone.account = 999;  // no longer in the list: skipped
    statements::ImportRule harbor = gone;
    harbor.account = 120;
    harbor.folder = 2;
    const std::vector<StatementLine> lines = {
        Line(Ymd(2026, 2, 3), -12000, "Harbor Office Supply"),
        Line(Ymd(2026, 2, 4), -6437, "City Water & Power"),
        Line(Ymd(2026, 2, 5), -100, "Someone New"),
    };
    OpenExpenses();
    OpenIncome();
    auto p =
        statements::Propose(lines, choices_, 3, {}, statements::RuleSet({gone, harbor}, choices_));
    CloseAllTables();
    const struct {
        int account, folder;
        const char* source;
    } want[] = {{120, 2, "rule 2"}, {240, 3, "last record"}, {0, 3, "none"}};
    for (std::size_t i = 0; i < p.size(); ++i) {
        EXPECT_EQ(p[i].account, want[i].account) << i;
        EXPECT_EQ(p[i].folder, want[i].folder) << i;
        EXPECT_EQ(statements::SourceText(p[i]), want[i].source) << i;
    }

    // Without the rule the last record proposes again; a line the user gave an account keeps it.
    p[2].account = 200;
    p[2].source = statements::Source::Chosen;
    statements::ApplyProposals(p, statements::RuleSet({}, choices_), 3);
    EXPECT_EQ(p[0].account, 200);
    EXPECT_EQ(p[0].folder, 3);
    EXPECT_EQ(statements::SourceText(p[0]), "last record");
    EXPECT_EQ(p[2].account, 200);
    EXPECT_EQ(statements::SourceText(p[2]), "chosen");
}

// The rules are kept in order in STMTRULE.dbf; a save that fails keeps the list as it was.
TEST_F(StatementImportTest, RulesAreKeptInTheirSideTableAndAFailedSaveKeepsTheOldList) {
    std::string error;
    EXPECT_TRUE(statements::LoadRules(error).empty());
    statements::ImportRule a;
    a.match = statements::RuleMatch::Pattern;
    a.pattern = "^harbor\\b";
    a.minCents = 1000;
    a.account = 200;
    a.folder = 2;
    statements::ImportRule b;
    b.text = statements::RuleText::Either;
    b.match = statements::RuleMatch::StartsWith;
    b.pattern = "Lakeside Café";
    b.maxCents = 99'999'999;
    b.kind = statements::Kind::Income;
    b.account = 20;
    ASSERT_EQ(statements::SaveRules({a, b}), "");
    EXPECT_EQ(
        Rows("STMTRULE"),
        std::vector<std::string>(
            {"P|R|^harbor\\b" + std::string(51, ' ') + "|     10.00|          |E| 200|   2",
             "E|S|Lakeside Café" + std::string(47, ' ') + "|          | 999999.99|I|  20|   0"}));
    EXPECT_EQ(statements::LoadRules(error), (std::vector<statements::ImportRule>{a, b}));
    EXPECT_EQ(error, "");
    EXPECT_FALSE(std::filesystem::exists(fileIn("STMTRULN.dbf")));

    for (engine::FsOp op : {engine::FsOp::Write, engine::FsOp::Sync, engine::FsOp::Rename}) {
        Faulty().failNth(op, 1, ENOSPC);
        EXPECT_EQ(statements::SaveRules({b}),
                  "The rules could not be saved; the rules as they were are kept.")
            << engine::fsOpName(op);
        Faulty().clearFaults();
        EXPECT_EQ(statements::LoadRules(error).size(), 2u) << engine::fsOpName(op);
    }
}

TEST_F(StatementImportTest, WritesRecordsAsTheFormsStoreThemAndCatchesTheSecondImport) {
    std::vector<StatementLine> lines = {
        Line(Ymd(2026, 2, 3), -12000, "Harbor Office Supply, Inc.", "Check 1043", 1043, "a/1"),
        Line(Ymd(2026, 2, 10), 250000, "Lakeside Catering Co", "Invoice 311", 0, "a/2"),
        Line(Ymd(2026, 2, 11), -500, "Unticked"),
        Line(Ymd(2026, 2, 12), -500, "Bad"),
    };
    lines[3].problem = "x.csv, line 5: '02/30/2026' is not a date.";
    auto p = Propose(lines);
    EXPECT_EQ(p[3].state, LineState::Unreadable);
    p[0].account = 200;
    p[1].account = 10;
    p[1].folder = 2;
    p[2].chosen = false;
    const statements::WriteOutcome outcome = statements::WriteStatement(p);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_EQ(statements::OutcomeMessage(outcome),
              "1 expense and 1 income record were added; 2 lines were skipped. Income records "
              "have no memo: the memo of 1 income line was not kept.");
    EXPECT_EQ(Rows("EXP5"),
              std::vector<std::string>({"20260203|    1043| 200|   3|"
                                        "Harbor Office Supply, Inc.    |"
                                        "    120.00|Check 1043                    |F"}));
    EXPECT_EQ(Rows("INC5"), std::vector<std::string>({"  10|F|20260210|Lakeside Catering Co"
                                                      "          |   2500.00|   2|F"}));
    ExpectSound("EXP5");
    ExpectSound("INC5");

    // The same statement again: the written lines are caught by their ids and by the match.
    const auto again = Propose(lines, statements::ImportedIds());
    EXPECT_EQ(again[0].state, LineState::Duplicate);
    EXPECT_EQ(again[1].state, LineState::Duplicate);
    EXPECT_EQ(again[2].state, LineState::New);
    lines[0].transactionId.clear();
    lines[1].payee = "Other";
    const auto byId = Propose(lines, statements::ImportedIds());
    EXPECT_EQ(byId[0].state, LineState::Duplicate);  // date, amount and payee
    EXPECT_EQ(byId[1].state, LineState::Duplicate);  // the id alone
}

TEST_F(StatementImportTest, OutcomeMessageCounts) {
    statements::WriteOutcome o;
    EXPECT_EQ(statements::OutcomeMessage(o),
              "0 expenses and 0 income records were added; 0 lines were skipped.");
    o.income = 1;
    o.skipped = 1;
    EXPECT_EQ(statements::OutcomeMessage(o),
              "0 expenses and 1 income record was added; 1 line was skipped.");
}

TEST_F(StatementImportTest, FailurePartWayLeavesTablesAsTheyWere) {
    AddExpense(Ymd(2026, 1, 5), 200, 80.0, "Harbor Office Supply");
    AddIncome(Ymd(2026, 1, 10), 20, 900.0, "Lakeside Catering Co");
    std::vector<StatementLine> lines;
    for (int i = 0; i < 120; ++i)
        lines.push_back(Line(Ymd(2026, 2, 1 + i % 28), i % 3 ? -100 - i : 100 + i,
                             "Payee " + std::to_string(i), "", 0, "a/" + std::to_string(i)));
    auto p = Propose(lines);
    for (auto& line : p) line.account = line.kind == Kind::Expense ? 200 : 10;
    const std::string exp = Bytes("EXP5.dbf"), inc = Bytes("INC5.dbf");

    for (engine::FsOp op : {engine::FsOp::Write, engine::FsOp::Sync}) {
        bool done = false;
        for (int n = 1; n < 400 && !done; ++n) {
            Faulty().failNth(op, n, ENOSPC);
            const statements::WriteOutcome outcome = statements::WriteStatement(p);
            Faulty().clearFaults();
            if (outcome.ok) {
                done = true;
                break;
            }
            SCOPED_TRACE(std::string(engine::fsOpName(op)) + " " + std::to_string(n));
            EXPECT_EQ(outcome.error.rfind(
                          "The statement could not be imported, and nothing was changed.", 0),
                      0u)
                << outcome.error;
            EXPECT_EQ(Bytes("EXP5.dbf"), exp);
            EXPECT_EQ(Bytes("INC5.dbf"), inc);
            EXPECT_FALSE(std::filesystem::exists(fileIn("STMTIDS.dbf")));
            ExpectSound("EXP5");
            ExpectSound("INC5");
        }
        ASSERT_TRUE(done) << engine::fsOpName(op);
        EXPECT_EQ(Rows("EXP5").size(), 81u);
        EXPECT_EQ(Rows("INC5").size(), 41u);
        // Back to the start for the next kind of fault.
        std::filesystem::remove(fileIn("STMTIDS.dbf"));
        OpenExpenses();
        OpenIncome();
        engine::d4zap(Expenses, 2, engine::d4recCount(Expenses));
        engine::d4zap(Income, 2, engine::d4recCount(Income));
        CloseAllTables();
    }
}

}  // namespace
}  // namespace cbk::testing
