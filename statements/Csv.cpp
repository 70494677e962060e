#include "statements/Csv.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <optional>
#include <sstream>
#include <string_view>

#include "statements/Readers.h"
#include "statements/TextParts.h"

namespace statements {

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string WithoutBom(const std::string& bytes) {
    return bytes.compare(0, 3, "\xEF\xBB\xBF") == 0 ? bytes.substr(3) : bytes;
}

// The first column whose name holds one of `words`, not already taken; -1 when none.
int ColumnNamed(const std::vector<std::string>& names, std::initializer_list<const char*> words,
                const std::vector<int>& taken) {
    for (const char* word : words)
        for (std::size_t i = 0; i < names.size(); ++i)
            if (Lower(names[i]).find(word) != std::string::npos &&
                std::find(taken.begin(), taken.end(), static_cast<int>(i)) == taken.end())
                return static_cast<int>(i);
    return -1;
}

}  // namespace

int CsvMapping::lastColumn() const {
    return std::max({date, amount, debit, credit, payee, memo, check});
}

std::vector<CsvRecord> SplitCsv(const std::string& raw, char delimiter) {
    const std::string bytes = WithoutBom(raw);
    std::vector<CsvRecord> records;
    CsvRecord record;
    std::string field;
    bool quoted = false, fieldStarted = false, any = false, blankBefore = false;
    int line = 1;
    record.line = 1;
    auto endField = [&] {
        record.fields.push_back(std::move(field));
        field.clear();
        fieldStarted = false;
    };
    auto endRecord = [&] {
        endField();
        const bool blank = record.fields.size() == 1 && Trimmed(record.fields[0]).empty();
        if (!blank) {
            record.afterBlank = blankBefore;
            records.push_back(std::move(record));
        }
        blankBefore = blank;
        record = CsvRecord{};
        record.line = line;
        any = false;
    };
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (quoted) {
            if (c == '"' && i + 1 < bytes.size() && bytes[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                if (c == '\n') ++line;
                field += c;
            }
            continue;
        }
        if (c == '"' && !fieldStarted) {
            quoted = fieldStarted = any = true;
        } else if (c == delimiter) {
            endField();
            any = true;
        } else if (c == '\n') {
            ++line;
            endRecord();
        } else if (c != '\r') {
            field += c;
            fieldStarted = any = true;
        }
    }
    if (any || !field.empty()) endRecord();
    return records;
}

char GuessDelimiter(const std::string& bytes) {
    const std::string line = HeaderLine(bytes);
    std::array<int, 3> counts{};
    constexpr std::array<char, 3> kDelimiters = {',', ';', '\t'};
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        for (std::size_t k = 0; k < kDelimiters.size(); ++k)
            if (!quoted && c == kDelimiters[k]) ++counts[k];
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    return *most == 0 ? ',' : kDelimiters[most - counts.begin()];
}

std::string HeaderLine(const std::string& raw) {
    return LineText(raw, 1);
}

std::string LineText(const std::string& raw, int line) {
    std::string_view bytes(raw);
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::size_t at = 0;
    for (int n = 1; n < line && at != std::string_view::npos; ++n) {
        at = bytes.find('\n', at);
        if (at != std::string_view::npos) ++at;
    }
    if (at == std::string_view::npos || at > bytes.size()) return {};
    std::string text(bytes.substr(at, bytes.find('\n', at) - at));
    if (!text.empty() && text.back() == '\r') text.pop_back();
    return text;
}

