// The report viewer and the folder dialog: the scroll bar and the font a showing chooses, what
// the drawing area shows, the menu's print and export, and the folders the dialog returns.

#include <QAction>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QScrollBar>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "GuiFixture.h"
#include "reports/ReportDocument.h"
#include "reports/ReportExport.h"
#include "reports/forms/MultFolU.h"
#include "reports/forms/ReportU.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {
namespace {

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void pressKey(QWidget& w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&w, &press);
}

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

    // A document of `rows` rows, "Row n" in the first cell of row n, held by the viewer.
    void makeDocument(int rows, int width = 76) {
        ReportDocument.ClearDocument();
        ReportDocument.reportWidth = width;
        ReportDocument.cellsPerRow = 3;
        ReportDocument.StartDocument(60);
        for (int r = 0; r < rows; ++r) {
            ReportDocument.AddRow();
            ReportDocument.cell(r, 0) = "L00Row " + std::to_string(r);
        }
        viewer().Hold(&ReportDocument);
    }
    reports::Document ReportDocument;

    // Sizes the viewer so that a screen holds `lines` rows, and starts a showing.
    void showWithLines(int lines, int width = 1000) {
        viewer().resize(width, 400);
        viewer().FormShow();
        const int height = viewer().Client->y() + 2 + lines * viewer().geometry().lineHeight;
        viewer().resize(width, height);
        viewer().FormShow();
        ASSERT_EQ(viewer().linesPerScreen(), lines);
    }
};

TEST_F(ReportViewer, ScrollBarAndKeysFollowTheRowsAScreenHolds) {
    makeDocument(30);
    showWithLines(30);
    EXPECT_TRUE(viewer().ScrollBar1->isHidden()) << "the rows fit";

    makeDocument(100);
    showWithLines(30);
    QScrollBar& bar = *viewer().ScrollBar1;
    EXPECT_FALSE(bar.isHidden());
    EXPECT_EQ(bar.minimum(), 0);
    EXPECT_EQ(bar.maximum(), 70);
    EXPECT_EQ(bar.pageStep(), 29);
    EXPECT_EQ(bar.singleStep(), 1);

    const std::pair<int, int> keys[] = {
        {Qt::Key_End, 70}, {Qt::Key_PageDown, 70}, {Qt::Key_Up, 69},       {Qt::Key_PageUp, 40},
        {Qt::Key_Home, 0}, {Qt::Key_Up, 0},        {Qt::Key_PageDown, 29}, {Qt::Key_Down, 30}};
    for (const auto& [key, top] : keys) {
        pressKey(viewer(), key);
        EXPECT_EQ(viewer().topRow(), top) << "key " << key;
    }
    // A new showing starts again from the top.
    viewer().FormShow();
    EXPECT_EQ(viewer().topRow(), 0);
    EXPECT_EQ(bar.value(), 0);
}

TEST_F(ReportViewer, WideReportShrinksOnePointAtATimeDownToEight) {
    makeDocument(5, 99);
    ReportFont.size = 12;
    viewer().resize(3000, 400);
    viewer().FormShow();
    EXPECT_EQ(viewer().fontPoints(), 12) << "fits as it is";

    viewer().resize(200, 400);
    viewer().FormShow();
    EXPECT_EQ(viewer().fontPoints(), 8) << "drawn wider than the window rather than smaller";
    EXPECT_GT(99 * viewer().geometry().characterWidth, viewer().availableWidth());

    // In between, the first size that fits: one point larger would not.
    viewer().resize(800, 400);
    viewer().FormShow();
    const int points = viewer().fontPoints();
    ASSERT_GT(points, 8);
    ASSERT_LT(points, 12);
    EXPECT_LE(99 * viewer().geometry().characterWidth, viewer().availableWidth());
    QFont larger("DejaVu Sans");
    larger.setPointSize(points + 1);
    const int widthLarger =
        QFontMetrics(larger, viewer().Client)
            .horizontalAdvance(QString::fromLatin1(reports::kWidthSample.data(), 27)) /
        27;
    EXPECT_GT(99 * widthLarger, viewer().availableWidth());
}

