#include <gtest/gtest.h>

#include <cerrno>

#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "bank/Cents.h"
#include "bank/Reconcile.h"
#include "bank/Register.h"
#include "data/Database.h"
#include "data/TableSession.h"
#include "support/DataFixture.h"
#include "support/FaultyFileSystem.h"

using namespace bank;
using namespace engine;

namespace {

TEST(BankCents, StoredAndTypedAmountsReadExactlyAndWriteGrouped) {
    struct Case {
        const char* text;
        std::optional<Cents> stored, typed;
    } cases[] = {
        {"   1234.50", 123450, 123450},
        {"-12.3", -1230, -1230},
        {"", 0, std::nullopt},
        {"1,234.56", std::nullopt, 123456},
        {"0.105", std::nullopt, std::nullopt},
        {"abc", std::nullopt, std::nullopt},
        {"+7", 700, 700},
        {".05", 5, 5},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(StoredCents(c.text), c.stored) << c.text;
        EXPECT_EQ(TypedCents(c.text), c.typed) << c.text;
    }
    EXPECT_EQ(TypedCents("1.234,5", ',', '.'), 123450);
    EXPECT_EQ(CentsText(123456789), "1,234,567.89");
    EXPECT_EQ(CentsText(-5), "-0.05");
    EXPECT_EQ(StoredText(-123456789), "-1234567.89");
    // A tenth and a fifth, a million times over, stay exact in cents.
    Cents sum = 0;
    for (int i = 0; i < 1'000'000; ++i) sum += *StoredCents("0.10") + *StoredCents("0.20");
    EXPECT_EQ(sum, 30'000'000);
}

TEST(BankAccountsList, NamesAreCheckedAndNumbersMatchLoosely) {
    BankAccounts list;
    list.accounts = {{1, "Checking", AccountKind::Bank, 0, {}, "12-345 67", false, {}, {}},
                     {4, "Visa", AccountKind::Card, -5000, {}, "", true, {}, {}}};
    EXPECT_EQ(list.DefaultNo(), 4);
    EXPECT_EQ(list.NextNo(), 5);
    ASSERT_NE(list.FindByNumber("1234567"), nullptr);
    EXPECT_EQ(list.FindByNumber("1234567")->no, 1);
    EXPECT_EQ(list.FindByNumber(""), nullptr);
    BankAccount fresh{5, "  ", AccountKind::Bank, 0, {}, "", false, {}, {}};
    EXPECT_EQ(CheckBankAccount(fresh, list.accounts), kNeedsName);
    fresh.name = "visa";
    EXPECT_EQ(CheckBankAccount(fresh, list.accounts),
              "There is already a bank account named \"visa\".");
    fresh.no = 4;  // the account being edited keeps its own name
    EXPECT_EQ(CheckBankAccount(fresh, list.accounts), "");
}

class BankBooks : public cbk::testing::DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        cbk::StartDataStore(fs_);
        session_.emplace(std::initializer_list<std::string_view>{"EXP5", "INC5"});
        ASSERT_EQ(EnsureMarks(), "");
    }
    void TearDown() override {
        session_.reset();
        cbk::CloseAllTables();
        DataTest::TearDown();
    }

    // Appends an expense as another program would: no mark is written.
    long AppendExpense(const char* date, const char* payee, double amount) {
        d4appendBlank(cbk::Expenses);
        f4assign(cbk::ExpDateField, date);
        f4assign(cbk::PayToField, payee);
        f4assignDouble(cbk::AmountField, amount);
        f4assignLong(cbk::ExpAccNoField, 100);
        f4assignLong(cbk::ExpFolNoField, 1);
        d4flush(cbk::Expenses);
        return d4recNo(cbk::Expenses);
    }
    std::int32_t BankOf(Kind kind, long recNo) {
        const auto key = KeyOf(kind, recNo);
        const Marks marks = LoadMarks();
        const Mark* m = key ? marks.Find(*key) : nullptr;
        return m ? m->bankNo : 0;
    }

    // Outlives every test: the data store keeps using the file system it was started with.
    static engine::FaultyFileSystem& Fs() {
        static engine::FaultyFileSystem fs;
        return fs;
    }
    engine::FaultyFileSystem& fs_ = Fs();
    std::optional<cbk::TableSession> session_;
};

