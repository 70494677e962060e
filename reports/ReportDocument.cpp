#include "reports/ReportDocument.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstring>
#include <ostream>
#include <type_traits>

#include "data/StoredForms.h"
#include "platform/Platform.h"

namespace reports {

int LinesPerPage(const PrintingFacts& facts) {
    if (!facts.printerInstalled || facts.lineHeight <= 0) return kLinesWithoutPrinter;
    return facts.pageHeight / facts.lineHeight - 6;
}

// ---- dates ----------------------------------------------------------------------------
namespace {

char upper(char c) {
    return char(std::toupper(static_cast<unsigned char>(c)));
}

std::string twoDigits(int n) {
    return std::string{char('0' + n / 10 % 10), char('0' + n % 10)};
}

constexpr std::array<const char*, 12> kMonthNames = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};
constexpr std::array<const char*, 7> kDayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                  "Thursday", "Friday", "Saturday"};

std::string named(const char* name, int run) {
    return run == 3 ? std::string(name, 3) : std::string(name);
}

}  // namespace

std::string DetailDateFormat(std::string_view shortDateFormat) {
    std::string format;
    for (char c : shortDateFormat) format += upper(c);
    for (char letter : {'M', 'D', 'Y'}) {
        const std::size_t at = format.find(letter);
        if (at == std::string::npos) continue;
        if (at + 1 < format.size() && format[at + 1] == letter) continue;
        format.insert(at, 1, letter);
    }
    return format;
}

std::string FormatDate(const platform::DateTime& date, std::string_view format) {
    std::string out;
    for (std::size_t i = 0; i < format.size();) {
        const char c = format[i];
        if (c == '\'') {
            const std::size_t close = format.find('\'', i + 1);
            if (close == i + 1) {
                out += '\'';  // '' is a quote
            } else {
                out.append(format.substr(i + 1, close == std::string_view::npos
                                                    ? std::string_view::npos
                                                    : close - i - 1));
            }
            if (close == std::string_view::npos) break;
            i = close + 1;
            continue;
        }
        const char letter = upper(c);
        if (letter != 'D' && letter != 'M' && letter != 'Y') {
            out += c;
            ++i;
            continue;
        }
        int run = 0;
        while (i < format.size() && upper(format[i]) == letter) ++run, ++i;
        if (letter == 'D') {
            if (run >= 3) {
                const auto weekday = std::chrono::weekday{date.day}.c_encoding();
                out += named(kDayNames[weekday], run);
            } else {
                out += run == 1 ? std::to_string(date.dayOfMonth()) : twoDigits(date.dayOfMonth());
            }
        } else if (letter == 'M') {
            if (run >= 3)
                out += named(kMonthNames[date.month() - 1], run);
            else
                out += run == 1 ? std::to_string(date.month()) : twoDigits(date.month());
        } else {
            out += run <= 2 ? twoDigits(date.year() % 100) : std::to_string(date.year());
        }
    }
    return out;
}

std::string ShortDate(const platform::DateTime& date) {
    return FormatDate(date, platform::regional().settings().shortDateFormat);
}

// ---- cells ----------------------------------------------------------------------------
bool ParseCell(std::string_view cell, PlacedCell& out) {
    if (cell.size() < 3) return false;
    const char code = cell[0];
    if (code != 'L' && code != 'R' && code != 'C') return false;
    int column = 0;
    bool digits = false;
    for (char c : cell.substr(1, 2)) {
        if (c == ' ' && !digits) continue;
        if (c < '0' || c > '9') return false;
        column = column * 10 + (c - '0');
        digits = true;
    }
    if (!digits) return false;
    out = {code, column, cell.substr(3)};
    return true;
}

std::string CellPrefix(char code, int column) {
    return code + cbk::PadNumber(column, 2);
}

std::ostream& operator<<(std::ostream& out, const CellText& cell) {
    return out << cell.view();
}

// ---- cell values ----------------------------------------------------------------------
namespace {

// A value cell's bytes: its mark, then the value. It stands at its column's prefix. The marks
// are control characters no text cell starts with.
constexpr char kCentsMark = '\x01';   // then the cents, zigzag, 7 bits a byte
constexpr char kDateMark = '\x02';    // then YYYYMMDD in four little-endian bytes
constexpr char kTextMark = '\x03';    // then the count of trailing blanks, then the text
constexpr char kSharedMark = '\x04';  // then the number of a shared text, 7 bits a byte

std::uint32_t readDate(const char* bytes) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(bytes[i]);
    return v;
}

