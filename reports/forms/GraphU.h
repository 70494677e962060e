#pragma once

// TGraphF: a report's figures as a graph, over the viewer. The monthly and weekly profit
// reports show income and expenses as bars per bucket and the net profit as a line; the
// expense and income summaries show each section's period totals by account as bars, largest
// first. The figures are read from the report document itself. The graph prints on the
// report's printer and exports as a PNG picture or an SVG drawing.

#include <QByteArray>
#include <QDialog>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "reports/ReportDocument.h"

class QAction;
class QChart;
class QLabel;
class QMenu;
class QMenuBar;
class QPainter;
class QRect;

namespace cbk {

class TSaveDialog;

class TGraphF : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TGraphF(QWidget* parent = nullptr);
    std::string formName() const override { return "TGraphF"; }
    int execModal() override;

    // Draws the graphs of `doc`; false when the report has none to draw.
    bool Build(const reports::Document& doc);

    QMenuBar* MainMenu1 = nullptr;
    QAction* mExit = nullptr;
    QAction* mPrint = nullptr;
    QMenu* mExport = nullptr;
    QAction* PngPicture1 = nullptr;
    QAction* SvgDrawing1 = nullptr;
    QWidget* Graphs = nullptr;  // the title and the graphs: what is printed and exported
    QLabel* Title = nullptr;
    std::vector<QChart*> graphs;
    TSaveDialog* SaveDialog1 = nullptr;  // export
    TSaveDialog* SaveDialog2 = nullptr;  // the PDF file when no printer is installed

    // The graphs drawn into `target`, scaled to fit and centred.
    void DrawGraphs(QPainter& painter, const QRect& target);
    QByteArray PngBytes();
    QByteArray SvgBytes();

public slots:
    void mExitClick();
    void mPrintClick();
    void PngPicture1Click();
    void SvgDrawing1Click();

private:
    QChart* addGraph(const QString& title);
    void buildProfit(const reports::Document& doc);
    void buildSummary(const reports::Document& doc);
    void exportAs(const std::string& filter, const std::string& extension, const QByteArray& bytes);
};

}  // namespace cbk
