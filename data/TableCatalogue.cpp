#include "data/TableCatalogue.h"

#include <algorithm>
#include <cctype>

#include "data/Database.h"

namespace cbk {

const std::vector<TableSpec>& TableCatalogue() {
    // COMPANY and ADDRESS of the settings table hold the business's name and address; a
    // settings table from outside may lack them. The default-folder list takes the first four
    // characters of FOLNO's text, so a folder table from outside must have it four wide exactly.
    static const std::vector<TableSpec> tables = {
        {"CBK1",
         {{"FYMONTH", 'N', 2, 0, 2, false, &FyMonthField},
          {"FYDAY", 'N', 2, 0, 2, false, &FyDayField},
          {"FONTNAME", 'C', 60, 0, 1, false, &FontNameField},
          {"FONTSIZE", 'N', 3, 0, 1, false, &FontSizeField},
          {"COMPANY", 'C', 40, 0, 0, false, &CompanyField},
          {"ADDRESS", 'C', 60, 0, 0, false, &AddressField}},
         nullptr,
         {},
         0,
         0,
         0,
         &SettingsTable,
         {false, true, false, WhenBackupLacks::Keep, WhenReplaced::Keep, WhenReplaced::Keep, 0,
          nullptr}},
        {"ACC",
         {{"ACCNO", 'N', 4, 0, 4, false, &AccNoField},
          {"ACDESC", 'C', 30, 0, 30, false, &AcDescField},
          {"ACDED", 'L', 1, 0, 1, false, &AcDedField}},
         "Acc",
         {{"AccTag", "AccTag", "STR(ACCNO, 4)", &AccTag}},
         35,
         4,
         95,
         &Accounts,
         {true, true, false, WhenBackupLacks::Refuse, WhenReplaced::Own, WhenReplaced::Own, 30,
          "expense account"}},
        {"ACCI",
         {{"ACCNO", 'N', 4, 0, 4, false, &IncAccNoField},
          {"ACDESC", 'C', 30, 0, 30, false, &IncAcDescField},
          {"ACDED", 'L', 1, 0, 1, false, &IncAcDedField}},
         "AccI",
         {{"AccITag", "AcciTag", "STR(ACCNO, 4)", &AcciTag}},
         45,
         5,
         100,
         &IncomeAccounts,
         {true, true, false, WhenBackupLacks::Refuse, WhenReplaced::Own, WhenReplaced::Own, 40,
          "income account"}},
        {"FOLDER",
         {{"FOLNO", 'N', 4, 0, 4, true, &FolNoField},
          {"FOLNAME", 'C', 30, 0, 30, false, &FolNameField}},
         "Folder",
         {{"FolTag", "FolTag", "FOLNO", &FolTag}},
         50,
         2,
         50,
         &Folders,
         {true, true, false, WhenBackupLacks::Refuse, WhenReplaced::Own, WhenReplaced::Own, 50,
          "folder"}},
        {"EXP5",
         {{"EXPDATE", 'D', 8, 0, 8, false, &ExpDateField},
          {"CHECKNO", 'N', 8, 0, 8, false, &CheckNoField},
          {"ACCNO", 'N', 4, 0, 4, false, &ExpAccNoField},
          {"FOLNO", 'N', 4, 0, 4, false, &ExpFolNoField},
          {"PAYTO", 'C', 30, 0, 30, false, &PayToField},
          {"AMOUNT", 'N', 10, 2, 10, false, &AmountField},
          {"EMEMO", 'C', 30, 0, 30, false, &EMemoField},
          {"ARCHIVE", 'L', 1, 0, 1, false, &ExpArchiveField}},
         "exp5",
         {{"EDate", "eDate", "DTOS(EXPDATE) + STR(ACCNO,4)", &EDateTag},
          {"EAcc", "eAcc", "STR(ACCNO,4) + DTOS(EXPDATE)", &EAccTag}},
         80,
         3,
         90,
         &Expenses,
         {true, true, false, WhenBackupLacks::Refuse, WhenReplaced::Own, WhenReplaced::Own, 90,
          "expense"}},
        {"INC5",
         {{"INCACC", 'N', 4, 0, 4, false, &IncAccField},
          {"INCIMP", 'L', 1, 0, 1, false, &IncImpField},
          {"INCDATE", 'D', 8, 0, 8, false, &IncDateField},
          {"INCDESC", 'C', 30, 0, 30, false, &IncDescField},
          {"INCAMT", 'N', 10, 2, 10, false, &IncAmtField},
          {"FOLNO", 'N', 4, 0, 4, false, &IncFolNoField},
          {"ARCHIVE", 'L', 1, 0, 1, false, &IncArchiveField}},
         "INC5",
         {{"IncDate", "IncDate", "DTOS(INCDATE)", &IncDateTag},
          {"IncAcc", "IncAcc", "Str(IncAcc,4,0)+DTOS(INCDATE)", &IncAccTag}},
         100,
         1,
         40,
         &Income,
         {true, true, false, WhenBackupLacks::Refuse, WhenReplaced::Own, WhenReplaced::Own, 100,
          "income record"}},
    };
    return tables;
}

const std::vector<TableSpec>& SideTables() {
    // The statement ids are keyed by the bank's transaction id, not by record number, and a
    // recovery table holds whole copies of the records removed: a pack, an archive or a
    // restore that renumbers or rewrites the record tables leaves both true. The ids describe
    // the records the imports wrote, so they go when those records are replaced wholesale; the
    // recovery tables hold what is no longer in the books and stay unless a backup brings its
    // own. The rules for imported lines name accounts and folders, not records: they stay
    // through every command that replaces records, and a rule whose account has gone is
    // skipped where it would be used.
    static const std::vector<TableSpec> tables = {
        {kStatementIdsTable,
         {{"FITID", 'C', 120, 0, 0, false, nullptr}, {"IMPORTED", 'D', 8, 0, 0, false, nullptr}},
         nullptr,
         {},
         0,
         0,
         0,
         nullptr,
         {true, true, true, WhenBackupLacks::Clear, WhenReplaced::Clear, WhenReplaced::Clear, 0,
          nullptr}},
        {kImportRulesTable,
         {{"TEXTIN", 'C', 1, 0, 0, false, nullptr},
          {"MATCH", 'C', 1, 0, 0, false, nullptr},
          {"PATTERN", 'C', 60, 0, 0, false, nullptr},
          {"MINAMT", 'N', 10, 2, 0, false, nullptr},
          {"MAXAMT", 'N', 10, 2, 0, false, nullptr},
          {"KIND", 'C', 1, 0, 0, false, nullptr},
          {"ACCNO", 'N', 4, 0, 0, false, nullptr},
          {"FOLNO", 'N', 4, 0, 0, false, nullptr}},
         nullptr,
         {},
         0,
         0,
         0,
         nullptr,
         {true, true, true, WhenBackupLacks::Keep, WhenReplaced::Keep, WhenReplaced::Keep, 0,
          nullptr}},
        // The scheduled entries refer to accounts and folders only, never to records, so
        // they outlive erase and upgrade, and a backup made before them leaves them in place.
        // The row numbered 0 holds, in START, the day of the last Due check of these books;
        // DONE is a schedule's latest date entered or skipped from the Due list.
        {kSchedulesTable,
         {{"SCHID", 'N', 6, 0, 0, false, nullptr},
          {"KIND", 'C', 1, 0, 0, false, nullptr},
          {"REPEAT", 'C', 1, 0, 0, false, nullptr},
          {"EVERY", 'N', 2, 0, 0, false, nullptr},
          {"DAY", 'N', 2, 0, 0, false, nullptr},
          {"START", 'D', 8, 0, 0, false, nullptr},
          {"ENDDATE", 'D', 8, 0, 0, false, nullptr},
          {"TIMES", 'N', 4, 0, 0, false, nullptr},
          {"ACCNO", 'N', 4, 0, 0, false, nullptr},
          {"FOLNO", 'N', 4, 0, 0, false, nullptr},
          {"PAYEE", 'C', 30, 0, 0, false, nullptr},
          {"AMOUNT", 'N', 10, 2, 0, false, nullptr},
          {"CHECKNO", 'N', 8, 0, 0, false, nullptr},
          {"MEMO", 'C', 30, 0, 0, false, nullptr},
          {"DONE", 'D', 8, 0, 0, false, nullptr},
          {"BANKNO", 'N', 4, 0, 0, false, nullptr}},
         nullptr,
         {},
         0,
         0,
         0,
         nullptr,
         {true, true, true, WhenBackupLacks::Keep, WhenReplaced::Keep, WhenReplaced::Keep, 0,
          nullptr}},
        {kExpenseRecoveryTable,
         {},
         nullptr,
         {},
         0,
         0,
         0,
         nullptr,
         {true, true, true, WhenBackupLacks::Keep, WhenReplaced::Keep, WhenReplaced::Keep, 0,
          nullptr}},
        {kIncomeRecoveryTable,
         {},
         nullptr,
         {},
         0,
         0,
         0,
         nullptr,
         {true, true, true, WhenBackupLacks::Keep, WhenReplaced::Keep, WhenReplaced::Keep, 0,
          nullptr}},
        // The bank and card accounts name no record: they outlive erase and upgrade, and a
        // backup made before them leaves them in place. Books without the table have the one
        // account "Checking".
        {kBankAccountsTable,
         {{"BANKNO", 'N', 4, 0, 0, false, nullptr},
          {"NAME", 'C', 30, 0, 0, false, nullptr},
          {"KIND", 'C', 1, 0, 0, false, nullptr},
          {"OPENBAL", 'N', 12, 2, 0, false, nullptr},
          {"OPENDATE", 'D', 8, 0, 0, false, nullptr},
          {"ACCTNO", 'C', 34, 0, 0, false, nullptr},
          {"ISDEFAULT", 'L', 1, 0, 0, false, nullptr},
          {"STMTBAL", 'N', 12, 2, 0, false, nullptr},
          {"STMTDATE", 'D', 8, 0, 0, false, nullptr}},
         nullptr,
         {},
         0,
         0,
         0,
         nullptr,
         {true, true, true, WhenBackupLacks::Keep, WhenReplaced::Keep, WhenReplaced::Keep, 0,
          nullptr}},
        // Which bank account each expense and income record moved through, and its cleared and
        // reconciled marks, keyed by the record's own fields (see bank/BankMarks.h), so that
        // pack, archive and renumbering leave it true. It describes the records, so it goes
        // when they are replaced wholesale and when a backup brings records without it.
        {kBankMarksTable,
         {{"KIND", 'C', 1, 0, 0, false, nullptr},
          {"RECDATE", 'D', 8, 0, 0, false, nullptr},
          {"FPRINT", 'C', 16, 0, 0, false, nullptr},
          {"OCCUR", 'N', 6, 0, 0, false, nullptr},
          {"BANKNO", 'N', 4, 0, 0, false, nullptr},
          {"CLEARED", 'L', 1, 0, 0, false, nullptr},
          {"RECONCILED", 'D', 8, 0, 0, false, nullptr},
          {"STMTAMT", 'N', 12, 2, 0, false, nullptr},
          {"MATCHED", 'L', 1, 0, 0, false, nullptr}},
         nullptr,
         {},
         0,
         0,
         0,
         nullptr,
         {true, true, true, WhenBackupLacks::Clear, WhenReplaced::Clear, WhenReplaced::Clear, 0,
          nullptr}},
    };
    return tables;
}

std::vector<const TableSpec*> BooksTables() {
    std::vector<const TableSpec*> tables;
    for (const TableSpec& table : TableCatalogue()) tables.push_back(&table);
    for (const TableSpec& table : SideTables()) tables.push_back(&table);
    return tables;
}

std::vector<const TableSpec*> CopiedTables() {
    std::vector<const TableSpec*> tables;
    for (const TableSpec* table : BooksTables())
        if (table->policy.copied) tables.push_back(table);
    return tables;
}

std::vector<const TableSpec*> AutomaticBackupTables() {
    std::vector<const TableSpec*> tables;
    for (const TableSpec* table : BooksTables())
        if (table->policy.automatic) tables.push_back(table);
    return tables;
}

std::vector<const TableSpec*> ClearedWithRecords(bool erase) {
    std::vector<const TableSpec*> tables;
    for (const TableSpec* table : BooksTables())
        if ((erase ? table->policy.erase : table->policy.upgrade) == WhenReplaced::Clear)
            tables.push_back(table);
    return tables;
}

namespace {

bool SameName(std::string_view have, std::string_view name) {
    return have.size() == name.size() &&
           std::equal(have.begin(), have.end(), name.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) ==
                      std::toupper(static_cast<unsigned char>(b));
           });
}

}  // namespace

