#pragma once

// TReportF: the report viewer. It shows a report document a screen at a time in the report
// font (made smaller, down to 8 points, until the report fits the window's width), scrolls by
// its scroll bar, the wheel and the paging keys, and prints or exports the document from its
// menu. Painting draws only the rows on screen, so the document's length does not matter.

#include <QDialog>
#include <QFileDialog>
#include <QFont>
#include <string>

#include "platform/Platform.h"
#include "reports/ReportExport.h"
#include "reports/ReportGeometry.h"

class QAction;
class QMenu;
class QMenuBar;
class QPrinter;
class QScrollBar;

namespace cbk {

// A save dialog shown through the platform's modal runner, so that a test can answer it.
// FileName is the chosen file after it closes, empty when it was cancelled.
class TSaveDialog : public QFileDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TSaveDialog(QWidget* parent, const char* name);
    std::string formName() const override { return name_; }
    int execModal() override;

    // Title, filter ("Text files (*.txt)|*.TXT") and default extension; the name is cleared.
    void Setup(const reports::ExportDialog& spec);
    // Shows the dialog (first in the books' folder); the chosen name.
    std::string Ask(const reports::ExportDialog& spec);

    std::string FileName;

private:
    bool placed_ = false;  // shown before, where the user left it
    std::string name_;
};

class TReportF : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TReportF();
    std::string formName() const override { return "TReportF"; }
    int execModal() override;

    QMenuBar* MainMenu1 = nullptr;
    QAction* mExit = nullptr;
    QAction* mPrint = nullptr;
    QMenu* mExport = nullptr;
    QAction* AsciiText1 = nullptr;
    QAction* TabDelimited1 = nullptr;
    QAction* CsvSpreadsheet1 = nullptr;
    QAction* mGraph = nullptr;  // the profit reports and the summaries only
    QWidget* Client = nullptr;  // the drawing area under the menu
    QScrollBar* ScrollBar1 = nullptr;
    TSaveDialog* SaveDialog1 = nullptr;  // export
    TSaveDialog* SaveDialog2 = nullptr;  // the PDF file when no printer is installed

    // Shows `doc` modally; the viewer lets go of it when it closes.
    void View(const reports::Document& doc);
    // The document drawn, printed and exported; an empty one while none is held.
    const reports::Document& document() const { return *doc_; }
    // Holds `doc` (none: nullptr) without showing; `doc` must outlive the holding.
    void Hold(const reports::Document* doc) { doc_ = doc != nullptr ? doc : &none_; }

    // What the current showing measured.
    int topRow() const { return topRow_; }
    int linesPerScreen() const { return linesPerScreen_; }
    int availableWidth() const { return available_; }
    int fontPoints() const { return font_.pointSize(); }
    const reports::ReportGeometry& geometry() const { return geometry_; }

public slots:
    // Starts a showing: the report font, fitted to the window, and the top row.
    void FormShow();
    void ScrollBar1Change(int position);
    void mExitClick();
    void mPrintClick();
    void AsciiText1Click();
    void TabDelimited1Click();
    void CsvSpreadsheet1Click();
    void mGraphClick();

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    friend class ReportArea;
    void FormPaint();
    void placeChildren();
    void measure();
    void exportAs(reports::ExportKind kind);

    reports::Document none_;
    const reports::Document* doc_ = &none_;
    QFont font_;
    reports::ReportGeometry geometry_;
    int available_ = 0;
    int linesPerScreen_ = 0;
    int topRow_ = 0;
};

// Prints `doc` on `printer` (a printer, or a PDF file) from a top margin of three lines, in
// `font` made smaller one point at a time while the report is wider than the page or, should
// a page of the document be longer than the paper, taller than it; never below 1 point.
// Returns the size printed in, 0 when the print job could not start.
int PrintReport(const reports::Document& doc, QPrinter& printer, QFont font);

}  // namespace cbk
