#pragma once

// The report commands: for each, the tables it reads (the one list the runner opens) and its
// builder.

#include <string_view>
#include <vector>

#include "reports/ReportDocument.h"
#include "reports/ReportRequest.h"

namespace reports {

// A builder fills the document from the open tables and leaves it empty when there is nothing
// to list.
struct ReportCommand {
    ReportKind kind;
    std::vector<std::string_view> tables;  // engine names, opened in this order
    void (*build)(const ReportRequest&, Document&);
    char accountKind;                   // 'E' or 'I' for the account variants, 0 for the others
    bool choosesFolders = true;         // the charts list accounts, not entries of folders
    bool startsOnFirstOfMonth = false;  // the monthly profit's buckets are whole months
};
const ReportCommand& CommandOf(ReportKind kind);

}  // namespace reports
