#pragma once

// The report geometry's measuring and drawing device over Qt: a paint device (the viewer's
// drawing area, a printer, a PDF file) with the report font. The viewer and the printer use
// this one class, so the screen and the paper measure the same way.

#include <QFont>
#include <QFontMetrics>
#include <string_view>

#include "reports/ReportGeometry.h"

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;

namespace cbk {

class QtReportCanvas : public reports::ReportCanvas {
public:
    // Measures on `device` in `font`. Drawing needs a painter active on the same device.
    QtReportCanvas(QPaintDevice* device, const QFont& font);

    // The painter to draw with, null to measure only; `pages` takes newPage() (printing).
    void begin(QPainter* painter, QPagedPaintDevice* pages = nullptr);

    int textWidth(std::string_view utf8) override;
    int textHeight(std::string_view utf8) override;
    int fontSize() override;
    void setFontSize(int points) override;
    void setBold(bool bold) override;

    void drawText(int x, int y, std::string_view utf8) override;
    void solidLine(int x1, int x2, int y) override;
    void dottedLine(int x1, int x2, int y) override;
    void newPage() override;

    const QFont& font() const { return font_; }

private:
    void fontChanged();

    QPaintDevice* device_;
    QPainter* painter_ = nullptr;
    QPagedPaintDevice* pages_ = nullptr;
    QFont font_;
    QFontMetrics metrics_;
};

}  // namespace cbk
