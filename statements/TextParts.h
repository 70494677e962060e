#pragma once

// The small texts of bank files: dates as banks write them, amounts with either decimal mark,
// and text cut the way the record forms cut it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"
#include "platform/Platform.h"

namespace statements {

// A bank's date: "2026-03-05", "20260305", "03/05/2026", "5.3.26", "3/ 5'26" (QIF's
// apostrophe year), "05-Mar-2026", "Mar 5, 2026". A four-digit first part is the year;
// otherwise `order` says which of the first two parts is the month. A two-digit year lies in
// the current century, as the date fields place it.
std::optional<platform::DateTime> ParseBankDate(std::string_view text, platform::DateOrder order);

// Whether `text` reads as a date in one of MDY and DMY but not the other, or in both with a
// different result: the date order then matters.
bool DateOrderAmbiguous(std::string_view text);

// Of MDY and DMY, the one that reads all of `dates`, `preferred` when both (or neither) do.
platform::DateOrder GuessDateOrder(const std::vector<std::string>& dates,
                                   platform::DateOrder preferred);

// An amount in cents: blanks, currency signs and thousands marks ignored, "-12.34",
// "(12.34)" and "12.34-" negative. `decimalMark` is '.' or ','; 0 lets the text decide (the
// last '.' or ',' followed by one or two digits at the end). Nothing when it is no amount.
std::optional<std::int64_t> ParseAmount(std::string_view text, char decimalMark);

// "-1234.56" for -123456 cents.
std::string CentsText(std::int64_t cents);

// A whole check number of at most eight digits, or 0.
std::int32_t ParseCheckNo(std::string_view text);

// Text as the record forms store it: valid UTF-8 (bytes that are not are read as
// Windows-1252), blanks and control characters at the ends removed, at most `width`
// characters.
std::string FieldText(std::string_view text, int width);

// Blanks removed at both ends.
std::string Trimmed(std::string_view text);

}  // namespace statements
