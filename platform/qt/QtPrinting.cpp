#include "platform/qt/QtPrinting.h"

#include <QApplication>
#include <QFont>
#include <QFontDialog>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSetupDialog>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

namespace platform::qt {

QtPrinting::QtPrinting() : printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    const QPrinterInfo fallback = QPrinterInfo::defaultPrinter();
    if (!fallback.isNull() && printer_->printerName().isEmpty())
        printer_->setPrinterName(fallback.printerName());
}

QtPrinting::~QtPrinting() = default;

bool QtPrinting::printerInstalled() {
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

int QtPrinting::printerIndex() {
    if (printer_->outputFormat() != QPrinter::NativeFormat) return -1;
    return int(QPrinterInfo::availablePrinterNames().indexOf(printer_->printerName()));
}

std::string QtPrinting::printerEntry() {
    return printer_->printerName().toStdString();
}

bool QtPrinting::landscape() {
    return printer_->pageLayout().orientation() == QPageLayout::Landscape;
}

int QtPrinting::pageWidth() {
    return printerInstalled() ? printer_->width() : 0;
}

int QtPrinting::pageHeight() {
    return printerInstalled() ? printer_->height() : 0;
}

// QFontMetrics on the printer itself, so the height is in the printer's pixels at its
// resolution, as the report will be drawn there.
int QtPrinting::lineHeight(const FontSpec& font) {
    if (!printerInstalled()) return 0;
    return QFontMetrics(toQFont(font), printer_.get()).height();
}

void QtPrinting::printerSetupDialog() {
    QWidget* parent = QApplication::activeWindow();
    if (printerInstalled()) {
        QPrintDialog dialog(printer_.get(), parent);
        dialog.setWindowTitle(QStringLiteral("Print Setup"));
        dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
        dialog.exec();
    } else {
        // Without a printer only the paper and its orientation can be set.
        QPageSetupDialog dialog(printer_.get(), parent);
        dialog.exec();
    }
}

bool QtPrinting::fontDialog(FontSpec& font) {
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, toQFont(font), QApplication::activeWindow(),
                                              QStringLiteral("Font"));
    if (ok) font = toFontSpec(chosen, font.colour);
    return ok;
}

QPrinter* PrinterOf(Printing& printing) {
    auto* qt = dynamic_cast<QtPrinting*>(&printing);
    return qt ? &qt->printer() : nullptr;
}

QFont toQFont(const FontSpec& attributes) {
    QFont font(QString::fromStdString(attributes.name));
    if (attributes.size > 0) font.setPointSize(attributes.size);
    font.setBold(attributes.bold);
    font.setItalic(attributes.italic);
    font.setUnderline(attributes.underline);
    font.setStrikeOut(attributes.strikeOut);
    return font;
}

FontSpec toFontSpec(const QFont& font, std::uint32_t colour) {
    FontSpec attributes;
    attributes.name = font.family().toStdString();
    attributes.size = font.pointSize();
    attributes.bold = font.bold();
    attributes.italic = font.italic();
    attributes.underline = font.underline();
    attributes.strikeOut = font.strikeOut();
    attributes.colour = colour;
    return attributes;
}

}  // namespace platform::qt
