#include "reports/ReportTitle.h"

#include <optional>

#include "reports/ReportLookups.h"

namespace reports {

std::string TitleLine(std::string_view title, const std::vector<std::int32_t>& folders) {
    if (folders.size() == 1) return FolderName(folders.front()) + " " + std::string(title);
    return std::string(title);
}

std::string PeriodLine(const platform::DateTime& from, const platform::DateTime& through) {
    return "for " + ShortDate(from) + " through " + ShortDate(through);
}

void ListIncludedFolders(Document& doc, const std::vector<std::int32_t>& folders) {
    doc.AddRow(RowKind::Section);
    doc.AddRow(RowKind::Section);
    bool first = true;
    for (std::int32_t folder : folders) {
        doc.CheckPage(doc.lineOnPage + 1, false);
        doc.AddRow(RowKind::Section);
        if (first) doc.SetCell(doc.lastRow, 0, "L00" + std::string(kIncludedFolders));
        first = false;
        if (const std::optional<std::string> name = StoredFolderName(folder))
            doc.SetCell(doc.lastRow, 1, "L18" + *name);
    }
}

}  // namespace reports
