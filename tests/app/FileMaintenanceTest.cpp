// The File Maintenance commands through their windows: the chooser, backup and restore from
// the main window, the archive and rate change forms, erase with the folder list, and one run
// through all of them with screenshots (CBK_SCREENSHOT_DIR).

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "GuiFixture.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/CopyData.h"
#include "maintenance/SafetyBackup.h"
#include "maintenance/forms/ArchiveU.h"
#include "maintenance/forms/DriveDirU.h"
#include "maintenance/forms/RateChangeU.h"
#include "records/forms/PickExpU.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportDocument.h"
#include "rules/EntryRules.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {
namespace {

namespace fs = std::filesystem;
using platform::Answer;
using platform::ProgressCall;

std::string Bytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Snap(QWidget& w, const char* name) {
    QApplication::processEvents();
    const QImage image = w.grab().toImage();
    EXPECT_FALSE(image.isNull()) << name;
    if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
        image.save(QString::fromLocal8Bit(dir) + "/maintenance-" + name + ".png");
}

class FileMaintenance : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        startUp();
        platform_->modal.showLimit = 20;
        backup_ = (dataDir() / "backup").string();
        fs::create_directory(backup_);
        platform_->messages.clear();
        platform_->progress.calls.clear();
    }
    void TearDown() override {
        fs::current_path(dataDir());
        FormTest::TearDown();
    }

    // The chooser picks `dir` and is closed with its action button.
    void ChooseOnce(const std::string& dir, std::function<void()> after = {}) {
        platform_->modal.once("TDriveDir", [dir, after](platform::ModalForm& f) {
            auto& chooser = dynamic_cast<TDriveDir&>(f);
            chooser.show();
            EXPECT_TRUE(chooser.SelectDirectory(dir));
            chooser.BtnOKClick();
            chooser.hide();
            if (after) after();
            return platform::mrOk;
        });
    }

    std::string Live(const char* table) { return Bytes(dataDir() / (std::string(table) + ".dbf")); }

    long Count(const char* table) {
        engine::Data4* t = engine::d4open(cb, table);
        const long n = engine::d4recCount(t);
        engine::d4close(t);
        return n;
    }

    std::string backup_;
};

// ---- the chooser ------------------------------------------------------------------------

TEST_F(FileMaintenance, ChooserListsFilesReportsAnUnreadableDriveAndKeepsTheWorkingDirectory) {
    ASSERT_TRUE(maintenance::CopyDataFiles(true, backup_, false));
    TDriveDir& chooser = *forms().DriveDir;
    chooser.DriveLister = [this] {
        return std::vector<maintenance::Drive>{{"/", "/", false},
                                               {"DATA", dataDir().string(), false},
                                               {"NOSTICK", "/nonexistent/cbk-stick", true}};
    };
    chooser.Setup("Choose Backup Drive & Directory", "Backup", backup_);
    chooser.show();
    EXPECT_EQ(chooser.BtnOK->text(), "Backup");
    EXPECT_EQ(chooser.Directory(), backup_);
    EXPECT_EQ(chooser.DriveComboBox1->currentText(), "DATA");
    EXPECT_FALSE(chooser.FileListBox1->isEnabled());
    QStringList files;
    for (int i = 0; i < chooser.FileListBox1->count(); ++i)
        files << chooser.FileListBox1->item(i)->text();
    EXPECT_EQ(files, (QStringList{"ACC.bak", "ACCI.bak", "EXP5.bak", "FOLDER.bak", "INC5.bak"}));

    // Another drive read well, then one that cannot be read: back to the drive shown on
    // activation.
    chooser.DriveComboBox1->setCurrentIndex(0);
    chooser.DriveComboBox1Change(0);
    EXPECT_EQ(chooser.Directory(), "/");
    chooser.DriveComboBox1->setCurrentIndex(2);
    chooser.DriveComboBox1Change(2);
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Unable to read from drive NOSTICK"});
    EXPECT_EQ(chooser.DriveComboBox1->currentText(), "DATA");
    EXPECT_EQ(chooser.Directory(), dataDir().string());

    // OK gives the directory browsed to, Cancel none; neither moves the current directory,
    // which the books do not depend on.
    EXPECT_TRUE(chooser.SelectDirectory(backup_));
    fs::current_path("/");
    chooser.BtnOKClick();
    EXPECT_EQ(chooser.ChosenDirectory, backup_);
    EXPECT_EQ(fs::current_path(), "/");
    chooser.show();
    chooser.BtnCancelClick();
    EXPECT_EQ(chooser.ChosenDirectory, "");
    EXPECT_EQ(fs::current_path(), "/");
}

