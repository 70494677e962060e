#include "reports/ReportDocument.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ScriptedPlatform.h"
#include "reports/ReportTestRows.h"

using namespace reports;
using reports::testing::Rows;
using reports::testing::RowText;

namespace {

platform::DateTime Day(int y, int m, int d) {
    return *platform::DateTime::fromYmd(y, m, d);
}

class ReportDocumentTest : public ::testing::Test {
protected:
    // A width-40 document of three cells with one title line, a section and one heading row.
    void Start(int linesPerPage) {
        doc.reportWidth = 40;
        doc.cellsPerRow = 3;
        doc.StartDocument(linesPerPage);
        doc.titleLines = {"Chart"};
        doc.sectionText = "Accounts";
        doc.columnPrefixes = {"R05", "L07"};
        doc.columnHeadings = {{"R05No.", "L07Name", "U"}};
    }

    platform::ScriptedPlatformScope platform_;  // clock at 14 March 2026, "M/d/yy"
    Document doc;
};

}  // namespace

TEST(ReportPages, LinesPerPageFollowThePrinter) {
    struct Case {
        PrintingFacts facts;
        int lines;
    } cases[] = {
        {{false, 6600, 100}, 60},  // no printer: always 60
        {{true, 6600, 100}, 60},   // 66 lines less 6
        {{true, 6699, 100}, 60},   // truncated
        {{true, 3300, 40}, 76},
        {{true, 6600, 0}, 60},  // a printer without a line height counts as none
    };
    for (const Case& c : cases)
        EXPECT_EQ(LinesPerPage(c.facts), c.lines)
            << c.facts.printerInstalled << " " << c.facts.pageHeight << "/" << c.facts.lineHeight;
}

TEST(ReportDates, DetailFormatDoublesTheFirstSingleLetters) {
    const std::pair<const char*, const char*> cases[] = {
        {"M/d/yy", "MM/DD/YY"},     {"dd.MM.yyyy", "DD.MM.YYYY"}, {"yyyy-M-d", "YYYY-MM-DD"},
        {"d/M/y", "DD/MM/YY"},      {"MM/dd/yy", "MM/DD/YY"},     {"MMM d, yyyy", "MMM DD, YYYY"},
        {"d.M.yy M", "DD.MM.YY M"},  // only the first "M" is looked at
    };
    for (const auto& [shortFormat, detail] : cases)
        EXPECT_EQ(DetailDateFormat(shortFormat), detail) << shortFormat;
}

TEST(ReportDates, FormatDateTakesEitherCaseAndQuotedText) {
    const auto date = Day(2026, 3, 5);
    const std::pair<const char*, const char*> cases[] = {
        {"M/d/yy", "3/5/26"},
        {"MM/DD/YY", "03/05/26"},
        {"dd.MM.yyyy", "05.03.2026"},
        {"YYYY-MM-DD", "2026-03-05"},
        {"d 'de' MMMM", "5 de March"},
        {"ddd d MMM", "Thu 5 Mar"},
        {"d''M", "5'3"},
        {"'unclosed", "unclosed"},
    };
    for (const auto& [format, text] : cases) EXPECT_EQ(FormatDate(date, format), text) << format;
    EXPECT_EQ(FormatDate(Day(2009, 12, 31), "M/d/yy"), "12/31/09");
}

TEST(ReportCells, CellsParseByCodeAndTwoCharacterColumn) {
    PlacedCell cell;
    ASSERT_TRUE(ParseCell("R50     1,234.50", cell));
    EXPECT_EQ(cell.code, 'R');
    EXPECT_EQ(cell.column, 50);
    EXPECT_EQ(cell.text, "     1,234.50");
    ASSERT_TRUE(ParseCell("L 7x", cell));
    EXPECT_EQ(cell.column, 7);
    ASSERT_TRUE(ParseCell("R19", cell));  // a bare prefix is a cell that draws nothing
    EXPECT_EQ(cell.text, "");
    for (const char* notPlaced : {"", "EJECT", "B", "U", "X05a", "L", "L0", "Lxyz", "L  a"})
        EXPECT_FALSE(ParseCell(notPlaced, cell)) << notPlaced;
    EXPECT_EQ(CellPrefix('C', 38), "C38");
    EXPECT_EQ(CellPrefix('R', 5), "R 5");
}

TEST_F(ReportDocumentTest, AReportWithNoRowsHasNoPages) {
    Start(60);
    EXPECT_TRUE(doc.empty());
    EXPECT_EQ(doc.pageNumber, 0);
    EXPECT_EQ(doc.detailDateFormat, "MM/DD/YY");
    ASSERT_EQ(doc.columnHeadings.size(), 1u);
    doc.SetFlag("U");  // nothing to flag: no row appears
    EXPECT_TRUE(doc.empty());
}