const TableSpec* FindTable(std::string_view name) {
    for (const TableSpec& table : TableCatalogue())
        if (SameName(table.name, name)) return &table;
    return nullptr;
}

const TableSpec* FindBooksTable(std::string_view name) {
    for (const TableSpec* table : BooksTables())
        if (SameName(table->name, name)) return table;
    return nullptr;
}

std::vector<const TableSpec*> IndexedTables() {
    std::vector<const TableSpec*> tables;
    for (const TableSpec& table : TableCatalogue())
        if (table.group != nullptr) tables.push_back(&table);
    return tables;
}

std::vector<const TableSpec*> TablesInPackOrder() {
    std::vector<const TableSpec*> tables;
    for (const TableSpec& table : TableCatalogue())
        if (table.packStep > 0) tables.push_back(&table);
    std::sort(tables.begin(), tables.end(),
              [](const TableSpec* a, const TableSpec* b) { return a->packStep < b->packStep; });
    return tables;
}

std::vector<engine::Field4Info> CreateFields(const TableSpec& table) {
    std::vector<engine::Field4Info> fields;
    for (const FieldSpec& f : table.fields) fields.push_back({f.name, f.type, f.len, f.dec});
    return fields;
}

std::vector<engine::Tag4Info> CreateTags(const TableSpec& table) {
    std::vector<engine::Tag4Info> tags;
    for (const TagSpec& t : table.tags) tags.push_back({t.name, t.expression, kNotDeleted});
    return tags;
}

std::vector<std::string> IndexFilesOf(const TableSpec& table) {
    std::vector<std::string> files;
    for (const TagSpec& t : table.tags) files.push_back(std::string(t.name) + ".ntx");
    if (table.group != nullptr) files.push_back(std::string(table.group) + ".cgp");
    return files;
}

}  // namespace cbk
