#pragma once

// What the builders look up in the open tables: folder names and the tax marks of accounts.
// FOLDER, ACC and ACCI are open through their openers, each with its default tag.

#include <cstdint>
#include <optional>
#include <string>

#include "rules/FiscalYear.h"

namespace reports {

// The name of folder `number` as stored (blank-padded); none when there is no such folder, so a
// number between two folders never borrows the next one's name.
std::optional<std::string> StoredFolderName(std::int32_t number);
// The same name trimmed; empty when there is no such folder.
std::string FolderName(std::int32_t number);

// Whether account `number` exists in ACC (ACCI) and is marked deductible (taxable).
bool IsDeductible(std::int32_t number);
bool IsTaxable(std::int32_t number);

// FiscalYearStart: the fiscal year of a date.
using rules::FiscalYearStart;

}  // namespace reports
