#pragma once

// The spreadsheet export (CSV): one header record from the report's column headings, then one
// record per data or total row with every text column in its place, empty cells kept. Amounts
// are written as plain numbers from their cents ("-1234.50"), dates as YYYY-MM-DD, other texts
// without the blanks around them (and after an apostrophe when they would start a formula);
// fields are quoted as RFC 4180 asks and records end with CR LF.

#include <string>
#include <string_view>
#include <vector>

#include "reports/ReportDocument.h"

namespace reports {

// One field as a spreadsheet should read it.
std::string CsvValue(const CellValue& value);

// One record: each field quoted when it holds a comma, a quote, CR or LF (quotes doubled).
std::string CsvRecord(const std::vector<std::string>& fields);

// The whole file's bytes.
std::string CsvBytes(const Document& doc);

}  // namespace reports
