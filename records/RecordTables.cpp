#include "records/RecordTables.h"

#include "data/Database.h"
#include "data/TableSession.h"
#include "platform/Platform.h"

namespace records {

using namespace engine;

void SelectNoTag(Data4* table) {
    code4errTagName(cbk::cb, 0);
    Tag4* none = d4tag(table, "");
    code4errTagName(cbk::cb, 1);
    d4tagSelect(table, none);
}

namespace {

Field4* FieldOf(RecordTable which, RecordField field) {
    if (which == RecordTable::Expenses)
        return field == RecordField::Folder ? cbk::ExpFolNoField : cbk::ExpAccNoField;
    return field == RecordField::Folder ? cbk::IncFolNoField : cbk::IncAccField;
}

// Walks the whole table in record order, calling `visit` on each record whose field holds
// `value`; returns how many were visited.
// The table is opened afresh and closed alone: the edit form that asks keeps its own tables.
template <class Visit>
long WalkMatching(RecordTable which, RecordField field, std::int32_t value, Visit visit) {
    const bool expenses = which == RecordTable::Expenses;
    long count = 0;
    {
        cbk::TableSession session({expenses ? "EXP5" : "INC5"}, cbk::TableSession::Closes::Own);
        Data4* table = expenses ? cbk::Expenses : cbk::Income;
        SelectNoTag(table);
        Field4* f = FieldOf(which, field);
        for (cbk::ResultWord = d4top(table); cbk::ResultWord == 0;
             cbk::ResultWord = d4skip(table, 1)) {
            error4exitTest(cbk::cb);
            if (f4int(f) != value) continue;
            visit(table, f);
            ++count;
        }
        error4exitTest(cbk::cb);
    }
    // A record the close could not write is an engine error, and that ends the program.
    error4exitTest(cbk::cb);
    return count;
}

}  // namespace

long RewriteRecords(RecordTable table, RecordField field, std::int32_t from, std::int32_t to) {
    return WalkMatching(table, field, from, [to](Data4*, Field4* f) { f4assignInt(f, to); });
}

long MarkRecordsDeleted(RecordTable table, RecordField field, std::int32_t value) {
    return WalkMatching(table, field, value, [](Data4* t, Field4*) { d4delete(t); });
}

namespace {

// The current record as the table holds it: its delete mark and every field.
std::vector<std::string> RecordImage(Data4* table) {
    std::vector<std::string> image{d4deleted(table) ? "*" : " "};
    for (int j = 1; j <= d4numFields(table); ++j) image.push_back(f4str(d4fieldJ(table, j)));
    return image;
}

}  // namespace

Data4* ReadyToSave(Data4* table) {
    if (Data4* ready = cbk::WithIndexes(table); ready != nullptr) return ready;
    platform::messages().show(platform::MessageKind::Warning, SaveRefusedMessage(e4full),
                              platform::Buttons::OK);
    return nullptr;
}

long StoreRecord(Data4* table, long recNo, void (*store)()) {
    // A table left without its indexes by an earlier refusal gets them back first.
    // Reopening closes the handle passed in: only the one handed back may be used.
    table = ReadyToSave(table);
    if (table == nullptr) return 0;
    if (recNo > 0) {
        d4go(table, recNo);
        error4exitTest(cbk::cb);
    } else if (d4appendBlank(table) != 0) {
        cbk::TakeEngineError();  // reported here; the form stays open
        platform::messages().show(platform::MessageKind::Warning, std::string(kAppendRefused),
                                  platform::Buttons::OK);
        return 0;
    }
    store();
    // Saved means on disk: the record is written and synced now, and a write refused on the
    // way (a read-only file, a full disk) is reported here, while the form still holds the
    // entry, instead of surfacing at the next command. The table is then opened afresh, as
    // the disk holds it.
    const long stored = d4recNo(table);
    int refused = cbk::TakeEngineError();  // a field the table would not take
    if (refused == 0) {
        const std::vector<std::string> entered = RecordImage(table);
        refused = d4flush(table);
        if (refused == 0) return stored;
        cbk::TakeEngineError();
        // Refused after the record itself was written (an index page, the header, the sync):
        // the open keeps the written record and builds the indexes again, and the save stands.
        table = cbk::ReopenAfterRefusedWrite(table);
        if (stored <= d4recCount(table) && d4go(table, stored) == 0 &&
            RecordImage(table) == entered)
            return stored;
    } else {
        cbk::ReopenAfterRefusedWrite(table);
    }
    platform::messages().show(platform::MessageKind::Warning, SaveRefusedMessage(refused),
                              platform::Buttons::OK);
    return 0;
}

std::string SaveRefusedMessage(int error) {
    std::string why = "the data files could not be written";
    if (error == e4full) why = "the disk is full";
    if (error == e4access) why = "the data files are read-only";
    return "The record could not be saved: " + why +
           ".\r\nYour entry is still on the form: save it again once that is mended, or "
           "cancel it.";
}

void DeleteRecord(Data4* table, long recNo) {
    d4go(table, recNo);
    d4delete(table);
    error4exitTest(cbk::cb);
}

bool DeleteRecordConfirmed(Data4* table, long recNo, std::string_view question) {
    if (!platform::ConfirmedDestruction(platform::MessageKind::Warning, std::string(question),
                                        platform::Buttons::YesNo))
        return false;
    DeleteRecord(table, recNo);
    return true;
}

ChoiceList BuildChoiceList(Data4* table, Field4* number, Field4* description, std::int32_t wanted) {
    ChoiceList list;
    for (cbk::ResultWord = d4top(table); cbk::ResultWord == 0; cbk::ResultWord = d4skip(table, 1)) {
        if (list.chosen < 0 && f4int(number) == wanted) list.chosen = int(list.entries.size());
        list.entries.push_back(f4str(number) + " - " + f4str(description));
    }
    if (list.chosen < 0 && !list.entries.empty()) list.chosen = 0;
    return list;
}

}  // namespace records
