// The main window's settings: report period, fiscal year start, default folder, report font
// and page setup.

#include <QCheckBox>
#include <QFont>
#include <QLineEdit>
#include <string>

#include "app/DKRMain.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/SettingsRecord.h"
#include "maintenance/RunBooks.h"
#include "maintenance/Safeguards.h"
#include "rules/EntryRules.h"
#include "rules/FiscalYear.h"
#include "state/MainVars.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"
#include "widgets/ProgressBox.h"

namespace cbk {

namespace {

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

void TFormMain::MaskEdit3Exit() {
    if (BooksReadOnly()) return;  // the settings record cannot be written
    const auto month = fieldNumber(MaskEdit3);
    if (!month) return;
    const rules::FiscalStart start = rules::EnterFiscalMonth(*month, Settings.FyDay);
    if (!start.refused.empty()) {
        information(start.refused);
        MaskEdit3->setFocus();
        return;
    }
    Settings.FyMonth = start.month;
    if (start.day != Settings.FyDay) {
        Settings.FyDay = start.day;
        MaskEdit4->setText(QString::number(Settings.FyDay));
    }
    SaveSettings();
}

void TFormMain::MaskEdit4Exit() {
    if (BooksReadOnly()) return;  // the settings record cannot be written
    const auto day = fieldNumber(MaskEdit4);
    if (!day) return;
    const rules::FiscalStart start = rules::EnterFiscalDay(Settings.FyMonth, *day);
    if (!start.refused.empty()) {
        information(start.refused);
        MaskEdit4->setFocus();
        return;
    }
    Settings.FyDay = start.day;
    SaveSettings();
}

// ---- the business ---------------------------------------------------------------------

void TFormMain::ShowBusiness() {
    EditCompany->setText(QString::fromStdString(Settings.Company));
    EditAddress->setText(QString::fromStdString(Settings.Address));
}

void TFormMain::EditCompanyExit() {
    if (BooksReadOnly()) return;  // the settings record cannot be written
    const std::string typed = trimmed(EditCompany->text());
    if (typed == Settings.Company) return;
    Settings.Company = typed;
    SaveSettings();
}

void TFormMain::EditAddressExit() {
    if (BooksReadOnly()) return;  // the settings record cannot be written
    const std::string typed = trimmed(EditAddress->text());
    if (typed == Settings.Address) return;
    Settings.Address = typed;
    SaveSettings();
}

// ---- default folder -------------------------------------------------------------------

void TFormMain::FormPaint() {
    if (!FolderListStale) return;
    const DefaultFolderList list = ReadDefaultFolderList();
    FolderCBox->clear();
    for (const std::string& entry : list.entries)
        FolderCBox->addItem(QString::fromStdString(entry));
    if (list.recordCount < FolderIndex) FolderIndex = 0;
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
    Settings.FontName = chosen.name;
    Settings.FontSize = chosen.size;
    SaveSettings();
}

void TFormMain::BtnPSetupClick() {
    platform::printing().printerSetupDialog();
    ShowPrinter();
}

// ---- safeguards ------------------------------------------------------------------------

void TFormMain::StoreSafeguards() {
    const maintenance::Safeguards guards{CheckBox1->isChecked(), CheckBox2->isChecked()};
    const std::string file = maintenance::SafeguardsFile();
    if (!maintenance::WriteSafeguards(file, guards))
        information("The setting could not be saved in " + file + ".");
}

void TFormMain::CheckBox1Click() {
    StoreSafeguards();
}

void TFormMain::CheckBox2Click() {
    StoreSafeguards();
}

void TFormMain::CloseBooks() {
    const std::string told = maintenance::EndRun();
    if (!told.empty()) information(told);
}

}  // namespace cbk
