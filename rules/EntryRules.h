#pragma once

// The field rules shared by every form that takes a date, an amount, a record number or a
// choice of account or folder. All of them follow the platform's regional settings and clock.

#include <concepts>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/DateTime.h"

namespace rules {

// ---- dates ----------------------------------------------------------------------------
// Month, day and year (or two of them, for the current year) in the short date order; a
// year of 99 or less is placed in the current century. Nothing when the text is no date.
std::optional<platform::DateTime> TextToDate(std::string_view text);

// The date in date field form: two digits for each part, in the short date order, joined by
// the date separator ("03/14/26").
std::string DateToText(const platform::DateTime& date);

// The date field rule: a date is normalised in place; anything else shows
// "Invalid Date Entered" and stays as typed.
bool CheckDate(std::string& text);

// ---- numbers --------------------------------------------------------------------------
// A whole number: optional sign and digits, blanks around it ignored, within 32 bits.
std::optional<std::int32_t> ToWholeNumber(std::string_view text);

// A number as the amount fields hold it: optional sign, digits, the decimal separator,
// digits; blanks around it ignored.
std::optional<double> ToFloat(std::string_view text);

// The amount fields of the record forms show their amounts by this pattern, as wide as the
// stored fields.
inline constexpr std::string_view kEntryAmountPattern = "%10.2f";

// One number formatted by "%W.Pf" (fixed) or "%W.Pn" (fixed with thousands separators),
// right-aligned in W characters, with the regional decimal and thousands separators.
std::string FormatNumber(std::string_view pattern, double value);

// The amount-field rule: the blank-free text reformatted by `pattern` ("%9.2f", "%10.4f"). A
// text that is no number is reported ("'%s' is not a valid floating point value") and gives
// nothing; the field keeps its text.
std::optional<std::string> FormatAmount(std::string_view text, std::string_view pattern);

// An amount field shows red while its text holds a minus sign.
bool AmountShowsRed(std::string_view text);

// The number in the first four characters of a choice-list entry ("   7 - Office" -> 7).
std::optional<std::int32_t> ChoiceNumber(std::string_view entry);

// Type-ahead in a choice list of "<number> - <description>" entries: the first entry whose
// number is `typed`, else the first whose number or description begins with it (without
// regard to case). Nothing when none does.
std::optional<std::size_t> TypedChoice(const std::vector<std::string>& entries,
                                       std::string_view typed);

// The whole-number field rule: the trimmed text converted and rewritten right-aligned in
// `width` characters. A failing conversion is reported ("'%s' is not a valid integer
// value") and leaves the text as it was.
bool CheckWholeNumber(std::string& text, int width);

// The account-number field: the whole-number rule in width 4, refusing numbers below 1 with
// "Account Number must be greater than zero.".
bool CheckAccountNumber(std::string& text);

// ---- save-time conversion --------------------------------------------------------------
// Converts the fields of a form into a record buffer as one guarded step: the targets are
// assigned only when every conversion succeeds; otherwise commit() shows
// "Data Conversion Error. Please check values and try again" and nothing changes.
class SaveConversion {
public:
    template <std::integral Int>
    SaveConversion& number(std::string_view text, Int& target) {
        const auto value = ToWholeNumber(text);
        return add(value.has_value(), [&target, value] { target = Int(*value); });
    }
    SaveConversion& date(std::string_view text, platform::DateTime& target);
    SaveConversion& amount(std::string_view text, double& target);
    // `entry` is the chosen entry of a choice list; nothing when none is chosen.
    template <std::integral Int>
    SaveConversion& choice(const std::optional<std::string>& entry, Int& target) {
        const auto value = entry ? ChoiceNumber(*entry) : std::nullopt;
        return add(value.has_value(), [&target, value] { target = Int(*value); });
    }

    bool ok() const { return ok_; }
    bool commit();

private:
    SaveConversion& add(bool converted, std::function<void()> assign);

    bool ok_ = true;
    std::vector<std::function<void()>> assignments_;
};

// ---- help button ----------------------------------------------------------------------
// The help button of the edit forms: the help file at its contents, then the topic whose
// jump identifier is the form's help context.
void ShowFormHelp(int helpContext);

}  // namespace rules