TEST_F(BankBooks, MarksFollowSavesAndDeletesAmongIdenticalRecordsAndForeignChangesAreNotAssigned) {
    ASSERT_GT(d4recCount(cbk::Expenses), 0);
    EXPECT_EQ(BankOf(Kind::Expense, 1), 1);  // books from before: every record in "Checking"
    EXPECT_EQ(BankOf(Kind::Income, 1), 1);

    // Three identical expenses: the same fingerprint, told apart by their order.
    const long a = AppendExpense("20260301", "Twin", 10);
    const long b = AppendExpense("20260301", "Twin", 10);
    const long c = AppendExpense("20260301", "Twin", 10);
    EXPECT_EQ(BankOf(Kind::Expense, a), 0);  // added by another program: not assigned
    for (auto [recNo, bankNo] : {std::pair{a, 2}, std::pair{b, 3}, std::pair{c, 4}})
        ASSERT_EQ(MarkSaved(Kind::Expense, recNo, MarkBefore(Kind::Expense, recNo), bankNo), "");
    EXPECT_EQ(KeyOf(Kind::Expense, c)->occurrence, 2);

    // The first deleted: the others keep their accounts though their places move up.
    const Before first = MarkBefore(Kind::Expense, a);
    d4go(cbk::Expenses, a);
    d4delete(cbk::Expenses);
    d4flush(cbk::Expenses);
    ASSERT_EQ(MarkDeleted(Kind::Expense, first), "");
    EXPECT_EQ(BankOf(Kind::Expense, b), 3);
    EXPECT_EQ(BankOf(Kind::Expense, c), 4);

    // The middle one changed through the forms' path: it moves to its new key with its account.
    const Before middle = MarkBefore(Kind::Expense, b);
    d4go(cbk::Expenses, b);
    f4assign(cbk::PayToField, "Not a twin");
    d4flush(cbk::Expenses);
    ASSERT_EQ(MarkSaved(Kind::Expense, b, middle, 3), "");
    EXPECT_EQ(BankOf(Kind::Expense, b), 3);
    EXPECT_EQ(BankOf(Kind::Expense, c), 4);

    // Changed by another program: its old mark no longer fits it.
    d4go(cbk::Expenses, c);
    f4assignDouble(cbk::AmountField, 11);
    d4flush(cbk::Expenses);
    EXPECT_EQ(BankOf(Kind::Expense, c), 0);

    // Recalled in place: it comes back into the default account, and its twin keeps its own.
    d4go(cbk::Expenses, a);
    d4recall(cbk::Expenses);
    d4go(cbk::Expenses, c);
    f4assignDouble(cbk::AmountField, 10);
    d4flush(cbk::Expenses);
    ASSERT_EQ(MarksRecalled(Kind::Expense, {a}, 1), "");
    EXPECT_EQ(BankOf(Kind::Expense, a), 1);
    EXPECT_EQ(BankOf(Kind::Expense, c), 4);
}

