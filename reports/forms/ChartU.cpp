#include "reports/forms/ChartU.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QHBoxLayout>
#include <QHorizontalBarSeries>
#include <QLabel>
#include <QLineSeries>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QScreen>
#include <QSvgGenerator>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "data/Database.h"
#include "reports/ChartFigures.h"
#include "reports/ReportExport.h"
#include "reports/forms/ReportPrinter.h"
#include "reports/forms/ReportU.h"

namespace cbk {

namespace {

const std::string kChartTitle = "Export Chart";

// A value axis from zero (or the lowest value, when below it) to the highest, with `room`
// more at either end for the labels beside the bars.
QValueAxis* valueAxis(double low, double high, double room = 0) {
    auto* axis = new QValueAxis;
    low = std::min(0.0, low);
    high = std::max(0.0, high);
    const double extra = (high - low) * room;
    axis->setRange(low < 0 ? low - extra : low, high > 0 ? high + extra : high);
    axis->applyNiceNumbers();
    axis->setLabelFormat(QStringLiteral("%.0f"));
    return axis;
}

QString titleOf(const reports::Document& doc) {
    QStringList lines;
    for (const auto& line : doc.titleLines) lines << QString::fromStdString(std::string(line));
    return lines.join('\n');
}

}  // namespace

TChartF::TChartF(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TChartF"));
    setWindowTitle(QStringLiteral("Chart"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    mExit = MainMenu1->addAction(QStringLiteral("E&xit"));
    mPrint = MainMenu1->addAction(QStringLiteral("Print"));
    mExport = MainMenu1->addMenu(QStringLiteral("&Export"));
    PngPicture1 = mExport->addAction(QStringLiteral("PNG &Picture"));
    SvgDrawing1 = mExport->addAction(QStringLiteral("SVG &Drawing"));
    mExit->setObjectName(QStringLiteral("mExit"));
    mPrint->setObjectName(QStringLiteral("mPrint"));
    mExport->setObjectName(QStringLiteral("mExport"));
    PngPicture1->setObjectName(QStringLiteral("PngPicture1"));
    SvgDrawing1->setObjectName(QStringLiteral("SvgDrawing1"));
    connect(mExit, &QAction::triggered, this, &TChartF::mExitClick);
    connect(mPrint, &QAction::triggered, this, &TChartF::mPrintClick);
    connect(PngPicture1, &QAction::triggered, this, &TChartF::PngPicture1Click);
    connect(SvgDrawing1, &QAction::triggered, this, &TChartF::SvgDrawing1Click);

    Charts = new QWidget(this);
    Charts->setObjectName(QStringLiteral("Charts"));
    Charts->setAutoFillBackground(true);
    QPalette white = Charts->palette();
    white.setColor(QPalette::Window, Qt::white);
    Charts->setPalette(white);
    auto* chartsLayout = new QVBoxLayout(Charts);
    Title = new QLabel(Charts);
    Title->setAlignment(Qt::AlignCenter);
    QFont bold = Title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    Title->setFont(bold);
    chartsLayout->addWidget(Title);
    chartsLayout->addLayout(new QHBoxLayout, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Charts);

    SaveDialog1 = new TSaveDialog(this, "SaveDialog1");
    SaveDialog2 = new TSaveDialog(this, "SaveDialog2");
    resize(1024, 700);
}

int TChartF::execModal() {
    if (const QScreen* shown = screen()) {
        const QRect area = shown->availableGeometry();
        resize(std::min(area.width(), 1200), std::min(area.height(), 800));
    }
    return exec();
}

bool TChartF::Build(const reports::Document& doc) {
    Title->setText(titleOf(doc));
    switch (reports::ChartKindOf(doc)) {
        case reports::ChartKind::Profit:
            buildProfit(doc);
            break;
        case reports::ChartKind::Summary:
            buildSummary(doc);
            break;
        case reports::ChartKind::None:
            break;
    }
    return !charts.empty();
}

QChart* TChartF::addChart(const QString& title) {
    auto* chart = new QChart;
    chart->setTitle(title);
    chart->setAnimationOptions(QChart::NoAnimation);
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(chart, Charts);  // the view owns the chart
    view->setRenderHint(QPainter::Antialiasing);
    static_cast<QBoxLayout*>(Charts->layout()->itemAt(1)->layout())->addWidget(view);
    charts.push_back(chart);
    return chart;
}

void TChartF::buildProfit(const reports::Document& doc) {
    const std::vector<reports::ProfitBucket> buckets =
        reports::ProfitFigures(doc, reports::ShownFormsOf(doc));
    if (buckets.empty()) return;
    QChart* chart = addChart(QString());
    auto* income = new QBarSet(QStringLiteral("Income"));
    auto* expenses = new QBarSet(QStringLiteral("Expenses"));
    auto* profit = new QLineSeries;
    profit->setName(QStringLiteral("Profit"));
    profit->setPen(QPen(QColor(0x20, 0x20, 0x20), 2.5));
    profit->setPointsVisible(true);
    QStringList endings;
    double low = 0, high = 0;
    for (std::size_t i = 0; i < buckets.size(); ++i) {
        const reports::ProfitBucket& b = buckets[i];
        *income << b.income;
        *expenses << b.expenses;
        profit->append(double(i), b.profit);
        endings << QString::fromStdString(b.ending);
        low = std::min({low, b.income, b.expenses, b.profit});
        high = std::max({high, b.income, b.expenses, b.profit});
    }
    auto* bars = new QBarSeries;
    bars->append(income);
    bars->append(expenses);
    chart->addSeries(bars);
    chart->addSeries(profit);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(endings);
    // A year of weeks: the dates stand upright, whole, in a smaller type.
    if (endings.size() > 14) {
        axisX->setLabelsAngle(-90);
        axisX->setTruncateLabels(false);
        QFont small = axisX->labelsFont();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        axisX->setLabelsFont(small);
    }
    chart->addAxis(axisX, Qt::AlignBottom);
    QValueAxis* axisY = valueAxis(low, high);
    chart->addAxis(axisY, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(bars), static_cast<QAbstractSeries*>(profit)}) {
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }
}

void TChartF::buildSummary(const reports::Document& doc) {
    for (const reports::SectionBars& section :
         reports::SummaryFigures(doc, reports::ShownFormsOf(doc))) {
        QChart* chart = addChart(QString::fromStdString(section.section));
        chart->legend()->hide();
        auto* totals = new QBarSet(QStringLiteral("Period Totals"));
        totals->setLabelColor(Qt::black);
        QStringList accounts;
        double low = 0, high = 0;
        // Horizontal bars are laid out from the bottom: the largest is put last to stand on top.
        for (auto bar = section.bars.rbegin(); bar != section.bars.rend(); ++bar) {
            *totals << bar->amount;
            accounts << QString::fromStdString(bar->label);
            low = std::min(low, bar->amount);
            high = std::max(high, bar->amount);
        }
        auto* series = new QHorizontalBarSeries;
        series->append(totals);
        series->setLabelsVisible(true);
        series->setLabelsFormat(QStringLiteral("@value"));
        series->setLabelsPrecision(12);
        series->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
        chart->addSeries(series);
        auto* axisY = new QBarCategoryAxis;
        axisY->append(accounts);
        chart->addAxis(axisY, Qt::AlignLeft);
        QValueAxis* axisX = valueAxis(low, high, 0.2);
        chart->addAxis(axisX, Qt::AlignBottom);
        series->attachAxis(axisY);
        series->attachAxis(axisX);
    }
}

void TChartF::DrawCharts(QPainter& painter, const QRect& target) {
    const QSize size = Charts->size();
    if (size.isEmpty()) return;
    const double scale =
        std::min(double(target.width()) / size.width(), double(target.height()) / size.height());
    painter.save();
    painter.translate(target.x() + (target.width() - size.width() * scale) / 2,
                      target.y() + (target.height() - size.height() * scale) / 2);
    painter.scale(scale, scale);
    Charts->render(&painter, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.restore();
}

QByteArray TChartF::PngBytes() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Charts->grab().save(&buffer, "PNG");
    return bytes;
}

QByteArray TChartF::SvgBytes() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(Charts->size());
    svg.setViewBox(QRect(QPoint(), Charts->size()));
    svg.setTitle(Title->text());
    QPainter painter(&svg);
    DrawCharts(painter, QRect(QPoint(), Charts->size()));
    painter.end();
    return bytes;
}

void TChartF::mExitClick() {
    accept();
}

// On the report's printer, one page, the charts as large as the page allows.
void TChartF::mPrintClick() {
    PrintOnReportPrinter(*SaveDialog2, [this](QPrinter& printer) {
        QPainter painter;
        if (!painter.begin(&printer)) return false;
        DrawCharts(painter, QRect(0, 0, printer.width(), printer.height()));
        painter.end();
        return true;
    });
}

void TChartF::PngPicture1Click() {
    exportAs("PNG pictures (*.png)|*.PNG", "png", PngBytes());
}

void TChartF::SvgDrawing1Click() {
    exportAs("SVG drawings (*.svg)|*.SVG", "svg", SvgBytes());
}

// Written as the report's exports are: beside the target, then renamed into place.
void TChartF::exportAs(const std::string& filter, const std::string& extension,
                       const QByteArray& bytes) {
    const std::string name = SaveDialog1->Ask({kChartTitle, filter, extension});
    if (name.empty()) return;
    const reports::ExportOutcome outcome = reports::WriteExportFile(
        std::string(bytes.constData(), std::size_t(bytes.size())), name, DataFileSystem());
    if (!outcome.ok)
        platform::messages().show(platform::MessageKind::Information, outcome.message,
                                  platform::Buttons::OK);
}

}  // namespace cbk
