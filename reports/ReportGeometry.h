#pragma once

// Where the report document's cells land, the same on screen and on paper: measured in the
// device's pixels with its current font, every rounding truncating toward zero. The viewer
// and the printer implement ReportCanvas over their painter; everything else is here.

#include <string_view>

#include "reports/ReportDocument.h"

namespace reports {

// The 27 characters whose width, divided by 27, is the character width.
inline constexpr std::string_view kWidthSample = "01234567890abcdefghijklmnop";
inline constexpr std::string_view kHeightSample = "A";

// The smallest font of each reader: the viewer draws a report that still does not fit wider
// than its window; the printer prints at the smallest size rather than not at all.
inline constexpr int kSmallestScreenPoints = 8;
inline constexpr int kSmallestPrintPoints = 1;

// A screen or printer with a current font. Widths and heights are in device pixels.
class ReportDevice {
public:
    virtual ~ReportDevice() = default;
    virtual int textWidth(std::string_view utf8) = 0;
    virtual int textHeight(std::string_view utf8) = 0;
    virtual int fontSize() = 0;  // points
    virtual void setFontSize(int points) = 0;
    virtual void setBold(bool bold) = 0;
};

// A device that also draws. y is the top of the line.
class ReportCanvas : public ReportDevice {
public:
    virtual void drawText(int x, int y, std::string_view utf8) = 0;
    virtual void solidLine(int x1, int x2, int y) = 0;
    virtual void dottedLine(int x1, int x2, int y) = 0;
    virtual void newPage() = 0;  // printer only
};

struct ReportGeometry {
    int characterWidth = 0;
    int leftOffset = 0;
    int rightEdge = 0;
    int lineHeight = 0;

    int columnX(int column) const { return column * characterWidth + leftOffset; }
};

int CharacterWidth(ReportDevice& device);

// Lowers the font one point at a time while `reportWidth` characters are wider than
// `available` and the font is above `smallestPoints`. Returns the character width reached.
int FitFont(ReportDevice& device, int reportWidth, int available, int smallestPoints);

// The band of `reportWidth` characters centred in `available` pixels, with the device's
// current font.
ReportGeometry MeasureGeometry(ReportDevice& device, int reportWidth, int available);

// The x at which a cell's text is drawn: the column's x for "L", less the text's width for
// "R", less half of it for "C".
int TextX(const ReportGeometry& geometry, ReportDevice& device, const PlacedCell& cell);

// ---- screen ---------------------------------------------------------------------------
int LinesPerScreen(int clientHeight, int scrollTop, int lineHeight);

// The viewer's scroll bar: shown only when the rows do not fit one screen; then its range is
// 0 to rows - lines per screen, a large step of a screen less one line and a small step of 1.
struct ScrollSetup {
    bool visible = false;
    int maximum = 0;
    int largeStep = 1;
    int smallStep = 1;
};
ScrollSetup ScrollFor(int rows, int linesPerScreen);

// Draws the rows from `topRow` on, one screen of them, from y 0: bold rows, page breaks as a
// dotted line across `available`, "U" rules from the left offset to the right edge.
void PaintRows(const Document& doc, ReportCanvas& canvas, const ReportGeometry& geometry,
               int topRow, int linesPerScreen, int available);

// ---- paper ----------------------------------------------------------------------------
// Prints every row from a top margin of three lines; a page ends only at an "EJECT" row.
// The caller begins and ends the print job and has fitted the font to `pageWidth`.
void PrintRows(const Document& doc, ReportCanvas& canvas, const ReportGeometry& geometry);

}  // namespace reports
