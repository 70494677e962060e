// The main window's settings: report period, fiscal year start, default folder, report font
// and page setup.

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTabWidget>
#include <QTest>
#include <cstdlib>

#include "GuiFixture.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {
namespace {

// The settings record as the table holds it now.
SettingsRec storedSettings() {
    const SettingsRec inMemory = Settings;
    OpenSettings();
    LoadSettings();
    const SettingsRec stored = Settings;
    CloseAllTables();
    Settings = inMemory;
    return stored;
}

// Writes the table's record behind the program's back; the buffer keeps what it held.
void storeFiscalYear(int month, int day) {
    const SettingsRec inMemory = Settings;
    OpenSettings();
    LoadSettings();
    Settings.FyMonth = month;
    Settings.FyDay = day;
    StoreSettings();
    CloseAllTables();
    Settings = inMemory;
}

void storeFont(const std::string& name, int size) {
    const SettingsRec inMemory = Settings;
    OpenSettings();
    LoadSettings();
    Settings.FontName = name;
    Settings.FontSize = size;
    StoreSettings();
    CloseAllTables();
    Settings = inMemory;
}

class SettingsTest : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        startUp();
        platform_->messages.clear();
    }
    void leave(MaskEdit* field, const QString& text) {
        field->setText(text);
        field->setModified(true);
        ASSERT_TRUE(field->leaveField());
    }
};

TEST_F(SettingsTest, BusinessNameAndAddressTypedOnProgramSetupAreStored) {
    main().PageControl1->setCurrentIndex(2);
    main().show();
    EXPECT_EQ(main().EditCompany->text(), "Harbor Light Builders");
    QApplication::processEvents();
    if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
        main().grab().save(QString::fromLocal8Bit(dir) + "/main-tab3.png");
    main().EditCompany->setFocus();
    main().EditCompany->selectAll();
    QTest::keyClicks(main().EditCompany, "Harbor Light & Sons");
    QTest::keyClick(main().EditCompany, Qt::Key_Return);
    main().EditAddress->setFocus();
    main().EditAddress->selectAll();
    QTest::keyClicks(main().EditAddress, "2 Pier Road, Riverton");
    QTest::keyClick(main().EditAddress, Qt::Key_Return);
    const SettingsRec stored = storedSettings();
    EXPECT_EQ(stored.Company, "Harbor Light & Sons");
    EXPECT_EQ(stored.Address, "2 Pier Road, Riverton");
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(SettingsTest, DefaultPeriodIsTheCurrentMonth) {
    platform_->clock.set(2026, 12, 14);
    SetDefaultPeriod();
    EXPECT_EQ(ReportFrom, *platform::DateTime::fromYmd(2026, 12, 1));
    EXPECT_EQ(ReportThrough, *platform::DateTime::fromYmd(2026, 12, 31));
    platform_->clock.set(2028, 2, 10);
    SetDefaultPeriod();
    EXPECT_EQ(ReportFrom, *platform::DateTime::fromYmd(2028, 2, 1));
    EXPECT_EQ(ReportThrough, *platform::DateTime::fromYmd(2028, 2, 29));
}

TEST_F(SettingsTest, PeriodFieldTakesADateWhileTypingAndOnExit) {
    main().MaskEdit1->setText("04/15/26");
    EXPECT_EQ(ReportFrom, *platform::DateTime::fromYmd(2026, 4, 15));
    // Half-typed text changes nothing and says nothing.
    main().MaskEdit2->setText("05/");
    EXPECT_EQ(ReportThrough, *platform::DateTime::fromYmd(2026, 3, 31));
    leave(main().MaskEdit2, "5/31/26");
    EXPECT_EQ(ReportThrough, *platform::DateTime::fromYmd(2026, 5, 31));
    EXPECT_EQ(main().MaskEdit2->text(), "05/31/26");
    EXPECT_TRUE(platform_->messages.shown.empty());
}

TEST_F(SettingsTest, InvalidPeriodDateIsRefusedAndSettingKept) {
    leave(main().MaskEdit1, "02/30/26");
    EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{"Invalid Date Entered"});
    EXPECT_EQ(ReportFrom, *platform::DateTime::fromYmd(2026, 3, 1));
    EXPECT_EQ(main().MaskEdit1->text(), "02/30/26");
}

