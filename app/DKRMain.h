#pragma once

// TFormMain: the main window. It performs the start-up when first shown, offers every command
// on four tabs, keeps the run-time settings (report period, fiscal year start, default folder,
// report font, printer) and shuts the data store down when it closes.
//
// Every command opens the tables it needs, runs its form, loop or report, and closes all
// tables before it returns: no table stays open between commands.

#include <QComboBox>
#include <QMainWindow>
#include <cstdint>
#include <string>

#include "platform/DateTime.h"
#include "platform/Platform.h"

class QAction;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace reports {
enum class ReportKind;
}

namespace cbk {

class ChoiceBox;
class HelpWindow;
class MaskEdit;
class ProgressBox;

class TFormMain : public QMainWindow, public platform::ModalForm {
    Q_OBJECT

public:
    TFormMain();
    ~TFormMain() override;

    std::string formName() const override { return "TFormMain"; }
    int execModal() override;

    ProgressBox& progressBox() const { return *ProgressBox1; }

    // The status bar's note of the books open: their name (the folder in its tip) and, for
    // read-only books, that they are read-only (`readOnlyWhy` in its tip). The start-up opens
    // the books in `dir`.
    void ShowBooks(const std::string& dir, const std::string& readOnlyWhy);
    QLabel* LabelBooks = nullptr;
    QLabel* LabelReadOnly = nullptr;
    HelpWindow& helpWindow() const { return *Help; }

    // When the splash went up and came down, by the platform clock.
    platform::DateTime splashShownAt() const { return splashShown_; }
    platform::DateTime splashClosedAt() const { return splashClosed_; }

    // ---- controls -------------------------------------------------------------------
    QTabWidget* PageControl1 = nullptr;
    // Income and Expenses
    QToolButton* BtnIncome = nullptr;
    QToolButton* BtnAccountI = nullptr;
    QToolButton* BtnFolders = nullptr;
    QToolButton* BtnAccountE = nullptr;
    QToolButton* BtnExpense = nullptr;
    QToolButton* BtnImport = nullptr;
    QPushButton* BtnStatement = nullptr;  // "Import Statement": bank statements
    QPushButton* BtnSchedules = nullptr;  // "Scheduled Entries": the repeating records
    QPushButton* BtnDue = nullptr;        // "Due": the scheduled entries fallen due
    QPushButton* BtnBank = nullptr;       // "Bank": accounts, register, reconcile
    QMenu* PopupBank = nullptr;
    QToolButton* BtnRateChange = nullptr;
    QLabel* Label1 = nullptr;         // "Default Folder"
    ChoiceBox* FolderCBox = nullptr;  // the default folder: chosen, never typed
    // Report Generation
    QToolButton* BtnExpRpt = nullptr;
    QToolButton* BtnIncRpt = nullptr;
    QToolButton* BtnProfRpt = nullptr;
    QToolButton* BtnGLRpt = nullptr;
    MaskEdit* MaskEdit1 = nullptr;  // Report From
    MaskEdit* MaskEdit2 = nullptr;  // Through
    // Program Setup
    QGroupBox* GroupBox1 = nullptr;  // Fiscal Year Setup
    MaskEdit* MaskEdit3 = nullptr;   // Start Month
    MaskEdit* MaskEdit4 = nullptr;   // Start Day
    QGroupBox* GroupBox2 = nullptr;  // Business: its name and address, for the reports
    QLineEdit* EditCompany = nullptr;
    QLineEdit* EditAddress = nullptr;
    QPushButton* BtnFont = nullptr;
    QPushButton* BtnPSetup = nullptr;
    QLineEdit* Edit1 = nullptr;      // report font
    QLineEdit* Edit2 = nullptr;      // printer and orientation
    QCheckBox* CheckBox1 = nullptr;  // keep deleted records for recovery
    QCheckBox* CheckBox2 = nullptr;  // automatic backup at exit
    // File Maintenance
    QToolButton* BtnBackup = nullptr;
    QToolButton* BtnRestore = nullptr;
    QToolButton* BtnArchive = nullptr;
    QToolButton* BtnDeArchive = nullptr;
    QToolButton* BtnReIndex = nullptr;
    QToolButton* BtnPack = nullptr;
    QToolButton* BtnEraseData = nullptr;
    QToolButton* BtnUpgrade = nullptr;
    QPushButton* BtnRecover = nullptr;  // "Recover Deleted Records"
    // Help buttons of the four tabs
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn3 = nullptr;
    QPushButton* BitBtn4 = nullptr;
    QPushButton* BitBtn5 = nullptr;
    // Menus
    QAction* mF_Exit = nullptr;
    QAction* About1 = nullptr;
    QAction* Help2 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QMenu* PopupMenu3 = nullptr;
    QAction* ExpenseSummary1 = nullptr;
    QAction* ExpenseDetail1 = nullptr;
    QAction* AccountDetail1 = nullptr;
    QAction* ChartofAccounts1 = nullptr;
    QAction* IncomeSummary1 = nullptr;
    QAction* IncomeDetail1 = nullptr;
    QAction* AccountDetail2 = nullptr;
    QAction* ChartofAccounts2 = nullptr;
    QAction* WeeklyProfit1 = nullptr;
    QAction* MonthlyProfit1 = nullptr;
    ProgressBox* ProgressBox1 = nullptr;

public slots:
    // Start-up and shutdown
    void FormCreate();
    void FormShow();
    void ShutDown();
    void mF_ExitClick();
    void About1Click();
    void Help2Click();

