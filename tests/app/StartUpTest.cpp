// Start-up, shutdown and the program's forms.

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "GuiFixture.h"
#include "maintenance/forms/About.h"
#include "maintenance/forms/ArchiveU.h"
#include "maintenance/forms/DriveDirU.h"
#include "maintenance/forms/PmtImportU.h"
#include "maintenance/forms/RateChangeU.h"
#include "records/forms/AccountU.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FolderU.h"
#include "records/forms/IncomeU.h"
#include "records/forms/PickAccU.h"
#include "records/forms/PickExpU.h"
#include "records/forms/PickFolU.h"
#include "records/forms/PickIncU.h"
#include "reports/forms/MultFolU.h"
#include "reports/forms/ReportU.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {
namespace {

using platform::ProgramEnded;

std::chrono::milliseconds sinceEpoch(const platform::DateTime& t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.day.time_since_epoch()) + t.time;
}

// The record count in a .dbf header (bytes 4 to 7, little-endian).
std::uint32_t headerRecordCount(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    unsigned char header[8] = {};
    in.read(reinterpret_cast<char*>(header), sizeof header);
    return header[4] | header[5] << 8 | header[6] << 16 | std::uint32_t(header[7]) << 24;
}

std::filesystem::path findFile(const std::filesystem::path& dir, const std::string& name) {
    for (const auto& entry : std::filesystem::directory_iterator(dir)) {
        std::string found = entry.path().filename().string();
        std::string want = name;
        for (auto* s : {&found, &want})
            for (char& c : *s) c = char(std::tolower(static_cast<unsigned char>(c)));
        if (found == want) return entry.path();
    }
    return dir / name;
}

using StartUp = FormTest;

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The ways a table is found damaged: cut in the middle of a record, a header count one past
// the records the file holds, garbage in the header-length bytes.
struct TableDamage {
    const char* what;
    void (*apply)(const std::filesystem::path& table);
};
const TableDamage kTableDamage[] = {
    {"cut mid-record",
     [](const std::filesystem::path& t) {
         std::filesystem::resize_file(t, std::filesystem::file_size(t) - 40);
     }},
    {"count past the file",
     [](const std::filesystem::path& t) {
         std::fstream f(t, std::ios::binary | std::ios::in | std::ios::out);
         const std::uint32_t n = headerRecordCount(t) + 1;
         const char bytes[4] = {char(n), char(n >> 8), char(n >> 16), char(n >> 24)};
         f.seekp(4);
         f.write(bytes, 4);
     }},
    {"header length garbage",
     [](const std::filesystem::path& t) {
         std::fstream f(t, std::ios::binary | std::ios::in | std::ios::out);
         f.seekp(8);
         f.write("\xff\x7f", 2);
     }},
};

TEST_F(StartUp, MissingTableShowsMessageEndsProgramAndMakesNoIndex) {
    std::filesystem::remove(findFile(dataDir(), "INC5.dbf"));
    EXPECT_THROW(startUp(), ProgramEnded);
    ASSERT_EQ(platform_->messages.shown.size(), 1u);
    EXPECT_EQ(platform_->messages.shown[0].kind, platform::MessageKind::Information);
    EXPECT_EQ(platform_->messages.shown[0].buttons, platform::Buttons::OK);
    EXPECT_EQ(platform_->messages.shown[0].text,
              "Database files not found in startup directory\r\n"
              "Program must be started from the directory containing the data files.");
    for (const auto& entry : std::filesystem::directory_iterator(dataDir())) {
        const std::string ext = entry.path().extension().string();
        EXPECT_NE(ext, ".ntx") << entry.path();
        EXPECT_NE(ext, ".cgp") << entry.path();
    }
    EXPECT_NE(main().windowTitle(), "Tarvel Cantabook 1.11");
}

