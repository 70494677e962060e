#pragma once

// The report document: one grid of short text cells, one row per printed line, built by the
// report builders and read by the viewer, the printer and the exporters. Pagination is decided
// here while the document is built; page breaks are rows ("EJECT"), so every reader only
// follows them.
//
// A text cell is an alignment code ("L" starts at the column, "R" ends at it, "C" is centred
// on it), the column as two characters, then the text drawn unchanged. The last cell of a row
// is its flag: "B" bold, "U" a rule under the row, empty for neither.

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <iterator>
#include <memory>
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

// ---- cell text ------------------------------------------------------------------------
// A cell as the document holds it: a view of its text, valid until that row is written again
// or the document is started afresh. It reads like the string a cell once was: compared with
// text, taken apart with substr (which copies), or turned into a std::string.
class CellText {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    CellText() = default;
    explicit CellText(std::string_view text) : text_(text) {}

    std::string_view view() const { return text_; }
    operator std::string_view() const { return text_; }
    operator std::string() const { return std::string(text_); }
    std::string str() const { return std::string(text_); }

    bool empty() const { return text_.empty(); }
    std::size_t size() const { return text_.size(); }
    const char* data() const { return text_.data(); }
    char operator[](std::size_t i) const { return text_[i]; }
    auto begin() const { return text_.begin(); }
    auto end() const { return text_.end(); }
    std::string substr(std::size_t from, std::size_t count = npos) const {
        return std::string(text_.substr(from, count));
    }
    std::size_t find(std::string_view what, std::size_t from = 0) const {
        return text_.find(what, from);
    }
    std::size_t rfind(std::string_view what, std::size_t from = npos) const {
        return text_.rfind(what, from);
    }
    bool starts_with(std::string_view what) const { return text_.starts_with(what); }

    friend bool operator==(const CellText& a, const CellText& b) { return a.text_ == b.text_; }
    friend bool operator==(const CellText& a, std::string_view b) { return a.text_ == b; }
    friend std::string operator+(const CellText& a, std::string_view b) {
        return std::string(a.text_).append(b);
    }
    friend std::string operator+(std::string_view a, const CellText& b) {
        return std::string(a).append(b.text_);
    }
    friend std::string operator+(const CellText& a, const CellText& b) {
        return std::string(a.text_).append(b.text_);
    }

protected:
    std::string_view text_;
};
std::ostream& operator<<(std::ostream& out, const CellText& cell);

class Document;

// A cell of a document being written: assigning to it replaces the cell's text.
class CellRef : public CellText {
public:
    CellRef(Document& doc, int row, int column);
    CellRef(const CellRef&) = default;
    CellRef& operator=(std::string_view text);
    CellRef& operator=(const CellRef& other) { return *this = other.view(); }
    CellRef& operator+=(std::string_view text);

private:
    Document* doc_;
    int row_;
    int column_;
};

// The cells of one row, flag last; a view like CellText.
class RowCells {
public:
    class iterator {
    public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = CellText;
        using difference_type = std::ptrdiff_t;
        using pointer = void;
        using reference = CellText;

        iterator() = default;
        iterator(const RowCells* row, std::size_t c) : row_(row), c_(c) {}
        CellText operator*() const { return (*row_)[c_]; }
        iterator& operator++() {
            ++c_;
            return *this;
        }
        iterator operator++(int) {
            iterator was = *this;
            ++c_;
            return was;
        }
        bool operator==(const iterator& other) const { return c_ == other.c_; }

    private:
        const RowCells* row_ = nullptr;
        std::size_t c_ = 0;
    };

    RowCells(const char* text, const std::uint16_t* ends, std::size_t cells)
        : text_(text), ends_(ends), cells_(cells) {}

    std::size_t size() const { return cells_; }
    bool empty() const { return cells_ == 0; }
    CellText operator[](std::size_t c) const {
        const std::size_t from = c == 0 ? 0 : ends_[c - 1];
        return CellText(std::string_view(text_ + from, ends_[c] - from));
    }
    CellText front() const { return (*this)[0]; }
    CellText back() const { return (*this)[cells_ - 1]; }
    iterator begin() const { return {this, 0}; }
    iterator end() const { return {this, cells_}; }

private:
    const char* text_;
    const std::uint16_t* ends_;
    std::size_t cells_;
};

