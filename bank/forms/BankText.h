#pragma once

// How the bank forms show amounts and dates: with the regional separators and date order.

#include <QString>
#include <cstdint>
#include <optional>
#include <string>

#include "bank/Cents.h"

namespace cbk::bankforms {

QString Money(bank::Cents cents);
// A date number yyyymmdd in date-field form ("03/31/26"); empty for 0 or a blank date.
QString DateShown(std::uint32_t date);
// What the user typed as a date, as yyyymmdd; nullopt when it is no date.
std::optional<std::uint32_t> TypedDate(const QString& text);
std::optional<bank::Cents> TypedMoney(const QString& text);
void Warn(const std::string& text);

}  // namespace cbk::bankforms
