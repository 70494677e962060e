// The payment import below the form: which earlier imports a run replaces, what each payment
// becomes, where the payment table is looked for, the tables it refuses, foreign tables, and
// a failed write.

#include <cerrno>

#include "data/Records.h"
#include "data/StoredForms.h"
#include "maintenance/ImportFixture.h"
#include "maintenance/PaymentImport.h"
#include "state/MainVars.h"

namespace cbk::testing {
namespace {

using namespace maintenance;

struct Payment {
    const char* date;
    double amount;
    const char* invoice;
    bool deleted = false;
};

platform::DateTime Day(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

class PaymentImport : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        PackOnExit = false;
    }

    std::string paymentPath() const { return dir() + "/elsewhere/pmt.dbf"; }

    // A payment table at `path` in its plain form: PDATE, PAMT, IVNO.
    void MakePayments(const std::vector<Payment>& rows,
                      std::vector<engine::Field4Info> fields = {
                          {"PDATE", 'D', 8, 0}, {"PAMT", 'N', 10, 2}, {"IVNO", 'C', 10, 0}}) {
        std::filesystem::create_directories(dir() + "/elsewhere");
        engine::Data4* t = engine::d4create(cb, paymentPath(), fields);
        ASSERT_NE(t, nullptr) << engine::code4errorText(cb);
        for (const Payment& p : rows) {
            ASSERT_EQ(engine::d4appendBlank(t), 0);
            engine::f4assign(engine::d4field(t, "PDATE"), p.date);
            engine::f4assignDouble(engine::d4field(t, "PAMT"), p.amount);
            engine::f4assign(engine::d4field(t, "IVNO"), p.invoice);
            if (p.deleted) engine::d4delete(t);
        }
        engine::d4close(t);
        ASSERT_EQ(engine::code4errorCode(cb, 0), 0);
    }

    // The import as the form runs it, with INC5, FOLDER and ACCI open.
    ImportOutcome Import(const ImportRange& range) {
        OpenIncome();
        OpenFolders();
        OpenIncomeAccounts();
        engine::Data4* payments = OpenPaymentTable(paymentPath());
        EXPECT_NE(payments, nullptr);
        if (payments == nullptr) return {};
        const ImportOutcome outcome = ImportPayments(payments, range);
        CloseAllTables();
        return outcome;
    }

    static std::vector<long> Deleted(const std::vector<IncomeRow>& rows) {
        std::vector<long> deleted;
        for (const IncomeRow& r : rows)
            if (r.deleted) deleted.push_back(r.recNo);
        return deleted;
    }

