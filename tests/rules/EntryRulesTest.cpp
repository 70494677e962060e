#include "rules/EntryRules.h"

#include <gtest/gtest.h>

#include "data/StoredForms.h"
#include "platform/ScriptedPlatform.h"

using namespace rules;
using cbk::DateToStored;
using cbk::StoredToDate;
using platform::DateTime;
using platform::MessageKind;
using platform::RecordedMessage;

namespace {

DateTime ymd(int y, int m, int d) {
    return *DateTime::fromYmd(y, m, d);
}

class EntryRules : public ::testing::Test {
protected:
    EntryRules() { sp->clock.set(2026, 3, 14); }
    platform::ScriptedPlatformScope sp;
};

}  // namespace

// ---- dates ----------------------------------------------------------------------------

TEST_F(EntryRules, TwoDigitYearsLandInTheCurrentCentury) {
    EXPECT_EQ(TextToDate("12/31/45"), ymd(2045, 12, 31));
    EXPECT_EQ(TextToDate("01/01/90"), ymd(2090, 1, 1));
    EXPECT_EQ(TextToDate("01/01/00"), ymd(2000, 1, 1));
    EXPECT_EQ(TextToDate("1/2/1999"), ymd(1999, 1, 2));
    // The stored form's window then moves 2090 back a century; 2045 stays.
    EXPECT_EQ(DateToStored(*TextToDate("01/01/90")), "19900101");
    EXPECT_EQ(DateToStored(*TextToDate("12/31/45")), "20451231");
    EXPECT_EQ(DateToStored(*TextToDate("12/31/85")), "20851231");
    EXPECT_EQ(DateToStored(*TextToDate("01/01/86")), "19860101");
}

TEST_F(EntryRules, TextToDateRefusesWhatIsNoDate) {
    for (const char* text :
         {"02/30/26", "13/01/26", "00/10/26", "04/31/26", "abc", "", "  /  /  ", "12/31/45x",
          "12/31/45 1", "12-31-45", "12//45", "/12/45", "12/31/45//", "1234567890/1/26"}) {
        EXPECT_FALSE(TextToDate(text)) << text;
    }
}

TEST_F(EntryRules, TextToDateSkipsBlanksAndOneTrailingSeparator) {
    EXPECT_EQ(TextToDate(" 3/ 5/26"), ymd(2026, 3, 5));
    EXPECT_EQ(TextToDate(" 3 / 5 / 26 "), ymd(2026, 3, 5));
    EXPECT_EQ(TextToDate("3/5/26/"), ymd(2026, 3, 5));
    EXPECT_EQ(TextToDate("02/29/24"), ymd(2024, 2, 29));
}

TEST_F(EntryRules, TwoNumbersAreADateOfTheCurrentYear) {
    EXPECT_EQ(TextToDate("7/4"), ymd(2026, 7, 4));
    EXPECT_EQ(TextToDate("7/4/"), ymd(2026, 7, 4));
    EXPECT_FALSE(TextToDate("2/29"));  // 2026 is no leap year
    sp->regional.setDmy();
    EXPECT_EQ(TextToDate("7.4"), ymd(2026, 4, 7));
}

TEST_F(EntryRules, DayMonthYearWithAPointSeparator) {
    sp->regional.setDmy();
    EXPECT_EQ(TextToDate("31.12.45"), ymd(2045, 12, 31));
    EXPECT_FALSE(TextToDate("12/31/45"));
    EXPECT_FALSE(TextToDate("12.31.45"));
    EXPECT_EQ(DateToText(ymd(2026, 3, 5)), "05.03.26");
}

TEST_F(EntryRules, YearMonthDayOrder) {
    sp->regional.value = {platform::DateOrder::YMD, '.', '.', ','};
    EXPECT_EQ(TextToDate("26.03.05"), ymd(2026, 3, 5));
    EXPECT_EQ(TextToDate("2026.3.5"), ymd(2026, 3, 5));
    EXPECT_EQ(TextToDate("3.5"), ymd(2026, 3, 5));  // two numbers: month, day
    EXPECT_EQ(DateToText(ymd(2026, 3, 5)), "26.03.05");
}

TEST_F(EntryRules, DateToTextFitsTheTwoDigitMask) {
    EXPECT_EQ(DateToText(ymd(2026, 3, 5)), "03/05/26");
    EXPECT_EQ(DateToText(ymd(1999, 12, 31)), "12/31/99");
    EXPECT_EQ(DateToText(ymd(2000, 1, 1)), "01/01/00");
    EXPECT_EQ(DateToText(ymd(2105, 10, 10)), "10/10/05");
}

