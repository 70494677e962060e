#include "data/SettingsRecord.h"

#include "data/Database.h"
#include "data/Records.h"

namespace cbk {

void SaveSettings() {
    OpenSettings();
    StoreSettings();
    CloseTableNamed("CBK1");
}

DefaultFolderList ReadDefaultFolderList() {
    DefaultFolderList list;
    OpenFolders();
    list.entries.push_back("  -1 - No Default");
    for (ResultWord = engine::d4top(Folders); ResultWord == 0;
         ResultWord = engine::d4skip(Folders, 1)) {
        if (engine::d4deleted(Folders)) continue;
        list.entries.push_back(engine::f4str(FolNoField) + " - " + engine::f4str(FolNameField));
    }
    list.recordCount = engine::d4recCountDo(Folders);
    CloseTableNamed("FOLDER");
    return list;
}

}  // namespace cbk
