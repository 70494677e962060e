// The main window's settings: report period, fiscal year start, default folder, report font
// and page setup.

#include <QCheckBox>
#include <QFont>
#include <QLineEdit>
#include <cstdlib>
#include <string>

#include "app/DKRMain.h"
#include "app/Safeguards.h"
#include "data/Database.h"
#include "data/Records.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/Recovery.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"
#include "widgets/ProgressBox.h"

namespace cbk {

namespace {

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string safeguardsPath() {
    return maintenance::SafeguardsPath(environment("XDG_CONFIG_HOME"), environment("HOME"));
}

std::string trimmed(const QString& text) {
    return text.trimmed().toStdString();
}

// The whole number in a fiscal year field; the standard error box when there is none.
std::optional<std::int32_t> fieldNumber(const MaskEdit* field) {
    const std::string text = trimmed(field->text());
    const auto n = rules::ToWholeNumber(text);
    if (!n) platform::messages().error("'" + text + "' is not a valid integer value");
    return n;
}

void information(const std::string& text) {
    platform::messages().show(platform::MessageKind::Information, text, platform::Buttons::OK);
}

// The settings table and the folder table are opened for a moment and closed alone, so their
// handles must not outlive the close.
void closeSettingsTable() {
    engine::d4close(SettingsTable);
    SettingsTable = nullptr;
    FyMonthField = FyDayField = FontNameField = FontSizeField = nullptr;
}

void closeFolderTable() {
    engine::d4close(Folders);
    Folders = nullptr;
    FolNoField = FolNameField = nullptr;
    FolTag = nullptr;
}

QFont toQFont(const platform::FontSpec& spec, const QFont& base) {
    QFont f = base;
    if (!spec.name.empty()) f.setFamily(QString::fromStdString(spec.name));
    if (spec.size > 0) f.setPointSize(spec.size);
    f.setBold(spec.bold);
    f.setItalic(spec.italic);
    f.setUnderline(spec.underline);
    f.setStrikeOut(spec.strikeOut);
    return f;
}

}  // namespace

maintenance::Safeguards CurrentSafeguards() {
    return maintenance::ReadSafeguards(safeguardsPath());
}

std::string AutoBackupFolder() {
    return maintenance::AutoBackupRoot(environment("XDG_DATA_HOME"), environment("HOME"),
                                       platform::files().currentDir());
}

void TFormMain::SetDefaultPeriod() {
    cbk::SetDefaultPeriod();
}

void TFormMain::ShowPeriodAndFiscalYear() {
    MaskEdit1->setText(QString::fromStdString(rules::DateToText(ReportFrom)));
    MaskEdit2->setText(QString::fromStdString(rules::DateToText(ReportThrough)));
    MaskEdit3->setText(QString::number(Settings.FyMonth));
    MaskEdit4->setText(QString::number(Settings.FyDay));
}

// ---- report period --------------------------------------------------------------------

void TFormMain::PeriodFieldChange(MaskEdit* field, platform::DateTime& setting) {
    // While the user is still typing the text is no date and nothing happens.
    if (const auto date = rules::TextToDate(field->text().toStdString())) setting = *date;
}

bool TFormMain::PeriodFieldExit(MaskEdit* field, platform::DateTime& setting) {
    std::string text = field->text().toStdString();
    if (!rules::CheckDate(text)) {
        field->setFocus();
        return false;
    }
    field->setText(QString::fromStdString(text));
    if (const auto date = rules::TextToDate(text)) setting = *date;
    return true;
}

void TFormMain::MaskEdit1Change() {
    PeriodFieldChange(MaskEdit1, ReportFrom);
}
void TFormMain::MaskEdit2Change() {
    PeriodFieldChange(MaskEdit2, ReportThrough);
}
void TFormMain::MaskEdit1Exit() {
    PeriodFieldExit(MaskEdit1, ReportFrom);
}
void TFormMain::MaskEdit2Exit() {
    PeriodFieldExit(MaskEdit2, ReportThrough);
}

// ---- fiscal year start ----------------------------------------------------------------

// A settings record with a month outside 1 to 12 cannot say how long its month is; such a
// month is taken as January so that the day check has a month to look up.
static int fiscalMonthDays(int month) {
    return FyMonthDays[(month >= 1 && month <= 12) ? month - 1 : 0];
}

void TFormMain::StoreFiscalYear() {
    OpenSettings();
    StoreSettings();
    closeSettingsTable();
}

void TFormMain::MaskEdit3Exit() {
    const auto month = fieldNumber(MaskEdit3);
    if (!month) return;
    if (*month < 1 || *month > 12) {
        information("Month must be between 1 and 12");
        MaskEdit3->setFocus();
        return;
    }
    Settings.FyMonth = *month;
    if (Settings.FyDay > fiscalMonthDays(*month)) {
        Settings.FyDay = fiscalMonthDays(*month);
        MaskEdit4->setText(QString::number(Settings.FyDay));
    }
    StoreFiscalYear();
}

void TFormMain::MaskEdit4Exit() {
    const auto day = fieldNumber(MaskEdit4);
    if (!day) return;
    if (*day < 1 || *day > fiscalMonthDays(Settings.FyMonth)) {
        information("Invalid Day for Specified Month");
        MaskEdit4->setFocus();
        return;
    }
    Settings.FyDay = *day;
    StoreFiscalYear();
}

// ---- default folder -------------------------------------------------------------------

void TFormMain::FormPaint() {
    if (!FolderListStale) return;
    OpenFolders();
    FolderCBox->clear();
    FolderCBox->addItem(QStringLiteral("  -1 - No Default"));
    for (ResultWord = engine::d4top(Folders); ResultWord == 0;
         ResultWord = engine::d4skip(Folders, 1)) {
        if (engine::d4deleted(Folders)) continue;
        FolderCBox->addItem(QString::fromStdString(engine::f4str(FolNoField) + " - " +
                                                   engine::f4str(FolNameField)));
    }
    if (engine::d4recCountDo(Folders) < FolderIndex) FolderIndex = 0;
    closeFolderTable();
    // A position past the list's end (deleted folders still count in the table) shows nothing
    // chosen, as the record count allows it.
    FolderCBox->setCurrentIndex(FolderIndex < FolderCBox->count() ? FolderIndex : -1);
    FolderListStale = false;
    setFocus();
}

void TFormMain::FolderCBoxChange(int index) {
    FolderIndex = index;
    const QString entry = FolderCBox->itemText(index);
    DefaultFolder = rules::ChoiceNumber(entry.toStdString()).value_or(-1);
}

void TFormMain::FolderCBoxKeyPress() {}

// ---- report font and printer ----------------------------------------------------------

void TFormMain::PrepareReportFont() {
    const QFont own = font();
    ReportFont = platform::FontSpec{};
    ReportFont.name = own.family().toStdString();
    ReportFont.size = own.pointSize();
    ReportFont.bold = own.bold();
    ReportFont.italic = own.italic();
    const QString stored = QString::fromStdString(Settings.FontName).trimmed();
    if (!stored.isEmpty()) ReportFont.name = stored.toStdString();
    if (Settings.FontSize > 0) ReportFont.size = Settings.FontSize;
    // The report font is the window's own font object: its name and size reach the controls
    // that take their font from the window, such as the progress box.
    ProgressBox1->setFont(toQFont(ReportFont, ProgressBox1->font()));
}

void TFormMain::ShowReportFont() {
    Edit1->setText(QString::fromStdString(ReportFont.name) + QLatin1Char('@') +
                   QString::number(ReportFont.size));
}

void TFormMain::ShowPrinter() {
    platform::Printing& printing = platform::printing();
    if (!printing.printerInstalled()) {
        Edit2->setText(QStringLiteral("No printer installed"));
        return;
    }
    if (printing.printerIndex() < 0) return;
    Edit2->setText(
        QString::fromStdString(printing.printerEntry()) +
        (printing.landscape() ? QStringLiteral("-Landscape") : QStringLiteral("-Portrait")));
}

void TFormMain::BtnFontClick() {
    platform::FontSpec chosen = ReportFont;
    // Confirmed or cancelled, the report font is what the dialog holds afterwards.
    platform::printing().fontDialog(chosen);
    ReportFont = chosen;
    ShowReportFont();
    OpenSettings();
    Settings.FontName = chosen.name;
    Settings.FontSize = chosen.size;
    StoreSettings();
    closeSettingsTable();
}

void TFormMain::BtnPSetupClick() {
    platform::printing().printerSetupDialog();
    ShowPrinter();
}

// ---- safeguards ------------------------------------------------------------------------

void TFormMain::StoreSafeguards() {
    const maintenance::Safeguards guards{CheckBox1->isChecked(), CheckBox2->isChecked()};
    if (!maintenance::WriteSafeguards(safeguardsPath(), guards))
        information("The setting could not be saved in " + safeguardsPath() + ".");
}

void TFormMain::CheckBox1Click() {
    StoreSafeguards();
}

void TFormMain::CheckBox2Click() {
    StoreSafeguards();
}

// A pending engine error ends the program before anything is packed. The automatic backup
// comes after the pack, so that it holds the books as the next start will find them; its
// failure is told once and the exit goes on.
void TFormMain::CloseBooks() {
    if (cb == nullptr) return;
    engine::error4exitTest(cb);
    const maintenance::Safeguards guards = CurrentSafeguards();
    if (PackOnExit) maintenance::PackDataFiles(guards.keepDeleted);
    if (guards.autoBackup) {
        const std::string why =
            maintenance::MakeAutomaticBackup(AutoBackupFolder(), platform::clock().now());
        if (!why.empty()) information(std::string(maintenance::kAutoBackupFailed) + why);
    }
    ShutDownDataStore(false);
}

}  // namespace cbk
