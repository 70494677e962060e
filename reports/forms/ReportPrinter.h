#pragma once

// The report's printer, shared by the report and its graph: the printer of the page setup,
// with its orientation and no print dialog; without an installed printer, a PDF file the user
// names in the given save dialog.

#include <functional>

class QPrinter;

namespace cbk {

class TSaveDialog;

// `draw` prints on the chosen printer and says whether the print job could start; when it
// could not, the printer's or the file's name is told in an information box. Nothing happens
// when the PDF file's dialog is cancelled.
void PrintOnReportPrinter(TSaveDialog& pdfDialog, const std::function<bool(QPrinter&)>& draw);

}  // namespace cbk
