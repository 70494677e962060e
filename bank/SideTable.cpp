#include "bank/SideTable.h"

#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "data/engine/FileSystem.h"

namespace bank {

using namespace engine;

bool SideTableThere(std::string_view name) {
    return fileExists(cbk::DataFileSystem(), ".", std::string(name) + ".dbf");
}

Data4* OpenSideTable(std::string_view name, bool create) {
    code4autoOpen(cbk::cb, 0);
    Data4* t = nullptr;
    if (SideTableThere(name))
        t = d4open(cbk::cb, name);
    else if (create)
        t = d4create(cbk::cb, name, cbk::CreateFields(*cbk::FindBooksTable(name)));
    code4autoOpen(cbk::cb, 1);
    if (t == nullptr) cbk::TakeEngineError();
    return t;
}

bool CloseSideTable(Data4* t) {
    const bool ok = d4close(t) == 0;
    return cbk::TakeEngineError() == 0 && ok;
}

Field4* FieldOf(Data4* t, std::string_view name) {
    const int was = code4errorCode(cbk::cb, 0);
    Field4* f = d4field(t, name);
    code4errorCode(cbk::cb, was);
    return f;
}

std::string Trimmed(std::string_view text) {
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    return std::string{text};
}

}  // namespace bank