TEST_F(ReportDocumentTest, PagesOpenWithTheirHeaderAndCloseWithARuleAndEject) {
    Start(9);  // the header takes 7 lines: two rows fit on a page
    for (const char* name : {"Cash", "Bank", "Rent"}) doc.WriteRow(1, {"1", name});
    const std::vector<std::string> expected = {
        "L00Page 1|R403/14/26|",
        "||",
        "C20Chart||B",
        "||",
        "L00Accounts||",
        "||",
        "R05No.|L07Name|U",
        "R051|L07Cash|",
        "R051|L07Bank|U",  // the closing page's table ends with a rule
        "EJECT||",
        "L00Page 2|R403/14/26|",
        "||",
        "C20Chart||B",
        "||",
        "L00Accounts||",
        "||",
        "R05No.|L07Name|U",
        "R051|L07Rent|",
    };
    EXPECT_EQ(Rows(doc), expected);
    EXPECT_EQ(doc.pageNumber, 2);
    EXPECT_EQ(doc.lineOnPage, 8);
}

TEST_F(ReportDocumentTest, PagesWithoutHeadingsGetNoRuleAndNoHeadingRows) {
    Start(6);
    platform_->regional.value.shortDateFormat = "dd.MM.yyyy";
    doc.StartDocument(6);
    doc.sectionText.clear();
    for (int i = 0; i < 2; ++i) {
        doc.CheckPage(doc.lineOnPage + 1, false);
        doc.AddRow();
    }
    const std::vector<std::string> expected = {
        "L00Page 1|R4014.03.2026|",
        "||",
        "C20Chart||B",
        "||",
        "L00||",
        "||",
        "EJECT||",  // the row before keeps no flag
        "L00Page 2|R4014.03.2026|",
        "||",
        "C20Chart||B",
        "||",
        "L00||",
        "||",
    };
    EXPECT_EQ(Rows(doc), expected);
    EXPECT_EQ(doc.detailDateFormat, "DD.MM.YYYY");
}

TEST_F(ReportDocumentTest, ClearingDropsRowsHeadingsAndPrefixes) {
    Start(60);
    doc.WriteRow(1, {"1", "Cash"});
    doc.ClearDocument();
    EXPECT_TRUE(doc.empty());
    EXPECT_TRUE(doc.columnHeadings.empty());
    EXPECT_TRUE(doc.columnPrefixes.empty());
    Start(60);  // and starts afresh
    doc.WriteRow(1, {"2", "Bank"});
    EXPECT_EQ(Rows(doc).front(), "L00Page 1|R403/14/26|");
}

TEST_F(ReportDocumentTest, CellsWrittenInAnyOrderKeepEveryOtherCell) {
    Start(60);
    for (int r = 0; r < 3; ++r) {
        doc.AddRow();
        doc.cell(r, 1) = "L07b" + std::to_string(r);
        doc.cell(r, 0) = "R05a";  // before a cell already written
    }
    doc.cell(0, 1) = "L07longer than it was";  // a row before the last
    doc.cell(2, 0) += "z";
    doc.SetFlag("U");
    doc.WriteCell(1, "again");  // replaces, prefix first
    const std::vector<std::string> expected = {
        "R05a|L07longer than it was|",
        "R05a|L07b1|",
        "R05az|L07again|U",
    };
    EXPECT_EQ(Rows(doc), expected);
}

TEST_F(ReportDocumentTest, ManyRowsKeepTheirTextAndEarlierViewsStayValid) {
    Start(60);
    doc.AddRow();
    doc.cell(0, 0) = "L00first";
    const std::string_view first = doc.row(0)[0];
    // Past the first blocks of text and of row records.
    constexpr int kRows = 40000;
    for (int r = 1; r < kRows; ++r) {
        doc.AddRow();
        doc.WriteCell(1, std::string(std::size_t(r % 50), 'x') + std::to_string(r));
    }
    EXPECT_EQ(first, "L00first");
    EXPECT_EQ(doc.rowCount(), kRows);
    for (int r : {1, 4095, 4096, 4097, kRows - 1})
        EXPECT_EQ(doc.cell(r, 1),
                  "L07" + std::string(std::size_t(r % 50), 'x') + std::to_string(r));
}

