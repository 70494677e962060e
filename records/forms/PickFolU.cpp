#include "records/forms/PickFolU.h"

#include <QPushButton>

#include "data/Database.h"
#include "data/Records.h"
#include "state/MainVars.h"

namespace cbk {

TPickFol::TPickFol() : PickList("TPickFol", QStringLiteral("PickFol")) {
    BtnSelect = new QPushButton(QStringLiteral("&Select"), this);
    BtnNew = new QPushButton(QStringLiteral("&New"), this);
    BtnExit = new QPushButton(QStringLiteral("E&xit"), this);
    addButtons(BtnSelect, BtnNew, BtnExit);
}

std::vector<PickList::Column> TPickFol::columns() const {
    return {{QStringLiteral("Number"), 48, true},
            {QStringLiteral("Description"), 240},
            {QStringLiteral("RecNo"), 80, true}};
}

records::ListWalk TPickFol::walk() const {
    return records::WalkTable(Folders, FolTag, /*liveOnly=*/true, FolderChoice);
}

QStringList TPickFol::cells(std::uint32_t recNo) const {
    const FolderRec kept = CurFolder;
    engine::d4go(Folders, long(recNo));
    LoadFolder();
    QStringList texts = {QString::number(CurFolder.FolNo),
                         QString::fromStdString(CurFolder.FolName)};
    CurFolder = kept;
    return texts;
}

std::int32_t& TPickFol::choice() const {
    return FolderChoice;
}

// Whatever folder was edited last, the list starts at the top.
int TPickFol::openingRow(int, int) const {
    return 1;
}

}  // namespace cbk
