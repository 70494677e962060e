// The upgrade from the older version's tables: what it refuses before anything changes, the
// complete conversion, and every table put back when it stops part-way.

#include <cerrno>
#include <functional>
#include <map>
#include <utility>

#include "data/Records.h"
#include "maintenance/ImportFixture.h"
#include "maintenance/Recovery.h"
#include "maintenance/Upgrade.h"
#include "state/MainVars.h"

namespace cbk::testing {
namespace {

using namespace maintenance;

// The conversion as its command runs it: why it stopped told in an information box.
bool ConvertOldData(const std::string& dir) {
    const UpgradeOutcome outcome = maintenance::ConvertOldData(dir);
    if (!outcome.why.empty())
        platform::messages().show(platform::MessageKind::Information, outcome.why,
                                  platform::Buttons::OK);
    return outcome.converted;
}

struct OldIncome {
    const char* date;
    const char* desc;
    double amount;
    int folder;
    bool imported;
    bool deleted = false;
};

struct OldExpense {
    const char* date;
    long check;
    int account;
    int folder;
    const char* payTo;
    const char* memo;
    double amount;
    bool deleted = false;
};

class Upgrade : public ImportTest {
protected:
    void SetUp() override {
        ImportTest::SetUp();
        if (HasFatalFailure()) return;
        old_ = dir() + "/old";
        std::filesystem::create_directories(old_);
    }

    engine::Data4* Create(const std::string& name, const std::vector<engine::Field4Info>& fields) {
        engine::Data4* t = engine::d4create(cb, old_ + "/" + name, fields);
        EXPECT_NE(t, nullptr) << engine::code4errorText(cb);
        return t;
    }
    static void Set(engine::Data4* t, const char* field, const std::string& text) {
        ASSERT_EQ(engine::f4assign(engine::d4field(t, field), text), 0) << field;
    }
    static void Set(engine::Data4* t, const char* field, double value) {
        ASSERT_EQ(engine::f4assignDouble(engine::d4field(t, field), value), 0) << field;
    }

    // The older version's four tables, fields in an order of their own.
    void MakeOldData(const std::vector<OldIncome>& income, const std::vector<OldExpense>& expenses,
                     std::vector<engine::Field4Info> incomeFields = {{"INCIMP", 'L', 1, 0},
                                                                     {"INCDESC", 'C', 30, 0},
                                                                     {"FOLNO", 'N', 4, 0},
                                                                     {"INCAMT", 'N', 10, 2},
                                                                     {"INCDATE", 'D', 8, 0}}) {
        engine::Data4* t = Create("Folder", {{"FOLNO", 'N', 4, 0}, {"FOLNAME", 'C', 30, 0}});
        for (auto [no, name] : {std::pair{7, "Harbor House"}, {12, "Main Street"}}) {
            engine::d4appendBlank(t);
            Set(t, "FOLNO", no);
            Set(t, "FOLNAME", name);
        }
        t = Create("Acc", {{"ACCNO", 'N', 4, 0}, {"ACDESC", 'C', 30, 0}, {"ACDED", 'L', 1, 0}});
        for (auto [no, name] : {std::pair{40, "Repairs"}, {41, "Utilities"}}) {
            engine::d4appendBlank(t);
            Set(t, "ACCNO", no);
            Set(t, "ACDESC", name);
            Set(t, "ACDED", "T");
        }
        t = Create("Inc3", incomeFields);
        for (const OldIncome& r : income) {
            engine::d4appendBlank(t);
            Set(t, "INCDATE", r.date);
            Set(t, "INCDESC", r.desc);
            Set(t, "INCAMT", r.amount);
            Set(t, "FOLNO", r.folder);
            if (engine::d4field(t, "INCIMP")) Set(t, "INCIMP", r.imported ? "T" : "F");
            if (r.deleted) engine::d4delete(t);
        }
        t = Create("Exp3", {{"AMOUNT", 'N', 10, 2},
                            {"EMEMO", 'C', 30, 0},
                            {"PAYTO", 'C', 30, 0},
                            {"FOLNO", 'N', 4, 0},
                            {"ACCNO", 'N', 4, 0},
                            {"CHECKNO", 'N', 8, 0},
                            {"EXPDATE", 'D', 8, 0}});
        for (const OldExpense& r : expenses) {
            engine::d4appendBlank(t);
            Set(t, "EXPDATE", r.date);
            Set(t, "CHECKNO", double(r.check));
            Set(t, "ACCNO", r.account);
            Set(t, "FOLNO", r.folder);
            Set(t, "PAYTO", r.payTo);
            Set(t, "EMEMO", r.memo);
            Set(t, "AMOUNT", r.amount);
            if (r.deleted) engine::d4delete(t);
        }
        CloseAllTables();
        ASSERT_EQ(engine::code4errorCode(cb, 0), 0);
    }