TEST_F(EntryRules, CheckDateNormalisesOrWarns) {
    std::string text = " 3/ 5/26";
    EXPECT_TRUE(CheckDate(text));
    EXPECT_EQ(text, "03/05/26");
    EXPECT_TRUE(sp->messages.shown.empty());

    text = "02/30/26";
    EXPECT_FALSE(CheckDate(text));
    EXPECT_EQ(text, "02/30/26");
    ASSERT_EQ(sp->messages.shown.size(), 1u);
    EXPECT_EQ(sp->messages.shown[0], (RecordedMessage{MessageKind::Warning, "Invalid Date Entered",
                                                      platform::Buttons::OK}));
}

TEST_F(EntryRules, ABlankStoredDateShowsAsToday) {
    const auto stored = StoredToDate("        ");
    ASSERT_TRUE(stored.ok());
    EXPECT_EQ(DateToText(stored.date), "03/14/26");
}

// ---- amounts --------------------------------------------------------------------------

TEST_F(EntryRules, FormatAmountRightAlignsTwoDecimals) {
    EXPECT_EQ(FormatAmount("1234.5", "%9.2f"), "  1234.50");
    EXPECT_EQ(FormatAmount("  12 34.5 ", "%9.2f"), "  1234.50");
    EXPECT_EQ(FormatAmount("-12.345", "%9.2f"), "   -12.35");
    EXPECT_EQ(FormatAmount("+7", "%9.2f"), "     7.00");
    EXPECT_EQ(FormatAmount(".5", "%9.2f"), "     0.50");
    EXPECT_EQ(FormatAmount("5.", "%9.2f"), "     5.00");
    EXPECT_EQ(FormatAmount("1234567.89", "%9.2f"), "1234567.89");
    EXPECT_EQ(FormatAmount("12345678.9", "%9.2f"), "12345678.90");  // never cut
    EXPECT_EQ(FormatAmount("1.5", "%10.4f"), "    1.5000");
    EXPECT_EQ(FormatAmount("-0.00005", "%10.4f"), "   -0.0001");
    EXPECT_TRUE(sp->messages.errors.empty());
}

TEST_F(EntryRules, AMinusInFrontOfZeroSurvives) {
    EXPECT_EQ(FormatAmount("       -0", "%9.2f"), "    -0.00");
    EXPECT_EQ(FormatAmount("-0", "%9.2f"), "-0.00");
    EXPECT_EQ(FormatAmount("  -0.00  ", "%9.2f"), "    -0.00");
    EXPECT_EQ(FormatAmount("-0", "%10.4f"), "-0.0000");
    EXPECT_EQ(FormatAmount("0", "%9.2f"), "     0.00");
    // A small negative amount that rounds to zero shows no minus of its own.
    EXPECT_EQ(FormatAmount("-0.001", "%9.2f"), "     0.00");
}

TEST_F(EntryRules, ANonNumberIsReportedWithItsBlankFreeText) {
    EXPECT_FALSE(FormatAmount(" a bc", "%9.2f"));
    EXPECT_FALSE(FormatAmount("-", "%9.2f"));
    EXPECT_FALSE(FormatAmount("1.2.3", "%9.2f"));
    EXPECT_FALSE(FormatAmount("12-3", "%9.2f"));
    EXPECT_FALSE(FormatAmount("1,5", "%9.2f"));
    EXPECT_FALSE(FormatAmount("         ", "%9.2f"));
    EXPECT_EQ(sp->messages.errors, (std::vector<std::string>{
                                       "'abc' is not a valid floating point value",
                                       "'-' is not a valid floating point value",
                                       "'1.2.3' is not a valid floating point value",
                                       "'12-3' is not a valid floating point value",
                                       "'1,5' is not a valid floating point value",
                                       "'' is not a valid floating point value",
                                   }));
    EXPECT_TRUE(sp->messages.shown.empty());
}

TEST_F(EntryRules, CommaDecimalSeparator) {
    sp->regional.setDmy();
    EXPECT_EQ(FormatAmount("1234,5", "%9.2f"), "  1234,50");
    EXPECT_EQ(FormatAmount("-0,", "%9.2f"), "-0,00");
    EXPECT_FALSE(FormatAmount("1234.5", "%9.2f"));
    EXPECT_EQ(sp->messages.errors.back(), "'1234.5' is not a valid floating point value");
}

