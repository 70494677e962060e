#include "reports/forms/ReportU.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPrinter>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QWheelEvent>
#include <algorithm>

#include "data/Books.h"
#include "data/Database.h"
#include "data/engine/FileSystem.h"
#include "platform/qt/QtPrinting.h"
#include "reports/GraphFigures.h"
#include "reports/ReportDocument.h"
#include "reports/forms/GraphU.h"
#include "reports/forms/QtReportCanvas.h"
#include "reports/forms/ReportPrinter.h"
#include "state/MainVars.h"

namespace cbk {

namespace {

// The scroll bar starts 2 pixels below the menu; the rows are counted from there.
constexpr int kScrollTop = 2;
// Rows a notch of the mouse wheel moves.
constexpr int kWheelRows = 3;

// "Text files (*.txt)|*.TXT" as Qt writes a filter. File names on this system tell case
// apart, so both spellings of the extension are offered.
QString qtFilter(const std::string& filter) {
    const std::size_t bar = filter.find('|');
    std::string description = filter.substr(0, bar);
    if (const std::size_t open = description.find(" ("); open != std::string::npos)
        description.erase(open);
    QString pattern =
        QString::fromStdString(bar == std::string::npos ? "" : filter.substr(bar + 1));
    const QString lower = pattern.toLower();
    if (lower != pattern) pattern = lower + ' ' + pattern;
    return QString::fromStdString(description) + " (" + pattern + ')';
}

// The most rows one page of the document holds between its page breaks.
int longestPage(const reports::Document& doc) {
    int longest = 0;
    int rows = 0;
    for (int r = 0; r <= doc.lastRow; ++r) {
        if (doc.cell(r, 0) == reports::kEject) {
            rows = 0;
            continue;
        }
        longest = std::max(longest, ++rows);
    }
    return longest;
}

}  // namespace

// The viewer's drawing area: it paints through the form and passes the wheel to the
// scroll bar's position.
class ReportArea : public QWidget {
public:
    explicit ReportArea(TReportF* form) : QWidget(form), form_(form) {
        setObjectName(QStringLiteral("ReportArea"));
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent*) override { form_->FormPaint(); }
    void wheelEvent(QWheelEvent* event) override {
        const int notches = event->angleDelta().y() / 120;
        if (notches == 0) return;
        QScrollBar* bar = form_->ScrollBar1;
        bar->setValue(bar->value() - notches * kWheelRows);
        event->accept();
    }

private:
    TReportF* form_;
};

// ---- the save dialog ------------------------------------------------------------------

TSaveDialog::TSaveDialog(QWidget* parent, const char* name) : QFileDialog(parent), name_(name) {
    setObjectName(QString::fromLatin1(name));
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    // Qt's own dialog applies the default extension before it asks about overwriting, so
    // the question is about the file that will be written.
    setOption(QFileDialog::DontUseNativeDialog);
}

int TSaveDialog::execModal() {
    // The first showing opens in the books' folder, as the dialog of a program started there.
    if (!placed_ && !cbk::BooksFolder().empty())
        setDirectory(QString::fromStdString(cbk::BooksFolder()));
    placed_ = true;
    const int result = exec();
    const QStringList chosen = selectedFiles();
    FileName = result == QDialog::Accepted && !chosen.isEmpty() ? chosen.front().toStdString()
                                                                : std::string();
    return result;
}

void TSaveDialog::Setup(const reports::ExportDialog& spec) {
    setWindowTitle(QString::fromStdString(spec.title));
    setNameFilter(qtFilter(spec.filter));
    setDefaultSuffix(QString::fromStdString(spec.defaultExtension));
    // selectFile() passes over an empty name, so the name field would still offer the last
    // export's file: it is emptied itself.
    if (auto* name = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) name->clear();
    FileName.clear();
}

std::string TSaveDialog::Ask(const reports::ExportDialog& spec) {
    Setup(spec);
    platform::modal().showModal(*this);
    return FileName;
}

// ---- the viewer -----------------------------------------------------------------------

TReportF::TReportF() {
    setObjectName(QStringLiteral("TReportF"));
    setWindowTitle(QStringLiteral("Report"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    MainMenu1 = new QMenuBar(this);
    MainMenu1->setObjectName(QStringLiteral("MainMenu1"));
    mExit = MainMenu1->addAction(QStringLiteral("E&xit"));
    mPrint = MainMenu1->addAction(QStringLiteral("Print"));
    mExport = MainMenu1->addMenu(QStringLiteral("&Export"));
    AsciiText1 = mExport->addAction(QStringLiteral("Ascii &Text"));
    TabDelimited1 = mExport->addAction(QStringLiteral("Tab &Delimited"));
    CsvSpreadsheet1 = mExport->addAction(QStringLiteral("CSV (spreadsheet)"));
    mGraph = MainMenu1->addAction(QStringLiteral("&Graph"));
    mExit->setObjectName(QStringLiteral("mExit"));
    mPrint->setObjectName(QStringLiteral("mPrint"));
    mExport->setObjectName(QStringLiteral("mExport"));
    AsciiText1->setObjectName(QStringLiteral("AsciiText1"));
    TabDelimited1->setObjectName(QStringLiteral("TabDelimited1"));
    CsvSpreadsheet1->setObjectName(QStringLiteral("CsvSpreadsheet1"));
    mGraph->setObjectName(QStringLiteral("mGraph"));
    connect(mExit, &QAction::triggered, this, &TReportF::mExitClick);
    connect(mPrint, &QAction::triggered, this, &TReportF::mPrintClick);
    connect(AsciiText1, &QAction::triggered, this, &TReportF::AsciiText1Click);
    connect(TabDelimited1, &QAction::triggered, this, &TReportF::TabDelimited1Click);
    connect(CsvSpreadsheet1, &QAction::triggered, this, &TReportF::CsvSpreadsheet1Click);
    connect(mGraph, &QAction::triggered, this, &TReportF::mGraphClick);

    Client = new ReportArea(this);
    ScrollBar1 = new QScrollBar(Qt::Vertical, Client);
    ScrollBar1->setObjectName(QStringLiteral("ScrollBar1"));
    ScrollBar1->hide();
    connect(ScrollBar1, &QScrollBar::valueChanged, this, &TReportF::ScrollBar1Change);

    SaveDialog1 = new TSaveDialog(this, "SaveDialog1");
    SaveDialog2 = new TSaveDialog(this, "SaveDialog2");
}

int TReportF::execModal() {
    // The whole screen even where no window manager acts on the maximised state (it would
    // otherwise open at the few pixels its menu asks for).
    if (const QScreen* shown = screen()) setGeometry(shown->availableGeometry());
    setWindowState(windowState() | Qt::WindowMaximized);
    return exec();
}

void TReportF::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) FormShow();
    QDialog::showEvent(event);
    Client->setFocus();
}

void TReportF::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    // The window reaches its maximised size after it is shown; the rows are measured again
    // for it, keeping the top row.
    placeChildren();
    measure();
}

