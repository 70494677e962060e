#include "data/SettingsRecord.h"

#include "data/Database.h"
#include "data/Records.h"
#include "data/TableSession.h"

namespace cbk {

void SaveSettings() {
    TableSession session({"CBK1"}, TableSession::Closes::Own);
    StoreSettings();
}

DefaultFolderList ReadDefaultFolderList() {
    DefaultFolderList list;
    TableSession session({"FOLDER"}, TableSession::Closes::Own);
    list.entries.push_back("  -1 - No Default");
    for (ResultWord = engine::d4top(Folders); ResultWord == 0;
         ResultWord = engine::d4skip(Folders, 1)) {
        if (engine::d4deleted(Folders)) continue;
        list.entries.push_back(engine::f4str(FolNoField) + " - " + engine::f4str(FolNameField));
    }
    list.recordCount = engine::d4recCountDo(Folders);
    return list;
}

}  // namespace cbk
