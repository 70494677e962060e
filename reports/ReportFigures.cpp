#include "reports/ReportFigures.h"

#include <charconv>
#include <cstdio>

#include "platform/Platform.h"

namespace reports {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool startsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

ShownForms ShownFormsOf(const Document& doc) {
    const platform::RegionalSettings regional = platform::regional().settings();
    return {regional.decimalSeparator, regional.thousandSeparator, doc.detailDateFormat,
            platform::clock().today().year() / 100 * 100};
}

std::optional<std::string> PlainAmount(std::string_view shown, const ShownForms& forms) {
    std::string_view text = trimmed(shown);
    std::string plain;
    if (!text.empty() && text.front() == '-') {
        plain += '-';
        text.remove_prefix(1);
    }
    const std::size_t point = text.rfind(forms.decimalSeparator);
    if (point == std::string_view::npos || point + 1 == text.size()) return std::nullopt;
    const std::string_view whole = text.substr(0, point);
    const std::string_view decimals = text.substr(point + 1);
    // Whole part: digits, with a separator before every group of three when there is one.
    int run = 0;
    bool grouped = false;
    for (char c : whole) {
        if (isDigit(c)) {
            plain += c;
            ++run;
        } else if (c == forms.thousandSeparator && run > 0 && (grouped ? run == 3 : run <= 3)) {
            grouped = true;
            run = 0;
        } else {
            return std::nullopt;
        }
    }
    if (run == 0 || (grouped && run != 3)) return std::nullopt;
    plain += '.';
    for (char c : decimals) {
        if (!isDigit(c)) return std::nullopt;
        plain += c;
    }
    return plain;
}

std::optional<double> ShownAmount(std::string_view shown, const ShownForms& forms) {
    const std::optional<std::string> plain = PlainAmount(shown, forms);
    if (!plain) return std::nullopt;
    double value = 0;
    std::from_chars(plain->data(), plain->data() + plain->size(), value);
    return value;
}

std::optional<platform::DateTime> ShownDate(std::string_view shown, const ShownForms& forms) {
    const std::string_view text = trimmed(shown);
    if (text.size() != forms.dateFormat.size()) return std::nullopt;
    int day = 0, month = 0, year = 0, yearDigits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char letter = forms.dateFormat[i];
        int* part = letter == 'D' ? &day : letter == 'M' ? &month : letter == 'Y' ? &year : nullptr;
        if (!part) {
            if (text[i] != letter) return std::nullopt;
            continue;
        }
        if (!isDigit(text[i])) return std::nullopt;
        *part = *part * 10 + (text[i] - '0');
        if (letter == 'Y') ++yearDigits;
    }
    if (yearDigits == 0) return std::nullopt;
    if (yearDigits <= 2) year += forms.century;
    return platform::DateTime::fromYmd(year, month, day);
}

std::string CellText(const Document& doc, int r, int c) {
    PlacedCell placed;
    if (!ParseCell(doc.cell(r, c), placed)) return {};
    return std::string(trimmed(placed.text));
}

bool IsDataRow(const Document& doc, int r) {
    const int texts = doc.cellsPerRow - 1;
    if (texts <= 0 || int(doc.columnPrefixes.size()) < texts) return false;
    bool beyondFirst = false;
    for (int c = 0; c < texts; ++c) {
        const std::string_view cell = doc.cell(r, c);
        if (cell.empty()) continue;
        if (!startsWith(cell, doc.columnPrefixes[std::size_t(c)])) return false;
        if (c > 0) beyondFirst = true;
    }
    if (!beyondFirst) return false;
    for (const auto& heading : doc.columnHeadings) {
        bool same = true;
        for (int c = 0; c < texts && same; ++c)
            same = std::size_t(c) < heading.size() ? doc.cell(r, c) == heading[std::size_t(c)]
                                                   : doc.cell(r, c).empty();
        if (same) return false;
    }
    return true;
}

}  // namespace reports
