#include "data/engine/KeyExpression.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace engine {
namespace {

// EXP5 and INC5 fields as they lie in a record (byte 0 is the delete flag).
std::vector<FieldLayout> layout() {
    return {
        {"EXPDATE", 'D', 1, 8, 0}, {"ACCNO", 'N', 9, 4, 0},    {"FOLNO", 'N', 13, 4, 0},
        {"INCACC", 'N', 17, 4, 0}, {"INCDATE", 'D', 21, 8, 0}, {"AMOUNT", 'N', 29, 9, 2},
        {"PAYTO", 'C', 38, 6, 0},  {"ARCHIVE", 'L', 44, 1, 0},
    };
}

struct Record {
    std::string bytes = std::string(45, ' ');
    Record& set(int offset, std::string_view text) {
        bytes.replace(static_cast<std::size_t>(offset), text.size(), text);
        return *this;
    }
};

std::string key(const KeyExpression& e, const Record& r) {
    std::string out;
    e.evaluate(r.bytes.data(), out);
    EXPECT_EQ(out.size(), static_cast<std::size_t>(e.keyLength()));
    return out;
}

KeyExpression parsed(std::string_view text) {
    std::string error;
    auto e = KeyExpression::parse(text, layout(), &error);
    EXPECT_TRUE(e) << text << ": " << error;
    return e ? std::move(*e) : *KeyExpression::parse("PAYTO", layout());
}

TEST(KeyExpression, TagExpressionsGiveTheirKeys) {
    Record r;
    r.set(1, "20260305").set(9, "   7").set(17, "  12").set(21, "20251231");

    auto eDate = parsed("DTOS(EXPDATE) + STR(ACCNO,4)");
    EXPECT_EQ(eDate.type(), 'C');
    EXPECT_EQ(eDate.keyLength(), 12);
    EXPECT_EQ(eDate.canonicalText(), "DTOS(EXPDATE)+STR(ACCNO,4)");
    EXPECT_EQ(key(eDate, r), "20260305   7");

    auto eAcc = parsed("STR(ACCNO,4) + DTOS(EXPDATE)");
    EXPECT_EQ(key(eAcc, r), "   720260305");

    auto incAcc = parsed("Str(IncAcc,4,0)+DTOS(INCDATE)");
    EXPECT_EQ(incAcc.canonicalText(), "STR(INCACC,4,0)+DTOS(INCDATE)");
    EXPECT_EQ(key(incAcc, r), "  1220251231");

    auto accTag = parsed("STR(ACCNO, 4)");
    EXPECT_EQ(accTag.canonicalText(), "STR(ACCNO,4)");
    EXPECT_EQ(key(accTag, r), "   7");

    auto incDate = parsed("DTOS(INCDATE)");
    EXPECT_EQ(key(incDate, r), "20251231");
}

// STR of a whole-number field gives STR's text whatever form the stored text has: as it
// stands when already so, rewritten when another tool left it otherwise.
TEST(KeyExpression, StrOfAFieldIsStrsTextInEveryStoredForm) {
    auto acc = parsed("STR(ACCNO,4)");
    const struct {
        const char* stored;
        const char* key;
    } cases[] = {{"   7", "   7"}, {"  -5", "  -5"}, {"9999", "9999"}, {"   0", "   0"},
                 {" 007", "   7"}, {"7   ", "   7"}, {"  -0", "   0"}, {"    ", "   0"},
                 {"00 7", "   0"}, {" 1.5", "   2"}, {"-999", "-999"}};
    for (const auto& c : cases)
        EXPECT_EQ(key(acc, Record().set(9, c.stored)), c.key) << '"' << c.stored << '"';
    // A field of another width or with decimals takes STR's own reading.
    EXPECT_EQ(key(parsed("STR(ACCNO,6)"), Record().set(9, "  12")), "    12");
    EXPECT_EQ(key(parsed("STR(AMOUNT,9,2)"), Record().set(29, "     1.5")), "     1.50");
}

TEST(KeyExpression, CaseAndSpacingDoNotMatter) {
    Record r;
    r.set(1, "20260305").set(9, "  42");
    for (const char* text : {"str(accno,4)+dtos(expdate)", "  Str ( AccNo , 4 ) + DtoS( ExpDate ) ",
                             "(STR(ACCNO,4))+(DTOS(EXPDATE))", "\tSTR(ACCNO,\t4)+DTOS(EXPDATE)"}) {
        auto e = parsed(text);
        EXPECT_EQ(key(e, r), "  4220260305") << text;
    }
}

TEST(KeyExpression, SingleNumericFieldUsesClipperNumericKeys) {
    auto fol = parsed("FOLNO");
    EXPECT_EQ(fol.type(), 'N');
    EXPECT_EQ(fol.keyLength(), 4);
    EXPECT_EQ(fol.keyDecimals(), 0);
    EXPECT_EQ(key(fol, Record().set(13, "   7")), "0007");
    EXPECT_EQ(key(fol, Record().set(13, "  -5")), ",,,'");
    EXPECT_EQ(key(fol, Record().set(13, " -12")), ",,+*");
    EXPECT_EQ(key(fol, Record().set(13, "    ")), "0000");  // blank reads as 0
    EXPECT_EQ(key(fol, Record().set(13, "7   ")), "0007");  // left-aligned by another tool
    EXPECT_EQ(fol.seekKey("   7"), "0007");
    EXPECT_EQ(fol.seekKey("7"), "0007");
    EXPECT_EQ(fol.seekKey("-5"), ",,,'");
    EXPECT_EQ(fol.seekKey(7.0), "0007");
    EXPECT_EQ(parsed("STR(ACCNO,4)").seekKey("   7"), "   7");  // text keys stay as given
    EXPECT_EQ(parsed("STR(ACCNO,4)").seekKey(" "), " ");        // and partial

    auto amount = parsed("AMOUNT");
    EXPECT_EQ(amount.keyDecimals(), 2);
    EXPECT_EQ(key(amount, Record().set(29, "   -12.50")), ",,,,+*.',");
    EXPECT_EQ(key(amount, Record().set(29, "    12.5 ")), "000012.50");
}

TEST(KeyExpression, NumericKeysSortLikeTheirNumbers) {
    std::vector<std::pair<std::string, int>> keys;
    for (int v = -999; v <= 9999; v += 7) keys.emplace_back(numericKey(v, 4, 0), v);
    std::sort(keys.begin(), keys.end());
    for (std::size_t i = 1; i < keys.size(); ++i)
        ASSERT_LT(keys[i - 1].second, keys[i].second) << keys[i].first;
    std::vector<std::string> dec;
    for (double v : {-3.25, -3.2, -0.5, 0.0, 0.25, 3.2, 3.25}) dec.push_back(numericKey(v, 6, 2));
    EXPECT_TRUE(std::is_sorted(dec.begin(), dec.end()));
}

TEST(KeyExpression, StrRoundsPadsAndOverflows) {
    EXPECT_EQ(clipperStr(7, 4, 0), "   7");
    EXPECT_EQ(clipperStr(-7, 4, 0), "  -7");
    EXPECT_EQ(clipperStr(12345, 4, 0), "****");
    EXPECT_EQ(clipperStr(2.675, 6, 2), "  2.68");
    EXPECT_EQ(clipperStr(2.5, 3, 0), "  3");
    EXPECT_EQ(clipperStr(-2.5, 3, 0), " -3");
    EXPECT_EQ(clipperStr(-0.004, 5, 2), " 0.00");  // no negative zero
    EXPECT_EQ(clipperStr(9.999, 4, 2), "****");    // rounds up to 10.00, too wide
    EXPECT_EQ(clipperStr(1e30, 6, 0), "******");

    Record r;
    r.set(29, "   1234.5");
    EXPECT_EQ(key(parsed("STR(AMOUNT,9,2)"), r), "  1234.50");
    EXPECT_EQ(key(parsed("STR(AMOUNT,6)"), r), "  1235");
    EXPECT_EQ(key(parsed("STR(AMOUNT)"), r), "      1235");  // default length 10
    EXPECT_EQ(key(parsed("STR(AMOUNT,3)"), r), "***");
}

TEST(KeyExpression, BlankDateGivesBlanks) {
    auto e = parsed("DTOS(EXPDATE)+STR(ACCNO,4)");
    EXPECT_EQ(key(e, Record().set(9, "   3")), "           3");
    EXPECT_EQ(key(e, Record().set(1, "00000000").set(9, "   3")), "           3");
    auto d = parsed("EXPDATE");
    EXPECT_EQ(d.type(), 'D');
    EXPECT_EQ(key(d, Record().set(1, "19991231")), "19991231");
}

TEST(KeyExpression, FilterTellsDeletedRecords) {
    auto f = parsed(".NOT. DELETED()");
    EXPECT_EQ(f.type(), 'L');
    EXPECT_EQ(f.keyLength(), 0);
    EXPECT_EQ(f.canonicalText(), ".NOT.DELETED()");
    Record live, gone;
    gone.set(0, "*");
    EXPECT_TRUE(f.evaluateBool(live.bytes.data()));
    EXPECT_FALSE(f.evaluateBool(gone.bytes.data()));
    EXPECT_TRUE(parsed(".not.deleted( )").evaluateBool(live.bytes.data()));
    EXPECT_TRUE(parsed("DELETED()").evaluateBool(gone.bytes.data()));
    EXPECT_FALSE(parsed(".NOT. .NOT. DELETED()").evaluateBool(live.bytes.data()));
    auto archived = parsed(".NOT. ARCHIVE");
    EXPECT_TRUE(archived.evaluateBool(Record().set(44, "F").bytes.data()));
    EXPECT_FALSE(archived.evaluateBool(Record().set(44, "T").bytes.data()));
}

TEST(KeyExpression, GarbageIsRefusedWithAMessage) {
    for (const char* text : {"",
                             "   ",
                             "STR(ACCNO",
                             "STR(ACCNO,4",
                             "STR(ACCNO,)",
                             "STR(ACCNO,4,)",
                             "STR(PAYTO,4)",
                             "STR(EXPDATE,4)",
                             "DTOS(ACCNO)",
                             "DTOS()",
                             "NOSUCH",
                             "STR(NOSUCH,4)",
                             "ACCNO +",
                             "+ ACCNO",
                             "STR(ACCNO,4) + ACCNO",
                             "PAYTO + .NOT. DELETED()",
                             ".NOT. PAYTO",
                             "UPPER(PAYTO)",
                             "PAYTO PAYTO",
                             "@#$",
                             "STR(ACCNO,4))",
                             "DELETED(1)",
                             ".NOT DELETED()",
                             "STR(ACCNO,0)",
                             "STR(ACCNO,4,4)",
                             "\x01\x02"}) {
        std::string error;
        EXPECT_FALSE(KeyExpression::parse(text, layout(), &error)) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
    std::string error;
    KeyExpression::parse("STR(NOSUCH,4)", layout(), &error);
    EXPECT_NE(error.find("NOSUCH"), std::string::npos) << error;
}

// The bytes an expression reads, which decide whether a change of a record can move its
// entry: a field's whole width and nothing beside it, through STR, DTOS, "+" and .NOT.; the
// delete flag for DELETED().
TEST(KeyExpression, ReadsExactlyTheBytesOfItsFields) {
    const struct {
        const char* text;
        int from, to;
        bool reads;
    } cases[] = {{"STR(ACCNO,4) + DTOS(EXPDATE)", 1, 2, true},
                 {"STR(ACCNO,4) + DTOS(EXPDATE)", 12, 13, true},
                 {"STR(ACCNO,4) + DTOS(EXPDATE)", 13, 45, false},
                 {"STR(ACCNO,4) + DTOS(EXPDATE)", 0, 1, false},
                 {"DTOS(INCDATE)", 28, 29, true},
                 {"DTOS(INCDATE)", 17, 21, false},
                 {"PAYTO", 43, 45, true},
                 {"PAYTO", 44, 45, false},
                 {".NOT. DELETED()", 0, 1, true},
                 {".NOT. DELETED()", 1, 45, false}};
    for (const auto& c : cases)
        EXPECT_EQ(parsed(c.text).reads(c.from, c.to), c.reads)
            << c.text << " [" << c.from << ", " << c.to << ")";
}

}  // namespace
}  // namespace engine
