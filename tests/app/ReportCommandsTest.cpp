// The main window's report commands: a report run from the main window, shown in the viewer.
// With CBK_SCREENSHOT_DIR set, the expense summary of the example data is also written there
// as report-viewer.png and report-printed.pdf.

#include <QAction>
#include <QLineEdit>
#include <QPrinter>
#include <cstdlib>
#include <string>
#include <vector>

#include "GuiFixture.h"
#include "reports/ReportDocument.h"
#include "reports/forms/MultFolU.h"
#include "reports/forms/ReportU.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {
namespace {

class ReportViewer : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        ReportFont = platform::FontSpec{"DejaVu Sans", 10};
    }
    void TearDown() override {
        viewer().Hold(nullptr);
        FormTest::TearDown();
    }

    TReportF& viewer() { return *forms().ReportF; }
};

// The main window runs the report between opening and closing its tables: the viewer shows
// the built document, paged for the printer, which is cleared once the viewer closes. The
// account variant's New ends without a report, as Exit does.
TEST_F(ReportViewer, MainWindowCommandShowsTheReportAndClearsItAfter) {
    startUp();
    ReportFont = platform::FontSpec{"DejaVu Sans", 10};
    platform_->printing.height = 6300;
    platform_->printing.line = 100;
    platform_->modal.once("TMultFol", [](platform::ModalForm& form) {
        auto& dialog = dynamic_cast<TMultFol&>(form);
        dialog.FormShow();
        dialog.BtnAllClick();
        dialog.BtnRunClick();
        return platform::mrOk;
    });
    std::vector<std::string> firstCells;
    int linesPerPage = 0;
    platform_->modal.once("TReportF", [&](platform::ModalForm& form) {
        auto& shown = dynamic_cast<TReportF&>(form);
        const reports::Document& doc = shown.document();
        for (int r = 0; r < doc.rowCount() && r < 6; ++r) firstCells.push_back(doc.cell(r, 0));
        linesPerPage = doc.linesPerPage;
        shown.resize(1024, 600);
        shown.FormShow();
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR")) {
            shown.grab().save(QString::fromLocal8Bit(dir) + "/report-viewer.png");
            QPrinter pdf(QPrinter::HighResolution);
            pdf.setOutputFormat(QPrinter::PdfFormat);
            pdf.setOutputFileName(QString::fromLocal8Bit(dir) + "/report-printed.pdf");
            PrintReport(doc, pdf, shown.font());
        }
        return platform::mrOk;
    });
    main().ExpenseSummary1->trigger();
    EXPECT_EQ(platform_->modal.shown, (std::vector<std::string>{"TMultFol", "TReportF"}));
    ASSERT_EQ(firstCells.size(), 6u);
    EXPECT_EQ(firstCells[0], "L00Page 1");
    EXPECT_EQ(firstCells[2], "C38Expense Summary Report");
    EXPECT_EQ(linesPerPage, 6300 / 100 - 6);
    ASSERT_FALSE(platform_->printing.fontsMeasured.empty());
    EXPECT_EQ(platform_->printing.fontsMeasured.back().name, "DejaVu Sans");
    EXPECT_TRUE(viewer().document().empty());  // let go once the viewer closed
    EXPECT_FALSE(anyTableOpen());

    platform_->modal.shown.clear();
    platform_->modal.once("TPickAcc", [](platform::ModalForm&) {
        ExpAccountChoice = 0;
        return platform::mrOk;
    });
    main().AccountDetail1->trigger();
    EXPECT_EQ(platform_->modal.shown, std::vector<std::string>{"TPickAcc"});
    EXPECT_TRUE(platform_->messages.texts().empty());
    EXPECT_FALSE(anyTableOpen());
}

// The monthly profit starts its run's reports on the first of the month; the field keeps what
// was typed. With CBK_SCREENSHOT_DIR set, the three reports of the example data are written
// there as report-ledger.png, report-monthly.png and report-chart.png.
TEST_F(ReportViewer, MonthlyProfitMovesTheRunsStartButNotTheField) {
    startUp();
    const QString typed = main().MaskEdit1->text();
    ReportFrom = *platform::DateTime::fromYmd(2026, 2, 15);
    std::vector<std::string> titles;
    platform_->modal.onShow("TMultFol", [](platform::ModalForm& form) {
        auto& dialog = dynamic_cast<TMultFol&>(form);
        dialog.FormShow();
        dialog.BtnAllClick();
        dialog.BtnRunClick();
        return platform::mrOk;
    });
    platform_->modal.onShow("TReportF", [&](platform::ModalForm& form) {
        auto& shown = dynamic_cast<TReportF&>(form);
        titles.push_back(shown.document().cell(2, 0) + " " + shown.document().cell(3, 0));
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR")) {
            const char* names[] = {"report-monthly.png", "report-ledger.png", "report-chart.png"};
            shown.resize(1024, 600);
            shown.FormShow();
            shown.grab().save(QString::fromLocal8Bit(dir) + "/" + names[titles.size() - 1]);
        }
        return platform::mrOk;
    });
    main().MonthlyProfit1->trigger();
    main().BtnGLRptClick();
    main().ChartofAccounts1->trigger();
    EXPECT_EQ(ReportFrom, *platform::DateTime::fromYmd(2026, 2, 1));
    EXPECT_EQ(main().MaskEdit1->text(), typed);
    EXPECT_EQ(titles, (std::vector<std::string>{"C49Profit Report C49for 2/1/26 through 3/31/26",
                                                "C36General Ledger C36for 2/1/26 through 3/31/26",
                                                "C20Expense Accounts "}));  // one title line
    EXPECT_FALSE(anyTableOpen());
}

}  // namespace
}  // namespace cbk::testing
