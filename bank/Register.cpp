#include "bank/Register.h"

#include <algorithm>
#include <cctype>

#include "bank/SideTable.h"
#include "data/Database.h"

namespace bank {

using namespace engine;

namespace {

std::uint32_t DateNumber(std::string_view stored) {
    std::uint32_t n = 0;
    int digits = 0;
    for (char c : stored)
        if (c >= '0' && c <= '9') {
            n = n * 10 + std::uint32_t(c - '0');
            ++digits;
        }
    return digits == 8 ? n : 99'999'999U;
}

std::string Lower(std::string_view t) {
    std::string out(t);
    for (char& c : out) c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

}  // namespace

Register BuildRegister(std::int32_t bankNo, Cents opening, const Marks& marks) {
    Register reg;
    reg.opening = opening;
    std::string scratch;
    for (Kind kind : {Kind::Expense, Kind::Income}) {
        Field4* date = kind == Kind::Expense ? cbk::ExpDateField : cbk::IncDateField;
        WalkKeys(kind, [&](long recNo, const RecordKey& key) {
            const Mark* m = marks.Find(key);
            if (m == nullptr || m->bankNo != bankNo) return;
            RegisterRow row;
            row.recNo = std::uint32_t(recNo);
            row.date = DateNumber(f4strView(date, scratch));
            row.kind = kind;
            row.cleared = m->cleared;
            row.reconciled = !m->reconciled.empty();
            if (row.reconciled) row.reconciledOn = DateNumber(m->reconciled);
            row.amount = SignedAmount(kind);
            row.key = key;
            reg.rows.push_back(row);
        });
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
