#pragma once

// Export of the report document as a plain text file or a tab-delimited file: one line per
// row, each ended by CR LF, in UTF-8. Page breaks and blank rows give empty lines, so every
// page header travels with its page. The spreadsheet kind writes the data rows only
// (reports/ReportCsv.h).
//
// A file is written beside its target under a temporary name, synced and renamed into place:
// a failure at any point leaves the earlier file (if any) as it was and no partial file.

#include <functional>
#include <string>
#include <string_view>

#include "data/engine/FileSystem.h"
#include "reports/ReportDocument.h"

namespace reports {

enum class ExportKind {
    Text,       // cells placed at their columns with blanks
    Delimited,  // a row's non-empty cells joined by tabs
    Csv,        // the data rows for a spreadsheet, every column in its place
};

inline constexpr std::string_view kExportTitle = "Export Report";
inline constexpr std::string_view kUnableToSave = "Unable to save to: ";
inline constexpr std::string_view kDiskFull = "The disk is full. The report was not exported.";
inline constexpr std::string_view kWriteFailed =
    "The file could not be written. The report was not exported.";
// Where the temporary file lies while it is written: the target's name with this added.
inline constexpr std::string_view kPartialSuffix = ".part";

// The save dialog's set-up for each kind.
struct ExportDialog {
    std::string title;
    std::string filter;            // "Text files (*.txt)|*.TXT"
    std::string defaultExtension;  // "txt"
};
ExportDialog ExportDialogFor(ExportKind kind);

// The output line of row `r`, without its line end (text and delimited kinds).
std::string ExportLine(const Document& doc, int r, ExportKind kind);

// The whole file's bytes.
std::string ExportBytes(const Document& doc, ExportKind kind);

struct ExportOutcome {
    bool ok = true;
    std::string message;  // for the information box when !ok; names the file
};

// Writes `bytes` to `path` through `fs`, replacing any file there only once the new one is
// complete.
ExportOutcome WriteExportFile(const std::string& bytes, const std::string& path,
                              engine::FileSystem& fs);

// Writes the document to `path` through `fs`, as WriteExportFile does.
ExportOutcome ExportReport(const Document& doc, ExportKind kind, const std::string& path,
                           engine::FileSystem& fs);

// The export command of the viewer's menu. `askFileName` shows the save dialog (asking before
// overwriting) and returns the chosen name, empty when cancelled; the current directory is set
// back afterwards, since the data files are found through it. A failure is shown in an
// information box. Returns whether a file was written.
bool ExportCommand(const Document& doc, ExportKind kind,
                   const std::function<std::string(const ExportDialog&)>& askFileName,
                   engine::FileSystem& fs);

}  // namespace reports