TEST_F(BankBooks, RegisterRunsFromTheOpeningBalanceInDateOrder) {
    const long late = AppendExpense("20991231", "Late", 0.10);
    const long early = AppendExpense("19500101", "Early", -0.20);  // a refund: money in
    for (long recNo : {late, early}) ASSERT_EQ(MarkSaved(Kind::Expense, recNo, {}, 7), "");
    const Register reg = BuildRegister(7, 100'00, LoadMarks());
    ASSERT_EQ(reg.rows.size(), 2u);
    EXPECT_EQ(reg.rows[0].recNo, std::uint32_t(early));
    EXPECT_EQ(reg.rows[0].amount, 20);
    EXPECT_EQ(reg.rows[0].balance, 100'20);
    EXPECT_EQ(reg.rows[1].balance, 100'10);
    EXPECT_EQ(ReadRowText(reg.rows[1]).payee, "Late");
    EXPECT_EQ(FindInRegister(reg, 0, "late"), 1);
    EXPECT_EQ(FindInRegister(reg, 0, "0.20"), 0);
    EXPECT_EQ(FindInRegister(reg, 0, "nobody"), -1);

    // The whole account of the sample books balances to the cents of its records.
    const Register all = BuildRegister(1, 0, LoadMarks());
    Cents sum = 0;
    for (const RegisterRow& row : all.rows) sum += row.amount;
    ASSERT_FALSE(all.rows.empty());
    EXPECT_EQ(all.rows.back().balance, sum);
    for (std::size_t i = 1; i < all.rows.size(); ++i)
        EXPECT_LE(all.rows[i - 1].date, all.rows[i].date);
}

Reconciliation Items(std::initializer_list<std::pair<Cents, bool>> items, Cents statement) {
    Reconciliation rec;
    rec.statementBalance = statement;
    for (auto [amount, ticked] : items) {
        ReconcileItem item;
        item.row.amount = amount;
        item.ticked = ticked;
        rec.items.push_back(item);
    }
    return rec;
}

TEST(Reconcile, ExplanationsAreSinglesPairsAndThreesOfUnclearedRecords) {
    struct Case {
        Reconciliation rec;
        std::vector<std::vector<std::size_t>> expected;
    };
    std::vector<Case> cases;
    cases.push_back({Items({{-500, true}, {-300, false}, {-200, false}}, -1000), {{1, 2}}});
    cases.push_back({Items({{-300, false}, {700, false}, {-100, false}}, 700), {{1}}});
    cases.push_back(
        {Items({{100, false}, {200, false}, {400, false}, {800, false}}, 1300), {{0, 2, 3}}});
    cases.push_back({Items({{100, true}}, 100), {}});  // balanced: nothing to explain
    cases.push_back({Items({{100, false}}, 999), {}});
    for (const Case& c : cases) {
        std::vector<std::vector<std::size_t>> got;
        for (const Explanation& e : Explain(c.rec)) got.push_back(e.items);
        EXPECT_EQ(got, c.expected) << c.rec.Difference();
    }

    // A cleared record whose statement line says otherwise is named first.
    Reconciliation mismatch = Items({{-4500, true}}, -5400);
    mismatch.items[0].statement = -5400;
    const auto found = Explain(mismatch);
    ASSERT_FALSE(found.empty());
    EXPECT_EQ(found[0].what, Explanation::What::AmountDiffers);

    // A month of 5,000 records with the difference made of three of them.
    Reconciliation month;
    for (int i = 0; i < 5000; ++i) {
        ReconcileItem item;
        item.row.amount = -(1000 + Cents(i) * 7);
        month.items.push_back(item);
    }
    // No single or pair of these amounts makes the sum of these three.
    month.statementBalance =
        month.items[10].row.amount + month.items[2000].row.amount + month.items[4999].row.amount;
    const auto threes = Explain(month, 5);
    ASSERT_FALSE(threes.empty());
    for (const Explanation& e : threes) {
        Cents sum = 0;
        for (std::size_t i : e.items) sum += month.items[i].row.amount;
        EXPECT_EQ(sum, month.Difference());
    }
}

TEST_F(BankBooks, FinishMarksReconciledAtOnceAndAFailureAnywhereLeavesItNotStarted) {
    const long rec = AppendExpense("20260302", "Bank fee", 12.34);
    ASSERT_EQ(MarkSaved(Kind::Expense, rec, {}, 9), "");
    Register reg = BuildRegister(9, 50'00, LoadMarks());
    EXPECT_EQ(CheckStatement(reg, 20260331, "1,2x"), kNoAmount);
    EXPECT_EQ(CheckStatement(reg, 0, "1"), kNoDate);
    Reconciliation r = StartReconciliation(9, reg, LoadMarks(), 20260331, 50'00 - 12'34);
    ASSERT_EQ(r.items.size(), 1u);
    EXPECT_EQ(r.Difference(), -12'34);
    Marks marks = LoadMarks();
    EXPECT_EQ(FinishReconciliation(r, marks), kNotBalanced);
    r.items[0].ticked = true;
    ASSERT_EQ(r.Difference(), 0);

    // Every write, sync and rename of the finish fails in turn: the marks are as they were.
    const Marks before = LoadMarks();
    fs_.onlyPaths("BANKM");
    int refused = 0;
    for (FsOp op : {FsOp::Write, FsOp::Sync, FsOp::Rename, FsOp::SyncDir}) {
        for (int n = 1; n < 40; ++n) {
            fs_.failNth(op, n, ENOSPC);
            Marks m = LoadMarks();
            const std::string why = FinishReconciliation(r, m);
            fs_.clearFaults();
            cbk::TakeEngineError();
            if (why.empty()) {  // ran past the fault's place: undo for the next round
                Marks back = before;
                ASSERT_EQ(ReplaceMarks(back), "");
                break;
            }
            ++refused;
            const Marks now = LoadMarks();
            ASSERT_EQ(now.byKey.size(), before.byKey.size());
            for (const auto& [key, mark] : before.byKey)
                EXPECT_TRUE(now.Find(key) && now.Find(key)->reconciled == 0) << n;
        }
    }
    EXPECT_GE(refused, 4);
    ASSERT_EQ(FinishReconciliation(r, marks), "");
    reg = BuildRegister(9, 50'00, LoadMarks());
    ASSERT_EQ(reg.rows.size(), 1u);
    EXPECT_EQ(reg.rows[0].reconciledOn, 20260331u);
    EXPECT_EQ(CheckStatement(reg, 20260330, "1"), std::string(kBeforeLast) + "03/31/2026.");
    // The next statement starts from the reconciled balance.
    const Reconciliation next = StartReconciliation(9, reg, LoadMarks(), 20260430, 0);
    EXPECT_EQ(next.startBalance, 50'00 - 12'34);
    EXPECT_TRUE(next.items.empty());

    // Changing it asks first; Yes reopens the reconciliation.
    platform_->messages.answers.push_back(platform::Answer::Yes);
    EXPECT_TRUE(ReconciledChangeAllowed(MarkBefore(Kind::Expense, rec)));
    EXPECT_EQ(BuildRegister(9, 0, LoadMarks()).rows[0].reconciledOn, 0u);
    EXPECT_TRUE(BuildRegister(9, 0, LoadMarks()).rows[0].cleared);
}

}  // namespace