// Rules, page breaks and bold rows land where the geometry says: a "U" rule runs from the
// left offset to the right edge only, a page break's dotted line across the whole width.
TEST_F(ReportViewer, PaintsRulesBandOnlyAndPageBreaksAcrossTheWindow) {
    makeDocument(6, 40);
    ReportDocument.cell(1, 2) = "U";
    ReportDocument.cell(3, 0) = "EJECT";
    ReportDocument.cell(4, 2) = "B";
    showWithLines(10);
    const QImage image = viewer().Client->grab().toImage();
    const reports::ReportGeometry& g = viewer().geometry();
    const auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 128; };

    const int ruleY = 2 * g.lineHeight;
    EXPECT_TRUE(dark(g.leftOffset + 1, ruleY));
    EXPECT_TRUE(dark(g.rightEdge - 1, ruleY));
    EXPECT_FALSE(dark(g.leftOffset - 3, ruleY));
    EXPECT_FALSE(dark(g.rightEdge + 3, ruleY));

    const int breakY = 3 * g.lineHeight + g.lineHeight / 2;
    int dots = 0;
    for (int x = 0; x < viewer().availableWidth(); ++x) dots += dark(x, breakY);
    EXPECT_GT(dots, viewer().availableWidth() / 4) << "dotted across the window";
    EXPECT_LT(dots, viewer().availableWidth() * 3 / 4) << "dotted, not solid";

    // The bold row carries more ink than the same text in normal weight.
    ReportDocument.cell(5, 0) = ReportDocument.cell(4, 0) = "L00Row";
    const QImage same = viewer().Client->grab().toImage();
    const auto ink = [&](int row) {
        int n = 0;
        for (int y = row * g.lineHeight; y < (row + 1) * g.lineHeight; ++y)
            for (int x = g.leftOffset; x < g.rightEdge; ++x) n += qGray(same.pixel(x, y)) < 128;
        return n;
    };
    EXPECT_GT(ink(4), ink(5));
}

// Only the visible rows are drawn: the first screen of a document of 100,000 rows is the
// same picture as that of 100 rows, and is drawn as quickly.
TEST_F(ReportViewer, LongDocumentPaintsItsFirstScreenOnly) {
    QElapsedTimer timer;
    // A showing's first paint: the font fitted, the rows measured, one screen drawn.
    const auto firstPaint = [&](int rows, qint64& ms) {
        makeDocument(rows);
        showWithLines(40);
        timer.start();
        viewer().FormShow();
        QImage image = viewer().Client->grab().toImage();
        ms = timer.elapsed();
        return image;
    };
    qint64 smallMs = 0;
    qint64 largeMs = 0;
    const QImage small = firstPaint(100, smallMs);
    const QImage large = firstPaint(100000, largeMs);
    EXPECT_EQ(viewer().ScrollBar1->maximum(), 100000 - 40);
    const QRect rows(0, 0, viewer().availableWidth(), 40 * viewer().geometry().lineHeight);
    EXPECT_EQ(small.copy(rows), large.copy(rows));
    RecordProperty("first_paint_ms_100_rows", int(smallMs));
    RecordProperty("first_paint_ms_100000_rows", int(largeMs));
    std::printf("first paint: 100 rows %lld ms, 100,000 rows %lld ms\n", (long long)smallMs,
                (long long)largeMs);
}

TEST_F(ReportViewer, ExportAsksForTheFileAndReportsOneThatCannotBeMade) {
    makeDocument(3);
    const std::filesystem::path target = dataDir() / "report.txt";
    std::vector<std::string> titles;
    const auto answer = [&](std::string name) {
        platform_->modal.once("SaveDialog1", [&, name](platform::ModalForm& form) {
            auto& dialog = dynamic_cast<TSaveDialog&>(form);
            // The name field comes empty, whatever the last export chose.
            const auto* nameField = dialog.findChild<QLineEdit*>("fileNameEdit");
            titles.push_back(dialog.windowTitle().toStdString() + " | " +
                             dialog.nameFilters().join(";").toStdString() + " | " +
                             dialog.defaultSuffix().toStdString() + " | " +
                             (nameField ? nameField->text().toStdString() : "no name field"));
            std::filesystem::current_path(std::filesystem::temp_directory_path());
            if (!name.empty()) dialog.selectFile(QString::fromStdString(name));
            dialog.FileName = name;
            return name.empty() ? platform::mrCancel : platform::mrOk;
        });
    };

    answer("");
    viewer().AsciiText1Click();
    answer(target.string());
    viewer().AsciiText1Click();
    answer((dataDir() / "report.asc").string());
    viewer().TabDelimited1Click();
    answer((dataDir() / "no such dir" / "report.txt").string());
    viewer().AsciiText1Click();

    EXPECT_EQ(titles,
              (std::vector<std::string>{"Export Report | Text files (*.txt *.TXT) | txt | ",
                                        "Export Report | Text files (*.txt *.TXT) | txt | ",
                                        "Export Report | Delimited files (*.asc *.ASC) | asc | ",
                                        "Export Report | Text files (*.txt *.TXT) | txt | "}));
    EXPECT_EQ(fileBytes(target), reports::ExportBytes(ReportDocument, reports::ExportKind::Text));
    EXPECT_EQ(fileBytes(dataDir() / "report.asc"),
              reports::ExportBytes(ReportDocument, reports::ExportKind::Delimited));
    ASSERT_EQ(platform_->messages.texts().size(), 1u) << "cancel says nothing";
    EXPECT_EQ(platform_->messages.texts()[0].rfind(
                  "Unable to save to: " + (dataDir() / "no such dir" / "report.txt").string(), 0),
              0u);
}