// ---- backup and restore from the main window ------------------------------------------------

TEST_F(FileMaintenance, RestoreWithoutOneBackupReportsItThenFailsThenRebuilds) {
    ASSERT_TRUE(maintenance::CopyDataFiles(true, backup_, false));
    fs::remove(fs::path(backup_) / "ACCI.bak");
    platform_->progress.calls.clear();
    ChooseOnce(backup_);
    main().BtnRestoreClick();
    EXPECT_EQ(
        platform_->messages.texts(),
        (std::vector<std::string>{"Unable to find " + backup_ + "/ACCI.bak\r\nFunction Aborted",
                                  "Restore Failed . . Check that your disk is not full."}));
    const std::vector<ProgressCall> expected = {{ProgressCall::Show, true, "Copying Data Files"},
                                                {ProgressCall::Set, false, "", 10},
                                                {ProgressCall::Show, false, ""},
                                                {ProgressCall::Show, true, "Rebuilding Indexes"},
                                                {ProgressCall::Set, false, "", 20},
                                                {ProgressCall::Set, false, "", 35},
                                                {ProgressCall::Set, false, "", 45},
                                                {ProgressCall::Set, false, "", 50},
                                                {ProgressCall::Set, false, "", 80},
                                                {ProgressCall::Set, false, "", 100},
                                                {ProgressCall::Show, false, ""}};
    EXPECT_EQ(platform_->progress.calls, expected);
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(FileMaintenance, BackupThatCannotBeWrittenShowsTheFailureAndHidesTheProgress) {
    ChooseOnce(backup_, [this] { fs::remove_all(backup_); });
    main().BtnBackupClick();
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Backup Failed . . Check that disk is not write protected"});
    EXPECT_FALSE(platform_->progress.visible);
    EXPECT_EQ(platform_->progress.percents(), std::vector<int>{10});
}

// ---- archive --------------------------------------------------------------------------------

TEST_F(FileMaintenance, ArchiveFormCaptionsByModeAndTheLastFiscalYear) {
    TArchive& form = *forms().Archive;
    Settings.FyMonth = 7;
    Settings.FyDay = 1;
    form.ArchiveMode = false;
    form.FormShow();
    EXPECT_EQ(form.windowTitle(), "De-Archive Income & Expenses");
    EXPECT_EQ(form.Label1->text(), "De-Archive Data From:");
    EXPECT_EQ(form.Label2->text(), "Through:");
    EXPECT_EQ(form.MaskEdit1->text(), "07/01/24");
    EXPECT_EQ(form.MaskEdit2->text(), "06/30/25");
    form.ArchiveMode = true;
    form.FormShow();
    EXPECT_EQ(form.windowTitle(), "Archive Income & Expenses");
    EXPECT_EQ(form.Label1->text(), "Archive Data From:");
    form.BitBtn1Click();
    EXPECT_EQ(platform_->help.calls.back().text, "430");
}

TEST_F(FileMaintenance, ArchiveRefusesAnInvalidDateWithTheFocusThereAndWritesNothing) {
    TArchive& form = *forms().Archive;
    form.show();
    QApplication::setActiveWindow(&form);
    const std::string before = Live("EXP5") + Live("INC5");
    form.MaskEdit1->setText("01/01/25");
    form.MaskEdit2->setText("02/30/25");
    form.BtnOKClick();
    EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{"Invalid Date Entered"});
    EXPECT_EQ(form.focusWidget(), form.MaskEdit2);
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(platform_->progress.calls.empty());
    EXPECT_EQ(Live("EXP5") + Live("INC5"), before);
    form.hide();
}

