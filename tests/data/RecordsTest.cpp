#include "data/Records.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/Database.h"
#include "data/StoredForms.h"
#include "data/engine/Ntx.h"
#include "support/DataFixture.h"

namespace cbk {
namespace {

using testing::DataTest;

platform::DateTime Ymd(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

class RecordsTest : public DataTest {
protected:
    void SetUp() override {
        DataTest::SetUp();
        if (HasFatalFailure()) return;
        StartDataStore();
    }

    // Appends the expense of 5 March 2026 to account 7 and returns its record number.
    long AppendMarchExpense() {
        OpenExpenses();
        engine::d4appendBlank(Expenses);
        CurExpense =
            ExpenseRec{Ymd(2026, 3, 5), 4711, 7, 3, "Hardware Store", -1234.567, "Hinges", true};
        StoreExpense();
        const long recNo = engine::d4recNo(Expenses);
        CloseAllTables();
        return recNo;
    }

    // Every key of the index file `name` by record number, read through the engine's .ntx.
    std::map<std::uint32_t, std::string> KeysOf(const std::string& name) {
        std::unique_ptr<engine::Ntx> ntx;
        std::map<std::uint32_t, std::string> keys;
        EXPECT_EQ(engine::Ntx::open(engine::posixFileSystem(), fileIn(name).string(), true, ntx),
                  0);
        if (!ntx) return keys;
        ntx->forEach([&](std::string_view key, std::uint32_t recNo) {
            keys[recNo] = std::string(key);
            return true;
        });
        return keys;
    }
};

TEST_F(RecordsTest, ExpenseKeysAreDateThenAccountAndAccountThenDate) {
    const long recNo = AppendMarchExpense();
    EXPECT_EQ(KeysOf("EDate.ntx")[recNo], "20260305   7");
    EXPECT_EQ(KeysOf("EAcc.ntx")[recNo], "   720260305");

    OpenExpenses();
    EXPECT_EQ(engine::d4seek(Expenses, "20260305   7"), engine::r4success);
    EXPECT_EQ(engine::d4recNo(Expenses), recNo);
    engine::d4tagSelect(Expenses, EAccTag);
    EXPECT_EQ(engine::d4seek(Expenses, "   720260305"), engine::r4success);
    EXPECT_EQ(engine::d4recNo(Expenses), recNo);
    // The account alone finds the first record of the account.
    EXPECT_EQ(engine::d4seek(Expenses, PadNumber(7, 4)), engine::r4success);
    EXPECT_EQ(engine::d4recNo(Expenses), recNo);
}

TEST_F(RecordsTest, ExpenseRoundTripsThroughItsStoredForms) {
    AppendMarchExpense();
    OpenExpenses();
    ASSERT_EQ(engine::d4seek(Expenses, "20260305   7"), engine::r4success);
    EXPECT_TRUE(LoadExpense());
    EXPECT_EQ(CurExpense.ExpDate, Ymd(2026, 3, 5));
    EXPECT_EQ(CurExpense.CheckNo, 4711);
    EXPECT_EQ(CurExpense.AccNo, 7);
    EXPECT_EQ(CurExpense.FolNo, 3);
    EXPECT_EQ(CurExpense.PayTo, "Hardware Store" + std::string(16, ' '));
    EXPECT_DOUBLE_EQ(CurExpense.Amount, -1234.57);
    EXPECT_EQ(CurExpense.EMemo.substr(0, 7), "Hinges ");
    EXPECT_TRUE(CurExpense.Archive);
    EXPECT_EQ(engine::f4str(ExpDateField), "20260305");
    EXPECT_EQ(engine::f4str(ExpArchiveField), "T");
}

TEST_F(RecordsTest, BlankExpenseDateLoadsAsNow) {
    OpenExpenses();
    engine::d4appendBlank(Expenses);
    EXPECT_EQ(engine::f4str(ExpDateField), "        ");
    EXPECT_TRUE(LoadExpense());
    EXPECT_EQ(CurExpense.ExpDate, pinnedNow());
    EXPECT_FALSE(CurExpense.Archive);
}

TEST_F(RecordsTest, ImpossibleStoredDateIsReportedAndTheRestStillLoads) {
    OpenExpenses();
    engine::d4appendBlank(Expenses);
    engine::f4assign(ExpDateField, "20260230");
    engine::f4assignInt(ExpAccNoField, 190);
    EXPECT_FALSE(LoadExpense());
    EXPECT_EQ(CurExpense.ExpDate, pinnedNow());
    EXPECT_EQ(CurExpense.AccNo, 190);
}

TEST_F(RecordsTest, IncomeRoundTripsWithBothMarks) {
    OpenIncome();
    engine::d4appendBlank(Income);
    CurIncome = IncomeRec{12, Ymd(2025, 12, 31), "Unit C rent", 999999.99, 4, true, false};
    StoreIncome();
    const long recNo = engine::d4recNo(Income);
    CloseAllTables();

    OpenIncome();
    engine::d4tagSelect(Income, IncAccTag);
    ASSERT_EQ(engine::d4seek(Income, "  1220251231"), engine::r4success);
    EXPECT_EQ(engine::d4recNo(Income), recNo);
    EXPECT_TRUE(LoadIncome());
    EXPECT_EQ(CurIncome.IncAcc, 12);
    EXPECT_EQ(CurIncome.IncDate, Ymd(2025, 12, 31));
    EXPECT_DOUBLE_EQ(CurIncome.IncAmt, 999999.99);
    EXPECT_EQ(CurIncome.FolNo, 4);
    EXPECT_TRUE(CurIncome.IncImp);
    EXPECT_FALSE(CurIncome.Archive);
    EXPECT_EQ(engine::f4str(IncImpField), "T");
    EXPECT_EQ(engine::f4str(IncArchiveField), "F");
}

TEST_F(RecordsTest, FontNameIsStoredWithItsFirstFiftyNineCharacters) {
    const std::string seventy = std::string(58, 'F') + "XYZABCDEFGHI";
    ASSERT_EQ(seventy.size(), 70u);
    OpenSettings();
    Settings.FontName = seventy;
    Settings.FontSize = 12;
    StoreSettings();
    CloseAllTables();

    OpenSettings();
    EXPECT_EQ(engine::f4str(FontNameField), std::string(58, 'F') + "X ");
    LoadSettings();
    EXPECT_EQ(Settings.FontName, std::string(58, 'F') + "X ");
    EXPECT_EQ(Settings.FontSize, 12);
}

TEST_F(RecordsTest, FontNameCutNeverSplitsACharacter) {
    OpenSettings();
    Settings.FontName = std::string(58, 'a') + "\xC3\xA9\xC3\xA9";  // two e-acute
    StoreSettings();
    CloseAllTables();
    OpenSettings();
    EXPECT_EQ(engine::f4str(FontNameField), std::string(58, 'a') + "\xC3\xA9 ");
}

// The business's name and address live in the settings record's COMPANY and ADDRESS, cut to
// their widths; a settings table from elsewhere without them still opens, with neither.
TEST_F(RecordsTest, BusinessNameAndAddressAreKeptInTheSettingsRecordWhenItHasThem) {
    OpenSettings();
    Settings.Company = "Acme Repairs & Sons " + std::string(30, 'x');
    Settings.Address = "12 Quay Street, Riverton";
    StoreSettings();
    CloseAllTables();
    OpenSettings();
    LoadSettings();
    EXPECT_EQ(Settings.Company, "Acme Repairs & Sons " + std::string(20, 'x'));
    EXPECT_EQ(Settings.Address, "12 Quay Street, Riverton");
    CloseAllTables();

    engine::code4safety(cb, 0);
    engine::Data4* bare = engine::d4create(cb, "CBK1",
                                           {{"FYMONTH", 'N', 2, 0},
                                            {"FYDAY", 'N', 2, 0},
                                            {"FONTNAME", 'C', 60, 0},
                                            {"FONTSIZE", 'N', 3, 0}});
    engine::code4safety(cb, 1);
    ASSERT_NE(bare, nullptr);
    engine::d4appendBlank(bare);
    engine::d4close(bare);
    OpenSettings();
    EXPECT_EQ(engine::code4errorCode(cb, 0), 0);
    LoadSettings();
    EXPECT_EQ(Settings.Company, "");
    StoreSettings();
    EXPECT_EQ(engine::code4errorCode(cb, 0), 0);
}

TEST_F(RecordsTest, AccountsOfBothChartsLoadIntoTheirOwnBuffers) {
    OpenAccounts();
    OpenIncomeAccounts();
    LoadAccount();
    LoadIncomeAccount();
    EXPECT_EQ(CurAccount.AccNo, 100);
    EXPECT_EQ(CurAccount.AcDesc.substr(0, 12), "Advertising ");
    EXPECT_TRUE(CurAccount.AcDed);
    EXPECT_EQ(CurIncAccount.AccNo, 10);

    CurIncAccount.AcDed = false;
    CurIncAccount.AcDesc = "Rents";
    StoreIncomeAccount();
    CloseAllTables();
    OpenIncomeAccounts();
    LoadIncomeAccount();
    EXPECT_EQ(CurIncAccount.AcDesc, "Rents" + std::string(25, ' '));
    EXPECT_FALSE(CurIncAccount.AcDed);
    EXPECT_EQ(engine::f4str(IncAcDedField), "F");
}

TEST_F(RecordsTest, FolderNumberKeepsItsFourCharacterText) {
    OpenFolders();
    LoadFolder();
    EXPECT_EQ(CurFolder.FolNo, 1);
    EXPECT_EQ(engine::f4str(FolNoField), "   1");
    CurFolder.FolNo = 9999;
    CurFolder.FolName = "Last Folder";
    StoreFolder();
    EXPECT_EQ(engine::f4str(FolNoField), "9999");
}

}  // namespace
}  // namespace cbk
