#pragma once

// A bank statement as the import sees it, whatever file it came from: one line per
// transaction, money in positive and money out negative, in whole cents so that no amount is
// ever rounded on its way from the bank's text to the table.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Platform.h"

namespace statements {

struct StatementLine {
    int sourceLine = 0;  // line of the file where the transaction starts, from 1
    std::optional<platform::DateTime> date;
    std::int64_t cents = 0;  // money in > 0, money out < 0
    std::string payee;
    std::string memo;
    std::int32_t checkNo = 0;   // 0 when the bank gave none, or no number
    std::string transactionId;  // OFX: account id, "/", FITID; empty for other formats
    // Why the line cannot be imported ("bank.csv, line 7: '31/02/2026' is not a date"); empty
    // when it can.
    std::string problem;
};

struct Statement {
    std::vector<StatementLine> lines;
    // Set when the file as a whole cannot be read (not a statement, cut short, columns that
    // do not fit); it names the file and the line. No lines then.
    std::string error;
    // For QIF and CSV: whether a date order was needed to read the dates (a day and a month
    // of 12 or less), so the user is offered the choice.
    bool dateOrderMatters = false;
    // The order the dates were read in (QIF and CSV).
    platform::DateOrder dateOrder = platform::DateOrder::MDY;
    // The ending (ledger) balance and its day, when the statement states them (OFX LEDGERBAL).
    std::optional<std::int64_t> ledgerCents;
    std::optional<platform::DateTime> ledgerDate;
};

enum class Format { Ofx, Qif, Csv, Unknown };

// The format by the file's name and first bytes: "<OFX" or "OFXHEADER" is OFX or QFX, a
// line starting "!Type:" is QIF, a name ending .csv or .txt is CSV when the text holds a
// table of transactions.
Format DetectFormat(const std::string& path, const std::string& bytes);

// The file's bytes through the data store's file system; false and a message naming the
// file when it cannot be read.
bool ReadFileBytes(const std::string& path, std::string& bytes, std::string& error);

// The name shown in messages: the file name without its directory.
std::string DisplayName(const std::string& path);

// The largest amount the record forms can hold (six digits, two decimals), in cents.
inline constexpr std::int64_t kMaxCents = 99'999'999;
// The record fields the import fills, in characters.
inline constexpr int kPayeeWidth = 30;
inline constexpr int kMemoWidth = 30;
inline constexpr std::int32_t kMaxCheckNo = 99'999'999;

}  // namespace statements
