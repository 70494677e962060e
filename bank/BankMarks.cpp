#include "bank/BankMarks.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "bank/BankAccounts.h"
#include "bank/SideTable.h"
#include "data/Database.h"
#include "data/TableCatalogue.h"
#include "data/TableSession.h"
#include "data/engine/FileSystem.h"

namespace bank {

using namespace engine;

namespace {

constexpr const char* kNewMarksTable = "BANKMNEW";
constexpr const char* kUnreadable = "The bank marks (BANKMARK.dbf) cannot be read";
constexpr const char* kRefused = "The bank marks could not be saved";

Data4* TableOf(Kind kind) {
    return kind == Kind::Expense ? cbk::Expenses : cbk::Income;
}

Field4* DateOf(Kind kind) {
    return kind == Kind::Expense ? cbk::ExpDateField : cbk::IncDateField;
}

Tag4* DateTagOf(Kind kind) {
    return kind == Kind::Expense ? cbk::EDateTag : cbk::IncDateTag;
}

// yyyymmdd of a stored date; 0 for a blank one or anything that is not eight digits.
std::uint32_t DateNumber(std::string_view stored) {
    std::uint32_t n = 0;
    int digits = 0;
    for (char c : stored) {
        if (c == ' ') continue;
        if (c < '0' || c > '9') return 0;
        n = n * 10 + std::uint32_t(c - '0');
        ++digits;
    }
    return digits == 8 ? n : 0;
}

std::string DateStored(std::uint32_t date) {
    if (date == 0) return {};
    char text[12];
    std::snprintf(text, sizeof text, "%08u", date % 100'000'000U);
    return text;
}

// FNV-1a over the stored texts, each closed by a unit separator so that no two field lists
// run together into the same bytes.
std::uint64_t Fingerprint(Kind kind, std::string& scratch) {
    std::uint64_t h = 14695981039346656037ULL;
    auto add = [&](Field4* f) {
        for (unsigned char c : f4strView(f, scratch)) h = (h ^ c) * 1099511628211ULL;
        h = (h ^ 0x1f) * 1099511628211ULL;
    };
    if (kind == Kind::Expense) {
        for (Field4* f : {cbk::ExpDateField, cbk::AmountField, cbk::PayToField, cbk::CheckNoField,
                          cbk::EMemoField})
            add(f);
    } else {
        for (Field4* f : {cbk::IncDateField, cbk::IncAmtField, cbk::IncDescField}) add(f);
    }
    return h;
}

struct Fields {
    Field4 *kind, *date, *print, *occur, *bank, *cleared, *reconciled, *statement, *matched;
    bool bind(Data4* t) {
        Field4** all[] = {&kind,    &date,       &print,     &occur,  &bank,
                          &cleared, &reconciled, &statement, &matched};
        const char* names[] = {"KIND",    "RECDATE",    "FPRINT",  "OCCUR",  "BANKNO",
                               "CLEARED", "RECONCILED", "STMTAMT", "MATCHED"};
        for (std::size_t i = 0; i < std::size(all); ++i)
            if ((*all[i] = FieldOf(t, names[i])) == nullptr) return false;
        return true;
    }
    void write(const RecordKey& key, const Mark& m) const {
        char hex[17];
        std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(key.fingerprint));
        f4assign(kind, std::string(1, char(key.kind)));
        f4assign(date, DateStored(m.recordDate));
        f4assign(print, hex);
        f4assignLong(occur, key.occurrence);
        f4assignLong(bank, m.bankNo);
        f4assign(cleared, m.cleared ? "T" : "F");
        f4assign(reconciled, DateStored(m.reconciled));
        f4assignDouble(statement, m.statement ? double(*m.statement) / 100.0 : 0.0);
        f4assign(matched, m.statement ? "T" : "F");
    }
};

// The changes of one command, written in one pass.
struct Changes {
    std::vector<long> removed;       // rows to delete
    std::vector<RecordKey> written;  // entries to write (their row, or a new one)
};

void Remove(Marks& marks, const RecordKey& key, Changes& changes) {
    const Mark* m = marks.Find(key);
    if (m == nullptr) return;
    if (m->row > 0) changes.removed.push_back(m->row);
    marks.Erase(key);
}

// The marks of `kind` and `fingerprint` from occurrence `from` on move by `by` (one place
// down after a record left their run, one up after one joined it before them).
// The run moves as a whole, so the marks keep their order.
void Shift(Marks& marks, Kind kind, std::uint64_t fingerprint, std::int32_t from, int by,
           Changes& changes) {
    auto it = std::lower_bound(
        marks.byKey.begin(), marks.byKey.end(), RecordKey{kind, fingerprint, from},
        [](const std::pair<RecordKey, Mark>& m, const RecordKey& k) { return m.first < k; });
    for (;
         it != marks.byKey.end() && it->first.kind == kind && it->first.fingerprint == fingerprint;
         ++it) {
        it->first.occurrence += by;
        changes.written.push_back(it->first);
    }
}

std::string Apply(Marks& marks, const Changes& changes) {
    if (changes.removed.empty() && changes.written.empty()) return {};
    Data4* t = OpenSideTable(cbk::kBankMarksTable, true);
    Fields f{};
    if (t == nullptr || !f.bind(t)) {
        if (t) CloseSideTable(t);
        return kRefused;
    }
    bool ok = true;
    for (long row : changes.removed) ok = ok && d4go(t, row) == 0 && d4delete(t) == 0;
    for (const RecordKey& key : changes.written) {
        Mark* found = marks.Find(key);
        if (found == nullptr || !ok) continue;
        Mark& m = *found;
        if (m.row > 0)
            ok = d4go(t, m.row) == 0;
        else if ((ok = d4appendBlank(t) == 0))
            m.row = d4recNo(t);
        if (ok) f.write(key, m);
    }
    ok = d4flush(t) == 0 && ok;
    ok = CloseSideTable(t) && ok;
    return ok ? std::string{} : kRefused;
}

std::optional<RecordKey> KeyHere(Kind kind, std::string& scratch, std::uint64_t& fp) {
    Data4* t = TableOf(kind);
    if (d4deleted(t)) return std::nullopt;
    fp = Fingerprint(kind, scratch);
    return RecordKey{kind, fp, 0};
}

// The record's stored date, as the mark keeps it beside the key.
std::uint32_t StoredDateHere(Kind kind) {
    std::string scratch;
    return DateNumber(f4strView(DateOf(kind), scratch));
}

}  // namespace