TEST_F(StartUp, DamagedTableMetByTheIndexBuildIsNamedAndLeftAsItWas) {
    for (const char* table : {"EXP5", "ACC"}) {
        for (const TableDamage& damage : kTableDamage) {
            SCOPED_TRACE(std::string(table) + ", " + damage.what);
            const std::filesystem::path file = findFile(dataDir(), std::string(table) + ".dbf");
            const std::string sound = fileBytes(file);
            damage.apply(file);
            const std::string damaged = fileBytes(file);
            platform_->messages.clear();
            EXPECT_THROW(startUp(), ProgramEnded);  // the index files are missing: a build
            ASSERT_EQ(platform_->messages.shown.size(), 1u);
            EXPECT_EQ(platform_->messages.shown[0].text, "Unable to open file " +
                                                             std::string(table) +
                                                             ".DBF\r\nProgram will now terminate.");
            EXPECT_EQ(fileBytes(file), damaged);

            // The same table met by Re-Index after a sound start.
            std::ofstream(file, std::ios::binary | std::ios::trunc) << sound;
            ShutDownDataStore(false);
            startUp();
            damage.apply(file);
            platform_->messages.clear();
            EXPECT_THROW(main().BtnReIndexClick(), ProgramEnded);
            ASSERT_EQ(platform_->messages.shown.size(), 1u);
            EXPECT_EQ(platform_->messages.shown[0].text, "Unable to open file " +
                                                             std::string(table) +
                                                             ".DBF\r\nProgram will now terminate.");
            EXPECT_EQ(fileBytes(file), damaged);
            CloseAllTables();
            ShutDownDataStore(false);
            std::ofstream(file, std::ios::binary | std::ios::trunc) << sound;
            for (const char* index : {"AccTag.ntx", "EDate.ntx"})
                std::filesystem::remove(findFile(dataDir(), index));
        }
    }
}

TEST_F(StartUp, MainWindowOpensCentredOnTheScreen) {
    main().show();  // the first showing runs the start-up
    QApplication::processEvents();
    ASSERT_NE(main().screen(), nullptr);
    const QPoint offset =
        main().frameGeometry().center() - main().screen()->availableGeometry().center();
    EXPECT_LE(offset.manhattanLength(), 2) << offset.x() << "," << offset.y();
    main().hide();
}

TEST_F(StartUp, SplashStaysUpAtLeastMinimumByTheClock) {
    startUp();
    const auto shown = sinceEpoch(main().splashShownAt());
    const auto closed = sinceEpoch(main().splashClosedAt());
    EXPECT_GE(closed - shown, std::chrono::milliseconds{1728});
    // It comes down at the first reading past the minimum, not later.
    EXPECT_LT(closed - shown, std::chrono::milliseconds{1728} + kClockStep);
    EXPECT_FALSE(SplashMode);
    EXPECT_FALSE(forms().AboutForm->isVisible());
}

TEST_F(StartUp, SplashHidesOkButtonAndAboutMenuShowsIt) {
    TAboutForm& about = *forms().AboutForm;
    ASSERT_TRUE(SplashMode);
    about.EShow();
    EXPECT_FALSE(about.Button1->isVisibleTo(&about));

    startUp();
    bool okShown = false;
    QString caption;
    platform_->modal.once("TAboutForm", [&](platform::ModalForm& form) {
        auto& shownAbout = dynamic_cast<TAboutForm&>(form);
        shownAbout.EShow();
        okShown = shownAbout.Button1->isVisibleTo(&shownAbout);
        caption = shownAbout.windowTitle();
        return platform::mrOk;
    });
    main().About1Click();
    EXPECT_TRUE(okShown);
    EXPECT_EQ(caption, "About Tarvel Cantabook 1.11");
    EXPECT_EQ(about.size(), QSize(400, 241));
}

TEST_F(StartUp, PreparesCaptionPeriodFiscalYearFontAndPrinter) {
    startUp();
    EXPECT_EQ(main().windowTitle(), "Tarvel Cantabook 1.11");
    EXPECT_EQ(main().MaskEdit1->text(), "03/01/26");
    EXPECT_EQ(main().MaskEdit2->text(), "03/31/26");
    EXPECT_EQ(main().MaskEdit3->text().trimmed(), QString::number(Settings.FyMonth));
    EXPECT_EQ(main().MaskEdit4->text().trimmed(), QString::number(Settings.FyDay));
    EXPECT_EQ(main().Edit1->text(),
              QString::fromStdString(ReportFont.name) + "@" + QString::number(ReportFont.size));
    EXPECT_EQ(main().Edit2->text(), "Office on lp0-Portrait");
    EXPECT_EQ(DefaultFolder, -1);
    EXPECT_EQ(FolderIndex, 0);
    EXPECT_TRUE(FolderListStale);
    EXPECT_EQ(main().PageControl1->currentIndex(), 0);
}

