#pragma once

// Regional settings from the user's locale: the order of the short date format, its
// separator, and the decimal and thousands separators.

#include <QLocale>

#include "platform/Platform.h"

namespace platform::qt {

class QtRegional : public Regional {
public:
    explicit QtRegional(const QLocale& locale = QLocale());
    RegionalSettings settings() override { return settings_; }

private:
    RegionalSettings settings_;
};

// The settings a locale gives. A short date format without a usable separator (one that is
// not a punctuation character) falls back to month/day/year with "/"; separators the
// program cannot hold in one character become "." (decimal) and a blank (thousands).
RegionalSettings regionalSettingsOf(const QLocale& locale);

// The order and separator of a short date format such as "M/d/yy" or "dd.MM.yyyy".
RegionalSettings dateSettingsOf(const QString& shortDateFormat);

}  // namespace platform::qt
