#pragma once

// The report document: one grid of cells, one row per printed line, built by the report
// builders and read by the viewer, the printer and the exporters. Pagination is decided here
// while the document is built; page breaks are rows ("EJECT"), so every reader only follows
// them.
//
// Each row has a kind (title, section, heading, data, total, page break) and the document the
// kind of its report. A cell holds a value placed at a column with an alignment ("L" starts at
// the column, "R" ends at it, "C" is centred on it): a text, an amount in cents or a date. The
// builders write values; their text (the amount pattern "%13.2n" with the regional separators,
// the detail date format) is made only when a reader draws or exports them. Read as text, a
// cell is its alignment code, the column as two characters, then the text. The last cell of a
// row is its flag: "B" bold, "U" a rule under the row, empty for neither.

#include <cstdint>
#include <initializer_list>
#include <iosfwd>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "platform/DateTime.h"

namespace reports {

// The reports, as the runner names them; a document carries the one it was built for.
enum class ReportKind {
    ExpenseSummary,
    ExpenseDetail,
    ExpenseAccountDetail,
    IncomeSummary,
    IncomeDetail,
    IncomeAccountDetail,
    ExpenseChart,  // the charts of accounts
    IncomeChart,
    GeneralLedger,
    WeeklyProfit,
    MonthlyProfit,
    None,  // a document no builder has written
};

// What a row is to its report. Blank rows take the kind of the rows they stand with.
enum class RowKind : std::uint8_t {
    Title,      // the page line, the title lines and the blanks of a page's head
    Section,    // a section line, the blanks that set sections (and the grand total) apart,
                // the list of included folders
    Heading,    // the column headings and the blank above them
    Data,       // one entry, account or bucket of the report (and a memo under its entry)
    Total,      // a total or an opening balance
    PageBreak,  // "EJECT"
};

// What a data column holds, for readers that pick figures out of the rows (the graphs).
enum class ColumnRole : std::uint8_t {
    Other,
    Account,  // the account number
    AccountName,
    PeriodTotal,  // a summary's total for the period
    BucketEnd,    // a profit report's last day of the week or month
    TaxableIncome,
    DeductibleExpenses,
    NontaxableIncome,
    NondeductibleExpenses,
    NetProfit,
};

// A stored date as a number: YYYYMMDD, so that numbers order as dates do.
struct DayNumber {
    std::uint32_t yyyymmdd = 0;
};
// An amount in whole cents.
struct Cents {
    std::int64_t value = 0;
};

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

// ---- cell values ----------------------------------------------------------------------
enum class ValueType : std::uint8_t { Empty, Text, Cents, Date, Other };

// A cell as its builder wrote it. Text is the text after the prefix; Other is a cell that is
// not placed (the page break, a flag), its bytes in `text`.
struct CellValue {
    ValueType type = ValueType::Empty;
    char code = 0;
    int column = 0;
    std::string_view text;
    std::int64_t cents = 0;
    DayNumber date;
    int blanks = 0;  // a text's trailing blanks, which `text` leaves out
};

// One value a builder writes into a cell at its column: a text, cents or a date. A text is
// viewed, not copied: it must outlive the write.
class Entry {
public:
    Entry() = default;
    template <typename T>
    requires std::is_convertible_v<const T&, std::string_view> Entry(const T& text)
        : type_(ValueType::Text), text_(text) {}
    Entry(Cents cents) : type_(ValueType::Cents), cents_(cents.value) {}
    Entry(DayNumber date) : type_(ValueType::Date), date_(date.yyyymmdd) {}

    ValueType type() const { return type_; }
    std::string_view text() const { return text_; }
    std::int64_t cents() const { return cents_; }
    std::uint32_t date() const { return date_; }

private:
    ValueType type_ = ValueType::Text;
    std::string_view text_;
    std::int64_t cents_ = 0;
    std::uint32_t date_ = 0;
};

// An amount in the rules' "%13.2n": the digits with the regional separators, right-aligned
// in 13 characters, appended to `out`.
void AppendCents(std::int64_t cents, char decimalSeparator, char thousandSeparator,
                 std::string& out);

// ---- cell text ------------------------------------------------------------------------
// A cell as the document holds it: a view of its text, valid until that row is written again
// or the document is started afresh. It reads like the string a cell once was: compared with
// text, taken apart with substr (which copies), or turned into a std::string.
class CellText {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    CellText() = default;
    explicit CellText(std::string_view text) : text_(text) {}
    // A cell whose text was made for this reading (an amount, a date): held here.
    explicit CellText(std::string made) : made_(std::move(made)), owns_(true) {}

    std::string_view view() const { return owns_ ? std::string_view(made_) : text_; }
    operator std::string_view() const { return view(); }
    operator std::string() const { return std::string(view()); }
    std::string str() const { return std::string(view()); }

    bool empty() const { return view().empty(); }
    std::size_t size() const { return view().size(); }
    const char* data() const { return view().data(); }
    char operator[](std::size_t i) const { return view()[i]; }
    auto begin() const { return view().begin(); }
    auto end() const { return view().end(); }
    std::string substr(std::size_t from, std::size_t count = npos) const {
        return std::string(view().substr(from, count));
    }
    std::size_t find(std::string_view what, std::size_t from = 0) const {
        return view().find(what, from);
    }
    std::size_t rfind(std::string_view what, std::size_t from = npos) const {
        return view().rfind(what, from);
    }
    bool starts_with(std::string_view what) const { return view().starts_with(what); }

