#include "reports/forms/GraphU.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QBuffer>
#include <QCategoryAxis>
#include <QChart>
#include <QChartView>
#include <QGraphicsRectItem>
#include <QGraphicsSimpleTextItem>
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
#include <algorithm>

#include "data/Database.h"
#include "reports/GraphFigures.h"
#include "reports/ReportExport.h"
#include "reports/forms/ReportPrinter.h"
#include "reports/forms/ReportU.h"

namespace cbk {

namespace {

const std::string kGraphTitle = "Export Graph";

// The amounts of a graph on an axis labelled as the reports show amounts ("20,000.00").
QCategoryAxis* amountAxis(const reports::AmountScale& scale, std::string_view title) {
    auto* axis = new QCategoryAxis;
    axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    axis->setRange(scale.low, scale.high);
    axis->setStartValue(scale.low);
    for (const reports::AmountTick& tick : scale.ticks)
        axis->append(QString::fromStdString(tick.label), tick.value);
    axis->setTitleText(QString::fromStdString(std::string(title)));
    return axis;
}

// Texts at values of a graph's series (an amount beside its bar or above its point), placed
// again whenever the plot area changes: on layout, resizing, printing. The graph owns them.
class ValueLabels : public QObject {
public:
    enum class Side { Beside, Over };  // right of a bar's end (left when negative); above a point
    ValueLabels(QChart* graph, QAbstractSeries* series, Side side)
        : QObject(graph), graph_(graph), series_(series), side_(side) {
        connect(graph, &QChart::plotAreaChanged, this, &ValueLabels::place);
    }

    // `value` in the series' terms: (amount, bar index) or (bucket index, amount).
    void add(QPointF value, const QString& text, bool negative) {
        auto* box = new QGraphicsRectItem(graph_);
        box->setPen(Qt::NoPen);
        box->setBrush(QColor(255, 255, 255, 210));
        box->setZValue(10);
        auto* item = new QGraphicsSimpleTextItem(text, box);
        QFont font = item->font();
        font.setPointSizeF(font.pointSizeF() * 0.9);
        item->setFont(font);
        labels_.push_back({value, negative, box, item});
    }

