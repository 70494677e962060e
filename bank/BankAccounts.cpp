#include "bank/BankAccounts.h"

#include <algorithm>
#include <cctype>

#include "bank/SideTable.h"
#include "data/StoredForms.h"
#include "data/TableCatalogue.h"

namespace bank {

using namespace engine;

namespace {

constexpr const char* kFieldNames[] = {"BANKNO", "NAME",      "KIND",    "OPENBAL", "OPENDATE",
                                       "ACCTNO", "ISDEFAULT", "STMTBAL", "STMTDATE"};

struct Fields {
    Field4 *no, *name, *kind, *opening, *date, *number, *isDefault, *statement, *statementDate;
    bool bind(Data4* t) {
        Field4** all[] = {&no,     &name,      &kind,      &opening,      &date,
                          &number, &isDefault, &statement, &statementDate};
        for (std::size_t i = 0; i < std::size(all); ++i)
            if ((*all[i] = FieldOf(t, kFieldNames[i])) == nullptr) return false;
        return true;
    }
};

std::string Folded(std::string_view text) {
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '-') out += char(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

constexpr const char* kUnreadable = "The bank accounts (BANKACCT.dbf) cannot be read";

std::optional<platform::DateTime> DateIn(Field4* f) {
    const std::string text = Trimmed(f4str(f));
    if (text.empty()) return std::nullopt;
    const cbk::StoredDate d = cbk::StoredToDate(text);
    if (!d.ok()) return std::nullopt;
    return d.date.dateOnly();
}

}  // namespace

std::int32_t BankAccounts::DefaultNo() const {
    for (const BankAccount& a : accounts)
        if (a.isDefault) return a.no;
    return accounts.empty() ? 0 : accounts.front().no;
}

const BankAccount* BankAccounts::Find(std::int32_t no) const {
    for (const BankAccount& a : accounts)
        if (a.no == no) return &a;
    return nullptr;
}

const BankAccount* BankAccounts::FindByNumber(std::string_view number) const {
    const std::string wanted = Folded(number);
    if (wanted.empty()) return nullptr;
    for (const BankAccount& a : accounts)
        if (Folded(a.number) == wanted) return &a;
    return nullptr;
}

std::int32_t BankAccounts::NextNo() const {
    std::int32_t next = 1;
    for (const BankAccount& a : accounts) next = std::max(next, a.no + 1);
    return next;
}

BankAccounts LoadBankAccounts() {
    BankAccounts out;
    if (!SideTableThere(cbk::kBankAccountsTable)) {
        out.accounts.push_back({1,
                                std::string(kStarterAccount),
                                AccountKind::Bank,
                                0,
                                std::nullopt,
                                "",
                                true,
                                {},
                                {}});
        return out;
    }
    Data4* t = OpenSideTable(cbk::kBankAccountsTable, false);
    Fields f{};
    if (t == nullptr || !f.bind(t)) {
        if (t) CloseSideTable(t);
        out.error = kUnreadable;
        return out;
    }
    for (int rc = d4top(t); rc == r4success; rc = d4skip(t, 1)) {
        if (d4deleted(t)) continue;
        BankAccount a;
        a.no = std::int32_t(f4long(f.no));
        a.name = Trimmed(f4str(f.name));
        a.kind = Trimmed(f4str(f.kind)) == "C" ? AccountKind::Card : AccountKind::Bank;
        a.opening = StoredCents(f4str(f.opening)).value_or(0);
        a.openingDate = DateIn(f.date);
        a.statementDate = DateIn(f.statementDate);
        if (a.statementDate) a.statement = StoredCents(f4str(f.statement)).value_or(0);
        a.number = Trimmed(f4str(f.number));
        a.isDefault = f4true(f.isDefault) == 1;
        if (a.no > 0) out.accounts.push_back(std::move(a));
    }
    if (!CloseSideTable(t)) out.error = kUnreadable;
    std::sort(out.accounts.begin(), out.accounts.end(),
              [](const BankAccount& a, const BankAccount& b) { return a.no < b.no; });
    return out;
}

std::string SaveBankAccounts(const std::vector<BankAccount>& accounts) {
    constexpr const char* kRefused = "The bank accounts could not be saved";
    Data4* t = OpenSideTable(cbk::kBankAccountsTable, true);
    Fields f{};
    if (t == nullptr || !f.bind(t)) {
        if (t) CloseSideTable(t);
        return kRefused;
    }
    bool ok = d4zap(t, 1, d4recCount(t)) == 0;
    for (const BankAccount& a : accounts) {
        if (!ok || (ok = d4appendBlank(t) == 0) == false) break;
        f4assignLong(f.no, a.no);
        f4assign(f.name, a.name);
        f4assign(f.kind, a.kind == AccountKind::Card ? "C" : "B");
        f4assignDouble(f.opening, double(a.opening) / 100.0);
        f4assign(f.date, a.openingDate ? cbk::DateToStored(*a.openingDate) : "");
        f4assign(f.number, a.number);
        f4assign(f.isDefault, a.isDefault ? "T" : "F");
        f4assignDouble(f.statement, a.statement ? double(*a.statement) / 100.0 : 0.0);
        f4assign(f.statementDate, a.statementDate ? cbk::DateToStored(*a.statementDate) : "");
    }
    ok = d4flush(t) == 0 && ok;
    ok = CloseSideTable(t) && ok;
    return ok ? std::string{} : kRefused;
}

std::string CheckBankAccount(const BankAccount& account, const std::vector<BankAccount>& all) {
    const std::string name = Trimmed(account.name);
    if (name.empty()) return std::string(kNeedsName);
    for (const BankAccount& other : all)
        if (other.no != account.no && Folded(other.name) == Folded(name))
            return std::string(kNameTaken) + "\"" + name + "\".";
    return {};
}

}  // namespace bank
