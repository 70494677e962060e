#include "reports/BuilderParts.h"

#include <algorithm>

#include "platform/Platform.h"
#include "reports/ReportFrame.h"
#include "rules/EntryRules.h"

namespace reports {

platform::DateTime FirstOfMonth(const platform::DateTime& date) {
    return *platform::DateTime::fromYmd(date.year(), date.month(), 1);
}

std::string Amount(double value) {
    return rules::FormatNumber("%13.2n", value);
}

std::string Trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

FolderSet::FolderSet(const std::vector<std::int32_t>& folders)
    : direct_(kDirect), folders_(folders) {
    for (std::int32_t f : folders)
        if (f >= 0 && f < kDirect) direct_[std::size_t(f)] = true;
}

bool FolderSet::contains(std::int32_t folder) const {
    if (folder >= 0 && folder < kDirect) return direct_[std::size_t(folder)];
    return std::find(folders_.begin(), folders_.end(), folder) != folders_.end();
}

void ScanProgress::step(long steps) {
    done_ += steps;
    const int percent = total_ > 0 ? int(done_ * 100 / total_) : 0;
    if (percent != shown_) platform::progress().SetProgress(shown_ = percent);
}

void ShowBuildingProgress() {
    platform::progress().ShowProgress(true, std::string(kBuildingReport));
}

void HideBuildingProgress() {
    platform::progress().ShowProgress(false, "");
}

void OpenNextSection(Document& doc) {
    if (doc.empty() || doc.CheckPage(doc.lineOnPage + 6, true)) return;
    doc.AddRow();
    doc.AddRow();
    doc.AddRow();
    doc.cell(doc.lastRow, 0) = "L00" + doc.sectionText;
    doc.AddRow();
    for (const auto& heading : doc.columnHeadings) {
        doc.AddRow();
        for (int c = 0; c < doc.cellsPerRow; ++c)
            doc.cell(doc.lastRow, c) = heading[std::size_t(c)];
    }
}

}  // namespace reports