bool readCents(std::string_view bytes, std::int64_t& cents) {
    std::uint64_t zigzag = 0;
    int shift = 0;
    for (const char c : bytes) {
        if (shift > 63) return false;
        zigzag |= std::uint64_t(static_cast<unsigned char>(c) & 0x7F) << shift;
        shift += 7;
    }
    cents = std::int64_t(zigzag >> 1) ^ -std::int64_t(zigzag & 1);
    return !bytes.empty();
}

}  // namespace

CellValue DecodeCell(std::string_view bytes, std::string_view prefix) {
    PlacedCell place;
    if (!bytes.empty() && bytes[0] >= kCentsMark && bytes[0] <= kTextMark &&
        !ParseCell(prefix, place))
        place = {'L', 0, {}};
    return DecodeCell(bytes, place);
}

CellValue DecodeCell(std::string_view bytes, const PlacedCell& place) {
    CellValue value;
    if (bytes.empty()) return value;
    const char mark = bytes[0];
    if (mark == kCentsMark || mark == kDateMark || mark == kTextMark) {
        value.code = place.code;
        value.column = place.column;
        if (mark == kCentsMark && readCents(bytes.substr(1), value.cents)) {
            value.type = ValueType::Cents;
        } else if (mark == kDateMark && bytes.size() == 5) {
            value.type = ValueType::Date;
            value.date.yyyymmdd = readDate(bytes.data() + 1);
        } else if (mark == kTextMark && bytes.size() >= 2) {
            value.type = ValueType::Text;
            value.blanks = static_cast<unsigned char>(bytes[1]);
            value.text = bytes.substr(2);
        } else {
            value.type = ValueType::Other;
            value.text = bytes;
        }
        return value;
    }
    PlacedCell placed;
    if (!ParseCell(bytes, placed)) {
        value.type = ValueType::Other;
        value.text = bytes;
        return value;
    }
    value.type = ValueType::Text;
    value.code = placed.code;
    value.column = placed.column;
    value.text = placed.text;
    return value;
}

void AppendCents(std::int64_t cents, char decimalSeparator, char thousandSeparator,
                 std::string& out) {
    constexpr std::size_t kWidth = 13;
    // The magnitude as unsigned, so the most negative value has one too.
    const std::uint64_t magnitude = cents < 0 ? 0 - std::uint64_t(cents) : std::uint64_t(cents);
    char digits[24];
    const std::size_t n =
        std::size_t(std::to_chars(digits, digits + sizeof digits, magnitude / 100).ptr - digits);
    char text[48];
    std::size_t length = 0;
    if (cents < 0) text[length++] = '-';
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0 && thousandSeparator != '\0')
            text[length++] = thousandSeparator;
        text[length++] = digits[i];
    }
    text[length++] = decimalSeparator;
    text[length++] = char('0' + magnitude / 10 % 10);
    text[length++] = char('0' + magnitude % 10);
    if (length < kWidth) out.append(kWidth - length, ' ');
    out.append(text, length);
}

CellText RowCells::operator[](std::size_t c) const {
    const std::string_view stored = bytes(c);
    if (stored.empty() || stored[0] < kCentsMark || stored[0] > kSharedMark)
        return CellText(stored);
    CellShower shower(*doc_);
    PlacedCell placed;
    if (!shower.place(stored, int(c), placed)) return CellText(stored);
    return CellText(std::string(doc_->prefixOf(int(c))).append(placed.text));
}

CellShower::CellShower(const Document& doc) : doc_(doc) {
    const platform::RegionalSettings regional = platform::regional().settings();
    decimal_ = regional.decimalSeparator;
    thousands_ = regional.thousandSeparator;
    for (const std::string& prefix : doc.columnPrefixes) {
        PlacedCell place;
        if (!ParseCell(prefix, place)) place = {'L', 0, {}};
        places_.push_back(place);
    }
}

bool CellShower::place(int r, int c, PlacedCell& out) {
    return place(doc_.row(r).bytes(std::size_t(c)), c, out);
}

bool CellShower::place(std::string_view bytes, int c, PlacedCell& out) {
    const CellValue value = std::size_t(c) < places_.size()
                                ? DecodeCell(doc_.resolve(bytes), places_[std::size_t(c)])
                                : DecodeCell(doc_.resolve(bytes), doc_.prefixOf(c));
    switch (value.type) {
        case ValueType::Text:
            if (value.blanks == 0) {
                out = {value.code, value.column, value.text};
            } else {
                text_.assign(value.text).append(std::size_t(value.blanks), ' ');
                out = {value.code, value.column, text_};
            }
            return true;
        case ValueType::Cents:
            text_.clear();
            AppendCents(value.cents, decimal_, thousands_, text_);
            out = {value.code, value.column, text_};
            return true;
        case ValueType::Date:
            if (value.date.yyyymmdd != shownDate_ || dateText_.empty()) {
                const std::uint32_t n = value.date.yyyymmdd;
                const auto date =
                    platform::DateTime::fromYmd(int(n / 10000), int(n / 100 % 100), int(n % 100));
                dateText_ = date ? FormatDate(*date, doc_.detailDateFormat) : std::to_string(n);
                shownDate_ = n;
            }
            out = {value.code, value.column, dateText_};
            return true;
        default:
            return false;
    }
}

