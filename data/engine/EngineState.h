#pragma once

// What the engine calls share: the engine handle, an open table with its fields, tags and
// current record, and the steps every call builds on (errors, the current record written and
// its index entries brought up to date, the close that makes a command durable). The calls
// themselves live by concern: Engine.cpp (the handle, opening, moving, appending, pack),
// EngineTags.cpp (index files and groups), EngineFields.cpp (reading and assigning fields),
// EngineCheck.cpp (the structural check), EngineNumber.cpp (number text).

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "data/engine/Dbf.h"
#include "data/engine/Engine.h"
#include "data/engine/KeyExpression.h"
#include "data/engine/Ntx.h"

namespace engine {

struct Code4 {
    FileSystem* fs = nullptr;
    std::string dir;
    std::vector<std::unique_ptr<Data4>> tables;
    int error = 0;
    std::string errorText;
    bool errTagName = true;
    bool autoOpen = true;
    bool safety = true;
    int accessMode = 0;
    bool optimizeWrite = false;
    std::function<void()> exitHandler;
};

struct Field4 {
    Data4* table = nullptr;
    FieldLayout layout;
};

struct Tag4 {
    Data4* table = nullptr;
    std::string name;  // as the group file lists it
    std::string path;
    std::unique_ptr<Ntx> ntx;
    std::optional<KeyExpression> key;
    std::optional<KeyExpression> filter;

    bool passes(const char* rec) const { return !filter || filter->evaluateBool(rec); }

    // Entries of a bulk change not yet in the index, each the key, then the record number:
    // those to go in (appended records, changed keys) and those to come out.
    std::string pending;
    std::size_t pendingCount = 0;
    std::string pendingErase;
    std::size_t pendingEraseCount = 0;
    void collect(bool erase, const char* rec, std::uint32_t n) {
        std::string& into = erase ? pendingErase : pending;
        key->evaluate(rec, into);
        into.append(reinterpret_cast<const char*>(&n), sizeof n);
        ++(erase ? pendingEraseCount : pendingCount);
    }
    void dropPending() {
        pending.clear();
        pendingCount = 0;
        pendingErase.clear();
        pendingEraseCount = 0;
    }
};

struct Data4 {
    Code4* code = nullptr;
    std::string alias;
    std::string dir;
    std::unique_ptr<Dbf> dbf;
    std::vector<std::unique_ptr<Field4>> fields;
    std::vector<std::unique_ptr<Tag4>> tags;
    Tag4* selected = nullptr;
    // The table has index files that were left shut (code4autoOpen 0): they do not follow
    // its changes.
    bool indexesShut = false;
    // Between d4appendStart and d4appendEnd: appended and changed records' index entries are
    // collected in their tags and merged at the next move in tag order, flush or close.
    bool bulk = false;
    bool pendingEntries = false;  // some tag holds collected entries

    // The current record: its number (0 before the first move, count + 1 at the end), its
    // bytes, and the bytes the file holds while it is changed.
    std::uint32_t recNo = 0;
    bool eof = false;
    bool bof = false;
    std::string rec;
    std::string old;
    bool dirty = false;
    bool isNew = false;  // appended, not yet written
    // The selected tag's cursor sits on the current record.
    bool cursorOn = false;
    std::string keyA, keyB;
};

extern const std::string kEmpty;

// Sets the pending error of the handle and returns `code`.
int setError(Code4* h, int code, std::string text);
bool sameName(std::string_view a, std::string_view b);
bool positioned(const Data4* t);
int tagError(Data4* t, Tag4* tag, int rc, const char* what);
// Writes the current record if it changed and brings every tag up to date.
int flushRecord(Data4* t);
// Called before a field or the delete mark changes: keeps the file's bytes for the tags.
int beginChange(Data4* t);
// Writes and syncs what changed, then clears the in-flux mark (see d4close).
int flushAll(Data4* t);
// Puts the entries a bulk append collected into the tags.
int mergePending(Data4* t);

// Index files of an open table (EngineTags.cpp).
int openTag(Data4* t, const std::string& name, bool readOnly, std::unique_ptr<Tag4>& out);
int bindTag(Data4* t, std::unique_ptr<Tag4> tag, const NtxHeader& head, std::unique_ptr<Tag4>& out);
int buildTag(Data4* t, const std::string& path, const NtxHeader& header, const KeyExpression& key,
             const KeyExpression* filter, std::unique_ptr<Ntx>& out);
int rebuildTags(Data4* t);
// Builds one tag's index file again from the table's records.
int rebuildTag(Data4* t, Tag4& tag);

}  // namespace engine