namespace {

// The columns named by a header line; date -1 when it names none.
CsvMapping NamedColumns(const std::vector<std::string>& names) {
    CsvMapping m;
    std::vector<int> taken;
    auto pick = [&](std::initializer_list<const char*> words) {
        const int column = ColumnNamed(names, words, taken);
        if (column >= 0) taken.push_back(column);
        return column;
    };
    m.check = pick({"check", "cheque", "chq"});
    m.date = pick({"posted", "booking date", "transaction date", "date", "buchungstag", "datum"});
    m.debit = pick({"debit", "withdrawal", "paid out", "money out", "outflow", "soll"});
    m.credit = pick({"credit", "deposit", "paid in", "money in", "inflow", "haben"});
    m.amount = pick({"amount", "betrag", "montant", "value"});
    m.payee = pick({"payee", "description", "name", "merchant", "details", "narrative", "empf",
                    "auftraggeber"});
    m.memo = pick({"memo", "reference", "notes", "note", "verwendungszweck"});
    return m;
}

bool ReadsAsDate(const std::string& cell) {
    const std::string text = Trimmed(cell);
    return ParseBankDate(text, platform::DateOrder::MDY) ||
           ParseBankDate(text, platform::DateOrder::DMY);
}

// A record with a date in one field and an amount in another.
bool DateAndAmount(const CsvRecord& record) {
    const std::vector<std::string>& f = record.fields;
    for (std::size_t d = 0; d < f.size(); ++d) {
        if (!ReadsAsDate(f[d])) continue;
        for (std::size_t a = 0; a < f.size(); ++a)
            if (a != d && ParseAmount(f[a], 0)) return true;
    }
    return false;
}

// Title lines above the table are seldom more than a dozen; the search stops well past them.
constexpr std::size_t kTitleRecords = 30;

struct TableStart {
    CsvMapping mapping;  // delimiter, header, first line and (with a header) the columns
    std::vector<CsvRecord> records;
    std::size_t first = 0;  // the record where the table starts
};

// Where the table starts, with each delimiter in turn (the first line's own first): its
// header line, else its first record with a date and an amount.
std::optional<TableStart> FindTable(const std::string& bytes) {
    const char guessed = GuessDelimiter(bytes);
    std::vector<char> delimiters = {guessed};
    for (char d : {',', ';', '\t'})
        if (d != guessed) delimiters.push_back(d);
    std::vector<std::vector<CsvRecord>> split;
    for (char d : delimiters) {
        std::vector<CsvRecord> records = SplitCsv(bytes, d);
        for (std::size_t r = 0; r < records.size() && r < kTitleRecords; ++r) {
            if (records[r].fields.size() < 2) continue;
            CsvMapping m = NamedColumns(records[r].fields);
            if (m.date < 0 || (m.amount < 0 && m.debit < 0 && m.credit < 0)) continue;
            m.delimiter = d;
            m.firstLine = records[r].line;
            return TableStart{m, std::move(records), r};
        }
        split.push_back(std::move(records));
    }
    for (std::size_t k = 0; k < delimiters.size(); ++k) {
        std::vector<CsvRecord>& records = split[k];
        for (std::size_t r = 0; r < records.size() && r < kTitleRecords; ++r) {
            if (!DateAndAmount(records[r])) continue;
            CsvMapping m;
            m.delimiter = delimiters[k];
            m.header = false;
            // A line of as many fields right above, none a date, names the columns in a
            // language the names above do not cover.
            if (r > 0 && records[r - 1].fields.size() == records[r].fields.size() &&
                std::none_of(records[r - 1].fields.begin(), records[r - 1].fields.end(),
                             ReadsAsDate)) {
                m.header = true;
                --r;
            }
            m.firstLine = records[r].line;
            return TableStart{m, std::move(records), r};
        }
    }
    return std::nullopt;
}

}  // namespace

bool HoldsTransactions(const std::string& bytes) {
    // The search looks at the first records only, so the first lines are enough to tell.
    std::size_t end = 0;
    for (std::size_t n = 0; n < 2 * kTitleRecords && end < bytes.size(); ++n) {
        end = bytes.find('\n', end);
        end = end == std::string::npos ? bytes.size() : end + 1;
    }
    return FindTable(bytes.substr(0, end)).has_value();
}