    // Record maintenance
    void BtnIncomeClick();
    void BtnExpenseClick();
    void BtnFoldersClick();
    void BtnAccountEClick();
    void BtnAccountIClick();
    void BtnRateChangeClick();
    void BtnImportClick();
    void BtnStatementClick();
    void BtnSchedulesClick();
    void BtnDueClick();
    void BtnBankClick();

    // Reports
    void BtnExpRptClick();
    void BtnIncRptClick();
    void BtnProfRptClick();
    void BtnGLRptClick();
    void ExpenseSummary1Click();
    void ExpenseDetail1Click();
    void AccountDetail1Click();
    void ChartofAccounts1Click();
    void IncomeSummary1Click();
    void IncomeDetail1Click();
    void AccountDetail2Click();
    void ChartofAccounts2Click();
    void WeeklyProfit1Click();
    void MonthlyProfit1Click();

    // File maintenance
    void BtnBackupClick();
    void BtnRestoreClick();
    void BtnArchiveClick();
    void BtnDeArchiveClick();
    void BtnReIndexClick();
    void Image2Click();
    void BtnEraseDataClick();
    void BtnUpgradeClick();
    void BtnRecoverClick();

    // Settings (Settings.cpp)
    void SetDefaultPeriod();
    void MaskEdit1Change();
    void MaskEdit1Exit();
    void MaskEdit2Change();
    void MaskEdit2Exit();
    void MaskEdit3Exit();
    void MaskEdit4Exit();
    void EditCompanyExit();
    void EditAddressExit();
    void FormPaint();
    void FolderCBoxChange(int index);
    void FolderCBoxKeyPress();
    void BtnFontClick();
    void BtnPSetupClick();
    void CheckBox1Click();
    void CheckBox2Click();

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    QWidget* buildIncomeExpensesTab();
    QWidget* buildReportsTab();
    QWidget* buildSetupTab();
    QWidget* buildMaintenanceTab();
    QWidget* tabPage(int helpContext, QPushButton*& helpButton);
    void buildMenus();

    // Settings helpers (Settings.cpp)
    void PrepareReportFont();
    void ShowReportFont();
    void ShowPrinter();
    void ShowPeriodAndFiscalYear();
    void ShowBusiness();
    bool PeriodFieldExit(MaskEdit* field, platform::DateTime& setting);
    void PeriodFieldChange(MaskEdit* field, platform::DateTime& setting);
    // The exit's work on the books: pack (keeping deleted records), automatic backup, release.
    void CloseBooks();
    void StoreSafeguards();

    // The Due list when something fell due; `asked` from its button, which also says when
    // nothing did. At start-up it is left out on read-only books.
    void ShowDue(bool asked);
    // A command other than the record forms changed the records: the forms' payee memory is
    // read again at their next showing.
    void RecordsChanged();

    // Runs a report through the report runner.
    void RunReport(reports::ReportKind report);
    void PopupAtCursor(QMenu* menu);

    bool started_ = false;
    bool shutDown_ = false;
    std::string booksDir_;  // empty: the books of the current directory
    HelpWindow* Help = nullptr;
    platform::DateTime splashShown_;
    platform::DateTime splashClosed_;
};

}  // namespace cbk
