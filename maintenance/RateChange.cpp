#include "maintenance/RateChange.h"

#include "data/Database.h"
#include "data/StoredForms.h"
#include "maintenance/Archive.h"
#include "rules/EntryRules.h"

namespace maintenance {

namespace {

RateChangeOutcome Refuse(std::string_view warning) {
    RateChangeOutcome outcome;
    outcome.refused = warning;
    return outcome;
}

}  // namespace

std::vector<std::string> ExpenseAccountEntries() {
    std::vector<std::string> entries;
    engine::d4tagSelect(cbk::Accounts, cbk::AccTag);
    for (int rc = engine::d4top(cbk::Accounts); rc == engine::r4success;
         rc = engine::d4skip(cbk::Accounts, 1))
        entries.push_back(engine::f4str(cbk::AccNoField) + " - " + engine::f4str(cbk::AcDescField));
    return entries;
}

RateChangeOutcome ApplyRateChange(const RateChangeInput& input,
                                  const std::function<bool()>& beforeChange) {
    const auto oldRate = rules::ToFloat(input.oldRate);
    const auto newRate = rules::ToFloat(input.newRate);
    const auto start = rules::TextToDate(input.start);
    const auto end = rules::TextToDate(input.end);
    const auto accNo = input.account ? rules::ChoiceNumber(*input.account) : std::nullopt;
    if (!oldRate || !newRate || !start || !end || !accNo) return Refuse(kConversionError);
    const platform::DateTime from = Windowed(*start);
    const platform::DateTime through = Windowed(*end);
    if (*oldRate == 0 || *newRate == 0) return Refuse(kRatesNonZero);
    if (*oldRate == *newRate) return Refuse(kRatesNotEqual);
    if (from > through) return Refuse(kBeginningAfterEnd);
    RateChangeOutcome outcome;
    if (!beforeChange()) {
        outcome.stopped = true;
        return outcome;
    }
    outcome.changed = RescaleAmounts(*accNo, from, through, *oldRate, *newRate);
    return outcome;
}

long RescaleAmounts(std::int32_t accNo, const platform::DateTime& start,
                    const platform::DateTime& end, double oldRate, double newRate) {
    const std::string from = cbk::DateToStored(start);
    const std::string through = cbk::DateToStored(end);
    long changed = 0;
    engine::d4tagSelect(cbk::Expenses, cbk::EDateTag);
    for (int rc = engine::d4seek(cbk::Expenses, from);
         rc != engine::r4eof && rc >= 0 && !engine::d4eof(cbk::Expenses);
         rc = engine::d4skip(cbk::Expenses, 1)) {
        const std::string stored = engine::f4str(cbk::ExpDateField);
        if (stored > through) break;
        if (engine::f4int(cbk::ExpAccNoField) != accNo || stored < from) continue;
        const double amount = engine::f4double(cbk::AmountField);
        engine::f4assignDouble(cbk::AmountField, amount * newRate / oldRate);
        ++changed;
    }
    return changed;
}

}  // namespace maintenance
