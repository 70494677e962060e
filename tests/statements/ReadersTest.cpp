// The readers on hand-written statements in the styles of several banks.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "platform/ScriptedPlatform.h"
#include "statements/MappingStore.h"
#include "statements/Readers.h"
#include "statements/TextParts.h"

namespace statements {
namespace {

using platform::DateOrder;

std::string DataFile(const std::string& name) {
    return std::string(CBK_SOURCE_DIR) + "/tests/data/statements/" + name;
}

platform::DateTime Ymd(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

class ReadersTest : public ::testing::Test {
protected:
    void SetUp() override { platform_->clock.set(2026, 3, 5); }

    Statement Read(const std::string& name) {
        std::string bytes, error;
        EXPECT_TRUE(ReadFileBytes(DataFile(name), bytes, error)) << error;
        switch (DetectFormat(name, bytes)) {
            case Format::Ofx:
                return MakeOfxReader()->read(DataFile(name), bytes);
            case Format::Qif:
                return MakeQifReader(DateOrder::MDY, false)->read(DataFile(name), bytes);
            default:
                return MakeCsvReader(GuessMapping(bytes, DateOrder::MDY))
                    ->read(DataFile(name), bytes);
        }
    }

    platform::ScriptedPlatformScope platform_;
};

void ExpectLine(const StatementLine& line, platform::DateTime date, std::int64_t cents,
                const std::string& payee, const std::string& memo, int checkNo) {
    EXPECT_EQ(line.problem, "");
    ASSERT_TRUE(line.date.has_value());
    EXPECT_EQ(*line.date, date);
    EXPECT_EQ(line.cents, cents);
    EXPECT_EQ(line.payee, payee);
    EXPECT_EQ(line.memo, memo);
    EXPECT_EQ(line.checkNo, checkNo);
}

TEST_F(ReadersTest, SgmlOfxWithUnclosedTags) {
    const Statement st = Read("first-national.ofx");
    ASSERT_EQ(st.error, "");
    ASSERT_EQ(st.lines.size(), 3u);
    ExpectLine(st.lines[0], Ymd(2026, 2, 3), -12000, "Harbor Office Supply", "Check 1043", 1043);
    ExpectLine(st.lines[1], Ymd(2026, 2, 10), 250000, "Lakeside Catering Co", "Invoice 311", 0);
    // The payee is cut to the field's thirty characters, as the form cuts it.
    ExpectLine(st.lines[2], Ymd(2026, 2, 14), -6437, "City Water & Power Department", "", 0);
    EXPECT_EQ(st.lines[0].transactionId, "121000248  4411-0098/2026020301");
    EXPECT_EQ(st.lines[0].sourceLine, 39);
    // The ending balance the next reconciliation starts from.
    EXPECT_EQ(st.ledgerCents, 531012);
    EXPECT_EQ(st.ledgerDate, Ymd(2026, 2, 28));
}

TEST_F(ReadersTest, XmlOfxAndQfxCreditCard) {
    const Statement xml = Read("credit-union.ofx");
    ASSERT_EQ(xml.error, "");
    ASSERT_EQ(xml.lines.size(), 2u);
    ExpectLine(xml.lines[0], Ymd(2026, 2, 5), 41050, "Rent - Unit 2B", "", 0);
    ExpectLine(xml.lines[1], Ymd(2026, 2, 27), -500, "Service charge", "Monthly fee", 0);
    EXPECT_EQ(xml.lines[1].transactionId, "322271627  778812/CU-88177");

    const Statement qfx = Read("card.qfx");
    ASSERT_EQ(qfx.error, "");
    ASSERT_EQ(qfx.lines.size(), 2u);
    ExpectLine(qfx.lines[0], Ymd(2026, 2, 11), -3899, "PARCELPOST ONLINE", "", 0);
    ExpectLine(qfx.lines[1], Ymd(2026, 2, 20), 1200, "PARCELPOST ONLINE", "Refund", 0);
    EXPECT_EQ(qfx.ledgerCents, -2699);
}

// The day is the one the bank wrote, in the statement's zone, wherever the computer is.
TEST_F(ReadersTest, OfxEveningAndEarlyMorningStampsKeepTheirDayInEveryZone) {
    const std::string path = ::testing::TempDir() + "/zones.ofx";
    const std::string ofx =
        "OFXHEADER:100\nDATA:OFXSGML\nVERSION:102\n\n<OFX>\n<BANKMSGSRSV1>\n<STMTTRNRS>\n"
        "<STMTRS>\n<CURDEF>USD\n<BANKACCTFROM>\n<BANKID>121000248\n<ACCTID>77\n"
        "<ACCTTYPE>CHECKING\n</BANKACCTFROM>\n<BANKTRANLIST>\n"
        "<STMTTRN>\n<TRNTYPE>DEBIT\n<DTPOSTED>20251031200000.000[-5:EST]\n<TRNAMT>-9.99\n"
        "<FITID>1\n<NAME>Evening\n</STMTTRN>\n"
        "<STMTTRN>\n<TRNTYPE>DEBIT\n<DTPOSTED>20251101063000[+13:NZDT]\n<TRNAMT>-1.00\n"
        "<FITID>2\n<NAME>Morning\n</STMTTRN>\n"
        "</BANKTRANLIST>\n</STMTRS>\n</STMTTRNRS>\n</BANKMSGSRSV1>\n</OFX>\n";
    std::ofstream(path, std::ios::binary) << ofx;
    const char* before = std::getenv("TZ");
    const std::string saved = before ? before : "";
    for (const char* zone : {"UTC", "America/New_York", "Pacific/Auckland"}) {
        ::setenv("TZ", zone, 1);
        ::tzset();
        const Statement st = MakeOfxReader()->read(path, ofx);
        ASSERT_EQ(st.lines.size(), 2u) << zone << st.error;
        EXPECT_EQ(st.lines[0].date, Ymd(2025, 10, 31)) << zone;
        EXPECT_EQ(st.lines[1].date, Ymd(2025, 11, 1)) << zone;
    }
    before ? ::setenv("TZ", saved.c_str(), 1) : ::unsetenv("TZ");
    ::tzset();
    std::filesystem::remove(path);
}

TEST_F(ReadersTest, QifBankWithUAndTAndCardWithDayFirstDates) {
    const Statement bank = Read("bank.qif");
    ASSERT_EQ(bank.error, "");
    ASSERT_EQ(bank.lines.size(), 3u);
    ExpectLine(bank.lines[0], Ymd(2026, 2, 3), -12000, "Harbor Office Supply", "Check 1043", 1043);
    ExpectLine(bank.lines[1], Ymd(2026, 2, 10), 250000, "Lakeside Catering Co", "", 0);
    ExpectLine(bank.lines[2], Ymd(2026, 2, 14), -6437, "City Water & Power", "February", 0);
    EXPECT_EQ(bank.lines[2].sourceLine, 15);

    // 13.02.2026 reads only day first, so the file is read day first; the account list
    // before the section is passed over.
    const Statement card = Read("card.qif");
    ASSERT_EQ(card.error, "");
    ASSERT_EQ(card.lines.size(), 2u);
    EXPECT_TRUE(card.dateOrderMatters);
    ExpectLine(card.lines[0], Ymd(2026, 2, 13), -3899, "Parcelpost Online", "", 0);
    ExpectLine(card.lines[1], Ymd(2026, 3, 2), 1200, "Parcelpost Online", "Refund", 0);
    // Chosen month first, the second date is another day.
    std::string bytes, error;
    ReadFileBytes(DataFile("card.qif"), bytes, error);
    const Statement mdy = MakeQifReader(DateOrder::MDY, true)->read("card.qif", bytes);
    EXPECT_EQ(*mdy.lines[1].date, Ymd(2026, 2, 3));
    EXPECT_EQ(mdy.lines[0].problem, "card.qif, line 6: '13.02.2026' is not a date.");
}

TEST_F(ReadersTest, CsvWithQuotedCommasAndWithDecimalComma) {
    const Statement st = Read("first-national.csv");
    ASSERT_EQ(st.error, "");
    ASSERT_EQ(st.lines.size(), 3u);
    ExpectLine(st.lines[0], Ymd(2026, 2, 3), -12000, "Harbor Office Supply, Inc.", "Check 1043",
               1043);
    ExpectLine(st.lines[1], Ymd(2026, 2, 10), 250000, "Lakeside Catering Co",
               "Invoice 311, paid in full", 0);

    std::string bytes, error;
    ReadFileBytes(DataFile("sparkasse.csv"), bytes, error);
    const CsvMapping m = GuessMapping(bytes, DateOrder::MDY);
    EXPECT_EQ(m.delimiter, ';');
    EXPECT_TRUE(m.decimalComma);
    EXPECT_EQ(m.dateOrder, DateOrder::DMY);
    EXPECT_EQ(m.debit, 3);
    EXPECT_EQ(m.credit, 4);
    const Statement de = MakeCsvReader(m)->read("sparkasse.csv", bytes);
    ASSERT_EQ(de.lines.size(), 3u);
    ExpectLine(de.lines[0], Ymd(2026, 2, 13), -3899, "Parcelpost Online", "Paket", 0);
    ExpectLine(de.lines[1], Ymd(2026, 3, 2), 1200, "Parcelpost Online", "Erstattung", 0);
    ExpectLine(de.lines[2], Ymd(2026, 3, 4), -120450, "Bäckerei Kunz; Filiale 2", "Brot", 0);
}

// Title lines above the table, closing lines below it, as banks write them.
TEST_F(ReadersTest, CsvTableFoundBelowTitleLinesAndEndedBeforeClosingLines) {
    const Statement us = Read("business-checking.csv");
    ASSERT_EQ(us.error, "");
    ASSERT_EQ(us.lines.size(), 2u);
    ExpectLine(us.lines[0], Ymd(2026, 2, 3), -12000, "Harbor Office Supply", "", 0);
    ExpectLine(us.lines[1], Ymd(2026, 2, 10), 250000, "Lakeside Catering Co", "", 0);
    EXPECT_EQ(us.lines[0].sourceLine, 6);

    std::string bytes, error;
    ReadFileBytes(DataFile("girokonto.csv"), bytes, error);
    const CsvMapping m = GuessMapping(bytes, DateOrder::MDY);
    EXPECT_EQ(m.firstLine, 5);
    EXPECT_EQ(m.delimiter, ';');
    EXPECT_TRUE(m.decimalComma);
    const Statement de = MakeCsvReader(m)->read("girokonto.csv", bytes);
    ASSERT_EQ(de.error, "");
    ASSERT_EQ(de.lines.size(), 2u);
    ExpectLine(de.lines[1], Ymd(2026, 3, 2), 1200, "Parcelpost Online", "Erstattung", 0);
    EXPECT_EQ(ColumnNames(bytes, m)[1], "Auftraggeber / Empfänger");

    // A first line the user picks is remembered with the mapping, under the text of that
    // line; next month's file finds it there, or where its own table is found.
    const std::string path = ::testing::TempDir() + "/stmt-first/statements.conf";
    std::filesystem::remove_all(::testing::TempDir() + "/stmt-first");
    CsvMapping picked = m;
    picked.firstLine = 5;
    ASSERT_TRUE(RememberMapping(path, LineText(bytes, 5), picked));
    EXPECT_EQ(RememberedMappingFor(path, bytes, 1), picked);
    const std::string later = "\"Kontoinhaber:\";\"x\"\n" + bytes;
    EXPECT_EQ(RememberedMappingFor(path, later, 1), std::nullopt);
    EXPECT_EQ(RememberedMappingFor(path, later, 6)->firstLine, 6);
    std::filesystem::remove_all(::testing::TempDir() + "/stmt-first");
}

TEST_F(ReadersTest, TextWithoutTransactionsIsNoStatement) {
    std::string letter, error;
    ASSERT_TRUE(ReadFileBytes(DataFile("letter.txt"), letter, error));
    EXPECT_EQ(DetectFormat("/x/letter.txt", letter), Format::Unknown);
    EXPECT_EQ(DetectFormat("/x/export.csv", "Name,Phone\nHarbor Office Supply,555-0100\n"),
              Format::Unknown);
    // Without a header, a record with a date and an amount makes it a statement.
    EXPECT_EQ(DetectFormat("/x/plain.txt", "\nStatement\n03/02/2026;Rent;-410,50\n"), Format::Csv);
}

TEST_F(ReadersTest, BadInputNamesFileAndLine) {
    EXPECT_EQ(Read("cut-short.ofx").error,
              "cut-short.ofx, line 59: the statement ends before it is closed: the file is cut "
              "short.");
    EXPECT_EQ(Read("letter.qif").error,
              "letter.qif, line 1: this is not a QIF statement (no !Type line).");
    const Statement shortRow = Read("short-row.csv");
    EXPECT_EQ(shortRow.error,
              "short-row.csv, line 3: 2 columns, but the mapping reads column 3 (Amount).");
    EXPECT_TRUE(shortRow.lines.empty());

    EXPECT_EQ(MakeQifReader(DateOrder::MDY, false)
                  ->read("/x/cut.qif", "!Type:Bank\nD1/2/26\nT-1.00\n^\nD1/3/26\nT-2")
                  .error,
              "cut.qif, line 6: the file ends inside a transaction (no closing ^): it is cut "
              "short.");
    EXPECT_EQ(MakeOfxReader()->read("/x/page.ofx", "<html><body>Sign in</body></html>").error,
              "page.ofx, line 1: this is not an OFX statement (no <OFX> element).");
    CsvMapping noAmount;
    noAmount.date = 0;
    EXPECT_EQ(MakeCsvReader(noAmount)->read("a.csv", "Date\n1/2/26\n").error,
              "a.csv: the columns of the date and of the amount (or of debit and credit) must "
              "be chosen.");
    EXPECT_EQ(DetectFormat("/x/statement.pdf", "%PDF-1.4"), Format::Unknown);

    const Statement bad = Read("bad-values.csv");
    ASSERT_EQ(bad.lines.size(), 3u);
    EXPECT_EQ(bad.lines[0].problem, "bad-values.csv, line 2: '02/30/2026' is not a date.");
    EXPECT_EQ(bad.lines[1].problem,
              "bad-values.csv, line 3: the amount 12345678.00 is wider than the amount field "
              "(999999.99 at most).");
    EXPECT_EQ(bad.lines[2].problem, "bad-values.csv, line 4: 'abc' is not an amount.");
}

TEST_F(ReadersTest, BankDatesAndAmounts) {
    const struct {
        const char* text;
        DateOrder order;
        std::optional<platform::DateTime> date;
    } dates[] = {
        {"2026-03-05", DateOrder::DMY, Ymd(2026, 3, 5)},
        {"20260305", DateOrder::MDY, Ymd(2026, 3, 5)},
        {"03/05/2026", DateOrder::MDY, Ymd(2026, 3, 5)},
        {"03/05/2026", DateOrder::DMY, Ymd(2026, 5, 3)},
        {"5.3.26", DateOrder::DMY, Ymd(2026, 3, 5)},
        {" 3/ 5'26", DateOrder::MDY, Ymd(2026, 3, 5)},
        {"12/31/99", DateOrder::MDY, Ymd(2099, 12, 31)},
        {"05-Mar-2026", DateOrder::MDY, Ymd(2026, 3, 5)},
        {"Mar 5, 2026", DateOrder::DMY, Ymd(2026, 3, 5)},
        {"02/29/2026", DateOrder::MDY, std::nullopt},
        {"13/01/2026", DateOrder::MDY, std::nullopt},
        {"2026-3", DateOrder::MDY, std::nullopt},
        {"Foo 5, 2026", DateOrder::MDY, std::nullopt},
    };
    for (const auto& c : dates) EXPECT_EQ(ParseBankDate(c.text, c.order), c.date) << c.text;

    const struct {
        const char* text;
        char mark;
        std::optional<std::int64_t> cents;
    } amounts[] = {
        {"-1,234.56", '.', -123456},      {"1.234,56", ',', 123456}, {"(12.30)", '.', -1230},
        {"12.34-", '.', -1234},           {"$ 7", '.', 700},         {"€1.204,50", 0, 120450},
        {"2,500.00", 0, 250000},          {"38,99", 0, 3899},        {"0.005", '.', 1},
        {"1,2,3.4.5", '.', std::nullopt}, {"", '.', std::nullopt},   {"12a", '.', std::nullopt},
    };
    for (const auto& c : amounts) EXPECT_EQ(ParseAmount(c.text, c.mark), c.cents) << c.text;
}

TEST_F(ReadersTest, CsvSplitKeepsQuotedDelimitersQuotesAndLineBreaks) {
    const std::vector<CsvRecord> records = SplitCsv(
        "\xEF\xBB\xBF"
        "a;\"b;c\";\"say \"\"hi\"\"\"\r\n\r\n\"two\nlines\";;x\n;\n",
        ';');
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].fields, std::vector<std::string>({"a", "b;c", "say \"hi\""}));
    EXPECT_EQ(records[0].line, 1);
    EXPECT_EQ(records[1].fields, std::vector<std::string>({"two\nlines", "", "x"}));
    EXPECT_EQ(records[1].line, 3);
    EXPECT_EQ(records[2].fields, std::vector<std::string>({"", ""}));
    EXPECT_EQ(records[2].line, 5);
    EXPECT_EQ(GuessDelimiter("Date\tAmount\t\"a,b\"\n"), '\t');
    EXPECT_EQ(HeaderLine("\xEF\xBB\xBF"
                         "Date,Amount\r\n1,2"),
              "Date,Amount");
    // Text as the fields hold it: Windows-1252 bytes read as such, cut to the width.
    EXPECT_EQ(FieldText("  B\xE4"
                        "ckerei  ",
                        30),
              "Bäckerei");
    EXPECT_EQ(FieldText("ÄÖÜ äöü ß", 5), "ÄÖÜ ä");
}

TEST_F(ReadersTest, MappingIsRememberedPerHeaderLine) {
    const std::string dir = ::testing::TempDir() + "/stmt-conf";
    std::filesystem::remove_all(dir);
    const std::string path = dir + "/Cantabook/statements.conf";
    CsvMapping tabs;
    tabs.delimiter = '\t';
    tabs.decimalComma = true;
    tabs.dateOrder = DateOrder::DMY;
    tabs.date = 2;
    tabs.debit = 0;
    tabs.credit = 1;
    tabs.check = 4;
    tabs.firstLine = 4;
    CsvMapping plain;
    plain.date = 0;
    plain.amount = 1;
    EXPECT_FALSE(RememberedMapping(path, "A\tB").has_value());
    ASSERT_TRUE(RememberMapping(path, "Out\tIn\tDate", tabs));
    ASSERT_TRUE(RememberMapping(path, "Date,Amount", plain));
    plain.payee = 2;
    ASSERT_TRUE(RememberMapping(path, "Date,Amount", plain));  // replaces, does not add
    EXPECT_EQ(RememberedMapping(path, "Out\tIn\tDate"), tabs);
    EXPECT_EQ(RememberedMapping(path, "Date,Amount"), plain);
    EXPECT_FALSE(RememberedMapping(path, "Date,Amount,Memo").has_value());

    ::setenv("XDG_CONFIG_HOME", "/x/conf", 1);
    EXPECT_EQ(MappingFilePath(), "/x/conf/Cantabook/statements.conf");
    ::unsetenv("XDG_CONFIG_HOME");
    ::setenv("HOME", "/home/u", 1);
    EXPECT_EQ(MappingFilePath(), "/home/u/.config/Cantabook/statements.conf");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace statements
