#include "reports/forms/QtReportCanvas.h"

#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

namespace cbk {

namespace {

QString text(std::string_view utf8) {
    return QString::fromUtf8(utf8.data(), qsizetype(utf8.size()));
}

}  // namespace

QtReportCanvas::QtReportCanvas(QPaintDevice* device, const QFont& font)
    : device_(device), font_(font), metrics_(font_, device_) {}

void QtReportCanvas::begin(QPainter* painter, QPagedPaintDevice* pages) {
    painter_ = painter;
    pages_ = pages;
    if (!painter_) return;
    painter_->setFont(font_);
    painter_->setPen(Qt::black);
    // Text over the white page; a cell never blanks out what is beside it.
    painter_->setBackgroundMode(Qt::TransparentMode);
}

int QtReportCanvas::textWidth(std::string_view utf8) {
    return metrics_.horizontalAdvance(text(utf8));
}

// The height of a line of the font, whatever the sample: rows are spaced by it.
int QtReportCanvas::textHeight(std::string_view) {
    return metrics_.height();
}

int QtReportCanvas::fontSize() {
    return font_.pointSize();
}

void QtReportCanvas::setFontSize(int points) {
    if (points < 1 || points == font_.pointSize()) return;
    font_.setPointSize(points);
    fontChanged();
}

void QtReportCanvas::setBold(bool bold) {
    if (bold == font_.bold()) return;
    font_.setBold(bold);
    fontChanged();
}

void QtReportCanvas::fontChanged() {
    metrics_ = QFontMetrics(font_, device_);
    if (painter_) painter_->setFont(font_);
}

void QtReportCanvas::drawText(int x, int y, std::string_view utf8) {
    if (painter_) painter_->drawText(x, y + metrics_.ascent(), text(utf8));
}

void QtReportCanvas::solidLine(int x1, int x2, int y) {
    if (!painter_) return;
    painter_->setPen(QPen(Qt::black, 0, Qt::SolidLine));
    painter_->drawLine(x1, y, x2, y);
    painter_->setPen(Qt::black);
}

void QtReportCanvas::dottedLine(int x1, int x2, int y) {
    if (!painter_) return;
    painter_->setPen(QPen(Qt::black, 0, Qt::DotLine));
    painter_->drawLine(x1, y, x2, y);
    painter_->setPen(Qt::black);
}

void QtReportCanvas::newPage() {
    if (pages_) pages_->newPage();
}

}  // namespace cbk
