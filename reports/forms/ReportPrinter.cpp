#include "reports/forms/ReportPrinter.h"

#include <QPrinter>
#include <string>

#include "platform/Platform.h"
#include "platform/qt/QtPrinting.h"
#include "reports/ReportExport.h"
#include "reports/forms/ReportU.h"

namespace cbk {

namespace {

const reports::ExportDialog kPdfDialog{"Print to PDF", "PDF files (*.pdf)|*.PDF", "pdf"};

void showInformation(const std::string& text) {
    platform::messages().show(platform::MessageKind::Information, text, platform::Buttons::OK);
}

}  // namespace

void PrintOnReportPrinter(TSaveDialog& pdfDialog, const std::function<bool(QPrinter&)>& draw) {
    platform::Printing& printing = platform::printing();
    QPrinter* setup = platform::qt::PrinterOf(printing);
    if (printing.printerInstalled() && setup) {
        setup->setDocName(QStringLiteral("Report"));
        if (!draw(*setup))
            showInformation("Unable to print on: " + setup->printerName().toStdString());
        return;
    }
    const std::string name = pdfDialog.Ask(kPdfDialog);
    if (name.empty()) return;
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    if (setup) pdf.setPageLayout(setup->pageLayout());
    pdf.setDocName(QStringLiteral("Report"));
    pdf.setOutputFileName(QString::fromStdString(name));
    if (!draw(pdf)) showInformation(std::string(reports::kUnableToSave) + name);
}

}  // namespace cbk