CellRef::CellRef(Document& doc, int row, int column)
    : CellText(static_cast<const Document&>(doc).cell(row, column)),
      doc_(&doc),
      row_(row),
      column_(column) {}

CellRef& CellRef::operator=(std::string_view text) {
    doc_->SetCell(row_, column_, text);
    take(static_cast<const Document&>(*doc_).cell(row_, column_));
    return *this;
}

CellRef& CellRef::operator+=(std::string_view text) {
    return *this = std::string(view()).append(text);
}

// ---- the document ---------------------------------------------------------------------
namespace {

// Where a text of `length` bytes may be cut without splitting a character.
std::size_t characterBoundary(std::string_view text, std::size_t length) {
    while (length > 0 && length < text.size() &&
           (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80)
        --length;
    return length;
}

}  // namespace

void Document::StartDocument(int pageLines) {
    linesPerPage = pageLines;
    lastRow = -1;
    lineOnPage = -1;
    pageNumber = 0;
    dropRows();
    shortDateFormat_ = platform::regional().settings().shortDateFormat;
    detailDateFormat = DetailDateFormat(shortDateFormat_);
    columnHeadings.assign(1, std::vector<std::string>(std::size_t(cellsPerRow)));
    columnPrefixes.clear();
    columnRoles.clear();
}

void Document::dropRows() {
    rowChunks_.clear();
    rowChunks_.shrink_to_fit();
    blocks_.clear();
    blocks_.shrink_to_fit();
    fill_ = 0;
    tailRow_ = -1;
    lastEnds_ = nullptr;
    cells_ = 0;
    kinds_.clear();
    kinds_.shrink_to_fit();
    shared_.clear();
    shared_.shrink_to_fit();
    sharedSlots_.clear();
    sharedSlots_.shrink_to_fit();
}

void Document::AddRow(RowKind kind) {
    if (lastRow < 0) {
        // The first row fixes the rows' shape until the document is started again.
        const int cells = std::max(cellsPerRow, 1);
        if (cells != cells_) rowChunks_.clear();
        cells_ = cells;
    }
    const int r = lastRow + 1;
    if (std::size_t(r / kRowsPerChunk) == rowChunks_.size())
        // Left unfilled: each row sets its own record as it is added.
        rowChunks_.push_back(std::make_unique_for_overwrite<std::uint16_t[]>(
            std::size_t(kRowsPerChunk) * std::size_t(kStartWords + cells_)));
    std::uint16_t* words = record(r);
    lastEnds_ = words + kStartWords;
    std::fill(lastEnds_, lastEnds_ + cells_, std::uint16_t(0));
    tailRow_ = -1;
    if (makeRoom(0)) {
        setStart(words, fillPoint());
        tailRow_ = r;
    } else {
        setStart(words, 0);  // the text is full: the row stays empty
    }
    lastRow = r;
    sharedInTail_ = false;
    kinds_.push_back(kind);
    ++lineOnPage;
}

void Document::ReserveRows(long rows) {
    if (rows <= 0) return;
    rowChunks_.reserve(std::size_t(rows / kRowsPerChunk + 1));
    kinds_.reserve(std::size_t(rows));
}

bool Document::makeRoom(std::size_t bytes) {
    if (!blocks_.empty() && fill_ + bytes < blocks_.back().capacity) return true;
    if (blocks_.size() == kMostBlocks) return false;
    std::uint16_t* tail = tailRow_ >= 0 ? record(tailRow_) : nullptr;
    const std::size_t length = tail ? tail[kStartWords + cells_ - 1] : 0;
    // Blocks double up to the largest size; a row always fits one, being never longer than
    // kLongestRow.
    std::size_t capacity = blocks_.empty() ? kFirstBlock : blocks_.back().capacity * 2;
    capacity = std::min(std::max(capacity, 2 * (length + bytes)), kLargestBlock);
    Block block{std::make_unique_for_overwrite<char[]>(capacity), capacity};
    if (length > 0) std::memcpy(block.bytes.get(), textAt(startOf(tail)), length);
    blocks_.push_back(std::move(block));
    fill_ = length;
    if (tail) setStart(tail, std::uint32_t(blocks_.size() - 1) << kOffsetBits);
    return true;
}

void Document::append(int c, std::string_view a, std::string_view b) {
    std::uint16_t* ends = lastEnds_;
    const std::size_t length = ends[cells_ - 1];
    const std::size_t n = a.size() + b.size();
    if (lastRow != tailRow_ || ends[c] != length || length + n > kLongestRow) {
        if (n > 0)
            SetCell(lastRow, c,
                    std::string(row(lastRow).bytes(std::size_t(c))).append(a).append(b));
        return;
    }
    if (fill_ + n >= blocks_.back().capacity && !makeRoom(n)) return;
    char* to = blocks_.back().bytes.get() + fill_;
    // An empty view may hold no pointer at all, which memcpy must not be given.
    if (!a.empty()) std::memcpy(to, a.data(), a.size());
    if (!b.empty()) std::memcpy(to + a.size(), b.data(), b.size());
    fill_ += n;
    std::fill(ends + c, ends + cells_, std::uint16_t(length + n));
}

void Document::SetCell(int r, int c, std::string_view text) {
    const RowCells cells = row(r);
    std::string image;
    std::vector<std::uint16_t> ends(static_cast<std::size_t>(cells_));
    for (int k = 0; k < cells_; ++k) {
        const std::string_view part = k == c ? text : cells.bytes(std::size_t(k));
        image.append(part.substr(0, characterBoundary(part, kLongestRow - image.size())));
        ends[std::size_t(k)] = std::uint16_t(image.size());
    }
    // The tail row is written again in its place; any other row moves to the tail, leaving
    // its old text unused.
    std::uint16_t* words = record(r);
    const std::size_t fillBefore = fill_;
    // A row holding a shared text's bytes is never written over: cells refer to them.
    if (r == tailRow_ && !sharedInTail_) fill_ = startOf(words) & (kLargestBlock - 1);
    tailRow_ = -1;
    if (!makeRoom(image.size())) {
        fill_ = fillBefore;  // the text is full: the row stays as it was
        return;
    }
    setStart(words, fillPoint());
    tailRow_ = r;
    std::memcpy(blocks_.back().bytes.get() + fill_, image.data(), image.size());
    fill_ += image.size();
    std::copy(ends.begin(), ends.end(), words + kStartWords);
}

bool Document::CheckPage(int neededLine, bool withHeadings) {
    if (pageNumber > 0 && neededLine <= linesPerPage) return false;
    ++pageNumber;
    if (pageNumber > 1) {
        if (withHeadings) SetFlag(kRuleFlag);
        AddRow(RowKind::PageBreak);
        append(0, kEject);
    }
    lineOnPage = 0;

    AddRow(RowKind::Title);
    append(0, "L00Page ", std::to_string(pageNumber));
    if (cells_ > 2)
        append(1, CellPrefix('R', reportWidth),
               FormatDate(platform::clock().today(), shortDateFormat_));
    AddRow(RowKind::Title);
    for (const std::string& title : titleLines) {
        AddRow(RowKind::Title);
        append(0, CellPrefix('C', reportWidth / 2), title);
        append(cells_ - 1, kBoldFlag);
    }
    AddRow(RowKind::Title);
    AddRow(RowKind::Section);
    append(0, "L00", sectionText);
    if (withHeadings) {
        AddRow(RowKind::Heading);
        for (const auto& heading : columnHeadings) {
            AddRow(RowKind::Heading);
            for (int c = 0; c < cells_ && std::size_t(c) < heading.size(); ++c)
                append(c, heading[std::size_t(c)]);
        }
    }
    return true;
}

void Document::SetFlag(std::string_view flag) {
    if (lastRow < 0) return;
    const std::size_t from = cells_ > 1 ? lastEnds_[cells_ - 2] : 0;
    if (from == lastEnds_[cells_ - 1])
        append(cells_ - 1, flag);
    else
        SetCell(lastRow, cells_ - 1, flag);
}

void Document::ClearDocument() {
    columnHeadings.clear();
    columnPrefixes.clear();
    columnRoles.clear();
    dropRows();
    lastRow = -1;
}

RowCells Document::row(int r) const {
    const std::uint16_t* words = record(r);
    return {this, textAt(startOf(words)), words + kStartWords, std::size_t(cells_)};
}

int Document::ColumnOf(ColumnRole role) const {
    for (std::size_t c = 0; c < columnRoles.size(); ++c)
        if (columnRoles[c] == role) return int(c);
    return -1;
}

// A view of the column's own prefix: never a copy, which would die before the view is read.
std::string_view Document::prefixOf(int c) const {
    if (std::size_t(c) >= columnPrefixes.size()) return {};
    return columnPrefixes[std::size_t(c)];
}

namespace {

// The bytes of a value written at its column's place, in `buffer`.
std::string_view encodeValue(const Entry& value, char (&buffer)[16]) {
    if (value.type() == ValueType::Cents) {
        const std::int64_t cents = value.cents();
        std::uint64_t zigzag = std::uint64_t(cents) << 1 ^ std::uint64_t(cents >> 63);
        std::size_t n = 0;
        buffer[n++] = kCentsMark;
        do {
            buffer[n++] = char(zigzag & 0x7F);
            zigzag >>= 7;
        } while (zigzag != 0);
        return {buffer, n};
    }
    const std::uint32_t date = value.date();
    buffer[0] = kDateMark;
    for (int i = 0; i < 4; ++i) buffer[1 + i] = char(date >> (8 * i) & 0xFF);
    return {buffer, 5};
}

// A text's trailing blanks, which a text cell counts rather than holds (the ledger shows its
// descriptions as stored, blank-padded to the field).
std::size_t trailingBlanks(std::string_view text) {
    std::size_t n = 0;
    while (n < text.size() && n < 255 && text[text.size() - 1 - n] == ' ') ++n;
    return n;
}

}  // namespace

void Document::WriteRow(int linesNeeded, std::initializer_list<Entry> values, RowKind kind) {
    CheckPage(lineOnPage + linesNeeded, true);
    AddRow(kind);
    int c = 0;
    for (const Entry& value : values) {
        if (c >= cells_ - 1) break;
        writeEmptyCell(c, value);
        ++c;
    }
}

void Document::writeEmptyCell(int c, const Entry& value) {
    char buffer[16];
    if (value.type() != ValueType::Text) {
        append(c, encodeValue(value, buffer));
        return;
    }
    const std::string_view text = value.text();
    PlacedCell place;
    if (!ParseCell(prefixOf(c), place)) {
        append(c, prefixOf(c), text);  // a column without a place: drawn nowhere
        return;
    }
    const std::size_t blanks = trailingBlanks(text);
    const char head[2] = {kTextMark, char(blanks)};
    const std::string_view kept = text.substr(0, text.size() - blanks);
    // A short text costs no more than a reference to it.
    if (kept.size() < 4) {
        append(c, std::string_view(head, 2), kept);
        return;
    }
    if (sharedSlots_.empty()) sharedSlots_.assign(kSharedSlots, -1);
    std::uint32_t hash = 2166136261u;
    for (const char ch : text) hash = (hash ^ static_cast<unsigned char>(ch)) * 16777619u;
    std::int32_t& slot = sharedSlots_[hash % kSharedSlots];
    if (slot >= 0) {
        const SharedText& seen = shared_[std::size_t(slot)];
        const std::string_view bytes(textAt(seen.at), seen.length);
        if (bytes.size() == 2 + kept.size() && bytes[1] == head[1] && bytes.substr(2) == kept) {
            char reference[4] = {kSharedMark};
            std::size_t n = 1;
            for (std::uint32_t k = std::uint32_t(slot); n == 1 || k != 0; k >>= 7)
                reference[n++] = char(k & 0x7F);
            append(c, std::string_view(reference, n));
            return;
        }
    }
    append(c, std::string_view(head, 2), kept);
    const std::size_t length = 2 + kept.size();
    const std::size_t from = c == 0 ? 0 : lastEnds_[c - 1];
    if (shared_.size() >= kMostShared || lastEnds_[c] - from != length)
        return;  // the table is full, or the text was cut
    slot = std::int32_t(shared_.size());
    sharedInTail_ = true;
    shared_.push_back({startOf(record(lastRow)) + std::uint32_t(from), std::uint16_t(length)});
}

std::string_view Document::resolve(std::string_view stored) const {
    if (stored.empty() || stored[0] != kSharedMark) return stored;
    std::uint32_t k = 0;
    for (std::size_t i = stored.size() - 1; i >= 1; --i)
        k = k << 7 | (static_cast<unsigned char>(stored[i]) & 0x7F);
    if (k >= shared_.size()) return {};
    return {textAt(shared_[k].at), shared_[k].length};
}

void Document::WriteCell(int c, const Entry& value) {
    if (lastRow < 0 || c < 0 || c >= cells_) return;
    // An empty cell takes the value at the tail, as a row is written; a written one is
    // emptied first.
    if ((c == 0 ? 0 : lastEnds_[c - 1]) != lastEnds_[c]) SetCell(lastRow, c, {});
    writeEmptyCell(c, value);
}

}  // namespace reports