CsvMapping GuessMapping(const std::string& bytes, platform::DateOrder preferred) {
    std::optional<TableStart> table = FindTable(bytes);
    if (!table) {
        // Nothing reads as a table: the user is shown the file as it is.
        CsvMapping m;
        m.delimiter = GuessDelimiter(bytes);
        m.header = false;
        return m;
    }
    CsvMapping m = table->mapping;
    std::vector<std::string> dates;
    bool commaDecimals = false, pointDecimals = false;
    for (std::size_t r = table->first + (m.header ? 1 : 0); r < table->records.size(); ++r) {
        const std::vector<std::string>& f = table->records[r].fields;
        // Closing lines below the table (a balance with its date in words) tell nothing.
        if (m.date >= 0 && (m.date >= static_cast<int>(f.size()) || !ReadsAsDate(f[m.date])))
            continue;
        if (m.date >= 0) dates.push_back(Trimmed(f[m.date]));
        for (int column : {m.amount, m.debit, m.credit}) {
            if (column < 0 || column >= static_cast<int>(f.size())) continue;
            const std::string cell = Trimmed(f[column]);
            const std::size_t mark = cell.find_last_of(".,");
            if (mark == std::string::npos || cell.size() - mark - 1 > 2) continue;
            (cell[mark] == ',' ? commaDecimals : pointDecimals) = true;
        }
    }
    m.decimalComma = commaDecimals && !pointDecimals;
    m.dateOrder = GuessDateOrder(dates, preferred);
    return m;
}

std::vector<std::string> ColumnNames(const std::string& bytes, const CsvMapping& mapping) {
    std::vector<CsvRecord> records = SplitCsv(bytes, mapping.delimiter);
    records.erase(records.begin(),
                  std::find_if(records.begin(), records.end(), [&mapping](const CsvRecord& r) {
                      return r.line >= mapping.firstLine;
                  }));
    std::size_t count = 0;
    for (std::size_t r = 0; r < records.size() && r < 20; ++r)
        count = std::max(count, records[r].fields.size());
    std::vector<std::string> names;
    for (std::size_t i = 0; i < count; ++i) {
        std::string name = mapping.header && !records.empty() && i < records[0].fields.size()
                               ? Trimmed(records[0].fields[i])
                               : std::string();
        names.push_back(name.empty() ? "Column " + std::to_string(i + 1) : name);
    }
    return names;
}

std::string MappingText(const CsvMapping& m) {
    std::ostringstream out;
    const char* order = m.dateOrder == platform::DateOrder::DMY   ? "DMY"
                        : m.dateOrder == platform::DateOrder::YMD ? "YMD"
                                                                  : "MDY";
    out << "delimiter=" << (m.delimiter == '\t' ? "tab" : std::string(1, m.delimiter))
        << " decimal=" << (m.decimalComma ? "comma" : "point") << " order=" << order
        << " header=" << (m.header ? 1 : 0) << " first=" << m.firstLine << " date=" << m.date
        << " amount=" << m.amount << " debit=" << m.debit << " credit=" << m.credit
        << " payee=" << m.payee << " memo=" << m.memo << " check=" << m.check;
    return out.str();
}

bool MappingFromText(const std::string& text, CsvMapping& out) {
    CsvMapping m;
    std::istringstream in(text);
    std::string item;
    int seen = 0;
    while (in >> item) {
        const std::size_t eq = item.find('=');
        if (eq == std::string::npos) return false;
        const std::string key = item.substr(0, eq), value = item.substr(eq + 1);
        const int number = std::atoi(value.c_str());
        if (key == "delimiter") {
            if (value != "tab" && value != "," && value != ";") return false;
            m.delimiter = value == "tab" ? '\t' : value[0];
        } else if (key == "decimal") {
            m.decimalComma = value == "comma";
        } else if (key == "order") {
            m.dateOrder = value == "DMY"   ? platform::DateOrder::DMY
                          : value == "YMD" ? platform::DateOrder::YMD
                                           : platform::DateOrder::MDY;
        } else if (key == "header") {
            m.header = number != 0;
        } else if (key == "first") {
            if (number < 1) return false;
            m.firstLine = number;
        } else if (key == "date") {
            m.date = number;
        } else if (key == "amount") {
            m.amount = number;
        } else if (key == "debit") {
            m.debit = number;
        } else if (key == "credit") {
            m.credit = number;
        } else if (key == "payee") {
            m.payee = number;
        } else if (key == "memo") {
            m.memo = number;
        } else if (key == "check") {
            m.check = number;
        } else {
            return false;
        }
        ++seen;
    }
    if (seen == 0 || !m.usable()) return false;
    out = m;
    return true;
}

// ---- the reader -----------------------------------------------------------------------------

