#pragma once

// The report document: one grid of short text cells, one row per printed line, built by the
// report builders and read by the viewer, the printer and the exporters. Pagination is decided
// here while the document is built; page breaks are rows ("EJECT"), so every reader only
// follows them.
//
// A text cell is an alignment code ("L" starts at the column, "R" ends at it, "C" is centred
// on it), the column as two characters, then the text drawn unchanged. The last cell of a row
// is its flag: "B" bold, "U" a rule under the row, empty for neither.

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace reports {

inline constexpr std::string_view kEject = "EJECT";
inline constexpr std::string_view kBoldFlag = "B";
inline constexpr std::string_view kRuleFlag = "U";

// ---- pages ----------------------------------------------------------------------------
inline constexpr int kLinesWithoutPrinter = 60;

// What the printer says about a page, in its device pixels, with the report font taken.
struct PrintingFacts {
    bool printerInstalled = false;
    int pageHeight = 0;  // printable height
    int lineHeight = 0;  // height of "A"
};

// 60 without a printer; otherwise Trunc(page height / line height) - 6 (room for the printer's
// three-line top margin and a little more). A printer that reports no line height counts as
// none, rather than dividing by zero.
int LinesPerPage(const PrintingFacts& facts);

// ---- dates ----------------------------------------------------------------------------
// The detail rows' date format: the short date format upper-cased, with the first "M", "D"
// and "Y" each doubled when it stands alone ("M/d/yy" gives "MM/DD/YY").
std::string DetailDateFormat(std::string_view shortDateFormat);

// A date in a date format of either the locale's letters or the detail format's: d, dd (day),
// M, MM (month number), MMM, MMMM (month name), ddd, dddd (weekday name), yy (two-digit year),
// yyyy (whole year), letters of either case; text in single quotes is copied.
std::string FormatDate(const platform::DateTime& date, std::string_view format);

// A date in the platform's short date format, as title lines and page lines show it.
std::string ShortDate(const platform::DateTime& date);

// ---- cells ----------------------------------------------------------------------------
// A text cell taken apart. Only "L", "R" and "C" cells with a readable column are cells to
// place; the page break and empty cells are not.
struct PlacedCell {
    char code = 0;
    int column = 0;
    std::string_view text;
};
bool ParseCell(std::string_view cell, PlacedCell& out);

// The cell prefix of a column: code, then the column right-aligned in two characters.
std::string CellPrefix(char code, int column);

// ---- the document ---------------------------------------------------------------------
class Document {
public:
    // Set by the builder before StartDocument.
    int reportWidth = 0;
    int cellsPerRow = 0;

    int lastRow = -1;
    int lineOnPage = 0;
    int pageNumber = 0;
    int linesPerPage = kLinesWithoutPrinter;
    std::vector<std::string> titleLines;
    std::string sectionText;
    std::vector<std::vector<std::string>> columnHeadings;  // full rows, flag included
    std::vector<std::string> columnPrefixes;               // one per text cell
    std::string detailDateFormat;

    // Empties the rows and page counters, takes the page length and derives the detail date
    // format from the platform's short date format; the headings get one empty row.
    void StartDocument(int pageLines);

    // Appends a row of empty cells.
    void AddRow();
    // Makes room for `rows` more rows, for a builder that knows roughly how many it writes.
    void ReserveRows(long rows);

    // Starts a page when none is started yet or `neededLine` would pass the page length.
    // Returns whether it did. A page ends with an "EJECT" row (after a "U" on the closing
    // page's last row when the page carried headings) and opens with the page line, a blank,
    // the title lines in bold, a blank, the section line and, with headings, a blank and the
    // heading rows.
    bool CheckPage(int neededLine, bool withHeadings);

    // Sets the flag of the last row; nothing while the document is empty.
    void SetFlag(std::string_view flag);

    // Drops the rows, the headings and the prefixes.
    void ClearDocument();

    bool empty() const { return lastRow < 0; }
    int rowCount() const { return lastRow + 1; }
    std::span<const std::string> row(int r) const;
    const std::string& cell(int r, int c) const { return cells_[index(r, c)]; }
    std::string& cell(int r, int c) { return cells_[index(r, c)]; }
    const std::string& flag(int r) const { return cell(r, cellsPerRow - 1); }

    // Writes a data row: the page check for `linesNeeded` more lines with headings, a new row,
    // and each text cell as its column prefix followed by the text (an empty text leaves the
    // bare prefix, which draws nothing).
    void WriteRow(int linesNeeded, std::initializer_list<std::string_view> texts);

private:
    std::size_t index(int r, int c) const { return std::size_t(r) * cellsPerRow + c; }

    std::vector<std::string> cells_;  // row after row, cellsPerRow cells each
    std::string shortDateFormat_;
};

// The one report document of the run.
extern Document ReportDocument;

}  // namespace reports
