#pragma once

// CSV statements: the column mapping, its guess from the header line, and the split of a file
// into records of fields.

#include <string>
#include <vector>

#include "platform/Platform.h"

namespace statements {

struct CsvMapping {
    char delimiter = ',';  // ',', ';' or '\t'
    bool decimalComma = false;
    platform::DateOrder dateOrder = platform::DateOrder::MDY;
    bool header = true;  // the table's first line names the columns
    // The line of the file where the table starts (from 1): banks often put the account, the
    // period and a blank line above it.
    int firstLine = 1;
    // Columns from 0; -1 when not mapped. A date and either the amount or a debit or a credit
    // column are needed.
    int date = -1;
    int amount = -1;
    int debit = -1;   // money out, whatever its sign
    int credit = -1;  // money in
    int payee = -1;
    int memo = -1;
    int check = -1;

    bool usable() const { return date >= 0 && (amount >= 0 || debit >= 0 || credit >= 0); }
    // The highest column read.
    int lastColumn() const;
    bool operator==(const CsvMapping&) const = default;
};

struct CsvRecord {
    int line = 0;  // where it starts, from 1
    std::vector<std::string> fields;
    bool afterBlank = false;  // a blank line comes right before it
};

// The records of `bytes`, quoted fields (with the delimiter, doubled quotes and line breaks
// inside) read whole; blank lines left out.
std::vector<CsvRecord> SplitCsv(const std::string& bytes, char delimiter);

// Whether the text holds a table of transactions: a header naming a date column and an
// amount, debit or credit column, or a record with a date and an amount. A letter or a
// list saved as text does not.
bool HoldsTransactions(const std::string& bytes);

// The delimiter of the first line: the one of ',', ';' and tab found most often outside
// quotes (',' when none).
char GuessDelimiter(const std::string& bytes);

// The first line of the file, line break cut.
std::string HeaderLine(const std::string& bytes);
// Line `line` of the file (from 1), line break cut; empty past the end. The table's first
// line is the key under which a mapping is remembered.
std::string LineText(const std::string& bytes, int line);

// A mapping guessed from the file: where the table starts (the first line naming a date and
// an amount column, or else the first record with a date and an amount), the delimiter that
// finds it, columns by their header names (Date, Amount, Debit, Credit, Payee or
// Description, Memo, Check), the decimal comma from the amounts, the date order from the
// dates (`preferred` when both read them).
CsvMapping GuessMapping(const std::string& bytes, platform::DateOrder preferred);

// The column names to offer: the fields of the table's header, or "Column 1", "Column 2", ...
std::vector<std::string> ColumnNames(const std::string& bytes, const CsvMapping& mapping);

// The mapping as one line of text and back (the remembered form).
std::string MappingText(const CsvMapping& mapping);
bool MappingFromText(const std::string& text, CsvMapping& mapping);

}  // namespace statements
