#include "reports/ReportDocument.h"

#include <array>
#include <cctype>
#include <chrono>

#include "data/StoredForms.h"
#include "platform/Platform.h"

namespace reports {

Document ReportDocument;

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

// ---- the document ---------------------------------------------------------------------
void Document::StartDocument(int pageLines) {
    linesPerPage = pageLines;
    lastRow = -1;
    lineOnPage = -1;
    pageNumber = 0;
    cells_.clear();
    shortDateFormat_ = platform::regional().settings().shortDateFormat;
    detailDateFormat = DetailDateFormat(shortDateFormat_);
    columnHeadings.assign(1, std::vector<std::string>(std::size_t(cellsPerRow)));
    columnPrefixes.clear();
}

void Document::AddRow() {
    cells_.resize(cells_.size() + std::size_t(cellsPerRow));
    ++lastRow;
    ++lineOnPage;
}

void Document::ReserveRows(long rows) {
    if (rows > 0) cells_.reserve(cells_.size() + std::size_t(rows) * std::size_t(cellsPerRow));
}

bool Document::CheckPage(int neededLine, bool withHeadings) {
    if (pageNumber > 0 && neededLine <= linesPerPage) return false;
    ++pageNumber;
    if (pageNumber > 1) {
        if (withHeadings) SetFlag(kRuleFlag);
        AddRow();
        cell(lastRow, 0) = kEject;
    }
    lineOnPage = 0;

    AddRow();
    cell(lastRow, 0) = "L00Page " + std::to_string(pageNumber);
    if (cellsPerRow > 2)
        cell(lastRow, 1) =
            CellPrefix('R', reportWidth) + FormatDate(platform::clock().today(), shortDateFormat_);
    AddRow();
    for (const std::string& title : titleLines) {
        AddRow();
        cell(lastRow, 0) = CellPrefix('C', reportWidth / 2) + title;
        cell(lastRow, cellsPerRow - 1) = kBoldFlag;
    }
    AddRow();
    AddRow();
    cell(lastRow, 0) = "L00" + sectionText;
    if (withHeadings) {
        AddRow();
        for (const auto& heading : columnHeadings) {
            AddRow();
            for (int c = 0; c < cellsPerRow && std::size_t(c) < heading.size(); ++c)
                cell(lastRow, c) = heading[std::size_t(c)];
        }
    }
    return true;
}

void Document::SetFlag(std::string_view flag) {
    if (lastRow >= 0) cell(lastRow, cellsPerRow - 1) = flag;
}

void Document::ClearDocument() {
    columnHeadings.clear();
    columnPrefixes.clear();
    cells_.clear();
    cells_.shrink_to_fit();
    lastRow = -1;
}

std::span<const std::string> Document::row(int r) const {
    return {cells_.data() + index(r, 0), std::size_t(cellsPerRow)};
}

void Document::WriteRow(int linesNeeded, std::initializer_list<std::string_view> texts) {
    CheckPage(lineOnPage + linesNeeded, true);
    AddRow();
    int c = 0;
    for (std::string_view text : texts) {
        if (c >= cellsPerRow - 1) break;
        std::string& target = cell(lastRow, c);
        if (std::size_t(c) < columnPrefixes.size()) target = columnPrefixes[std::size_t(c)];
        target += text;
        ++c;
    }
}

}  // namespace reports
