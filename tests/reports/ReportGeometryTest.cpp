#include "reports/ReportGeometry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ScriptedPlatform.h"

using namespace reports;

namespace {

// A fixed-pitch device: every character is as many pixels wide as the font has points (one
// more in bold), a line twice that high. Drawing is recorded as text.
class FakeCanvas : public ReportCanvas {
public:
    explicit FakeCanvas(int points) : points_(points) {}
    int textWidth(std::string_view utf8) override {
        return int(utf8.size()) * (points_ + (bold_ ? 1 : 0));
    }
    int textHeight(std::string_view) override { return 2 * points_; }
    int fontSize() override { return points_; }
    void setFontSize(int points) override { points_ = points; }
    void setBold(bool bold) override { bold_ = bold; }
    void drawText(int x, int y, std::string_view utf8) override {
        ops.push_back((bold_ ? "bold " : "text ") + std::to_string(x) + "," + std::to_string(y) +
                      " " + std::string(utf8));
    }
    void solidLine(int x1, int x2, int y) override { ops.push_back(line("rule", x1, x2, y)); }
    void dottedLine(int x1, int x2, int y) override { ops.push_back(line("dots", x1, x2, y)); }
    void newPage() override { ops.push_back("page"); }

    std::vector<std::string> ops;

private:
    static std::string line(const char* kind, int x1, int x2, int y) {
        return std::string(kind) + " " + std::to_string(x1) + "-" + std::to_string(x2) + "," +
               std::to_string(y);
    }
    int points_;
    bool bold_ = false;
};

// Two pages of a width-10 report: a bold title, a ruled row, a page break.
Document SmallDocument() {
    Document doc;
    doc.reportWidth = 10;
    doc.cellsPerRow = 3;
    doc.StartDocument(60);
    const std::vector<std::vector<std::string>> rows = {
        {"C05Title", "", "B"},
        {"L00ab", "R10  1.50", "U"},
        {"EJECT", "", ""},
        {"L02x", "R10", ""},
    };
    for (const auto& row : rows) {
        doc.AddRow();
        for (int c = 0; c < 3; ++c) doc.cell(doc.lastRow, c) = row[std::size_t(c)];
    }
    return doc;
}

}  // namespace

TEST(ReportGeometry, TheBandIsCentredAndCellsPlacedByTheirCode) {
    FakeCanvas device(7);
    struct Case {
        int available, left, right;
    } cases[] = {
        {800, 134, 666},  // (800 - 76 * 7) / 2
        {801, 134, 666},  // 134.5 truncated
        {500, -16, 516},  // wider than the window: -16.0
        {499, -16, 516},  // -16.5 truncated toward zero
    };
    for (const Case& c : cases) {
        const ReportGeometry g = MeasureGeometry(device, 76, c.available);
        EXPECT_EQ(g.characterWidth, 7);
        EXPECT_EQ(g.leftOffset, c.left) << c.available;
        EXPECT_EQ(g.rightEdge, c.right) << c.available;
        EXPECT_EQ(g.lineHeight, 14);
    }
    const ReportGeometry g = MeasureGeometry(device, 76, 800);
    const std::string amount = "     1,234.50";  // leading blanks count: it ends at its column
    EXPECT_EQ(TextX(g, device, {'R', 50, amount}), 134 + 50 * 7 - 13 * 7);
    EXPECT_EQ(TextX(g, device, {'R', 76, "3/14/26"}), g.rightEdge - 7 * 7);
    EXPECT_EQ(TextX(g, device, {'L', 7, "Rent"}), 134 + 49);
    EXPECT_EQ(TextX(g, device, {'C', 38, "Title"}), 134 + 266 - 17);  // half of 35, truncated
}

TEST(ReportGeometry, FontShrinksPointByPointDownToItsFloor) {
    struct Case {
        int points, available, floor, reached;
    } cases[] = {
        {12, 800, kSmallestScreenPoints, 8},    // 99 * 8 = 792 fits
        {12, 500, kSmallestScreenPoints, 8},    // still too wide at 8: drawn wider
        {12, 500, kSmallestPrintPoints, 5},     // the printer goes on: 99 * 5 = 495
        {12, 50, kSmallestPrintPoints, 1},      // and stops at 1 point
        {10, 2000, kSmallestScreenPoints, 10},  // fits at once
        {6, 100, kSmallestScreenPoints, 6},     // already below the floor: left alone
    };
    for (const Case& c : cases) {
        FakeCanvas device(c.points);
        EXPECT_EQ(FitFont(device, 99, c.available, c.floor), c.reached)
            << c.points << " " << c.available;
        EXPECT_EQ(device.fontSize(), c.reached);
    }
}

TEST(ReportGeometry, ScrollBarOnlyWhenTheRowsDoNotFit) {
    const ScrollSetup fits = ScrollFor(30, 30);
    EXPECT_FALSE(fits.visible);
    const ScrollSetup hundred = ScrollFor(100, 30);
    EXPECT_TRUE(hundred.visible);
    EXPECT_EQ(hundred.maximum, 70);
    EXPECT_EQ(hundred.largeStep, 29);
    EXPECT_EQ(hundred.smallStep, 1);
    EXPECT_EQ(LinesPerScreen(602, 2, 20), 30);
    EXPECT_EQ(LinesPerScreen(602, 2, 0), 0);
}

TEST(ReportGeometry, ScreenDrawsOneScreenOfRowsWithBreaksAndRules) {
    platform::ScriptedPlatformScope platform;
    const Document doc = SmallDocument();
    FakeCanvas canvas(2);                                      // character width 2, line height 4
    const ReportGeometry g = MeasureGeometry(canvas, 10, 40);  // band from 10 to 30
    PaintRows(doc, canvas, g, 0, 3, 40);
    const std::vector<std::string> firstScreen = {
        "bold 13,0 Title",  // x(5) - Trunc(15 / 2) in the bold width of 3
        "text 10,4 ab",    "text 18,4   1.50",
        "rule 10-30,8",  // under the row, across the band only
        "dots 0-39,10",  // the page break: no text, half a line down
    };
    EXPECT_EQ(canvas.ops, firstScreen);

    canvas.ops.clear();
    PaintRows(doc, canvas, g, 3, 3, 40);  // the last screen holds one row
    EXPECT_EQ(canvas.ops, (std::vector<std::string>{"text 14,0 x", "text 30,0 "}));
}

TEST(ReportGeometry, PaperStartsEachPageThreeLinesDown) {
    platform::ScriptedPlatformScope platform;
    const Document doc = SmallDocument();
    FakeCanvas canvas(2);
    const ReportGeometry g = MeasureGeometry(canvas, 10, 40);
    PrintRows(doc, canvas, g);
    const std::vector<std::string> expected = {
        "bold 13,12 Title", "text 10,16 ab", "text 18,16   1.50", "rule 10-30,20", "page",
        "text 14,12 x",     "text 30,12 ",
    };
    EXPECT_EQ(canvas.ops, expected);
}
