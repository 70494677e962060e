#include "records/AccountOps.h"

#include "data/Database.h"
#include "data/Records.h"
#include "data/StoredForms.h"
#include "platform/Platform.h"
#include "records/RecordTables.h"

namespace records {

using namespace engine;
using platform::Buttons;
using platform::Confirmed;
using platform::MessageKind;

namespace {

bool Income(AccountChart chart) {
    return chart == AccountChart::Income;
}

Field4* NumberField(AccountChart chart) {
    return Income(chart) ? cbk::IncAccNoField : cbk::AccNoField;
}

RecordTable RecordsOf(AccountChart chart) {
    return Income(chart) ? RecordTable::Income : RecordTable::Expenses;
}

// The word the messages use for the chart's records.
std::string RecordsWord(AccountChart chart) {
    return Income(chart) ? "income" : "expenses";
}

long StoreAt(AccountChart chart, long recNo, std::int32_t number, const AccountEntry& entry) {
    AccountBuffer(chart) = {number, entry.description, entry.flag};
    return StoreRecord(AccountTable(chart), recNo,
                       Income(chart) ? cbk::StoreIncomeAccount : cbk::StoreAccount);
}

// The number field refuses 0 when it is left, but a Save clicked straight from the field must
// not store an account the charts cannot hold either.
bool NumberAccepted(std::int32_t number) {
    if (number > 0) return true;
    platform::messages().show(MessageKind::Information, std::string(kAccountNumberZero),
                              Buttons::OK);
    return false;
}

// A save the disk refused (0) keeps the form open.
AccountOutcome Stored(AccountChart chart, long recNo, bool marked) {
    if (recNo == 0) return {};
    d4refresh(AccountTable(chart));
    error4exitTest(cbk::cb);
    return {AccountStep::Close, recNo, marked};
}

}  // namespace

AccountChart ChartOf(char accountKind) {
    return accountKind == 'I' ? AccountChart::Income : AccountChart::Expense;
}

Data4* AccountTable(AccountChart chart) {
    return Income(chart) ? cbk::IncomeAccounts : cbk::Accounts;
}

cbk::AccountRec& AccountBuffer(AccountChart chart) {
    return Income(chart) ? cbk::CurIncAccount : cbk::CurAccount;
}

void LoadAccountOf(AccountChart chart) {
    Income(chart) ? cbk::LoadIncomeAccount() : cbk::LoadAccount();
}

void StoreAccountOf(AccountChart chart) {
    Income(chart) ? cbk::StoreIncomeAccount() : cbk::StoreAccount();
}

std::string_view TaxCaption(AccountChart chart) {
    return Income(chart) ? "Taxable" : "Tax Deductible";
}

std::int32_t NextAccountNo(AccountChart chart) {
    cbk::ResultWord = d4bottom(AccountTable(chart));
    if (cbk::ResultWord != 0) return 1;
    return f4int(NumberField(chart)) + 1;
}

bool AccountNoFree(AccountChart chart, std::int32_t n) {
    Data4* table = AccountTable(chart);
    cbk::ResultWord = d4seek(table, cbk::PadNumber(n, 4));
    return !(cbk::ResultWord == 0 && f4int(NumberField(chart)) == n && !d4deleted(table));
}

long MoveAccount(AccountChart chart, std::int32_t oldNo, std::int32_t newNo) {
    return RewriteRecords(RecordsOf(chart), RecordField::Account, oldNo, newNo);
}

std::string AccountChangedMessage(AccountChart chart, std::int32_t oldNo, std::string_view typed) {
    const std::string old = std::to_string(oldNo);
    return "ACCOUNT NUMBER CHANGED!\r\n\r\nIf you continue, all " + RecordsWord(chart) +
           " in account " + old + " will be moved to account number " + std::string(typed) +
           " AND Account Number " + old + " will no longer exist.";
}

std::string AccountExistsMessage(AccountChart chart, std::string_view typed, std::int32_t oldNo,
                                 std::string_view description) {
    return "ACCOUNT NUMBER " + std::string(typed) + " ALREADY EXISTS." + "\r\n" + "\r\n" +
           "If you continue," + " all " + RecordsWord(chart) + " in account " +
           std::to_string(oldNo) + " will be merged into account " + std::string(typed) +
           " which will be renamed to " + std::string(description);
}

std::string DeleteAccountQuestion(AccountChart chart) {
    return "WARNING: All " + RecordsWord(chart) +
           " assigned to this account will be deleted.\r\n\r\n"
           "ARE YOU SURE YOU WANT TO DELETE THIS ACCOUNT?";
}

AccountOutcome SaveNewAccount(AccountChart chart, const AccountEntry& entry) {
    if (!NumberAccepted(entry.number)) return {};
    if (!ReadyToSave(AccountTable(chart))) return {};  // the number is sought in its index
    if (!AccountNoFree(chart, entry.number)) {
        platform::messages().show(MessageKind::Information, std::string(kAccountExists),
                                  Buttons::OK);
        return {};
    }
    const long recNo = StoreAt(chart, 0, entry.number, entry);
    if (recNo == 0) return {};
    if (Confirmed(MessageKind::Confirm, std::string(kAddAnotherAccount), Buttons::YesNo))
        return {AccountStep::AddAnother, 0, false};
    return Stored(chart, recNo, false);
}

AccountOutcome SaveExistingAccount(AccountChart chart, long recNo, std::int32_t loadedNo,
                                   const AccountEntry& entry) {
    if (!NumberAccepted(entry.number)) return {};
    if (!ReadyToSave(AccountTable(chart))) return {};  // the number is sought in its index
    if (entry.number == loadedNo)
        return Stored(chart, StoreAt(chart, recNo, loadedNo, entry), false);

    if (AccountNoFree(chart, entry.number)) {
        if (!Confirmed(MessageKind::Information,
                       AccountChangedMessage(chart, loadedNo, entry.typed), Buttons::OKCancel))
            return {};
        // The account first: when the disk refuses it, no record has moved yet.
        if (StoreAt(chart, recNo, entry.number, entry) == 0) return {};
        MoveAccount(chart, loadedNo, entry.number);
        return Stored(chart, recNo, false);
    }
    // The seek has left the table on the account that has the number already.
    const long target = d4recNo(AccountTable(chart));
    if (!Confirmed(MessageKind::Information,
                   AccountExistsMessage(chart, entry.typed, loadedNo, entry.description),
                   Buttons::OKCancel))
        return {};
    if (StoreAt(chart, recNo, entry.number, entry) == 0) return {};
    MoveAccount(chart, loadedNo, entry.number);
    DeleteRecord(AccountTable(chart), target);
    return Stored(chart, recNo, true);
}

AccountOutcome DeleteAccount(AccountChart chart, long recNo, std::int32_t loadedNo) {
    if (!platform::ConfirmedDestruction(MessageKind::Warning, DeleteAccountQuestion(chart),
                                        Buttons::YesNo))
        return {};
    MarkRecordsDeleted(RecordsOf(chart), RecordField::Account, loadedNo);
    DeleteRecord(AccountTable(chart), recNo);
    return {AccountStep::Close, 0, true};
}

}  // namespace records
