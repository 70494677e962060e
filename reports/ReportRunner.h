#pragma once

// The one way a report runs: the runner opens the tables its command lists, asks for the
// account (the account variants) and the folders (all but the charts), builds into a document
// of its own, hands that document to the viewer, and closes every table, however it ends.

#include <functional>
#include <string_view>

#include "reports/FolderChoice.h"
#include "reports/ReportCommands.h"
#include "reports/ReportDocument.h"
#include "reports/ReportRequest.h"

namespace reports {

inline constexpr std::string_view kNoData = "Report contains no data.";

// What a run asks the user through.
struct ReportSeams {
    FolderDialog chooseFolders;  // TMultFol
    // TReportF: shows the document until the user closes it; the document lives that long.
    std::function<void(const Document&)> view;
    // The account pick list TPickAcc for account kind 'E' or 'I': the record number it leaves
    // (negative for Exit, 0 for New).
    std::function<long(char accountKind)> pickAccount;
};

// Runs report `kind`: its tables opened, the account choice (variants; Exit, New or a record
// that names no live account end it without a report), the folder choice (not for the charts;
// none chosen ends it), the builder, then the viewer or "Report contains no data.", and the
// tables closed. `request` brings the period, the fiscal start and the lines per page; the
// folders and the account are filled here.
//
// Once folders are chosen, the monthly profit moves the report start back to the first of its
// month, and the run keeps that start (cbk::ReportFrom) for its later reports; the main
// window's field still shows what was typed.
void RunReport(ReportKind kind, ReportRequest request, const ReportSeams& seams);

}  // namespace reports