    void place() {
        const QRectF area = graph_->plotArea();
        for (const Label& label : labels_) {
            const QPointF at = graph_->mapToPosition(label.value, series_);
            const QRectF text = label.item->boundingRect().adjusted(-2, 0, 2, 0);
            QPointF corner;
            if (side_ == Side::Beside)
                corner = {label.negative ? at.x() - text.width() - 4 : at.x() + 4,
                          at.y() - text.height() / 2};
            else
                corner = {at.x() - text.width() / 2,
                          label.negative ? at.y() + 6 : at.y() - text.height() - 6};
            // Kept inside the plot area, so that no label is cut at its edge.
            corner.setX(std::clamp(corner.x(), area.left(), area.right() - text.width()));
            corner.setY(std::clamp(corner.y(), area.top(), area.bottom() - text.height()));
            label.box->setRect(QRectF(QPointF(), text.size()));
            label.box->setPos(corner);
            label.item->setPos(2, 0);
        }
    }

private:
    struct Label {
        QPointF value;
        bool negative;
        QGraphicsRectItem* box;
        QGraphicsSimpleTextItem* item;
    };
    QChart* graph_;
    QAbstractSeries* series_;
    Side side_;
    std::vector<Label> labels_;
};

// Above this many buckets (a year of weeks) the profit of each would crowd its neighbours'.
constexpr std::size_t kLabelledBuckets = 14;

QString titleOf(const reports::Document& doc) {
    QStringList lines;
    for (const auto& line : doc.titleLines) lines << QString::fromStdString(std::string(line));
    return lines.join('\n');
}

}  // namespace

TGraphF::TGraphF(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TGraphF"));
    setWindowTitle(QStringLiteral("Graph"));
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
    connect(mExit, &QAction::triggered, this, &TGraphF::mExitClick);
    connect(mPrint, &QAction::triggered, this, &TGraphF::mPrintClick);
    connect(PngPicture1, &QAction::triggered, this, &TGraphF::PngPicture1Click);
    connect(SvgDrawing1, &QAction::triggered, this, &TGraphF::SvgDrawing1Click);

    Graphs = new QWidget(this);
    Graphs->setObjectName(QStringLiteral("Graphs"));
    Graphs->setAutoFillBackground(true);
    QPalette white = Graphs->palette();
    white.setColor(QPalette::Window, Qt::white);
    Graphs->setPalette(white);
    auto* graphsLayout = new QVBoxLayout(Graphs);
    Title = new QLabel(Graphs);
    Title->setAlignment(Qt::AlignCenter);
    QFont bold = Title->font();
    bold.setBold(true);
    bold.setPointSize(bold.pointSize() + 2);
    Title->setFont(bold);
    graphsLayout->addWidget(Title);
    graphsLayout->addLayout(new QHBoxLayout, 1);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setMenuBar(MainMenu1);
    layout->addWidget(Graphs);

    SaveDialog1 = new TSaveDialog(this, "SaveDialog1");
    SaveDialog2 = new TSaveDialog(this, "SaveDialog2");
    resize(1024, 700);
}

int TGraphF::execModal() {
    if (const QScreen* shown = screen()) {
        const QRect area = shown->availableGeometry();
        resize(std::min(area.width(), 1200), std::min(area.height(), 800));
    }
    return exec();
}

bool TGraphF::Build(const reports::Document& doc) {
    Title->setText(titleOf(doc));
    switch (reports::GraphKindOf(doc)) {
        case reports::GraphKind::Profit:
            buildProfit(doc);
            break;
        case reports::GraphKind::Summary:
            buildSummary(doc);
            break;
        case reports::GraphKind::None:
            break;
    }
    return !graphs.empty();
}

QChart* TGraphF::addGraph(const QString& title) {
    auto* graph = new QChart;
    graph->setTitle(title);
    graph->setAnimationOptions(QChart::NoAnimation);
    graph->legend()->setAlignment(Qt::AlignBottom);
    auto* view = new QChartView(graph, Graphs);  // the view owns the graph
    view->setRenderHint(QPainter::Antialiasing);
    static_cast<QBoxLayout*>(Graphs->layout()->itemAt(1)->layout())->addWidget(view);
    graphs.push_back(graph);
    return graph;
}

void TGraphF::buildProfit(const reports::Document& doc) {
    const std::vector<reports::ProfitBucket> buckets = reports::ProfitFigures(doc);
    if (buckets.empty()) return;
    QChart* graph = addGraph(QString());
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
    graph->addSeries(bars);
    graph->addSeries(profit);
    auto* axisX = new QBarCategoryAxis;
    axisX->append(endings);
    axisX->setTitleText(QString::fromStdString(reports::BucketTitle(doc)));
    // A year of weeks: the dates stand upright, whole, in a smaller type.
    if (endings.size() > 14) {
        axisX->setLabelsAngle(-90);
        axisX->setTruncateLabels(false);
        QFont small = axisX->labelsFont();
        small.setPointSizeF(small.pointSizeF() * 0.8);
        axisX->setLabelsFont(small);
    }
    graph->addAxis(axisX, Qt::AlignBottom);
    // Room above and below for the profit labels.
    QCategoryAxis* axisY = amountAxis(reports::ScaleFor(low, high, 0.08, 8), reports::kAmountAxis);
    graph->addAxis(axisY, Qt::AlignLeft);
    for (QAbstractSeries* series :
         {static_cast<QAbstractSeries*>(bars), static_cast<QAbstractSeries*>(profit)}) {
        series->attachAxis(axisX);
        series->attachAxis(axisY);
    }
    if (buckets.size() <= kLabelledBuckets) {
        auto* labels = new ValueLabels(graph, profit, ValueLabels::Side::Over);
        for (std::size_t i = 0; i < buckets.size(); ++i)
            labels->add(QPointF(double(i), buckets[i].profit),
                        QString::fromStdString(buckets[i].profitShown), buckets[i].profit < 0);
    }
}

void TGraphF::buildSummary(const reports::Document& doc) {
    const std::vector<reports::SectionBars> sections = reports::SummaryFigures(doc);
    // One scale for every section, so that bars of the same length are the same amount; room
    // at the ends for the amounts beside the bars.
    double low = 0, high = 0;
    for (const reports::SectionBars& section : sections)
        for (const reports::AccountBar& bar : section.bars) {
            low = std::min(low, bar.amount);
            high = std::max(high, bar.amount);
        }
    const reports::AmountScale scale = reports::ScaleFor(low, high, 0.3, 4);
    for (const reports::SectionBars& section : sections) {
        QChart* graph = addGraph(QString::fromStdString(section.section));
        graph->legend()->hide();
        auto* totals = new QBarSet(QString::fromStdString(std::string(reports::kPeriodTotalsAxis)));
        QStringList accounts;
        // Horizontal bars are laid out from the bottom: the largest is put last to stand on top.
        for (auto bar = section.bars.rbegin(); bar != section.bars.rend(); ++bar) {
            *totals << bar->amount;
            accounts << QString::fromStdString(bar->label);
        }
        auto* series = new QHorizontalBarSeries;
        series->append(totals);
        graph->addSeries(series);
        auto* axisY = new QBarCategoryAxis;
        axisY->append(accounts);
        // Each account's whole name, the plot narrower; the names need no axis title, which
        // would stand over the longest of them.
        axisY->setTruncateLabels(false);
        graph->addAxis(axisY, Qt::AlignLeft);
        QCategoryAxis* axisX = amountAxis(scale, reports::kPeriodTotalsAxis);
        graph->addAxis(axisX, Qt::AlignBottom);
        series->attachAxis(axisY);
        series->attachAxis(axisX);
        auto* labels = new ValueLabels(graph, series, ValueLabels::Side::Beside);
        int index = 0;
        for (auto bar = section.bars.rbegin(); bar != section.bars.rend(); ++bar, ++index)
            labels->add(QPointF(bar->amount, index), QString::fromStdString(bar->shown),
                        bar->amount < 0);
    }
}

void TGraphF::DrawGraphs(QPainter& painter, const QRect& target) {
    const QSize size = Graphs->size();
    if (size.isEmpty()) return;
    const double scale =
        std::min(double(target.width()) / size.width(), double(target.height()) / size.height());
    painter.save();
    painter.translate(target.x() + (target.width() - size.width() * scale) / 2,
                      target.y() + (target.height() - size.height() * scale) / 2);
    painter.scale(scale, scale);
    Graphs->render(&painter, QPoint(), QRegion(),
                   QWidget::DrawWindowBackground | QWidget::DrawChildren);
    painter.restore();
}

QByteArray TGraphF::PngBytes() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Graphs->grab().save(&buffer, "PNG");
    return bytes;
}

