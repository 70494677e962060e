#include "reports/ReportLookups.h"

#include "data/Database.h"
#include "data/StoredForms.h"
#include "reports/BuilderParts.h"

namespace reports {

using namespace engine;

namespace {

bool flaggedAccount(Data4* table, Field4* accNo, Field4* acDed, std::int32_t number) {
    cbk::ResultWord = d4seek(table, cbk::PadNumber(number, 4));
    return cbk::ResultWord != r4eof && f4int(accNo) == number && f4true(acDed) == 1;
}

}  // namespace

std::optional<std::string> StoredFolderName(std::int32_t number) {
    cbk::ResultWord = d4seek(cbk::Folders, cbk::PadNumber(number, 4));
    if (cbk::ResultWord != r4success || f4int(cbk::FolNoField) != number) return std::nullopt;
    return f4str(cbk::FolNameField);
}

std::string FolderName(std::int32_t number) {
    const std::optional<std::string> stored = StoredFolderName(number);
    return stored ? Trimmed(*stored) : std::string();
}

bool IsDeductible(std::int32_t number) {
    return flaggedAccount(cbk::Accounts, cbk::AccNoField, cbk::AcDedField, number);
}

bool IsTaxable(std::int32_t number) {
    return flaggedAccount(cbk::IncomeAccounts, cbk::IncAccNoField, cbk::IncAcDedField, number);
}

}  // namespace reports
