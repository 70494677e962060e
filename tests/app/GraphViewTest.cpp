// The viewer's graph and spreadsheet export on the example data: the profit and summary
// graphs carry the report's own figures, print into a PDF without a printer and export as PNG
// and SVG; other reports offer no graph. With CBK_SCREENSHOT_DIR set, the graphs are written
// there as graph-profit.png and graph-summary.png, and their printed pages as PDF.

#include <QAction>
#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QChart>
#include <QHorizontalBarSeries>
#include <QLineSeries>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "GuiFixture.h"
#include "reports/GraphFigures.h"
#include "reports/ReportDocument.h"
#include "reports/ReportExport.h"
#include "reports/forms/GraphU.h"
#include "reports/forms/MultFolU.h"
#include "reports/forms/ReportU.h"

namespace cbk::testing {
namespace {

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class GraphView : public FormTest {
protected:
    void answerSave(const char* dialog, const std::filesystem::path& path) {
        platform_->modal.once(dialog, [path](platform::ModalForm& form) {
            auto& save = dynamic_cast<TSaveDialog&>(form);
            save.FileName = path.string();
            return platform::mrOk;
        });
    }
};

TEST_F(GraphView, GraphsDrawTheReportsFiguresPrintAndExport) {
    startUp();
    ReportFrom = *platform::DateTime::fromYmd(2025, 4, 1);
    ReportThrough = *platform::DateTime::fromYmd(2026, 3, 31);
    platform_->printing.installed = false;
    platform_->modal.onShow("TMultFol", [](platform::ModalForm& form) {
        auto& dialog = dynamic_cast<TMultFol&>(form);
        dialog.FormShow();
        dialog.BtnAllClick();
        dialog.BtnRunClick();
        return platform::mrOk;
    });
    std::vector<bool> graphOffered;
    std::string csvFilter;
    platform_->modal.onShow("TReportF", [&](platform::ModalForm& form) {
        auto& viewer = dynamic_cast<TReportF&>(form);
        viewer.FormShow();
        graphOffered.push_back(viewer.mGraph->isVisible());
        if (graphOffered.size() == 2) {  // the summary: its spreadsheet export too
            platform_->modal.once("SaveDialog1", [&](platform::ModalForm& f) {
                auto& save = dynamic_cast<TSaveDialog&>(f);
                csvFilter = save.nameFilters().join(";").toStdString() + " " +
                            save.defaultSuffix().toStdString();
                save.FileName = (dataDir() / "summary.csv").string();
                return platform::mrOk;
            });
            viewer.CsvSpreadsheet1->trigger();
        }
        if (viewer.mGraph->isVisible()) viewer.mGraph->trigger();
        return platform::mrOk;
    });
    std::vector<std::vector<double>> firstBars;  // each graph's first bar set
    std::vector<int> graphs;
    std::vector<std::vector<std::pair<double, double>>> scales;
    platform_->modal.onShow("TGraphF", [&](platform::ModalForm& form) {
        auto& graph = dynamic_cast<TGraphF&>(form);
        graph.resize(1100, 700);
        graph.show();
        QCoreApplication::processEvents();
        graphs.push_back(int(graph.graphs.size()));
        auto* bars = qobject_cast<QAbstractBarSeries*>(graph.graphs.front()->series().front());
        std::vector<double> values;
        for (int i = 0; i < bars->barSets().front()->count(); ++i)
            values.push_back(bars->barSets().front()->at(i));
        firstBars.push_back(values);
        // The amounts' axis of every graph, labelled as the report shows amounts.
        std::vector<std::pair<double, double>> ranges;
        for (QChart* c : graph.graphs) {
            auto* axis = qobject_cast<QCategoryAxis*>(
                c->axes(graphs.size() == 1 ? Qt::Vertical : Qt::Horizontal).front());
            EXPECT_NE(axis, nullptr);
            if (!axis) continue;
            ranges.emplace_back(axis->min(), axis->max());
            EXPECT_TRUE(axis->categoriesLabels().contains(QStringLiteral("10,000.00")));
        }
        scales.push_back(ranges);

        const std::string name = graphs.size() == 1 ? "graph-profit" : "graph-summary";
        answerSave("SaveDialog1", dataDir() / (name + ".png"));
        graph.PngPicture1->trigger();
        answerSave("SaveDialog1", dataDir() / (name + ".svg"));
        graph.SvgDrawing1->trigger();
        answerSave("SaveDialog2", dataDir() / (name + ".pdf"));
        graph.mPrint->trigger();
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR")) {
            const QString shot = QString::fromLocal8Bit(dir) + "/" + QString::fromStdString(name);
            graph.grab().save(shot + ".png");
            QFile::remove(shot + ".pdf");
            QFile::copy(QString::fromStdString((dataDir() / (name + ".pdf")).string()),
                        shot + ".pdf");
        }
        graph.hide();
        return platform::mrOk;
    });

    main().MonthlyProfit1->trigger();
    main().ExpenseSummary1->trigger();
    main().BtnGLRptClick();

    EXPECT_EQ(graphOffered, (std::vector<bool>{true, true, false}));
    EXPECT_EQ(graphs, (std::vector<int>{1, 2}));  // deductible and non-deductible apart
    ASSERT_EQ(scales.size(), 2u);
    EXPECT_EQ(scales[1][0], scales[1][1]);  // the two sections on one scale
    ASSERT_EQ(firstBars.size(), 2u);
    EXPECT_EQ(firstBars[0].size(), 12u);  // a bar of income a month
    ASSERT_FALSE(firstBars[1].empty());
    EXPECT_LE(firstBars[1].size(), 13u);  // top twelve and "Other"
    // Largest last, drawn on top; "Other" first, at the bottom, when there are more.
    EXPECT_TRUE(std::is_sorted(firstBars[1].begin() + (firstBars[1].size() == 13 ? 1 : 0),
                               firstBars[1].end()));
    EXPECT_EQ(csvFilter, "CSV files (*.csv *.CSV) csv");
    const std::string csv = fileBytes(dataDir() / "summary.csv");
    EXPECT_EQ(csv.rfind("Acnt.,Account Name,Period Totals,Prior Totals,Year To Date\r\n", 0), 0u);
    for (const char* name : {"graph-profit", "graph-summary"}) {
        const std::filesystem::path base = dataDir() / name;
        EXPECT_EQ(fileBytes(base.string() + ".png").rfind("\x89PNG", 0), 0u) << name;
        EXPECT_NE(fileBytes(base.string() + ".svg").find("<svg"), std::string::npos) << name;
        EXPECT_EQ(fileBytes(base.string() + ".pdf").rfind("%PDF", 0), 0u) << name;
    }
    EXPECT_TRUE(platform_->messages.texts().empty());
    EXPECT_FALSE(anyTableOpen());
}

}  // namespace
}  // namespace cbk::testing