    void MakeTypicalOldData() {
        MakeOldData({{"19990104", "Rent January", 850, 7, false},
                     {"20010315", "Invoice 12", 99.5, 12, true, true}},
                    {{"19990105", 1001, 40, 7, "Ace Plumbing", "kitchen", 120.25},
                     {"20000229", 0, 41, 12, "Power Co", "", 64, true}});
    }

    std::vector<std::string> AsideCopies() const {
        std::vector<std::string> found;
        for (const auto& e : std::filesystem::directory_iterator(dir()))
            if (e.path().extension() == ".upg") found.push_back(e.path().filename().string());
        return found;
    }

    // The record rows of a current table by engine name, in record order, fields joined by "|".
    std::vector<std::string> Rows(const char* table) {
        engine::code4autoOpen(cb, 0);
        engine::Data4* t = engine::d4open(cb, table);
        engine::code4autoOpen(cb, 1);
        EXPECT_NE(t, nullptr) << table;
        std::vector<std::string> rows;
        if (t == nullptr) return rows;
        for (int rc = engine::d4top(t); rc == 0; rc = engine::d4skip(t, 1)) {
            std::string row = engine::d4deleted(t) ? "*" : "";
            for (int j = 1; j <= engine::d4numFields(t); ++j) {
                const std::string text = Rtrim(engine::f4str(engine::d4fieldJ(t, j)));
                row += (j > 1 ? "|" : "") +
                       text.substr(std::min(text.find_first_not_of(' '), text.size()));
            }
            rows.push_back(row);
        }
        engine::d4close(t);
        return rows;
    }

    std::string old_;
};

TEST_F(Upgrade, MissingOldTableIsNamedAndNothingChanges) {
    MakeTypicalOldData();
    const auto before = DataTables();
    for (const char* missing : kOldTables) {
        SCOPED_TRACE(missing);
        const std::string hidden = old_ + "/hidden.dbf";
        std::filesystem::rename(fileIn("old/" + std::string(missing)), hidden);
        platform_->messages.clear();
        EXPECT_FALSE(ConvertOldData(old_ + "/"));
        EXPECT_EQ(platform_->messages.shown,
                  (std::vector<platform::RecordedMessage>{{platform::MessageKind::Information,
                                                           "Data files not found in " + old_,
                                                           platform::Buttons::OK}}));
        std::filesystem::rename(hidden, old_ + "/" + missing);
    }
    EXPECT_EQ(DataTables(), before);
    EXPECT_TRUE(platform_->progress.calls.empty());
}

TEST_F(Upgrade, OldTablesThatCannotBeReadAreRefusedBeforeTheQuestion) {
    const struct {
        const char* what;
        std::function<void()> setUp;
        std::string message;
    } cases[] = {
        {"income without its import flag",
         [this] {
             MakeOldData({}, {},
                         {{"INCDATE", 'D', 8, 0},
                          {"INCDESC", 'C', 30, 0},
                          {"INCAMT", 'N', 10, 2},
                          {"FOLNO", 'N', 4, 0}});
         },
         "Inc3.dbf is not a valid Cantabook data file: field INCIMP is missing\r\n"
         "Nothing was changed."},
        {"copies of an unfinished upgrade",
         [this] {
             MakeTypicalOldData();
             std::ofstream(dir() + "/INC5.upg") << "earlier data";
             std::ofstream(dir() + "/ACC.upg") << "earlier data";
         },
         "An earlier upgrade did not finish, and the data it replaced are kept in the data "
         "directory as: INC5.upg, ACC.upg.\r\n"
         "Rename them back to .dbf, or remove them, before upgrading again."},
    };
    const auto before = DataTables();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(old_);
        std::filesystem::create_directories(old_);
        c.setUp();
        platform_->messages.clear();
        EXPECT_FALSE(ConvertOldData(old_));
        EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{c.message});
    }
    EXPECT_EQ(DataTables(), before);
}

