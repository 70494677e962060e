#pragma once

// Reading a built report document back: which rows carry the report's own figures, and a
// cell's text as the report shows it.

#include <string>

#include "reports/ReportDocument.h"

namespace reports {

// The text of text cell `c` of row `r` as the report shows it, after its column prefix,
// blanks around it dropped; empty for an empty cell or one drawn nowhere.
std::string CellText(const Document& doc, int r, int c);

// A row of the report's own figures: a data row or a total. Page lines, titles, headings,
// section lines, page breaks and the list of included folders are none.
bool IsDataRow(const Document& doc, int r);

}  // namespace reports