void TReportF::placeChildren() {
    const int menuHeight = MainMenu1->sizeHint().height();
    MainMenu1->setGeometry(0, 0, width(), menuHeight);
    Client->setGeometry(0, menuHeight, width(), std::max(0, height() - menuHeight));
    const int barWidth = ScrollBar1->sizeHint().width();
    ScrollBar1->setGeometry(Client->width() - barWidth, kScrollTop, barWidth,
                            std::max(0, Client->height() - kScrollTop));
}

void TReportF::View(const reports::Document& doc) {
    Hold(&doc);
    platform::modal().showModal(*this);
    Hold(nullptr);
}

void TReportF::FormShow() {
    setWindowState(windowState() | Qt::WindowMaximized);
    mGraph->setVisible(reports::GraphKindOf(document()) != reports::GraphKind::None);
    topRow_ = 0;
    placeChildren();
    measure();
    ScrollBar1->setValue(0);
}

// The report font, made one point smaller at a time (not below 8) until the report fits the
// width beside the scroll bar; then the band, the line height and the rows a screen holds.
void TReportF::measure() {
    const reports::Document& doc = document();
    QtReportCanvas canvas(Client, platform::qt::toQFont(ReportFont));
    available_ = Client->width() - ScrollBar1->width();
    reports::FitFont(canvas, doc.reportWidth, available_, reports::kSmallestScreenPoints);
    geometry_ = reports::MeasureGeometry(canvas, doc.reportWidth, available_);
    font_ = canvas.font();
    linesPerScreen_ = reports::LinesPerScreen(Client->height(), kScrollTop, geometry_.lineHeight);

    const reports::ScrollSetup scroll = reports::ScrollFor(doc.rowCount(), linesPerScreen_);
    const QSignalBlocker quiet(ScrollBar1);
    ScrollBar1->setRange(0, scroll.maximum);
    ScrollBar1->setPageStep(scroll.largeStep);
    ScrollBar1->setSingleStep(scroll.smallStep);
    ScrollBar1->setVisible(scroll.visible);
    topRow_ = std::clamp(topRow_, 0, scroll.maximum);
    ScrollBar1->setValue(topRow_);
}