TEST_F(Upgrade, CancelAtTheWarningChangesNothing) {
    MakeTypicalOldData();
    const auto before = DataTables();
    platform_->messages.answer(platform::Answer::Cancel);
    EXPECT_FALSE(ConvertOldData(old_));
    EXPECT_EQ(platform_->messages.shown,
              (std::vector<platform::RecordedMessage>{
                  {platform::MessageKind::Warning,
                   "Warning: All previously entered data will be overwritten",
                   platform::Buttons::OKCancel, platform::DefaultButton::Negative}}));
    EXPECT_EQ(DataTables(), before);
    EXPECT_TRUE(platform_->progress.calls.empty());
}

TEST_F(Upgrade, CompleteConversionCarriesEveryOldRecordOver) {
    MakeTypicalOldData();
    // Ids of imported records, which the conversion replaces.
    engine::d4close(engine::d4create(cb, "STMTIDS", {{"FITID", 'C', 120, 0}}));
    ASSERT_TRUE(ConvertOldData(old_));
    EXPECT_FALSE(std::filesystem::exists(fileIn("STMTIDS.dbf")));

    EXPECT_EQ(Bytes("FOLDER.dbf"), Bytes("old/Folder.dbf"));
    EXPECT_EQ(Bytes("ACC.dbf"), Bytes("old/Acc.dbf"));
    EXPECT_EQ(Rows("ACCI"), std::vector<std::string>{"1|Ordinary Income|T"});
    // Delete marks of the old tables are not carried: every old record is a live record now.
    EXPECT_EQ(Rows("INC5"), (std::vector<std::string>{"1|F|19990104|Rent January|850.00|7|F",
                                                      "1|T|20010315|Invoice 12|99.50|12|F"}));
    EXPECT_EQ(Rows("EXP5"),
              (std::vector<std::string>{"19990105|1001|40|7|Ace Plumbing|120.25|kitchen|F",
                                        "20000229|0|41|12|Power Co|64.00||F"}));
    EXPECT_TRUE(AsideCopies().empty());
    EXPECT_EQ(
        platform_->progress.calls.front(),
        (platform::ProgressCall{platform::ProgressCall::Show, true, "Converting Data Files"}));
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{5, 10, 15, 20, 40, 60, 80, 100}));

    // The follow-up's pack and build leave tables every opener takes.
    FinishUpgrade(false);
    for (const char* table : {"ACC", "ACCI", "FOLDER", "EXP5", "INC5"}) {
        engine::Data4* t = engine::d4open(cb, table);
        ASSERT_NE(t, nullptr) << table;
        std::string report;
        EXPECT_EQ(engine::d4check(t, &report), 0) << table << ": " << report;
        engine::d4close(t);
    }
}

// Every file of the data directory (the old data's folder aside), by name.
std::map<std::string, std::string> FilesIn(const std::string& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.is_regular_file()) {
            std::ifstream in(e.path(), std::ios::binary);
            files[e.path().filename().string()].assign(std::istreambuf_iterator<char>(in), {});
        }
    return files;
}

void PutFiles(const std::string& dir, const std::map<std::string, std::string>& files) {
    for (const auto& e : std::filesystem::directory_iterator(dir))
        if (e.is_regular_file()) std::filesystem::remove(e.path());
    for (const auto& [name, bytes] : files)
        std::ofstream(dir + "/" + name, std::ios::binary) << bytes;
}