TEST_F(ReportDocumentTest, ARowLongerThanTheLimitIsCutBetweenCharacters) {
    Start(60);
    doc.AddRow();
    const std::string text(Document::kLongestRow - 1, 'a');
    doc.cell(0, 0) = text + "é";  // é is two bytes: one too many
    EXPECT_EQ(doc.cell(0, 0), text);
    doc.cell(0, 1) = "L07more";
    EXPECT_EQ(doc.cell(0, 1), "L");  // the one byte left
    doc.cell(0, 0) = "L00short";
    doc.cell(0, 1) = "L07more";
    EXPECT_EQ(RowText(doc, 0), "L00short|L07more|");
}

// Readers take cells as they took strings: compared, cut, joined, copied and walked by row.
TEST_F(ReportDocumentTest, CellsReadAsTheStringsTheyWere) {
    Start(60);
    doc.WriteRow(1, {"12", "Cash"});
    doc.SetFlag("U");
    const Document& read = doc;
    const int r = read.lastRow;
    EXPECT_EQ(read.cell(r, 0), "R0512");
    EXPECT_NE(read.cell(r, 0), read.cell(r, 1));
    EXPECT_EQ(read.cell(r, 1).substr(3), "Cash");
    EXPECT_EQ(read.cell(r, 0) + "/" + read.cell(r, 1), "R0512/L07Cash");
    const std::string copied = read.cell(r, 1);
    EXPECT_EQ(copied, "L07Cash");
    EXPECT_EQ(read.flag(r), "U");
    std::vector<std::string> cells;
    for (const std::string& cell : read.row(r)) cells.push_back(cell);
    EXPECT_EQ(cells, (std::vector<std::string>{"R0512", "L07Cash", "U"}));
    EXPECT_EQ(read.row(r).size(), 3u);
}

// Builders write values; a reader gets their text in the forms of the moment it reads them,
// and each row says what it is.
TEST_F(ReportDocumentTest, ValuesTakeTheirTextWhenReadAndRowsTheirKinds) {
    doc.reportWidth = 40;
    doc.cellsPerRow = 4;
    doc.StartDocument(60);
    doc.titleLines = {"Values"};
    doc.columnPrefixes = {"L00", "L10", "R40"};
    doc.columnHeadings = {{"L00Date", "L10Paid to", "R40Amount", "U"}};
    const std::string padded = "Home Depot" + std::string(20, ' ');
    doc.WriteRow(1, {DayNumber{20260305}, padded, Cents{-123456}});
    doc.WriteRow(1, {DayNumber{20260305}, padded, Cents{0}});
    doc.WriteRow(1, {"Home Depot", "Home Depot", Cents{5}}, RowKind::Total);
    const int first = doc.lastRow - 2;

    std::vector<RowKind> kinds;
    for (int r = 0; r < doc.rowCount(); ++r) kinds.push_back(doc.rowKind(r));
    using K = RowKind;
    EXPECT_EQ(kinds, (std::vector<K>{K::Title, K::Title, K::Title, K::Title, K::Section, K::Heading,
                                     K::Heading, K::Data, K::Data, K::Total}));

    const CellValue date = doc.value(first, 0), text = doc.value(first, 1),
                    amount = doc.value(first, 2);
    EXPECT_EQ(date.type, ValueType::Date);
    EXPECT_EQ(date.date.yyyymmdd, 20260305u);
    EXPECT_EQ(text.type, ValueType::Text);
    EXPECT_EQ(text.text, "Home Depot");
    EXPECT_EQ(text.blanks, 20);
    EXPECT_EQ(amount.type, ValueType::Cents);
    EXPECT_EQ(amount.cents, -123456);
    EXPECT_EQ(amount.column, 40);

    // A repeated text reads as written, in whichever column it stands.
    const std::vector<std::string> expected = {
        "L0003/05/26|L10" + padded + "|R40    -1,234.56|",
        "L0003/05/26|L10" + padded + "|R40         0.00|",
        "L00Home Depot|L10Home Depot|R40         0.05|",
    };
    const std::vector<std::string> rows = Rows(doc);
    EXPECT_EQ(std::vector<std::string>(rows.end() - 3, rows.end()), expected);
    doc.cell(doc.lastRow, 0) = "L00Changed";  // the text the next cell refers to stays
    EXPECT_EQ(RowText(doc, doc.lastRow), "L00Changed|L10Home Depot|R40         0.05|");
    // The separators are the region's when the cell is read; the date format is the one the
    // document was started with.
    platform_->regional.setDmy();
    EXPECT_EQ(RowText(doc, first), "L0003/05/26|L10" + padded + "|R40    -1.234,56|");
}