    const ImportRange february_march_{Day(2026, 2, 1), Day(2026, 3, 31), 2, 3};
};

TEST_F(PaymentImport, ReimportReplacesOnlyEarlierImportsOfTheRangeWhereverTheyStand) {
    SetIncome({
        {0, false, 1, "20260131", "day before", 1, 1, true, false},
        {0, false, 1, "20260201", "first day", 2, 1, true, false},
        {0, false, 1, "20260210", "by hand", 3, 1, false, false},
        {0, false, 1, "20260401", "day after", 4, 1, true, false},
        {0, false, 1, "20260331", "last day", 5, 1, true, false},
        {0, false, 1, "20260215", "behind a later date", 6, 1, true, false},
        {0, true, 1, "20260220", "deleted before", 7, 1, true, false},
    });
    MakePayments({{"20260201", 100, "  A-17 "},
                  {"20260131", 5, "X"},
                  {"20260331", 7.5, "B 2"},
                  {"20260401", 9, "Y"},
                  {"20260220", 12.34, "C", true}});

    const ImportOutcome first = Import(february_march_);
    EXPECT_EQ(first.result, ImportResult::Done);
    EXPECT_EQ(first.removed, 3);
    EXPECT_EQ(first.imported, 3);
    EXPECT_TRUE(PackOnExit);
    std::vector<IncomeRow> rows = Income5();
    ASSERT_EQ(rows.size(), 10u);
    EXPECT_EQ(Deleted(rows), (std::vector<long>{2, 5, 6, 7}));
    struct Expected {
        const char* date;
        const char* desc;
        double amount;
    };
    const Expected appended[] = {{"20260201", "Payment on Invoice #A-17", 100},
                                 {"20260331", "Payment on Invoice #B 2", 7.5},
                                 {"20260220", "Payment on Invoice #C", 12.34}};
    for (int i = 0; i < 3; ++i) {
        const IncomeRow& r = rows[std::size_t(7 + i)];
        EXPECT_EQ(r.date, appended[i].date);
        EXPECT_EQ(r.desc, appended[i].desc);
        EXPECT_DOUBLE_EQ(r.amount, appended[i].amount);
        EXPECT_EQ(r.acc, 2);
        EXPECT_EQ(r.folder, 3);
        EXPECT_TRUE(r.imported);
        EXPECT_FALSE(r.archived);
        EXPECT_FALSE(r.deleted);
    }
    // Seven income records, then five payments, each pass from 0 to 100.
    EXPECT_EQ(platform_->progress.percents(),
              (std::vector<int>{14, 28, 42, 57, 71, 85, 100, 20, 40, 60, 80, 100}));
    EXPECT_EQ(platform_->progress.calls.front().title, "Loading Payments");
    EXPECT_FALSE(platform_->progress.visible);
    EXPECT_TRUE(platform_->messages.shown.empty());

    const ImportOutcome second = Import(february_march_);
    EXPECT_EQ(second.removed, 3);
    EXPECT_EQ(second.imported, 3);
    rows = Income5();
    ASSERT_EQ(rows.size(), 13u);
    EXPECT_EQ(Deleted(rows), (std::vector<long>{2, 5, 6, 7, 8, 9, 10}));

    engine::Data4* income = engine::d4open(cb, "INC5");
    std::string report;
    EXPECT_EQ(engine::d4check(income, &report), 0) << report;
    engine::d4close(income);
}

TEST_F(PaymentImport, PaymentDatesThatAreNoDateFollowTheStoredDateRules) {
    // A blank date is now (5 March 2026, 10:30), so only a range ending after today takes it;
    // one that is no date at all is left out and the user told.
    MakePayments({{"        ", 1, "blank"}, {"20260230", 2, "no date"}, {"20260305", 3, "today"}});
    const struct {
        platform::DateTime through;
        std::vector<std::string> dates;
    } cases[] = {{Day(2026, 3, 5), {"20260305"}}, {Day(2026, 3, 6), {"20260305", "20260305"}}};
    for (const auto& c : cases) {
        SetIncome({});
        platform_->messages.clear();
        const ImportOutcome outcome = Import({Day(2026, 3, 1), c.through, 1, 1});
        EXPECT_EQ(outcome.undated, 1);
        std::vector<std::string> dates;
        for (const IncomeRow& r : Income5()) dates.push_back(r.date);
        EXPECT_EQ(dates, c.dates);
        EXPECT_EQ(platform_->messages.texts(),
                  std::vector<std::string>{
                      "1 payment was not imported: the payment date (PDATE) is not a date."});
    }
}

TEST_F(PaymentImport, TableWithoutThePaymentFieldsIsRefusedBeforeAnythingChanges) {
    const struct {
        const char* what;
        std::vector<engine::Field4Info> fields;
        const char* missing;
    } cases[] = {
        {"date as text",
         {{"PDATE", 'C', 8, 0}, {"PAMT", 'N', 10, 2}, {"IVNO", 'C', 10, 0}},
         "field PDATE is text, not a date"},
        {"no date", {{"PAMT", 'N', 10, 2}, {"IVNO", 'C', 10, 0}}, "field PDATE is missing"},
        {"two faults",
         {{"PDATE", 'D', 8, 0}, {"PAMT", 'C', 10, 0}, {"NOTE", 'C', 10, 0}},
         "field PAMT is text, not a number, field IVNO is missing"},
    };
    SetIncome({{0, false, 1, "20260210", "imported", 3, 1, true, false}});
    CloseAllTables();
    const std::string before = Bytes("INC5.dbf");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(paymentPath());
        std::vector<engine::Field4Info> fields = c.fields;
        std::filesystem::create_directories(dir() + "/elsewhere");
        ASSERT_NE(engine::d4create(cb, paymentPath(), fields), nullptr);
        CloseAllTables();
        platform_->messages.clear();
        EXPECT_EQ(OpenPaymentTable(paymentPath()), nullptr);
        ASSERT_EQ(platform_->messages.shown.size(), 1u);
        EXPECT_EQ(platform_->messages.shown[0].kind, platform::MessageKind::Warning);
        EXPECT_EQ(platform_->messages.shown[0].text,
                  paymentPath() + "\r\nis not a valid MARLO Payment file: " + c.missing +
                      ".\r\nNothing was imported.");
    }
    // Nothing to open: missing, or no table at all.
    std::ofstream(dir() + "/elsewhere/junk.dbf") << "not a table";
    for (const std::string& path : {dir() + "/nowhere/pmt.dbf", dir() + "/elsewhere/junk.dbf"}) {
        platform_->messages.clear();
        EXPECT_EQ(OpenPaymentTable(path), nullptr);
        EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{"Unable to Open " + path});
    }
    EXPECT_EQ(engine::code4errorCode(cb, 0), 0);
    EXPECT_EQ(Bytes("INC5.dbf"), before);
}