// After a conversion (index files gone) and after one refused at the warning (indexes there),
// with deleted records to pack away and keep for recovery: the pack and one build leave every
// file as the full build followed by the pack that rebuilt the indexes did, and write the
// index files half as often.
TEST_F(Upgrade, FinishBuildsTheIndexesOnceAndLeavesTheSameFiles) {
    for (const bool converted : {true, false}) {
        SCOPED_TRACE(converted ? "converted" : "refused");
        MakeTypicalOldData();
        if (converted) {
            ASSERT_TRUE(ConvertOldData(old_));
        }
        engine::code4autoOpen(cb, 0);
        for (const char* table : {"FOLDER", "EXP5", "INC5"}) {
            engine::Data4* t = engine::d4open(cb, table);
            ASSERT_NE(t, nullptr) << table;
            engine::d4go(t, 1);
            engine::d4delete(t);
        }
        CloseAllTables();
        engine::code4autoOpen(cb, 1);
        ASSERT_EQ(engine::code4errorCode(cb, 0), 0);
        const auto before = FilesIn(dir());

        int indexWrites = 0;
        faulty_.setHook([&](engine::FsOp op, const std::string& path) {
            if (op == engine::FsOp::Write && path.find(".ntx") != std::string::npos) ++indexWrites;
            return 0;
        });
        BuildIndexes(false);
        maintenance::PackDataFiles(true);
        const auto twice = FilesIn(dir());
        const int twiceWrites = std::exchange(indexWrites, 0);

        PutFiles(dir(), before);
        FinishUpgrade(true);
        faulty_.setHook(nullptr);
        EXPECT_EQ(FilesIn(dir()), twice);
        EXPECT_EQ(indexWrites * 2, twiceWrites);
        EXPECT_TRUE(FolderListStale);
        std::filesystem::remove_all(old_);
        std::filesystem::create_directories(old_);
    }
}

TEST_F(Upgrade, OldTablesWrittenByAnotherXBaseProgramConvert) {
    if (!HavePythonDbf()) GTEST_SKIP() << "python3-dbf is not installed";
    const char* writer = R"(
import dbf, datetime, sys
d = sys.argv[1]
def table(name, fields, rows, kind='db3', cp='cp850'):
    t = dbf.Table(d + '/' + name, fields, dbf_type=kind, codepage=cp)
    t.open(dbf.READ_WRITE)
    for r in rows: t.append(r)
    return t
table('FOLDER.DBF', 'FOLNAME C(30); FOLNO N(4,0)', [('Harbor', 7)]).close()
table('acc.dbf', 'ACDED L; ACCNO N(4,0); ACDESC C(30); NOTE C(5)',
      [(True, 40, 'Repairs', 'x')], kind='clp', cp='cp1252').close()
t = table('INC3.DBF', 'INCAMT N(12,2); INCIMP L; NOTE M; INCDESC C(40); FOLNO N(5,0); INCDATE D',
          [(10.5, False, 'memo', 'Señor Ñandú', 7, datetime.date(1998, 7, 1)),
           (2, True, '', 'gone', 7, datetime.date(1998, 7, 2))])
dbf.delete(t[1])
t.close()
table('Exp3.DBF', 'EXPDATE D; PAYTO C(30); AMOUNT N(10,2); ACCNO N(4,0); FOLNO N(4,0); '
      'CHECKNO N(10,0); EMEMO C(30)',
      [(datetime.date(1998, 7, 3), 'Müller & Co', 99.99, 40, 7, 12345678, 'roof')],
      kind='vfp', cp='cp437').close()
)";
    ASSERT_EQ(Python(dir(), writer, old_), "");
    ASSERT_TRUE(ConvertOldData(old_));
    EXPECT_EQ(Rows("INC5"), (std::vector<std::string>{"1|F|19980701|Señor Ñandú|10.50|7|F",
                                                      "1|T|19980702|gone|2.00|7|F"}));
    EXPECT_EQ(Rows("EXP5"),
              std::vector<std::string>{"19980703|12345678|40|7|Müller & Co|99.99|roof|F"});
    EXPECT_EQ(Rows("FOLDER"), std::vector<std::string>{"Harbor|7"});
}