namespace {

template <class V>
auto LowerBound(V& v, const RecordKey& key) {
    return std::lower_bound(v.begin(), v.end(), key,
                            [](const auto& m, const RecordKey& k) { return m.first < k; });
}

}  // namespace

const Mark* Marks::Find(const RecordKey& key) const {
    auto it = LowerBound(byKey, key);
    return it != byKey.end() && it->first == key ? &it->second : nullptr;
}

Mark* Marks::Find(const RecordKey& key) {
    auto it = LowerBound(byKey, key);
    return it != byKey.end() && it->first == key ? &it->second : nullptr;
}

Mark& Marks::Put(const RecordKey& key) {
    auto it = LowerBound(byKey, key);
    if (it == byKey.end() || !(it->first == key)) it = byKey.insert(it, {key, Mark{}});
    return it->second;
}

void Marks::Erase(const RecordKey& key) {
    auto it = LowerBound(byKey, key);
    if (it != byKey.end() && it->first == key) byKey.erase(it);
}

void Marks::Sort() {
    // A later row of the same key is the one that holds.
    std::stable_sort(byKey.begin(), byKey.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    auto last = std::unique(byKey.rbegin(), byKey.rend(),
                            [](const auto& a, const auto& b) { return a.first == b.first; });
    byKey.erase(byKey.begin(), last.base());
}

Marks LoadMarks() {
    return LoadMarksOf({});
}

Marks LoadMarksOf(const std::vector<std::uint64_t>& only) {
    Marks out;
    if (const std::string why = EnsureMarks(); !why.empty()) {
        out.error = why;
        return out;
    }
    if (!SideTableThere(cbk::kBankMarksTable)) return out;
    Data4* t = OpenSideTable(cbk::kBankMarksTable, false);
    Fields f{};
    if (t == nullptr || !f.bind(t)) {
        if (t) CloseSideTable(t);
        out.error = kUnreadable;
        return out;
    }
    if (only.empty()) out.byKey.reserve(std::size_t(d4recCount(t)));
    std::string scratch;
    for (int rc = d4top(t); rc == r4success; rc = d4skip(t, 1)) {
        if (d4deleted(t)) continue;
        RecordKey key;
        key.fingerprint = 0;
        for (char c : f4strView(f.print, scratch)) {
            const int digit = c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10;
            key.fingerprint = (key.fingerprint << 4) | std::uint64_t(digit & 0xF);
        }
        // A save or a delete needs only the runs of its record's fingerprints.
        if (!only.empty() && std::find(only.begin(), only.end(), key.fingerprint) == only.end())
            continue;
        const std::string_view kind = f4strView(f.kind, scratch);
        key.kind = !kind.empty() && kind[0] == 'I' ? Kind::Income : Kind::Expense;
        key.occurrence = std::int32_t(f4long(f.occur));
        Mark m;
        m.bankNo = std::int32_t(f4long(f.bank));
        m.cleared = f4true(f.cleared) == 1;
        m.reconciled = DateNumber(f4strView(f.reconciled, scratch));
        if (f4true(f.matched) == 1) m.statement = StoredCents(f4strView(f.statement, scratch));
        m.recordDate = DateNumber(f4strView(f.date, scratch));
        m.row = d4recNo(t);
        out.byKey.emplace_back(key, std::move(m));
    }
    if (!CloseSideTable(t)) {
        out.byKey.clear();
        out.error = kUnreadable;
    }
    // The table is written in key order; only rows changed in place since break it.
    if (!std::is_sorted(out.byKey.begin(), out.byKey.end(),
                        [](const auto& a, const auto& b) { return a.first < b.first; }))
        out.Sort();
    return out;
}

std::string ReplaceMarks(Marks& marks) {
    FileSystem& fs = cbk::DataFileSystem();
    code4safety(cbk::cb, 0);
    code4autoOpen(cbk::cb, 0);
    Data4* t = d4create(cbk::cb, kNewMarksTable,
                        cbk::CreateFields(*cbk::FindBooksTable(cbk::kBankMarksTable)));
    code4autoOpen(cbk::cb, 1);
    code4safety(cbk::cb, 1);
    Fields f{};
    if (t == nullptr || !f.bind(t)) {
        if (t) CloseSideTable(t);
        cbk::TakeEngineError();
        return kRefused;
    }
    bool ok = d4appendStart(t) == 0;
    for (auto& [key, mark] : marks.byKey) {
        if (!ok || (ok = d4appendBlank(t) == 0) == false) break;
        mark.row = d4recNo(t);
        f.write(key, mark);
    }
    ok = d4appendEnd(t) == 0 && ok;
    ok = CloseSideTable(t) && ok;
    const std::string fresh = resolvePath(fs, ".", std::string(kNewMarksTable) + ".dbf");
    if (ok) {
        const std::string live = resolvePath(fs, ".", std::string(cbk::kBankMarksTable) + ".dbf");
        ok = fs.rename(fresh, live) == 0 && fs.syncDir(".") == 0;
    }
    if (!ok) fs.remove(fresh);
    return ok ? std::string{} : kRefused;
}

namespace detail {

struct RecordWalk::State {
    Kind kind;
    Data4* table;
    Tag4* was;
    std::unordered_map<std::uint64_t, std::int32_t> seen;
    std::string scratch;
    int rc = r4eof;
    bool started = false;
};

RecordWalk::RecordWalk(Kind kind) {
    Data4* t = TableOf(kind);
    state_ = std::make_unique<State>(State{kind, t, d4tagSelected(t), {}, {}});
    d4tagSelect(t, nullptr);
    state_->seen.reserve(std::size_t(d4recCount(t)));
}

RecordWalk::~RecordWalk() {
    d4tagSelect(state_->table, state_->was);
}

bool RecordWalk::next(long& recNo, RecordKey& key) {
    State& s = *state_;
    for (;;) {
        s.rc = s.started ? d4skip(s.table, 1) : d4top(s.table);
        s.started = true;
        if (s.rc != r4success) return false;
        std::uint64_t fp = 0;
        auto here = KeyHere(s.kind, s.scratch, fp);
        if (!here) continue;
        here->occurrence = s.seen[fp]++;
        recNo = d4recNo(s.table);
        key = *here;
        return true;
    }
}

}  // namespace detail

std::vector<KeyedRecord> KeyedRecords(Kind kind) {
    Data4* t = TableOf(kind);
    std::vector<KeyedRecord> out;
    out.reserve(std::size_t(d4recCount(t)));
    Tag4* was = d4tagSelected(t);
    d4tagSelect(t, nullptr);
    std::string scratch;
    for (int rc = d4top(t); rc == r4success; rc = d4skip(t, 1)) {
        if (d4deleted(t)) continue;
        KeyedRecord r;
        r.key = {kind, Fingerprint(kind, scratch), 0};
        r.recNo = std::uint32_t(d4recNo(t));
        r.date = DateNumber(f4strView(DateOf(kind), scratch));
        r.amount = SignedAmount(kind);
        out.push_back(r);
    }
    d4tagSelect(t, was);
    // Equal fingerprints sort by record number, which gives each its place in its run.
    std::sort(out.begin(), out.end(), [](const KeyedRecord& a, const KeyedRecord& b) {
        return a.key.fingerprint != b.key.fingerprint ? a.key.fingerprint < b.key.fingerprint
                                                      : a.recNo < b.recNo;
    });
    for (std::size_t i = 1; i < out.size(); ++i)
        if (out[i].key.fingerprint == out[i - 1].key.fingerprint)
            out[i].key.occurrence = out[i - 1].key.occurrence + 1;
    return out;
}

std::vector<std::optional<RecordKey>> KeysOf(Kind kind) {
    std::vector<std::optional<RecordKey>> keys(std::size_t(d4recCount(TableOf(kind))) + 1);
    for (const KeyedRecord& r : KeyedRecords(kind))
        if (r.recNo > 0 && r.recNo < keys.size()) keys[r.recNo] = r.key;
    return keys;
}

std::optional<RecordKey> KeyOf(Kind kind, long recNo) {
    Data4* t = TableOf(kind);
    if (recNo <= 0 || recNo > d4recCount(t) || d4go(t, recNo) != 0) return std::nullopt;
    std::string scratch;
    std::uint64_t fp = 0;
    auto key = KeyHere(kind, scratch, fp);
    if (!key) return std::nullopt;
    Tag4* tag = DateTagOf(kind);
    if (tag == nullptr) {
        const auto all = KeysOf(kind);
        return std::size_t(recNo) < all.size() ? all[std::size_t(recNo)] : std::nullopt;
    }
    // A record's equals share its date: the date tag's run of that day is all there is to count.
    const std::string date = std::string(f4strView(DateOf(kind), scratch));
    Tag4* was = d4tagSelected(t);
    d4tagSelect(t, tag);
    std::int32_t before = 0;
    for (d4seek(t, date); !d4eof(t) && f4strView(DateOf(kind), scratch) == date; d4skip(t, 1)) {
        std::uint64_t other = 0;
        if (d4recNo(t) < recNo && KeyHere(kind, scratch, other) && other == fp) ++before;
    }
    d4tagSelect(t, was);
    d4go(t, recNo);
    key->occurrence = before;
    return key;
}

Before MarkBefore(Kind kind, long recNo) {
    Before out;
    out.key = KeyOf(kind, recNo);
    if (out.key) {
        const Marks marks = LoadMarksOf({out.key->fingerprint});
        if (const Mark* m = marks.Find(*out.key)) out.mark = *m;
    }
    return out;
}

std::string MarkSaved(Kind kind, long recNo, const Before& before, std::int32_t bankNo) {
    const auto key = KeyOf(kind, recNo);
    std::vector<std::uint64_t> prints;
    for (const std::optional<RecordKey>& k : {before.key, key})
        if (k) prints.push_back(k->fingerprint);
    if (prints.empty()) return {};
    Marks marks = LoadMarksOf(prints);
    if (!marks.error.empty()) return marks.error;
    Changes changes;
    if (before.key) {
        Remove(marks, *before.key, changes);
        Shift(marks, kind, before.key->fingerprint, before.key->occurrence + 1, -1, changes);
    }
    if (!key) return Apply(marks, changes);
    Shift(marks, kind, key->fingerprint, key->occurrence, +1, changes);
    if (bankNo == 0) return Apply(marks, changes);  // left without an account
    Mark m;
    if (before.mark) {
        m = *before.mark;
        m.row = 0;
        const bool sameAmount = before.key && before.key->fingerprint == key->fingerprint;
        if (!sameAmount && !m.statement) {
            m.cleared = false;
            m.reconciled = 0;
        }
    }
    m.bankNo = bankNo;
    m.recordDate = StoredDateHere(kind);
    marks.Put(*key) = std::move(m);
    changes.written.push_back(*key);
    return Apply(marks, changes);
}

std::string MarkDeleted(Kind kind, const Before& before) {
    if (!before.key) return {};
    Marks marks = LoadMarksOf({before.key->fingerprint});
    if (!marks.error.empty()) return marks.error;
    Changes changes;
    Remove(marks, *before.key, changes);
    Shift(marks, kind, before.key->fingerprint, before.key->occurrence + 1, -1, changes);
    return Apply(marks, changes);
}

std::string MarksAppended(Kind kind, const std::vector<Appended>& records) {
    if (records.empty()) return {};
    Marks marks = LoadMarks();
    if (!marks.error.empty()) return marks.error;
    const auto keys = KeysOf(kind);
    Changes changes;
    Data4* t = TableOf(kind);
    for (const Appended& a : records) {
        if (a.recNo <= 0 || std::size_t(a.recNo) >= keys.size() || !keys[std::size_t(a.recNo)])
            continue;
        const RecordKey& key = *keys[std::size_t(a.recNo)];
        d4go(t, a.recNo);
        Mark m;
        m.bankNo = a.bankNo;
        m.cleared = a.cleared;
        m.statement = a.statement;
        m.recordDate = StoredDateHere(kind);
        Mark& there = marks.Put(key);
        m.row = there.row;
        there = std::move(m);
        changes.written.push_back(key);
    }
    return Apply(marks, changes);
}

std::string MarksRecalled(Kind kind, const std::vector<long>& recNos, std::int32_t bankNo) {
    std::vector<long> sorted = recNos;
    std::sort(sorted.begin(), sorted.end());
    for (long recNo : sorted) {
        const auto key = KeyOf(kind, recNo);
        if (!key) continue;
        Marks marks = LoadMarksOf({key->fingerprint});
        if (!marks.error.empty()) return marks.error;
        Changes changes;
        Shift(marks, kind, key->fingerprint, key->occurrence, +1, changes);
        Mark m;
        m.bankNo = bankNo;
        m.recordDate = StoredDateHere(kind);
        marks.Put(*key) = std::move(m);
        changes.written.push_back(*key);
        if (std::string why = Apply(marks, changes); !why.empty()) return why;
    }
    return {};
}

std::string AssignAll(std::int32_t bankNo) {
    Marks marks;
    for (Kind kind : {Kind::Expense, Kind::Income}) {
        const auto keys = KeysOf(kind);
        Data4* t = TableOf(kind);
        for (std::size_t recNo = 1; recNo < keys.size(); ++recNo) {
            if (!keys[recNo]) continue;
            d4go(t, long(recNo));
            Mark m;
            m.bankNo = bankNo;
            m.recordDate = StoredDateHere(kind);
            marks.byKey.emplace_back(*keys[recNo], std::move(m));
        }
    }
    marks.Sort();
    return ReplaceMarks(marks);
}

std::string EnsureMarks() {
    if (SideTableThere(cbk::kBankMarksTable)) return {};
    // The walk needs both record tables; those the command does not hold are opened for it.
    std::vector<const char*> opened;
    for (auto [table, name] : {std::pair{cbk::Expenses, "EXP5"}, std::pair{cbk::Income, "INC5"}})
        if (table == nullptr && cbk::OpenTableNamed(name)) opened.push_back(name);
    const std::string why = AssignAll(LoadBankAccounts().DefaultNo());
    for (const char* name : opened) cbk::CloseTableNamed(name);
    return why;
}

Cents SignedAmount(Kind kind) {
    std::string scratch;
    if (kind == Kind::Expense)
        return -StoredCents(f4strView(cbk::AmountField, scratch)).value_or(0);
    return StoredCents(f4strView(cbk::IncAmtField, scratch)).value_or(0);
}

}  // namespace bank