TEST_F(StartUp, StoredFontNameAndSizeBecomeTheReportFont) {
    {  // written before the program starts, with an engine of the test's own
        auto engine = engine::code4init();
        engine::Data4* table = engine::d4open(engine.get(), "CBK1");
        ASSERT_NE(table, nullptr);
        ASSERT_EQ(engine::d4top(table), 0);
        engine::f4assign(engine::d4field(table, "FontName"), "Courier New");
        engine::f4assignInt(engine::d4field(table, "FontSize"), 14);
        engine::code4initUndo(engine.get());
    }
    startUp();
    EXPECT_EQ(ReportFont.name, "Courier New");
    EXPECT_EQ(ReportFont.size, 14);
    EXPECT_EQ(main().Edit1->text(), "Courier New@14");
}

TEST_F(StartUp, NoPrinterIsSaidPlainly) {
    platform_->printing.installed = false;
    platform_->printing.index = -1;
    startUp();
    EXPECT_EQ(main().Edit2->text(), "No printer installed");
}

TEST_F(StartUp, LandscapePrinterShowsOrientation) {
    platform_->printing.isLandscape = true;
    startUp();
    EXPECT_EQ(main().Edit2->text(), "Office on lp0-Landscape");
}

TEST_F(StartUp, FormsAreCreatedOnceWithTheirNamesAndCaptions) {
    const Forms& f = forms();
    struct Expected {
        QDialog* form;
        platform::ModalForm* modal;
        const char* name;
        const char* caption;
    };
    const Expected expected[] = {
        {f.AboutForm, f.AboutForm, "TAboutForm", "About"},
        {f.PickInc, f.PickInc, "TPickInc", "Select Item"},
        {f.Income, f.Income, "TIncome", "Income"},
        {f.PickFol, f.PickFol, "TPickFol", "PickFol"},
        {f.FolderF, f.FolderF, "TFolderF", "Folder Definition"},
        {f.PickExp, f.PickExp, "TPickExp", "Select Expense"},
        {f.Expense, f.Expense, "TExpense", "Expense"},
        {f.PickAcc, f.PickAcc, "TPickAcc", "Select Account"},
        {f.Account, f.Account, "TAccount", "Account Definition"},
        {f.MultFol, f.MultFol, "TMultFol", "Select Folder(s) to Include"},
        {f.ReportF, f.ReportF, "TReportF", "Report"},
        {f.DriveDir, f.DriveDir, "TDriveDir", nullptr},
        {f.Archive, f.Archive, "TArchive", nullptr},
        {f.RateChange, f.RateChange, "TRateChange", "Rate Change"},
        {f.PmtImport, f.PmtImport, "TPmtImport", "Import MARLO Payment (Income) Data"},
    };
    EXPECT_EQ(f.FormMain, &main());
    EXPECT_EQ(main().windowTitle(), "CBK");
    for (const Expected& e : expected) {
        ASSERT_NE(e.form, nullptr) << e.name;
        EXPECT_EQ(e.modal->formName(), e.name);
        if (e.caption) {
            EXPECT_EQ(e.form->windowTitle(), e.caption) << e.name;
        }
    }
}

using ShutDown = FormTest;

TEST_F(ShutDown, PacksOnlyAfterADeletion) {
    startUp();
    OpenExpenses();
    ASSERT_EQ(engine::d4top(Expenses), 0);
    ASSERT_EQ(engine::d4delete(Expenses), 0);
    CloseAllTables();
    const std::filesystem::path exp5 = findFile(dataDir(), "EXP5.dbf");
    const std::uint32_t before = headerRecordCount(exp5);

    PackOnExit = false;
    main().ShutDown();
    EXPECT_EQ(headerRecordCount(exp5), before);
}

TEST_F(ShutDown, PackRemovesTheDeletedRecord) {
    startUp();
    OpenExpenses();
    ASSERT_EQ(engine::d4top(Expenses), 0);
    ASSERT_EQ(engine::d4delete(Expenses), 0);
    CloseAllTables();
    const std::filesystem::path exp5 = findFile(dataDir(), "EXP5.dbf");
    const std::uint32_t before = headerRecordCount(exp5);

    PackOnExit = true;
    main().ShutDown();
    EXPECT_EQ(headerRecordCount(findFile(dataDir(), "EXP5.dbf")), before - 1);
}

}  // namespace
}  // namespace cbk::testing
