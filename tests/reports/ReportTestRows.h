#pragma once

// The report document as the tests compare it: each row as its cells joined by "|", the flag
// last, so an expected document reads row by row.

#include <string>
#include <vector>

#include "reports/ReportDocument.h"

namespace reports::testing {

inline std::string RowText(const Document& doc, int r) {
    std::string line;
    int c = 0;
    for (const std::string& cell : doc.row(r)) line += (c++ ? "|" : "") + cell;
    return line;
}

inline std::vector<std::string> Rows(const Document& doc) {
    std::vector<std::string> rows;
    for (int r = 0; r < doc.rowCount(); ++r) rows.push_back(RowText(doc, r));
    return rows;
}

inline std::string Spaces(int n) {
    return std::string(std::size_t(n), ' ');
}

// The bytes of an export: each line ended by CR LF.
inline std::string ExportLines(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\r\n";
    return bytes;
}

}  // namespace reports::testing