void TReportF::FormPaint() {
    QPainter painter(Client);
    painter.fillRect(Client->rect(), Qt::white);
    QtReportCanvas canvas(Client, font_);
    canvas.begin(&painter);
    reports::PaintRows(document(), canvas, geometry_, topRow_, linesPerScreen_, available_);
}

void TReportF::ScrollBar1Change(int position) {
    topRow_ = position;
    // Drawn now, not at the next idle moment: holding a key down shows every step.
    Client->repaint();
}

void TReportF::keyPressEvent(QKeyEvent* event) {
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    switch (event->key()) {
        case Qt::Key_Up:
            action = QAbstractSlider::SliderSingleStepSub;
            break;
        case Qt::Key_Down:
            action = QAbstractSlider::SliderSingleStepAdd;
            break;
        case Qt::Key_PageUp:
            action = QAbstractSlider::SliderPageStepSub;
            break;
        case Qt::Key_PageDown:
            action = QAbstractSlider::SliderPageStepAdd;
            break;
        case Qt::Key_Home:
            action = QAbstractSlider::SliderToMinimum;
            break;
        case Qt::Key_End:
            action = QAbstractSlider::SliderToMaximum;
            break;
        default:
            QDialog::keyPressEvent(event);
            return;
    }
    ScrollBar1->triggerAction(action);
    event->accept();
}

void TReportF::mExitClick() {
    accept();
}

// On the report's printer; the PDF file when no printer is installed.
void TReportF::mPrintClick() {
    const QFont font = platform::qt::toQFont(ReportFont);
    PrintOnReportPrinter(*SaveDialog2, [this, &font](QPrinter& printer) {
        return PrintReport(document(), printer, font) != 0;
    });
}

void TReportF::AsciiText1Click() {
    exportAs(reports::ExportKind::Text);
}

void TReportF::TabDelimited1Click() {
    exportAs(reports::ExportKind::Delimited);
}

void TReportF::CsvSpreadsheet1Click() {
    exportAs(reports::ExportKind::Csv);
}

// The profit reports' and the summaries' figures as a graph, over the viewer.
void TReportF::mGraphClick() {
    TGraphF graph(this);
    if (graph.Build(document())) platform::modal().showModal(graph);
}

// The export goes through the data store's file system, as every file the program writes.
void TReportF::exportAs(reports::ExportKind kind) {
    reports::ExportCommand(
        document(), kind,
        [this](const reports::ExportDialog& spec) { return SaveDialog1->Ask(spec); },
        DataFileSystem());
}

// ---- printing -------------------------------------------------------------------------

int PrintReport(const reports::Document& doc, QPrinter& printer, QFont font) {
    QtReportCanvas canvas(&printer, font);
    const int pageWidth = printer.width();
    reports::FitFont(canvas, doc.reportWidth, pageWidth, reports::kSmallestPrintPoints);
    // Pages are as long as the printer's facts said when the report was built, or 60 lines
    // without a printer; a page that would run off the paper is printed smaller instead.
    const int rows = longestPage(doc) + 3;
    while (rows * canvas.textHeight(reports::kHeightSample) > printer.height() &&
           canvas.fontSize() > reports::kSmallestPrintPoints)
        canvas.setFontSize(canvas.fontSize() - 1);
    const reports::ReportGeometry geometry =
        reports::MeasureGeometry(canvas, doc.reportWidth, pageWidth);

    QPainter painter;
    if (!painter.begin(&printer)) return 0;
    canvas.begin(&painter, &printer);
    reports::PrintRows(doc, canvas, geometry);
    painter.end();
    return canvas.fontSize();
}

}  // namespace cbk
