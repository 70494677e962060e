#pragma once

// Reading a built report document back as figures: which rows carry data, and the amounts and
// dates in the forms the report shows them. The spreadsheet export and the charts read the
// document through these, so both show exactly what the report shows.

#include <optional>
#include <string>
#include <string_view>

#include "platform/DateTime.h"
#include "reports/ReportDocument.h"

namespace reports {

// How a report shows its amounts ("%13.2n") and dates (the detail date format).
struct ShownForms {
    char decimalSeparator = '.';
    char thousandSeparator = ',';
    std::string dateFormat = "MM/DD/YY";
    int century = 2000;  // added to a two-digit year, as the date fields do
};

// The forms of this run: the regional separators, the document's detail date format and the
// clock's century.
ShownForms ShownFormsOf(const Document& doc);

// An amount as shown ("   -1,234.50") written plainly ("-1234.50"): digits in groups of
// three, the decimal separator and the decimals. Nothing for any other text.
std::optional<std::string> PlainAmount(std::string_view shown, const ShownForms& forms);
std::optional<double> ShownAmount(std::string_view shown, const ShownForms& forms);

// A date shown in the detail date format; nothing for any other text.
std::optional<platform::DateTime> ShownDate(std::string_view shown, const ShownForms& forms);

// The text of text cell `c` of row `r` after its column prefix, blanks around it dropped;
// empty for an empty cell or one not of the code-column-text form.
std::string CellText(const Document& doc, int r, int c);

// A data row holds the report's own figures: every written text cell is in its column's place
// (its column prefix), something is written beyond the first column (so the section line is
// none), and it is no copy of a heading row. Page lines, titles, page breaks and the list of
// included folders are not data rows.
bool IsDataRow(const Document& doc, int r);

}  // namespace reports
