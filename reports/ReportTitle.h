#pragma once

// The frame every report shares around its rows: the title block's two lines and, after the
// rows of a report over several folders, the list of the folders it covers. FOLDER is open.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"
#include "reports/ReportDocument.h"

namespace reports {

inline constexpr std::string_view kIncludedFolders = "Included Folders:";

// Line 1 of the title block: the title, after the folder's name and a blank when exactly one
// folder is selected.
std::string TitleLine(std::string_view title, const std::vector<std::int32_t>& folders);
// Line 2: "for <from> through <through>" in the short date format.
std::string PeriodLine(const platform::DateTime& from, const platform::DateTime& through);

// Two blank rows of `doc`, then one row per folder: "Included Folders:" on the first, and the
// folder's stored name in column 18. Pages begun here carry no headings.
void ListIncludedFolders(Document& doc, const std::vector<std::int32_t>& folders);

}  // namespace reports