TEST_F(EntryRules, RoundingIsHalfAwayFromZeroOnTheDecimalDigits) {
    EXPECT_EQ(FormatNumber("%9.2f", 0.125), "     0.13");
    EXPECT_EQ(FormatNumber("%9.2f", -0.125), "    -0.13");
    EXPECT_EQ(FormatNumber("%9.2f", 5.125), "     5.13");
    EXPECT_EQ(FormatNumber("%9.2f", 1.005), "     1.00");  // the double lies below 1.005
    EXPECT_EQ(FormatNumber("%9.2f", 99.995), "   100.00");
    EXPECT_EQ(FormatNumber("%9.2f", 0.0), "     0.00");
    EXPECT_EQ(FormatNumber("%9.2f", 1e-9), "     0.00");
    EXPECT_EQ(FormatNumber("%.0f", 9.5), "10");
}

TEST_F(EntryRules, ThousandsSeparatedFormats) {
    EXPECT_EQ(FormatNumber("%12.2n", 1234567.891), "1,234,567.89");
    EXPECT_EQ(FormatNumber("%12.2n", 1234.5), "    1,234.50");
    EXPECT_EQ(FormatNumber("%12.2n", 999.999), "    1,000.00");
    EXPECT_EQ(FormatNumber("%12.2n", 100), "      100.00");
    EXPECT_EQ(FormatNumber("%13.2n", -1234567.5), "-1,234,567.50");
    EXPECT_EQ(FormatNumber("%13.2n", -12.5), "       -12.50");
    EXPECT_EQ(FormatNumber("%13.2n", 123456789012.0), "123,456,789,012.00");
    EXPECT_EQ(FormatNumber("%13.2n", 0), "         0.00");
    sp->regional.setDmy();
    EXPECT_EQ(FormatNumber("%13.2n", 1234567.5), " 1.234.567,50");
}

TEST_F(EntryRules, AmountsShowRedWhileTheyHoldAMinus) {
    EXPECT_TRUE(AmountShowsRed("   -12.00"));
    EXPECT_TRUE(AmountShowsRed("-"));
    EXPECT_FALSE(AmountShowsRed("    12.00"));
}

// ---- numbers --------------------------------------------------------------------------

TEST_F(EntryRules, ChoiceNumberReadsTheFirstFourCharacters) {
    EXPECT_EQ(ChoiceNumber("   7 - Office"), 7);
    EXPECT_EQ(ChoiceNumber("1234 - Rent"), 1234);
    EXPECT_EQ(ChoiceNumber("  -1 - No Default"), -1);
    EXPECT_FALSE(ChoiceNumber(""));
    EXPECT_FALSE(ChoiceNumber("Rent - 12"));
}

TEST_F(EntryRules, TypedChoicePrefersTheWholeNumberThenTheFirstBeginning) {
    const std::vector<std::string> entries = {"   2 - Rent", " 250 - Telephone", "  25 - Rates",
                                              " 300 - Owner Draw"};
    const std::pair<const char*, std::optional<std::size_t>> cases[] = {{"2", 0},
                                                                        {"25", 2},
                                                                        {"250", 1},
                                                                        {"3", 3},
                                                                        {"ra", 2},
                                                                        {"OWNER", 3},
                                                                        {"9", std::nullopt},
                                                                        {"", std::nullopt},
                                                                        {"- ", std::nullopt}};
    for (const auto& [typed, chosen] : cases)
        EXPECT_EQ(TypedChoice(entries, typed), chosen) << typed;
}

TEST_F(EntryRules, WholeNumberFieldsAreRewrittenRightAligned) {
    std::string text = "5       ";
    EXPECT_TRUE(CheckWholeNumber(text, 8));
    EXPECT_EQ(text, "       5");
    text = "0";
    EXPECT_TRUE(CheckWholeNumber(text, 4));
    EXPECT_EQ(text, "   0");
    text = " 12345";
    EXPECT_TRUE(CheckWholeNumber(text, 4));
    EXPECT_EQ(text, "12345");
    EXPECT_TRUE(sp->messages.errors.empty());
}