TEST_F(PaymentImport, PaymentFileIsLookedForInItsPlacesInOrder) {
    EXPECT_EQ(PaymentFilePlaces("/home/u"),
              (std::vector<std::string>{".", "/tarvel_bus", "/tarvel", "/home/u/tarvel_bus",
                                        "/home/u/tarvel"}));
    EXPECT_EQ(PaymentFilePlaces(""), (std::vector<std::string>{".", "/tarvel_bus", "/tarvel"}));

    const std::string bus = dir() + "/home/tarvel_bus";
    const std::string plain = dir() + "/home/tarvel";
    std::filesystem::create_directories(bus);
    std::filesystem::create_directories(plain);
    const std::vector<std::string> places = {".", bus, plain};
    EXPECT_EQ(FindPaymentFile(places), "");
    std::ofstream(plain + "/PMT.DBF") << "x";
    EXPECT_EQ(FindPaymentFile(places), plain + "/PMT.DBF");
    std::ofstream(bus + "/pmt.dbf") << "x";
    EXPECT_EQ(FindPaymentFile(places), bus + "/pmt.dbf");
    std::ofstream(dir() + "/Pmt.DBF") << "x";
    EXPECT_EQ(FindPaymentFile(places), "Pmt.dbf");

    // The browse check takes pmt.dbf beside whatever file was chosen.
    EXPECT_EQ(PaymentFileBeside(plain + "/invoices.dbf"), plain + "/PMT.DBF");
    EXPECT_EQ(PaymentFileBeside(dir() + "/home/other.txt"), "");
    EXPECT_EQ(PaymentFileBeside(""), "Pmt.dbf");
}

TEST_F(PaymentImport, ChoicesAreStoredNumberAndNameInTagOrderWithoutDeletedOnes) {
    OpenFolders();
    const std::vector<std::string> all = ImportChoices(Folders, FolNoField, FolNameField);
    ASSERT_GE(all.size(), 2u);
    engine::d4top(Folders);
    const std::string first = engine::f4str(FolNoField) + " - " + engine::f4str(FolNameField);
    EXPECT_EQ(all.front(), first);
    EXPECT_EQ(first.size(), 4u + 3u + 30u);
    engine::d4delete(Folders);
    const std::vector<std::string> live = ImportChoices(Folders, FolNoField, FolNameField);
    EXPECT_EQ(live, std::vector<std::string>(all.begin() + 1, all.end()));
}