TEST_F(ReportViewer, PrintWithoutAPrinterWritesThePagesIntoANamedPdf) {
    platform_->printing.installed = false;
    makeDocument(130);
    ReportDocument.cell(65, 0) = "EJECT";
    const std::filesystem::path pdf = dataDir() / "report.pdf";
    platform_->modal.once("SaveDialog2", [](platform::ModalForm& form) {
        dynamic_cast<TSaveDialog&>(form).FileName.clear();
        return platform::mrCancel;
    });
    viewer().mPrintClick();
    EXPECT_FALSE(std::filesystem::exists(pdf));

    platform_->modal.once("SaveDialog2", [&](platform::ModalForm& form) {
        auto& dialog = dynamic_cast<TSaveDialog&>(form);
        EXPECT_EQ(dialog.defaultSuffix(), "pdf");
        std::filesystem::current_path(std::filesystem::temp_directory_path());
        dialog.FileName = pdf.string();
        return platform::mrOk;
    });
    viewer().mPrintClick();
    const std::string bytes = fileBytes(pdf);
    EXPECT_EQ(bytes.rfind("%PDF", 0), 0u);
    EXPECT_TRUE(platform_->messages.texts().empty());

    const std::string nowhere = (dataDir() / "no such dir" / "r.pdf").string();
    platform_->modal.once("SaveDialog2", [&](platform::ModalForm& form) {
        dynamic_cast<TSaveDialog&>(form).FileName = nowhere;
        return platform::mrOk;
    });
    viewer().mPrintClick();
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Unable to save to: " + nowhere});
}

// Sixty lines a page without a printer: a large report font is made smaller until a page
// and its three-line top margin fit the paper; a small one is kept.
TEST_F(ReportViewer, PrintedPagesFitThePaper) {
    makeDocument(121, 40);
    ReportDocument.cell(60, 0) = "EJECT";
    for (const auto& [points, kept] : {std::pair{8, true}, std::pair{24, false}}) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString((dataDir() / "fit.pdf").string()));
        QFont font("DejaVu Sans");
        font.setPointSize(points);
        const int printed = PrintReport(ReportDocument, printer, font);
        font.setPointSize(printed);
        EXPECT_LE(63 * QFontMetrics(font, &printer).height(), printer.height()) << points;
        EXPECT_EQ(printed == points, kept) << points;
    }
}

TEST_F(ReportViewer, FolderDialogRunsWithTheClickedFoldersOrNone) {
    startUp();
    OpenFolders();
    TMultFol& dialog = *forms().MultFol;
    struct Case {
        std::vector<int> clicks;  // lines clicked, in order; -1 = All
        bool run;
        std::vector<std::int32_t> selected;
    };
    const Case cases[] = {
        {{}, true, {}},
        {{3, 1}, true, {2, 4}},
        {{1, 1, 2}, true, {3}},  // a second click deselects
        {{-1}, true, {1, 2, 3, 4, 5}},
        {{-1}, false, {}},
    };
    for (const Case& c : cases) {
        dialog.Chosen = {99};
        dialog.FormShow();
        ASSERT_EQ(dialog.ListBox1->count(), 5);
        EXPECT_TRUE(dialog.ListBox1->item(1)->text().startsWith("   2 - Main Street Duplex"));
        EXPECT_TRUE(dialog.Chosen.empty());
        for (int line : c.clicks) {
            if (line < 0) {
                dialog.BtnAllClick();
                continue;
            }
            QListWidget& list = *dialog.ListBox1;
            const QRect at = list.visualItemRect(list.item(line));
            QMouseEvent press(QEvent::MouseButtonPress, at.center(),
                              list.viewport()->mapToGlobal(at.center()), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, at.center(),
                                list.viewport()->mapToGlobal(at.center()), Qt::LeftButton,
                                Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(list.viewport(), &press);
            QCoreApplication::sendEvent(list.viewport(), &release);
        }
        c.run ? dialog.BtnRunClick() : dialog.BtnCancelClick();
        EXPECT_EQ(dialog.Chosen, c.selected);
        EXPECT_EQ(dialog.result(), c.run ? QDialog::Accepted : QDialog::Rejected);
    }
}

}  // namespace
}  // namespace cbk::testing
