#include "statements/Readers.h"

#include <algorithm>
#include <cctype>

#include "data/Database.h"
#include "statements/TextParts.h"

namespace statements {

namespace {

std::string Lower(std::string_view text) {
    std::string low(text);
    std::transform(low.begin(), low.end(), low.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return low;
}

bool EndsWith(const std::string& text, std::string_view end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

}  // namespace

Format DetectFormat(const std::string& path, const std::string& bytes) {
    const std::string head = Lower(std::string_view(bytes).substr(0, 4096));
    if (head.find("ofxheader") != std::string::npos || head.find("<ofx>") != std::string::npos)
        return Format::Ofx;
    const std::size_t text = head.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    if (text != std::string::npos && head.compare(text, 6, "!type:") == 0) return Format::Qif;
    const std::string name = Lower(path);
    if (EndsWith(name, ".ofx") || EndsWith(name, ".qfx")) return Format::Ofx;
    if (EndsWith(name, ".qif")) return Format::Qif;
    // Text that holds no table of transactions (a letter, a list) is no statement, whatever
    // its name.
    if (EndsWith(name, ".csv") || EndsWith(name, ".txt"))
        return HoldsTransactions(bytes) ? Format::Csv : Format::Unknown;
    return Format::Unknown;
}

bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error) {
    std::unique_ptr<engine::File> file;
    int rc = cbk::DataFileSystem().open(path, engine::OpenMode::ReadOnly, file);
    std::uint64_t size = 0;
    if (rc == 0) rc = file->size(size);
    if (rc == 0) {
        bytes.resize(size);
        std::size_t got = 0;
        rc = file->read(0, bytes.data(), bytes.size(), got);
        bytes.resize(got);
    }
    if (rc != 0) error = DisplayName(path) + " cannot be read.";
    return rc == 0;
}

std::string DisplayName(const std::string& path) {
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string AtLine(const std::string& path, int line, const std::string& what) {
    return DisplayName(path) + ", line " + std::to_string(line) + ": " + what;
}

void SetDateAndAmount(StatementLine& line, const std::string& path, const std::string& dateText,
                      platform::DateOrder order, const std::string& amountText,
                      const std::optional<std::int64_t>& cents) {
    const std::string date = Trimmed(dateText);
    line.date = ParseBankDate(date, order);
    if (date.empty())
        line.problem = AtLine(path, line.sourceLine, "the transaction has no date.");
    else if (!line.date)
        line.problem = AtLine(path, line.sourceLine, "'" + date + "' is not a date.");
    else if (!cents)
        line.problem =
            AtLine(path, line.sourceLine,
                   Trimmed(amountText).empty() ? std::string("the transaction has no amount.")
                                               : "'" + Trimmed(amountText) + "' is not an amount.");
    else if (*cents > kMaxCents || *cents < -kMaxCents)
        line.problem =
            AtLine(path, line.sourceLine,
                   "the amount " + CentsText(*cents) + " is wider than the amount field (" +
                       CentsText(kMaxCents) + " at most).");
    if (cents) line.cents = *cents;
}

void SetTexts(StatementLine& line, const std::string& payee, const std::string& memo) {
    line.payee = FieldText(payee, kPayeeWidth);
    line.memo = FieldText(memo, kMemoWidth);
    if (line.payee.empty()) line.payee = line.memo;
}

}  // namespace statements
