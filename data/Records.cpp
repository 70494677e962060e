#include "data/Records.h"

#include "data/Database.h"
#include "data/StoredForms.h"
#include "platform/Platform.h"

namespace cbk {

AccountRec CurAccount;
AccountRec CurIncAccount;
FolderRec CurFolder;
ExpenseRec CurExpense;
IncomeRec CurIncome;
SettingsRec Settings;

namespace {

// Text read as a view of the record where it can be (ASCII), so that a load builds no string
// but the buffer's own, whose room is kept from one record to the next.
void LoadText(engine::Field4* field, std::string& into) {
    std::string scratch;
    into.assign(engine::f4strView(field, scratch));
}

bool LoadDate(engine::Field4* field, platform::DateTime& date) {
    std::string scratch;
    const StoredDate stored = StoredToDate(engine::f4strView(field, scratch));
    if (stored.ok()) {
        date = stored.date;
        return true;
    }
    date = platform::clock().now();
    return false;
}

void StoreDate(engine::Field4* field, const platform::DateTime& date) {
    engine::f4assign(field, DateToStored(date));
}

bool LoadLogical(engine::Field4* field) {
    return engine::f4true(field) == 1;
}

void StoreLogical(engine::Field4* field, bool value) {
    engine::f4assign(field, value ? "T" : "F");
}

// The first `count` characters of UTF-8 text; a character is never split.
std::string FirstCharacters(const std::string& text, int count) {
    std::size_t end = 0;
    for (int seen = 0; end < text.size(); ++end) {
        const bool startsCharacter = (static_cast<unsigned char>(text[end]) & 0xC0) != 0x80;
        if (startsCharacter && seen++ == count) break;
    }
    return text.substr(0, end);
}

bool LoadAccountFrom(AccountRec& rec, engine::Field4* accNo, engine::Field4* acDesc,
                     engine::Field4* acDed) {
    rec.AccNo = engine::f4int(accNo);
    LoadText(acDesc, rec.AcDesc);
    rec.AcDed = LoadLogical(acDed);
    return true;
}

void StoreAccountTo(const AccountRec& rec, engine::Field4* accNo, engine::Field4* acDesc,
                    engine::Field4* acDed) {
    engine::f4assignInt(accNo, rec.AccNo);
    engine::f4assign(acDesc, rec.AcDesc);
    StoreLogical(acDed, rec.AcDed);
}

}  // namespace

bool LoadAccount() {
    return LoadAccountFrom(CurAccount, AccNoField, AcDescField, AcDedField);
}

void StoreAccount() {
    StoreAccountTo(CurAccount, AccNoField, AcDescField, AcDedField);
}

bool LoadIncomeAccount() {
    return LoadAccountFrom(CurIncAccount, IncAccNoField, IncAcDescField, IncAcDedField);
}

void StoreIncomeAccount() {
    StoreAccountTo(CurIncAccount, IncAccNoField, IncAcDescField, IncAcDedField);
}

bool LoadFolder() {
    CurFolder.FolNo = engine::f4int(FolNoField);
    LoadText(FolNameField, CurFolder.FolName);
    return true;
}

void StoreFolder() {
    engine::f4assignInt(FolNoField, CurFolder.FolNo);
    engine::f4assign(FolNameField, CurFolder.FolName);
}

bool LoadExpense() {
    const bool dateRead = LoadDate(ExpDateField, CurExpense.ExpDate);
    CurExpense.CheckNo = static_cast<std::int32_t>(engine::f4long(CheckNoField));
    CurExpense.AccNo = engine::f4int(ExpAccNoField);
    CurExpense.FolNo = engine::f4int(ExpFolNoField);
    LoadText(PayToField, CurExpense.PayTo);
    CurExpense.Amount = engine::f4double(AmountField);
    LoadText(EMemoField, CurExpense.EMemo);
    CurExpense.Archive = LoadLogical(ExpArchiveField);
    return dateRead;
}

void StoreExpense() {
    StoreDate(ExpDateField, CurExpense.ExpDate);
    engine::f4assignLong(CheckNoField, CurExpense.CheckNo);
    engine::f4assignInt(ExpAccNoField, CurExpense.AccNo);
    engine::f4assignInt(ExpFolNoField, CurExpense.FolNo);
    engine::f4assign(PayToField, CurExpense.PayTo);
    engine::f4assignDouble(AmountField, CurExpense.Amount);
    engine::f4assign(EMemoField, CurExpense.EMemo);
    StoreLogical(ExpArchiveField, CurExpense.Archive);
}

bool LoadIncome() {
    CurIncome.IncAcc = engine::f4int(IncAccField);
    const bool dateRead = LoadDate(IncDateField, CurIncome.IncDate);
    LoadText(IncDescField, CurIncome.IncDesc);
    CurIncome.IncAmt = engine::f4double(IncAmtField);
    CurIncome.FolNo = engine::f4int(IncFolNoField);
    CurIncome.IncImp = LoadLogical(IncImpField);
    CurIncome.Archive = LoadLogical(IncArchiveField);
    return dateRead;
}

void StoreIncome() {
    engine::f4assignInt(IncAccField, CurIncome.IncAcc);
    StoreDate(IncDateField, CurIncome.IncDate);
    engine::f4assign(IncDescField, CurIncome.IncDesc);
    engine::f4assignDouble(IncAmtField, CurIncome.IncAmt);
    engine::f4assignInt(IncFolNoField, CurIncome.FolNo);
    StoreLogical(IncImpField, CurIncome.IncImp);
    StoreLogical(IncArchiveField, CurIncome.Archive);
}

bool LoadSettings() {
    Settings.FyMonth = engine::f4int(FyMonthField);
    Settings.FyDay = engine::f4int(FyDayField);
    LoadText(FontNameField, Settings.FontName);
    Settings.FontSize = engine::f4int(FontSizeField);
    for (auto [field, text] :
         {std::pair{CompanyField, &Settings.Company}, std::pair{AddressField, &Settings.Address}}) {
        text->clear();
        if (field == nullptr) continue;
        LoadText(field, *text);
        text->erase(text->find_last_not_of(' ') + 1);
    }
    return true;
}

void StoreSettings() {
    engine::f4assignInt(FyMonthField, Settings.FyMonth);
    engine::f4assignInt(FyDayField, Settings.FyDay);
    engine::f4assign(FontNameField, FirstCharacters(Settings.FontName, kFontNameStored));
    engine::f4assignInt(FontSizeField, Settings.FontSize);
    if (CompanyField != nullptr) engine::f4assign(CompanyField, Settings.Company);
    if (AddressField != nullptr) engine::f4assign(AddressField, Settings.Address);
}

}  // namespace cbk
