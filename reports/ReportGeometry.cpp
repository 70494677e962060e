#include "reports/ReportGeometry.h"

namespace reports {

int CharacterWidth(ReportDevice& device) {
    return device.textWidth(kWidthSample) / int(kWidthSample.size());
}

int FitFont(ReportDevice& device, int reportWidth, int available, int smallestPoints) {
    int width = CharacterWidth(device);
    while (reportWidth * width > available && device.fontSize() > smallestPoints) {
        device.setFontSize(device.fontSize() - 1);
        width = CharacterWidth(device);
    }
    return width;
}

ReportGeometry MeasureGeometry(ReportDevice& device, int reportWidth, int available) {
    ReportGeometry g;
    g.characterWidth = CharacterWidth(device);
    // Trunc(available * 0.5 - width * 0.5): halves of odd numbers meet before truncating.
    g.leftOffset = int((double(available) - double(reportWidth) * g.characterWidth) * 0.5);
    g.rightEdge = reportWidth * g.characterWidth + g.leftOffset;
    g.lineHeight = device.textHeight(kHeightSample);
    return g;
}

int TextX(const ReportGeometry& geometry, ReportDevice& device, const PlacedCell& cell) {
    const int x = geometry.columnX(cell.column);
    if (cell.code == 'R') return x - device.textWidth(cell.text);
    if (cell.code == 'C') return x - int(0.5 * device.textWidth(cell.text));
    return x;
}

int LinesPerScreen(int clientHeight, int scrollTop, int lineHeight) {
    return lineHeight > 0 ? (clientHeight - scrollTop) / lineHeight : 0;
}

ScrollSetup ScrollFor(int rows, int linesPerScreen) {
    ScrollSetup s;
    if (rows <= linesPerScreen) return s;
    s.visible = true;
    s.maximum = rows - linesPerScreen;
    s.largeStep = linesPerScreen > 1 ? linesPerScreen - 1 : 1;
    return s;
}

namespace {

// Draws one row at y; a page break calls `onBreak` instead of drawing text. Returns the y of
// the next row.
template <typename OnBreak>
int drawRow(const Document& doc, CellShower& shower, int r, ReportCanvas& canvas,
            const ReportGeometry& g, int y, OnBreak onBreak) {
    const RowCells cells = doc.row(r);
    const std::string_view flag = cells.bytes(cells.size() - 1);
    canvas.setBold(flag == kBoldFlag);
    for (std::size_t c = 0; c + 1 < cells.size(); ++c) {
        const std::string_view cell = cells.bytes(c);
        if (cell.empty()) continue;
        if (cell[0] == 'E') {
            y = onBreak(y);
            continue;
        }
        PlacedCell placed;
        if (shower.place(cell, int(c), placed))
            canvas.drawText(TextX(g, canvas, placed), y, placed.text);
    }
    y += g.lineHeight;
    if (flag == kRuleFlag) canvas.solidLine(g.leftOffset, g.rightEdge, y);
    return y;
}

}  // namespace

void PaintRows(const Document& doc, ReportCanvas& canvas, const ReportGeometry& geometry,
               int topRow, int linesPerScreen, int available) {
    int y = 0;
    CellShower shower(doc);
    for (int r = topRow < 0 ? 0 : topRow; r < topRow + linesPerScreen && r <= doc.lastRow; ++r) {
        y = drawRow(doc, shower, r, canvas, geometry, y, [&](int at) {
            canvas.dottedLine(0, available - 1, at + int(geometry.lineHeight * 0.5));
            return at;
        });
    }
}

void PrintRows(const Document& doc, ReportCanvas& canvas, const ReportGeometry& geometry) {
    const int top = 3 * geometry.lineHeight;
    int y = top;
    CellShower shower(doc);
    for (int r = 0; r <= doc.lastRow; ++r) {
        y = drawRow(doc, shower, r, canvas, geometry, y, [&](int) {
            canvas.newPage();
            return top - geometry.lineHeight;
        });
    }
}

}  // namespace reports