TEST_F(EntryRules, AWholeNumberThatDoesNotConvertIsReportedWithTheTrimmedText) {
    std::string text = "    ";
    EXPECT_FALSE(CheckWholeNumber(text, 4));
    EXPECT_EQ(text, "    ");
    text = " 1 2 ";
    EXPECT_FALSE(CheckWholeNumber(text, 4));
    text = "99999999999";
    EXPECT_FALSE(CheckWholeNumber(text, 8));
    EXPECT_EQ(sp->messages.errors, (std::vector<std::string>{
                                       "'' is not a valid integer value",
                                       "'1 2' is not a valid integer value",
                                       "'99999999999' is not a valid integer value",
                                   }));
}

TEST_F(EntryRules, WholeNumberLimitsAreThoseOf32Bits) {
    EXPECT_EQ(ToWholeNumber("2147483647"), 2147483647);
    EXPECT_EQ(ToWholeNumber("-2147483648"), -2147483647 - 1);
    EXPECT_FALSE(ToWholeNumber("2147483648"));
    EXPECT_FALSE(ToWholeNumber("-2147483649"));
    EXPECT_FALSE(ToWholeNumber("+"));
    EXPECT_EQ(ToWholeNumber("+12"), 12);
}

TEST_F(EntryRules, AccountNumbersMustBeAboveZero) {
    std::string text = "   0";
    EXPECT_FALSE(CheckAccountNumber(text));
    EXPECT_EQ(text, "   0");
    text = "-5";
    EXPECT_FALSE(CheckAccountNumber(text));
    EXPECT_EQ(text, "-5");
    EXPECT_EQ(sp->messages.shown,
              (std::vector<RecordedMessage>(
                  2, {MessageKind::Information, "Account Number must be greater than zero.",
                      platform::Buttons::OK})));
    text = "42  ";
    EXPECT_TRUE(CheckAccountNumber(text));
    EXPECT_EQ(text, "  42");
    text = "";
    EXPECT_FALSE(CheckAccountNumber(text));
    EXPECT_EQ(sp->messages.errors, (std::vector<std::string>{"'' is not a valid integer value"}));
}

// ---- save-time conversion --------------------------------------------------------------

TEST_F(EntryRules, SaveConversionAssignsEverythingWhenAllConvert) {
    std::int32_t check = 0;
    long account = 0;
    DateTime date{};
    double amount = 0;
    SaveConversion step;
    step.number("       5", check)
        .date("03/05/26", date)
        .amount("  1234.50", amount)
        .choice(std::string("  12 - Rent"), account);
    EXPECT_TRUE(step.commit());
    EXPECT_EQ(check, 5);
    EXPECT_EQ(date, ymd(2026, 3, 5));
    EXPECT_DOUBLE_EQ(amount, 1234.5);
    EXPECT_EQ(account, 12);
    EXPECT_TRUE(sp->messages.shown.empty());
}

TEST_F(EntryRules, SaveConversionChangesNothingWhenOneFails) {
    const RecordedMessage conversionError{
        MessageKind::Warning, "Data Conversion Error. Please check values and try again",
        platform::Buttons::OK};
    std::int32_t check = 77, account = 3;
    DateTime date = ymd(2020, 1, 1);
    double amount = 9;
    {
        SaveConversion step;
        step.number("5", check).date("02/30/26", date).amount("1", amount);
        EXPECT_FALSE(step.commit());
    }
    {
        SaveConversion step;
        step.number("        ", check).amount("1", amount);
        EXPECT_FALSE(step.commit());
    }
    {
        SaveConversion step;
        const std::optional<std::string> noEntry;  // no entry chosen
        step.number("5", check).choice(noEntry, account);
        EXPECT_FALSE(step.ok());
        EXPECT_FALSE(step.commit());
    }
    EXPECT_EQ(check, 77);
    EXPECT_EQ(account, 3);
    EXPECT_EQ(date, ymd(2020, 1, 1));
    EXPECT_EQ(amount, 9);
    EXPECT_EQ(sp->messages.shown, std::vector<RecordedMessage>(3, conversionError));
    EXPECT_TRUE(sp->messages.errors.empty());
}

TEST_F(EntryRules, HelpButtonOpensContentsThenJumpsToTheFormsContext) {
    ShowFormHelp(530);
    using platform::HelpCall;
    EXPECT_EQ(sp->help.calls, (std::vector<HelpCall>{{HelpCall::Topic, 0, "contents"},
                                                     {HelpCall::Jump, 0, "530"}}));
}