TEST_F(Upgrade, ConversionStoppedPartWayPutsEveryTableBack) {
    // Each fault strikes the n-th call of its kind on a file whose name ends so. A table is
    // emptied into "<name>.tmp" (two writes), which is then renamed into place and written on.
    const struct {
        const char* what;
        engine::FsOp op;
        const char* fileEnd;
        int nth;
        int err;
        const char* reason;  // nullptr: only the first line is compared
        bool badDate = false;
    } cases[] = {
        {"copy aside", engine::FsOp::Write, "EXP5.upg.cbk-copy", 1, ENOSPC,
         "EXP5.dbf could not be copied aside: the disk is full."},
        {"folder copy", engine::FsOp::Write, "FOLDER.dbf.cbk-copy", 1, ENOSPC,
         "Folder.dbf could not be copied: the disk is full."},
        {"account copy", engine::FsOp::Rename, "ACC.dbf", 1, EROFS,
         "Acc.dbf could not be copied: the disk or file is write-protected."},
        {"income account", engine::FsOp::Write, "ACCI.dbf.tmp", 3, EIO, nullptr},
        {"emptying income", engine::FsOp::Rename, "INC5.dbf", 1, EIO, nullptr},
        {"income records", engine::FsOp::Write, "INC5.dbf.tmp", 3, ENOSPC, nullptr},
        {"expense records", engine::FsOp::Write, "EXP5.dbf.tmp", 3, ENOSPC, nullptr},
        {"old date", engine::FsOp::Count, "", 0, 0,
         "Inc3.dbf record 2: the date '20010230' is not a date.", true},
    };
    const std::string firstLine =
        "The upgrade could not be completed. Your data are as they were before the upgrade.";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(old_);
        std::filesystem::create_directories(old_);
        MakeOldData({{"19990104", "Rent", 850, 7, false},
                     {c.badDate ? "20010230" : "20010228", "Late", 1, 7, true}},
                    {{"19990105", 1001, 40, 7, "Ace", "", 120.25}});
        const auto before = DataTables();
        platform_->messages.clear();
        int seen = 0;
        faulty_.setHook([&](engine::FsOp op, const std::string& path) {
            const std::string end = c.fileEnd;
            const bool match = op == c.op && path.size() >= end.size() &&
                               path.compare(path.size() - end.size(), end.size(), end) == 0;
            return match && ++seen == c.nth ? c.err : 0;
        });
        EXPECT_FALSE(ConvertOldData(old_));
        faulty_.setHook(nullptr);
        EXPECT_TRUE(c.badDate || seen >= c.nth) << "the fault never struck";

        ASSERT_EQ(platform_->messages.shown.size(), 2u);
        const platform::RecordedMessage& told = platform_->messages.shown[1];
        EXPECT_EQ(told.kind, platform::MessageKind::Information);
        EXPECT_EQ(told.text.substr(0, firstLine.size()), firstLine);
        if (c.reason) {
            EXPECT_EQ(told.text, firstLine + "\r\n" + c.reason);
        }
        EXPECT_EQ(DataTables(), before);
        EXPECT_TRUE(AsideCopies().empty());
        EXPECT_NO_THROW(engine::error4exitTest(cb));
        // The caller's rebuild then gives every table its indexes again.
        EXPECT_NO_THROW(BuildIndexes(false));
        EXPECT_NO_THROW({
            OpenIncome();
            OpenExpenses();
            CloseAllTables();
        });
    }
}

TEST_F(Upgrade, OldDataIsPreselectedWhereInc3Is) {
    EXPECT_EQ(OldDataPlaces(), (std::vector<std::string>{"/tarvel_bus", "/tarvel"}));
    const std::string bus = dir() + "/tarvel_bus";
    const std::string plain = dir() + "/tarvel";
    std::filesystem::create_directories(bus);
    std::filesystem::create_directories(plain);
    EXPECT_EQ(PreselectedOldData({bus, plain}), "");
    std::ofstream(plain + "/inc3.DBF") << "x";
    EXPECT_EQ(PreselectedOldData({bus, plain}), plain);
    std::ofstream(bus + "/Inc3.dbf") << "x";
    EXPECT_EQ(PreselectedOldData({bus, plain}), bus);
}

}  // namespace
}  // namespace cbk::testing