    friend bool operator==(const CellText& a, const CellText& b) { return a.view() == b.view(); }
    friend bool operator==(const CellText& a, std::string_view b) { return a.view() == b; }
    friend std::string operator+(const CellText& a, std::string_view b) {
        return std::string(a.view()).append(b);
    }
    friend std::string operator+(std::string_view a, const CellText& b) {
        return std::string(a).append(b.view());
    }
    friend std::string operator+(const CellText& a, const CellText& b) {
        return std::string(a.view()).append(b.view());
    }

protected:
    void take(CellText other) {
        text_ = other.text_;
        made_ = std::move(other.made_);
        owns_ = other.owns_;
    }

private:
    std::string_view text_;
    std::string made_;
    bool owns_ = false;
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

    RowCells(const Document* doc, const char* text, const std::uint16_t* ends, std::size_t cells)
        : doc_(doc), text_(text), ends_(ends), cells_(cells) {}

    std::size_t size() const { return cells_; }
    bool empty() const { return cells_ == 0; }
    // The cell's stored bytes.
    std::string_view bytes(std::size_t c) const {
        const std::size_t from = c == 0 ? 0 : ends_[c - 1];
        return std::string_view(text_ + from, ends_[c] - from);
    }
    // The cell as text: a text cell as stored, an amount or a date made into its text now.
    CellText operator[](std::size_t c) const;
    CellText front() const { return (*this)[0]; }
    CellText back() const { return (*this)[cells_ - 1]; }
    iterator begin() const { return {this, 0}; }
    iterator end() const { return {this, cells_}; }

private:
    const Document* doc_;
    const char* text_;
    const std::uint16_t* ends_;
    std::size_t cells_;
};

// The value a cell's stored bytes hold; `prefix` is its column's prefix, the place of the
// values written at it.
CellValue DecodeCell(std::string_view bytes, std::string_view prefix);
// The same with the prefix already taken apart.
CellValue DecodeCell(std::string_view bytes, const PlacedCell& place);

// ---- the document ---------------------------------------------------------------------
// The rows lie in one text store: a row's cells follow one another, and the row keeps where
// its text starts and where each cell ends, so a row costs its text and a few bytes, and
// writing a row allocates nothing once the store has room. The text is kept in blocks that
// never move, so the views handed out stay where they are while later rows are written.
class Document {
public:
    // Set by the builder before StartDocument.
    ReportKind report = ReportKind::None;
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
    std::vector<ColumnRole> columnRoles;                   // one per text cell, for the graphs
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
    void AddRow(RowKind kind = RowKind::Data);
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
    RowKind rowKind(int r) const { return kinds_[std::size_t(r)]; }
    CellValue value(int r, int c) const {
        return DecodeCell(resolve(row(r).bytes(std::size_t(c))), prefixOf(c));
    }
    // The prefix of text column `c` ("R50"), empty for a column without one.
    std::string_view prefixOf(int c) const;
    // A cell's own bytes: those of the text it refers to when it refers to one.
    std::string_view resolve(std::string_view stored) const;
    // The text column of `role`, or -1.
    int ColumnOf(ColumnRole role) const;

    // Replaces the text of cell `c` of row `r`.
    void SetCell(int r, int c, std::string_view text);

    // Writes a row of `kind`: the page check for `linesNeeded` more lines with headings, a new
    // row, and each value at its column's place (an empty text leaves the bare prefix, which
    // draws nothing).
    void WriteRow(int linesNeeded, std::initializer_list<Entry> values,
                  RowKind kind = RowKind::Data);

    // Sets cell `c` of the last row to `value` at its column's place.
    void WriteCell(int c, const Entry& value);

private:
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
    // Writes `value` into cell `c` of the last row, which is empty.
    void writeEmptyCell(int c, const Entry& value);
    void dropRows();

    int cells_ = 0;  // cells per row while rows are held
    std::vector<std::unique_ptr<std::uint16_t[]>> rowChunks_;
    std::vector<Block> blocks_;
    std::size_t fill_ = 0;               // bytes used in the last block
    int tailRow_ = -1;                   // the row whose text ends at the fill point
    std::uint16_t* lastEnds_ = nullptr;  // the cell ends of the last row
    std::string shortDateFormat_;
    std::vector<RowKind> kinds_;

    // Texts a report repeats (a payee on every row of the ledger) are held once: a later cell
    // of the same text refers to the first one's bytes, which never move. A small table of
    // the texts' hashes finds them again.
    struct SharedText {
        std::uint32_t at;
        std::uint16_t length;
    };
    static constexpr std::size_t kSharedSlots = 4096;
    static constexpr std::size_t kMostShared = std::size_t(1) << 16;
    std::vector<SharedText> shared_;
    std::vector<std::int32_t> sharedSlots_;
    bool sharedInTail_ = false;  // the tail row holds a shared text's bytes
};

// Makes the text of a document's cells as a reader draws them: amounts in "%13.2n" with the
// regional separators read when it is made, dates in the document's detail date format.
class CellShower {
public:
    explicit CellShower(const Document& doc);
    // Cell `c` of row `r` placed, its text made when it is an amount or a date; false for a
    // cell that draws nowhere (empty, a page break, a flag). The text is valid until the next
    // call.
    bool place(int r, int c, PlacedCell& out);
    // The same for the bytes of cell `c` of a row.
    bool place(std::string_view bytes, int c, PlacedCell& out);

private:
    const Document& doc_;
    char decimal_;
    char thousands_;
    std::vector<PlacedCell> places_;  // each text column's place, its prefix taken apart
    std::string text_;
    std::uint32_t shownDate_ = 0;
    std::string dateText_;
};

}  // namespace reports