namespace {

const char* RoleOf(const CsvMapping& m, int column) {
    if (column == m.date) return "Date";
    if (column == m.amount) return "Amount";
    if (column == m.debit) return "Debit";
    if (column == m.credit) return "Credit";
    if (column == m.payee) return "Payee";
    if (column == m.memo) return "Memo";
    return "Check No";
}

class CsvReader : public StatementReader {
public:
    explicit CsvReader(const CsvMapping& mapping) : m_(mapping) {}

    // A record with the columns the mapping reads and a date in the date column.
    bool Transaction(const CsvRecord& record) const {
        return static_cast<int>(record.fields.size()) > m_.lastColumn() &&
               ReadsAsDate(record.fields[m_.date]);
    }

    // Where the table ends: the records after its last transaction are the statement's
    // closing lines (the closing balance, a total) when they stand after a blank line or
    // start with words and no number. Anything else there, such as a transaction cut short
    // or a bad date, stays in and is reported.
    std::size_t TableEnd(const std::vector<CsvRecord>& records, std::size_t first) const {
        std::size_t end = records.size();
        while (end > first && !Transaction(records[end - 1])) --end;
        if (end == first || end == records.size()) return records.size();
        const CsvRecord& after = records[end];
        const std::string& lead = static_cast<int>(after.fields.size()) > m_.date
                                      ? after.fields[m_.date]
                                      : after.fields[0];
        bool letters = false, digits = false;
        for (unsigned char c : lead) {
            letters = letters || std::isalpha(c) != 0;
            digits = digits || std::isdigit(c) != 0;
        }
        const bool words = letters && !digits;
        return after.afterBlank || words ? end : records.size();
    }

    Statement read(const std::string& path, const std::string& bytes) const override {
        Statement st;
        if (!m_.usable()) {
            st.error = DisplayName(path) +
                       ": the columns of the date and of the amount (or of debit and credit) "
                       "must be chosen.";
            return st;
        }
        st.dateOrder = m_.dateOrder;
        const std::vector<CsvRecord> records = SplitCsv(bytes, m_.delimiter);
        const char mark = m_.decimalComma ? ',' : '.';
        const int need = m_.lastColumn() + 1;
        std::size_t first = 0;
        while (first < records.size() && records[first].line < m_.firstLine) ++first;
        if (m_.header && first < records.size()) ++first;
        const std::size_t end = TableEnd(records, first);
        for (std::size_t r = first; r < end; ++r) {
            const CsvRecord& rec = records[r];
            if (static_cast<int>(rec.fields.size()) < need) {
                st.lines.clear();
                st.error = AtLine(path, rec.line,
                                  std::to_string(rec.fields.size()) +
                                      (rec.fields.size() == 1 ? " column" : " columns") +
                                      ", but the mapping reads column " + std::to_string(need) +
                                      " (" + RoleOf(m_, need - 1) + ").");
                return st;
            }
            auto cell = [&rec](int column) {
                return column >= 0 ? rec.fields[column] : std::string();
            };
            StatementLine line;
            line.sourceLine = rec.line;
            std::string amountText;
            std::optional<std::int64_t> cents;
            if (m_.amount >= 0 && !Trimmed(cell(m_.amount)).empty()) {
                amountText = cell(m_.amount);
                cents = ParseAmount(amountText, mark);
            } else if (m_.debit >= 0 && !Trimmed(cell(m_.debit)).empty()) {
                amountText = cell(m_.debit);
                cents = ParseAmount(amountText, mark);
                if (cents && *cents > 0) cents = -*cents;
            } else if (m_.credit >= 0 && !Trimmed(cell(m_.credit)).empty()) {
                amountText = cell(m_.credit);
                cents = ParseAmount(amountText, mark);
                if (cents && *cents < 0) cents = -*cents;
            }
            st.dateOrderMatters = st.dateOrderMatters || DateOrderAmbiguous(Trimmed(cell(m_.date)));
            SetDateAndAmount(line, path, cell(m_.date), m_.dateOrder, amountText, cents);
            SetTexts(line, cell(m_.payee), cell(m_.memo));
            line.checkNo = ParseCheckNo(cell(m_.check));
            st.lines.push_back(std::move(line));
        }
        return st;
    }

private:
    CsvMapping m_;
};

}  // namespace

std::unique_ptr<StatementReader> MakeCsvReader(const CsvMapping& mapping) {
    return std::make_unique<CsvReader>(mapping);
}

}  // namespace statements