// A two-digit year goes through the century window; archived records leave the pick list and
// stay in the reports.
TEST_F(FileMaintenance, ArchivedRecordsLeaveThePickListButNotTheReports) {
    OpenExpenses();
    engine::d4appendBlank(Expenses);
    CurExpense = {*platform::DateTime::fromYmd(1997, 6, 1), 0, 100, 1, "Old", 1997.06, "", false};
    StoreExpense();
    const long old = engine::d4recNo(Expenses);
    CloseAllTables();

    TArchive& form = *forms().Archive;
    form.ArchiveMode = true;
    form.FormShow();
    form.MaskEdit1->setText("01/01/97");
    form.MaskEdit2->setText("12/31/97");
    form.BtnOKClick();
    EXPECT_EQ(form.result(), QDialog::Accepted);

    OpenExpenses();
    engine::d4go(Expenses, old);
    LoadExpense();
    EXPECT_TRUE(CurExpense.Archive);
    OpenFolders();
    OpenAccounts();
    ExpenseChoice = 0;
    DefaultFolder = -1;
    forms().PickExp->FormShow();
    for (int r = 1; r < forms().PickExp->rowCount(); ++r)
        EXPECT_NE(forms().PickExp->cell(6, r), QString::number(old));

    reports::ReportRequest request;
    request.from = *platform::DateTime::fromYmd(1997, 1, 1);
    request.through = *platform::DateTime::fromYmd(1997, 12, 31);
    request.folders = {1};
    reports::Document doc;
    reports::BuildExpenseDetail(request, doc);
    bool listed = false;
    for (int r = 0; r < doc.rowCount(); ++r)
        for (const std::string& cell : doc.row(r))
            listed = listed || cell.find("1,997.06") != std::string::npos;
    EXPECT_TRUE(listed);
}

// ---- rate change ----------------------------------------------------------------------------

TEST_F(FileMaintenance, RateChangeFormDefaultsMasksAndRefusals) {
    TRateChange& form = *forms().RateChange;
    OpenAccounts();
    OpenExpenses();
    form.FormShow();
    EXPECT_EQ(form.MaskEdit1->editMask(), "!#####.9999;1;_");
    EXPECT_EQ(form.MaskEdit1->text(), "    1.0000");
    EXPECT_EQ(form.MaskEdit2->text(), "    1.0000");
    EXPECT_EQ(form.MaskEdit3->text(), "01/01/26");
    EXPECT_EQ(form.MaskEdit4->text(), "03/05/26");
    EXPECT_EQ(form.ComboBox1->currentIndex(), 0);
    EXPECT_TRUE(form.BtnApply->isEnabled());
    form.MaskEdit1->setText("    3     ");
    EXPECT_TRUE(form.MaskEdit1KeyPress(QLatin1Char('.')));
    EXPECT_EQ(form.MaskEdit1->text(), "    3.0000");
    EXPECT_FALSE(form.MaskEdit1KeyPress(QLatin1Char('5')));
    form.MaskEdit1->setText("    1.0000");
    form.setResult(0);
    form.BtnApplyClick();
    EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{"RATES MUST NOT BE EQUAL"});
    EXPECT_EQ(form.result(), 0);

    engine::d4zap(Accounts, 1, engine::d4recCount(Accounts));
    platform_->regional.setDmy();
    platform_->messages.clear();
    form.FormShow();
    EXPECT_EQ(form.MaskEdit1->editMask(), "!#####,9999;1;_");
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{
                  "Expense Accounts must be defined before entering Expense Records"});
    EXPECT_FALSE(form.BtnApply->isEnabled());
    EXPECT_EQ(form.ComboBox1->count(), 0);
}

// ---- one run through the windows --------------------------------------------------------------

