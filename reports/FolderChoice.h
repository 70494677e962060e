#pragma once

// The choice of the folders a report covers. FOLDER is open with its default tag.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace reports {

inline constexpr std::string_view kCreateFolders = "Create folders before running reports";

// The lines of the folder dialog: each live folder in number order as its number right-aligned
// in four characters, " - " and its stored name.
std::vector<std::string> FolderDialogLines();

// The folder numbers of the chosen dialog lines, in list order.
std::vector<std::int32_t> FoldersOfLines(const std::vector<std::string>& chosenLines);

// The folder dialog (TMultFol): the folders chosen, in list order; none when cancelled.
using FolderDialog = std::function<std::vector<std::int32_t>()>;

// The folders a report covers, in the order chosen; none when no report is to run. With no
// live folder, "Create folders before running reports" is shown; a single folder is taken
// without asking; otherwise `dialog` is asked.
std::vector<std::int32_t> ChooseReportFolders(const FolderDialog& dialog);

}  // namespace reports