TEST_F(SettingsTest, StartLaterThanEndIsAccepted) {
    leave(main().MaskEdit1, "06/01/26");
    leave(main().MaskEdit2, "01/31/26");
    EXPECT_GT(ReportFrom, ReportThrough);
    EXPECT_TRUE(platform_->messages.shown.empty());
}

TEST_F(SettingsTest, MonthChangeLowersTheDayAndStoresBoth) {
    storeFiscalYear(1, 31);
    Settings.FyMonth = 1;
    Settings.FyDay = 31;
    leave(main().MaskEdit3, "02");
    EXPECT_EQ(Settings.FyMonth, 2);
    EXPECT_EQ(Settings.FyDay, 28);
    EXPECT_EQ(main().MaskEdit4->text(), "28");
    const SettingsRec stored = storedSettings();
    EXPECT_EQ(stored.FyMonth, 2);
    EXPECT_EQ(stored.FyDay, 28);
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(SettingsTest, February29IsRefusedAndNothingStored) {
    storeFiscalYear(2, 1);
    Settings.FyMonth = 2;
    Settings.FyDay = 1;
    leave(main().MaskEdit4, "29");
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Invalid Day for Specified Month"});
    EXPECT_EQ(platform_->messages.shown[0].kind, platform::MessageKind::Information);
    EXPECT_EQ(Settings.FyDay, 1);
    EXPECT_EQ(storedSettings().FyDay, 1);
    leave(main().MaskEdit4, "28");
    EXPECT_EQ(storedSettings().FyDay, 28);
}

TEST_F(SettingsTest, MonthOutOfRangeIsRefused) {
    storeFiscalYear(7, 1);
    Settings.FyMonth = 7;
    leave(main().MaskEdit3, "13");
    leave(main().MaskEdit3, "0");
    EXPECT_EQ(platform_->messages.texts(),
              (std::vector<std::string>{"Month must be between 1 and 12",
                                        "Month must be between 1 and 12"}));
    EXPECT_EQ(Settings.FyMonth, 7);
    EXPECT_EQ(storedSettings().FyMonth, 7);
}

TEST_F(SettingsTest, BlankMonthIsAnIntegerConversionError) {
    storeFiscalYear(7, 1);
    Settings.FyMonth = 7;
    leave(main().MaskEdit3, "  ");
    EXPECT_EQ(platform_->messages.errors,
              std::vector<std::string>{"'' is not a valid integer value"});
    EXPECT_TRUE(platform_->messages.shown.empty());
    EXPECT_EQ(Settings.FyMonth, 7);
}

TEST_F(SettingsTest, UnchangedMonthIsStillWritten) {
    Settings.FyMonth = 3;
    Settings.FyDay = 1;
    main().MaskEdit3->setText("3");
    // Someone else's value in the table is overwritten by the unchanged field.
    storeFiscalYear(9, 9);
    main().MaskEdit3Exit();
    const SettingsRec stored = storedSettings();
    EXPECT_EQ(stored.FyMonth, 3);
    EXPECT_EQ(stored.FyDay, 1);
}

TEST_F(SettingsTest, FontDialogCancelStillStoresTheFont) {
    ReportFont.name = "Liberation Serif";
    ReportFont.size = 11;
    storeFont("", 0);

    platform_->printing.fontAnswer.reset();  // the user cancels
    main().BtnFontClick();
    ASSERT_EQ(platform_->printing.fontsLoaded.size(), 1u);
    EXPECT_EQ(platform_->printing.fontsLoaded[0].name, "Liberation Serif");
    const SettingsRec stored = storedSettings();
    EXPECT_EQ(QString::fromStdString(stored.FontName).trimmed(), "Liberation Serif");
    EXPECT_EQ(stored.FontSize, 11);
    EXPECT_EQ(main().Edit1->text(), "Liberation Serif@11");
}

TEST_F(SettingsTest, FontDialogChoiceBecomesTheReportFont) {
    platform::FontSpec chosen;
    chosen.name = "DejaVu Sans Mono";
    chosen.size = 9;
    chosen.bold = true;
    platform_->printing.fontAnswer = chosen;
    main().BtnFontClick();
    EXPECT_EQ(ReportFont.name, "DejaVu Sans Mono");
    EXPECT_TRUE(ReportFont.bold);
    EXPECT_EQ(main().Edit1->text(), "DejaVu Sans Mono@9");
    EXPECT_EQ(storedSettings().FontSize, 9);
}

TEST_F(SettingsTest, PageSetupShowsTheChosenPrinterOrKeepsTheText) {
    platform_->printing.setupScript = [](platform::ScriptedPrinting& p) {
        p.entry = "Laser";
        p.isLandscape = true;
    };
    main().BtnPSetupClick();
    EXPECT_EQ(main().Edit2->text(), "Laser-Landscape");
    platform_->printing.setupScript = [](platform::ScriptedPrinting& p) { p.index = -1; };
    main().BtnPSetupClick();
    EXPECT_EQ(main().Edit2->text(), "Laser-Landscape");
    EXPECT_EQ(platform_->printing.setupDialogs, 2);
}

// ---- default folder ---------------------------------------------------------------------

std::vector<std::string> folderEntries() {
    std::vector<std::string> entries;
    OpenFolders();
    for (int rc = engine::d4top(Folders); rc == 0; rc = engine::d4skip(Folders, 1))
        entries.push_back(engine::f4str(FolNoField) + " - " + engine::f4str(FolNameField));
    CloseAllTables();
    return entries;
}

void appendFolder(int number, const std::string& name) {
    OpenFolders();
    ASSERT_EQ(engine::d4appendBlank(Folders), 0);
    CurFolder.FolNo = number;
    CurFolder.FolName = name;
    StoreFolder();
    CloseAllTables();
}

TEST_F(SettingsTest, FolderBoxListsNoDefaultThenFoldersInNumberOrder) {
    main().FormPaint();
    const std::vector<std::string> expected = folderEntries();
    ASSERT_GE(expected.size(), 2u);
    QComboBox* box = main().FolderCBox;
    ASSERT_EQ(box->count(), int(expected.size()) + 1);
    EXPECT_EQ(box->itemText(0), "  -1 - No Default");
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(box->itemText(int(i) + 1).toStdString(), expected[i]);
    EXPECT_EQ(box->currentIndex(), 0);
    EXPECT_FALSE(FolderListStale);
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(SettingsTest, ChoosingAFolderSetsTheDefaultFolder) {
    main().FormPaint();
    const QString entry = main().FolderCBox->itemText(2);
    main().FolderCBoxChange(2);
    EXPECT_EQ(FolderIndex, 2);
    EXPECT_EQ(DefaultFolder, entry.left(4).trimmed().toInt());
    main().FolderCBoxChange(0);
    EXPECT_EQ(DefaultFolder, -1);
}

TEST_F(SettingsTest, RefillKeepsThePositionAndTheDefaultFolder) {
    main().FormPaint();
    main().FolderCBoxChange(2);
    const int chosen = DefaultFolder;
    appendFolder(0, "Before all others");  // number 0 sorts first and shifts the list
    FolderListStale = true;
    main().FormPaint();
    EXPECT_EQ(main().FolderCBox->currentIndex(), 2);
    EXPECT_EQ(DefaultFolder, chosen);
    EXPECT_NE(main().FolderCBox->currentText().left(4).trimmed().toInt(), chosen);
}

TEST_F(SettingsTest, RefillOnlyWhenStale) {
    main().FormPaint();
    appendFolder(9999, "Late folder");
    main().FormPaint();
    EXPECT_EQ(main().FolderCBox->count(), int(folderEntries().size()));
}

TEST_F(SettingsTest, PositionBeyondTheFolderCountFallsBackToNoDefault) {
    main().FormPaint();
    FolderIndex = int(folderEntries().size()) + 1;
    FolderListStale = true;
    main().FormPaint();
    EXPECT_EQ(FolderIndex, 0);
    EXPECT_EQ(main().FolderCBox->currentIndex(), 0);
}

TEST_F(SettingsTest, TypingIntoTheFolderBoxChangesNothing) {
    main().FormPaint();
    main().FolderCBox->setCurrentIndex(1);
    main().FolderCBoxChange(1);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_N, Qt::NoModifier, QStringLiteral("N"));
    QApplication::sendEvent(main().FolderCBox, &key);
    EXPECT_EQ(main().FolderCBox->currentIndex(), 1);
    EXPECT_EQ(FolderIndex, 1);
}

}  // namespace
}  // namespace cbk::testing