TEST_F(FileMaintenance, BackUpEraseRestoreArchiveAndChangeARate) {
    main().PageControl1->setCurrentIndex(3);
    main().show();
    Snap(main(), "main-tab");
    main().hide();
    const char* const tables[] = {"ACC", "ACCI", "FOLDER", "EXP5", "INC5"};
    std::vector<long> counts;
    for (const char* t : tables) counts.push_back(Count(t));

    platform_->modal.once("TDriveDir", [this](platform::ModalForm& f) {
        auto& chooser = dynamic_cast<TDriveDir&>(f);
        chooser.show();
        chooser.SelectDirectory(backup_);
        Snap(chooser, "drivedir");
        chooser.BtnOKClick();
        chooser.hide();
        return platform::mrOk;
    });
    main().BtnBackupClick();
    for (const char* t : tables)
        EXPECT_EQ(Bytes(fs::path(backup_) / (std::string(t) + ".bak")), Live(t)) << t;

    main().BtnEraseDataClick();  // OK to all five
    for (const char* t : tables) EXPECT_EQ(Count(t), 0) << t;
    main().FormPaint();
    ASSERT_EQ(main().FolderCBox->count(), 1);
    EXPECT_EQ(main().FolderCBox->itemText(0), "  -1 - No Default");

    ChooseOnce(backup_);
    main().BtnRestoreClick();
    for (std::size_t i = 0; i < std::size(tables); ++i)
        EXPECT_EQ(Count(tables[i]), counts[i]) << tables[i];
    main().FormPaint();
    EXPECT_GT(main().FolderCBox->count(), 1);

    platform_->modal.once("TArchive", [](platform::ModalForm& f) {
        auto& form = dynamic_cast<TArchive&>(f);
        form.show();
        form.MaskEdit1->setText("01/01/26");
        form.MaskEdit2->setText("01/31/26");
        Snap(form, "archive");
        form.BtnOKClick();
        return platform::mrOk;
    });
    main().BtnArchiveClick();
    OpenExpenses();
    long archived = 0;
    for (int rc = engine::d4top(Expenses); rc == 0; rc = engine::d4skip(Expenses, 1)) {
        LoadExpense();
        const bool january = CurExpense.ExpDate.year() == 2026 && CurExpense.ExpDate.month() == 1;
        EXPECT_EQ(CurExpense.Archive, january);
        archived += january;
    }
    EXPECT_GT(archived, 0);
    CloseAllTables();

    platform_->messages.clear();
    double before = 0, after = 0;
    std::int32_t account = 0;
    platform_->modal.once("TRateChange", [&](platform::ModalForm& f) {
        auto& form = dynamic_cast<TRateChange&>(f);
        form.show();
        // The account of the first expense this year, chosen in the list.
        engine::d4seek(Expenses, "20260101");
        account = engine::f4int(ExpAccNoField);
        for (int i = 0; i < form.ComboBox1->count(); ++i)
            if (rules::ChoiceNumber(form.ComboBox1->itemText(i).toStdString()) == account)
                form.ComboBox1->setCurrentIndex(i);
        form.MaskEdit1->setText("    0.3000");
        form.MaskEdit2->setText("    0.3150");
        Snap(form, "ratechange");
        // The account's amounts from 1 January through today, the range the form offers.
        auto sum = [account] {
            double total = 0;
            for (int rc = engine::d4top(Expenses); rc == 0; rc = engine::d4skip(Expenses, 1))
                if (engine::f4int(ExpAccNoField) == account &&
                    engine::f4str(ExpDateField) >= "20260101" &&
                    engine::f4str(ExpDateField) <= "20260305")
                    total += engine::f4double(AmountField);
            return total;
        };
        before = sum();
        form.BtnApplyClick();
        after = sum();
        form.hide();
        return platform::mrOk;
    });
    main().BtnRateChangeClick();
    EXPECT_GT(before, 0);
    EXPECT_NEAR(after, before * 1.05, 0.01 * 20);
    // Erase, restore, archive and rate change each kept the books as they were first; the
    // rate change says where.
    const auto kept = maintenance::AutomaticBackups(maintenance::AutoBackupFolder());
    ASSERT_EQ(kept.size(), 4u);
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{std::string(maintenance::kPreviousStateKept) + kept[0].path +
                                       "."});
    EXPECT_FALSE(anyTableOpen());
}

}  // namespace
}  // namespace cbk::testing
