#include "bank/forms/BankText.h"

#include "data/StoredForms.h"
#include "platform/Platform.h"
#include "rules/EntryRules.h"

namespace cbk::bankforms {

QString Money(bank::Cents cents) {
    const platform::RegionalSettings r = platform::regional().settings();
    return QString::fromStdString(bank::CentsText(cents, r.decimalSeparator, r.thousandSeparator));
}

QString DateShown(std::uint32_t date) {
    if (date == 0 || date > 99'991'231U) return {};
    const auto d =
        platform::DateTime::fromYmd(int(date / 10000), int(date / 100 % 100), int(date % 100));
    return d ? QString::fromStdString(rules::DateToText(*d)) : QString{};
}

std::optional<std::uint32_t> TypedDate(const QString& text) {
    const auto d = rules::TextToDate(text.trimmed().toStdString());
    if (!d) return std::nullopt;
    return std::uint32_t(d->year() * 10000 + d->month() * 100 + d->dayOfMonth());
}

std::optional<bank::Cents> TypedMoney(const QString& text) {
    const platform::RegionalSettings r = platform::regional().settings();
    return bank::TypedCents(text.trimmed().toStdString(), r.decimalSeparator, r.thousandSeparator);
}

void Warn(const std::string& text) {
    platform::Warn(text);
}

}  // namespace cbk::bankforms
