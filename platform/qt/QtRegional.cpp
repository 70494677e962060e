#include "platform/qt/QtRegional.h"

#include <QString>

namespace platform::qt {

namespace {

// The one character of `text`, when it is a single printable ASCII character.
std::optional<char> asciiOf(const QString& text) {
    if (text.size() != 1) return std::nullopt;
    const char16_t c = text.at(0).unicode();
    if (c < 0x21 || c > 0x7e) return std::nullopt;
    return char(c);
}

bool isDatePart(QChar c) {
    return c == u'd' || c == u'M' || c == u'y';
}

}  // namespace

RegionalSettings dateSettingsOf(const QString& shortDateFormat) {
    RegionalSettings settings;
    QString order;
    std::optional<char> separator;
    for (qsizetype i = 0; i < shortDateFormat.size(); ++i) {
        const QChar c = shortDateFormat.at(i);
        if (c == u'\'') {  // quoted text is no part of the date
            const qsizetype close = shortDateFormat.indexOf(u'\'', i + 1);
            if (close < 0) break;
            i = close;
            continue;
        }
        if (isDatePart(c)) {
            if (order.isEmpty() || order.back() != c) order += c;
            continue;
        }
        if (!separator && !order.isEmpty() && c.isPunct() && c.unicode() < 0x80)
            separator = char(c.unicode());
    }
    if (order.startsWith(u'd'))
        settings.dateOrder = DateOrder::DMY;
    else if (order.startsWith(u'y'))
        settings.dateOrder = DateOrder::YMD;
    else
        settings.dateOrder = DateOrder::MDY;
    if (separator) {
        settings.dateSeparator = *separator;
    } else {
        settings.dateOrder = DateOrder::MDY;
        settings.dateSeparator = '/';
    }
    return settings;
}

RegionalSettings regionalSettingsOf(const QLocale& locale) {
    const QString shortFormat = locale.dateFormat(QLocale::ShortFormat);
    RegionalSettings settings = dateSettingsOf(shortFormat);
    settings.shortDateFormat = shortFormat.toStdString();
    settings.decimalSeparator = asciiOf(locale.decimalPoint()).value_or('.');
    const QString group = locale.groupSeparator();
    settings.thousandSeparator = asciiOf(group).value_or(group.isEmpty() ? '\0' : ' ');
    if (settings.thousandSeparator == settings.decimalSeparator)
        settings.thousandSeparator = settings.decimalSeparator == ',' ? '.' : ',';
    return settings;
}

QtRegional::QtRegional(const QLocale& locale) : settings_(regionalSettingsOf(locale)) {}

}  // namespace platform::qt