// ---- the document ---------------------------------------------------------------------
// The rows lie in one text store: a row's cells follow one another, and the row keeps where
// its text starts and where each cell ends, so a row costs its text and a few bytes, and
// writing a row allocates nothing once the store has room. The text is kept in blocks that
// never move, so the views handed out stay where they are while later rows are written.
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

    // The most bytes a row holds; text beyond it is cut (a printed line is never near it).
    static constexpr std::size_t kLongestRow = 0xFFFF;

    Document() = default;
    Document(Document&&) = default;
    Document& operator=(Document&&) = default;

    // Empties the rows and page counters, takes the page length and derives the detail date
    // format from the platform's short date format; the headings get one empty row.
    void StartDocument(int pageLines);

    // Appends a row of empty cells.
    void AddRow();
    // A hint from a builder that knows roughly how many rows it writes.
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
    RowCells row(int r) const;
    CellText cell(int r, int c) const { return row(r)[std::size_t(c)]; }
    CellRef cell(int r, int c) { return CellRef(*this, r, c); }
    CellText flag(int r) const { return row(r).back(); }

    // Replaces the text of cell `c` of row `r`.
    void SetCell(int r, int c, std::string_view text);

    // Writes a data row: the page check for `linesNeeded` more lines with headings, a new row,
    // and each text cell as its column prefix followed by the text (an empty text leaves the
    // bare prefix, which draws nothing).
    void WriteRow(int linesNeeded, std::initializer_list<std::string_view> texts);

    // Sets cell `c` of the last row to its column prefix followed by `text`.
    void WriteCell(int c, std::string_view text);

private:
    std::string_view prefixOf(int c) const;
    // A row's record: where its text starts, as a block number and an offset in 32 bits, then
    // where each cell ends, counted from that start.
    static constexpr int kRowsPerChunk = 4096;
    static constexpr int kStartWords = 2;
    static constexpr unsigned kOffsetBits = 20;  // a text block holds less than 1 MiB
    static constexpr std::size_t kLargestBlock = std::size_t(1) << kOffsetBits;
    static constexpr std::size_t kMostBlocks = std::size_t(1) << (32 - kOffsetBits);
    static constexpr std::size_t kFirstBlock = std::size_t(1) << 12;

    struct Block {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;
    };

    std::uint16_t* record(int r) {
        return rowChunks_[std::size_t(r / kRowsPerChunk)].get() +
               std::size_t(r % kRowsPerChunk) * std::size_t(kStartWords + cells_);
    }
    const std::uint16_t* record(int r) const { return const_cast<Document*>(this)->record(r); }
    static std::uint32_t startOf(const std::uint16_t* record) {
        return std::uint32_t(record[0]) | std::uint32_t(record[1]) << 16;
    }
    static void setStart(std::uint16_t* record, std::uint32_t at) {
        record[0] = std::uint16_t(at);
        record[1] = std::uint16_t(at >> 16);
    }
    const char* textAt(std::uint32_t at) const {
        return blocks_[at >> kOffsetBits].bytes.get() + (at & (kLargestBlock - 1));
    }
    std::uint32_t fillPoint() const {
        return std::uint32_t(blocks_.size() - 1) << kOffsetBits | std::uint32_t(fill_);
    }

    // Makes room for `bytes` more after the tail row (strictly inside the block, so that a row
    // always starts within one), moving the row to a new block if need be. False only when
    // the text has reached its limit of kMostBlocks blocks.
    bool makeRoom(std::size_t bytes);
    // Appends `a` and `b` to cell `c` of the last row.
    void append(int c, std::string_view a, std::string_view b = {});
    void dropRows();

    int cells_ = 0;  // cells per row while rows are held
    std::vector<std::unique_ptr<std::uint16_t[]>> rowChunks_;
    std::vector<Block> blocks_;
    std::size_t fill_ = 0;               // bytes used in the last block
    int tailRow_ = -1;                   // the row whose text ends at the fill point
    std::uint16_t* lastEnds_ = nullptr;  // the cell ends of the last row
    std::string shortDateFormat_;
};

}  // namespace reports
