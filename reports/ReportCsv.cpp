#include "reports/ReportCsv.h"

#include <cstdint>
#include <cstdio>

#include "reports/ReportFigures.h"

namespace reports {

namespace {

std::string trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    return std::string(text.substr(first, text.find_last_not_of(' ') - first + 1));
}

}  // namespace

std::string CsvValue(const CellValue& value) {
    char plain[40];
    if (value.type == ValueType::Cents) {
        const std::int64_t cents = value.cents;
        const std::uint64_t magnitude = cents < 0 ? 0 - std::uint64_t(cents) : std::uint64_t(cents);
        std::snprintf(plain, sizeof plain, "%s%llu.%02llu", cents < 0 ? "-" : "",
                      static_cast<unsigned long long>(magnitude / 100),
                      static_cast<unsigned long long>(magnitude % 100));
        return plain;
    }
    if (value.type == ValueType::Date) {
        const std::uint32_t n = value.date.yyyymmdd;
        std::snprintf(plain, sizeof plain, "%04u-%02u-%02u", n / 10000 % 10000, n / 100 % 100,
                      n % 100);
        return plain;
    }
    if (value.type != ValueType::Text) return {};
    std::string text = trimmed(value.text);
    // A spreadsheet runs a field that starts like a formula ("=HYPERLINK(...)" typed as a
    // payee); a leading apostrophe keeps it text. Whole numbers ("-5") are left as they are.
    const bool wholeNumber =
        text.find_first_not_of("0123456789", text.starts_with('-') ? 1 : 0) == std::string::npos &&
        text.size() > (text.starts_with('-') ? 1u : 0u);
    if (!text.empty() && std::string_view("=+-@").find(text.front()) != std::string_view::npos &&
        !wholeNumber)
        text.insert(0, 1, '\'');
    return text;
}

std::string CsvRecord(const std::vector<std::string>& fields) {
    std::string line;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        const std::string& field = fields[i];
        if (field.find_first_of(",\"\r\n") == std::string::npos) {
            line += field;
            continue;
        }
        line += '"';
        for (char c : field) {
            if (c == '"') line += '"';
            line += c;
        }
        line += '"';
    }
    return line + "\r\n";
}

std::string CsvBytes(const Document& doc) {
    const int texts = doc.cellsPerRow - 1;
    if (texts <= 0) return {};

    // A column's heading is its heading rows' texts, top to bottom ("Period Totals").
    std::vector<std::string> headings(static_cast<std::size_t>(texts));
    for (const auto& row : doc.columnHeadings) {
        for (int c = 0; c < texts && std::size_t(c) < row.size(); ++c) {
            PlacedCell placed;
            if (!ParseCell(row[std::size_t(c)], placed)) continue;
            const std::string text = trimmed(placed.text);
            if (text.empty()) continue;
            std::string& heading = headings[std::size_t(c)];
            heading += (heading.empty() ? "" : " ") + text;
        }
    }
    std::string bytes = CsvRecord(headings);

    std::vector<std::string> fields(static_cast<std::size_t>(texts));
    for (int r = 0; r < doc.rowCount(); ++r) {
        if (!IsDataRow(doc, r)) continue;
        for (int c = 0; c < texts; ++c) fields[std::size_t(c)] = CsvValue(doc.value(r, c));
        bytes += CsvRecord(fields);
    }
    return bytes;
}

}  // namespace reports