TEST_F(PaymentImport, PaymentTablesOfOtherXBaseProgramsImportByFieldName) {
    if (!HavePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    // Extra fields before and after, other widths, a memo file, three code pages and the
    // version bytes of dBASE III, FoxPro and Clipper.
    const char* writer = R"(
import dbf, datetime, sys
specs = [
    ('db3', 'cp850', 'NOTE M; IVNO C(12); CUST C(20); PAMT N(12,2); PDATE D; PAID L'),
    ('fp', 'cp437', 'PDATE D; QTY N(3,0); IVNO C(6); PAMT F(12,2); NOTE M'),
    ('clp', 'cp1252', 'CUST C(8); PAMT N(9,2); IVNO C(10); PDATE D'),
]
for kind, cp, fields in specs:
    t = dbf.Table(sys.argv[1] + '/' + kind + '/PMT.DBF', fields, dbf_type=kind, codepage=cp)
    t.open(dbf.READ_WRITE)
    for date, amt, inv in ((datetime.date(2026, 2, 10), 19.99, ' Ñ-5 '),
                           (datetime.date(2026, 2, 11), 250.0, '7'),
                           (datetime.date(2025, 12, 31), 1.0, 'old')):
        rec = {'pdate': date, 'pamt': amt, 'ivno': inv}
        if 'note' in t.field_names: rec['note'] = 'memo text'
        t.append(rec)
    dbf.delete(t[1])
    t.close()
)";
    for (const char* kind : {"db3", "fp", "clp"})
        std::filesystem::create_directories(dir() + "/py/" + kind);
    ASSERT_EQ(Python(dir(), writer, dir() + "/py"), "");
    for (const char* kind : {"db3", "fp", "clp"}) {
        SCOPED_TRACE(kind);
        SetIncome({});
        OpenIncome();
        OpenFolders();
        OpenIncomeAccounts();
        const std::string path = FindPaymentFile({dir() + "/py/" + kind});
        engine::Data4* payments = OpenPaymentTable(path);
        ASSERT_NE(payments, nullptr) << engine::code4errorText(cb);
        EXPECT_EQ(ImportPayments(payments, february_march_).imported, 2);
        CloseAllTables();
        const std::vector<IncomeRow> rows = Income5();
        ASSERT_EQ(rows.size(), 2u);
        EXPECT_EQ(rows[0].desc, "Payment on Invoice #Ñ-5");
        EXPECT_DOUBLE_EQ(rows[0].amount, 19.99);
        EXPECT_EQ(rows[0].date, "20260210");
        EXPECT_EQ(rows[1].desc, "Payment on Invoice #7");
        EXPECT_DOUBLE_EQ(rows[1].amount, 250.0);
    }
    EXPECT_TRUE(platform_->messages.shown.empty());
}

TEST_F(PaymentImport, FailedWriteIsReportedAndTheProgramGoesOn) {
    // A removal that cannot be written stops the run before any payment is appended; an append
    // that cannot be written stops it where it is.
    const struct {
        const char* what;
        bool earlierImport;
        long imported;
    } cases[] = {{"removal", true, 0}, {"append", false, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.earlierImport)
            SetIncome({{0, false, 1, "20260210", "imported", 3, 1, true, false}});
        else
            SetIncome({});
        MakePayments({{"20260201", 100, "A-17"}});
        platform_->messages.clear();
        OpenIncome();
        OpenFolders();
        OpenIncomeAccounts();
        engine::Data4* payments = OpenPaymentTable(paymentPath());
        ASSERT_NE(payments, nullptr);
        faulty_.onlyPaths("INC5");
        faulty_.failNth(engine::FsOp::Write, 1, ENOSPC, true);
        const ImportOutcome outcome = ImportPayments(payments, february_march_);
        EXPECT_EQ(outcome.result, ImportResult::Failed);
        EXPECT_EQ(outcome.imported, c.imported);
        EXPECT_EQ(platform_->messages.texts(),
                  std::vector<std::string>{"Import failed. Try again later."});
        EXPECT_EQ(platform_->messages.shown[0].kind, platform::MessageKind::Warning);
        EXPECT_FALSE(platform_->progress.visible);
        EXPECT_NO_THROW(engine::error4exitTest(cb));
        faulty_.clearFaults();
        faulty_.onlyPaths("");
        CloseAllTables();
        EXPECT_NO_THROW(engine::error4exitTest(cb));
        std::filesystem::remove(paymentPath());
    }
}

}  // namespace
}  // namespace cbk::testing
