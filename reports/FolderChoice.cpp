#include "reports/FolderChoice.h"

#include "data/Database.h"
#include "data/StoredForms.h"
#include "platform/Platform.h"
#include "rules/EntryRules.h"

namespace reports {

using namespace engine;

std::vector<std::string> FolderDialogLines() {
    std::vector<std::string> lines;
    for (cbk::ResultWord = d4top(cbk::Folders); cbk::ResultWord == r4success;
         cbk::ResultWord = d4skip(cbk::Folders, 1)) {
        if (d4deleted(cbk::Folders)) continue;
        lines.push_back(cbk::PadNumber(f4int(cbk::FolNoField), 4) + " - " +
                        f4str(cbk::FolNameField));
    }
    return lines;
}

std::vector<std::int32_t> FoldersOfLines(const std::vector<std::string>& chosenLines) {
    std::vector<std::int32_t> folders;
    for (const std::string& line : chosenLines)
        if (const auto number = rules::ChoiceNumber(line)) folders.push_back(*number);
    return folders;
}

std::vector<std::int32_t> ChooseReportFolders(const FolderDialog& dialog) {
    int count = 0;
    std::int32_t first = 0;
    for (cbk::ResultWord = d4top(cbk::Folders); cbk::ResultWord == r4success;
         cbk::ResultWord = d4skip(cbk::Folders, 1)) {
        if (d4deleted(cbk::Folders)) continue;
        if (count++ == 0) first = f4int(cbk::FolNoField);
    }
    if (count == 0) {
        platform::messages().show(platform::MessageKind::Information, std::string(kCreateFolders),
                                  platform::Buttons::OK);
        return {};
    }
    if (count == 1) return {first};
    return dialog ? dialog() : std::vector<std::int32_t>{};
}

}  // namespace reports
