#include "bank/Register.h"

#include <algorithm>
#include <cctype>

#include "bank/SideTable.h"
#include "data/Database.h"

namespace bank {

using namespace engine;

namespace {

std::string Lower(std::string_view t) {
    std::string out(t);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

Register BuildRegister(std::int32_t bankNo, Cents opening, const Marks& marks) {
    Register reg;
    reg.opening = opening;
    // Records and marks are both in key order: one merge pairs them.
    auto mark = marks.byKey.begin();
    for (Kind kind : {Kind::Expense, Kind::Income}) {
        for (const KeyedRecord& r : KeyedRecords(kind)) {
            while (mark != marks.byKey.end() && mark->first < r.key) ++mark;
            if (mark == marks.byKey.end() || !(mark->first == r.key)) continue;
            const Mark& m = mark->second;
            if (m.bankNo != bankNo) continue;
            RegisterRow row;
            row.recNo = r.recNo;
            row.date = r.date == 0 ? 99'999'999U : r.date;
            row.kind = kind;
            row.cleared = m.cleared;
            row.reconciled = m.reconciled != 0;
            row.reconciledOn = m.reconciled;
            row.amount = r.amount;
            row.key = r.key;
            reg.rows.push_back(row);
        }
    }
    std::sort(reg.rows.begin(), reg.rows.end(), [](const RegisterRow& a, const RegisterRow& b) {
        if (a.date != b.date) return a.date < b.date;
        if (a.kind != b.kind) return a.kind == Kind::Expense;
        return a.recNo < b.recNo;
    });
    Cents balance = opening;
    for (RegisterRow& row : reg.rows) row.balance = balance += row.amount;
    return reg;
}

RowText ReadRowText(const RegisterRow& row) {
    RowText t;
    if (row.kind == Kind::Expense) {
        d4go(cbk::Expenses, long(row.recNo));
        t.date = Trimmed(f4str(cbk::ExpDateField));
        const long check = f4long(cbk::CheckNoField);
        if (check != 0) t.checkNo = std::to_string(check);
        t.payee = Trimmed(f4str(cbk::PayToField));
        t.memo = Trimmed(f4str(cbk::EMemoField));
    } else {
        d4go(cbk::Income, long(row.recNo));
        t.date = Trimmed(f4str(cbk::IncDateField));
        t.payee = Trimmed(f4str(cbk::IncDescField));
    }
    return t;
}

long FindInRegister(const Register& reg, long from, const std::string& text) {
    const std::string wanted = Lower(Trimmed(text));
    const long n = long(reg.rows.size());
    if (wanted.empty() || n == 0) return -1;
    for (long step = 0; step < n; ++step) {
        const long i = (std::max(0L, from) + step) % n;
        const RegisterRow& row = reg.rows[std::size_t(i)];
        const RowText t = ReadRowText(row);
        const Cents abs = row.amount < 0 ? -row.amount : row.amount;
        for (const std::string& cell :
             {t.payee, t.memo, t.checkNo, CentsText(abs), StoredText(abs)})
            if (Lower(cell).find(wanted) != std::string::npos) return i;
    }
    return -1;
}

}  // namespace bank
