#pragma once

// The statement readers, one per format, behind one interface: each takes the file's name and
// bytes and yields the statement's lines. A line that cannot be imported carries its problem;
// a file that cannot be read at all gives an error naming the file and the line, and no lines.

#include <memory>
#include <string>

#include "statements/Csv.h"
#include "statements/Statement.h"

namespace statements {

class StatementReader {
public:
    virtual ~StatementReader() = default;
    virtual Statement read(const std::string& path, const std::string& bytes) const = 0;
};

// OFX 1.x (SGML) and 2.x (XML), and QFX, read by libofx (OfxReader.cpp).
std::unique_ptr<StatementReader> MakeOfxReader();
// QIF bank and credit-card sections. Without a chosen order the dates are read in the order
// that reads them all, `preferred` when both do.
std::unique_ptr<StatementReader> MakeQifReader(platform::DateOrder preferred, bool chosen);
// CSV by the column mapping.
std::unique_ptr<StatementReader> MakeCsvReader(const CsvMapping& mapping);

// ---- shared by the readers ------------------------------------------------------------------

// "bank.csv, line 7: " + what.
std::string AtLine(const std::string& path, int line, const std::string& what);

// Fills in date and amount from the bank's texts, with the line's problem when either cannot
// be read or the amount is wider than the record forms hold.
void SetDateAndAmount(StatementLine& line, const std::string& path, const std::string& dateText,
                      platform::DateOrder order, const std::string& amountText,
                      const std::optional<std::int64_t>& cents);

// Payee and memo as the record fields hold them; a line without payee takes its memo.
void SetTexts(StatementLine& line, const std::string& payee, const std::string& memo);

}  // namespace statements