QByteArray TGraphF::SvgBytes() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QSvgGenerator svg;
    svg.setOutputDevice(&buffer);
    svg.setSize(Graphs->size());
    svg.setViewBox(QRect(QPoint(), Graphs->size()));
    svg.setTitle(Title->text());
    QPainter painter(&svg);
    DrawGraphs(painter, QRect(QPoint(), Graphs->size()));
    painter.end();
    return bytes;
}

void TGraphF::mExitClick() {
    accept();
}

// On the report's printer, one page, the graphs as large as the page allows.
void TGraphF::mPrintClick() {
    PrintOnReportPrinter(*SaveDialog2, [this](QPrinter& printer) {
        QPainter painter;
        if (!painter.begin(&printer)) return false;
        DrawGraphs(painter, QRect(0, 0, printer.width(), printer.height()));
        painter.end();
        return true;
    });
}

void TGraphF::PngPicture1Click() {
    exportAs("PNG pictures (*.png)|*.PNG", "png", PngBytes());
}

void TGraphF::SvgDrawing1Click() {
    exportAs("SVG drawings (*.svg)|*.SVG", "svg", SvgBytes());
}

// Written as the report's exports are: beside the target, then renamed into place.
void TGraphF::exportAs(const std::string& filter, const std::string& extension,
                       const QByteArray& bytes) {
    const std::string name = SaveDialog1->Ask({kGraphTitle, filter, extension});
    if (name.empty()) return;
    const reports::ExportOutcome outcome = reports::WriteExportFile(
        std::string(bytes.constData(), std::size_t(bytes.size())), name, DataFileSystem());
    if (!outcome.ok)
        platform::messages().show(platform::MessageKind::Information, outcome.message,
                                  platform::Buttons::OK);
}

}  // namespace cbk
