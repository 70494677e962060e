#pragma once

// TStatementImport: the import of a bank statement (help context 525). Run() asks for the
// file, for a CSV the column mapping (TCsvMapping), reads the statement and shows every line
// in the preview with its proposal; Import writes the ticked lines in one command and says
// what was added. Nothing is written before Import, and nothing when the file cannot be read.

#include <QAbstractTableModel>
#include <QDialog>
#include <QFileDialog>
#include <map>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "statements/Csv.h"
#include "statements/Statement.h"
#include "statements/StatementImport.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace cbk {

class ChoiceBox;
class TCsvMapping;

// The open dialog of the statement file, shown through the platform's modal runner so that a
// test can answer it. After OK FileName is the chosen file.
class TStatementOpenDialog : public QFileDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TStatementOpenDialog(QWidget* parent);
    std::string formName() const override { return "OpenDialog1"; }
    int execModal() override;

    std::string FileName;
};

// The lines of the preview: tick, date, payee, amount, memo, check number, kind, account,
// folder, state. A line without an account shows "(none)", an income line's memo that the
// income record cannot keep says so, and a line that cannot be read shows why.
class PreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { Tick, Date, Payee, Amount, Memo, CheckNo, Kind, Account, Folder, State, Count };

    PreviewModel(std::vector<statements::PreviewLine>& lines, QObject* parent)
        : QAbstractTableModel(parent), lines_(lines) {}
    void Reset(std::map<std::int32_t, std::string> expenseAccounts,
               std::map<std::int32_t, std::string> incomeAccounts,
               std::map<std::int32_t, std::string> folders, std::string fileName);
    void RowsChanged(int first, int last);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<statements::PreviewLine>& lines_;
    std::map<std::int32_t, std::string> expenseAccounts_, incomeAccounts_, folders_;
    std::string fileName_;
};

class TStatementImport : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TStatementImport(QWidget* parent);
    std::string formName() const override { return "TStatementImport"; }
    int execModal() override { return exec(); }

    // The whole command, from the choice of the file to the closing message.
    void Run();

    QLabel* Label1 = nullptr;  // the file and its counts
    QLabel* Label2 = nullptr;  // "Date order:"
    QComboBox* DateOrderBox = nullptr;
    QTableView* Grid = nullptr;
    QLabel* Label3 = nullptr;  // "Account:"
    ChoiceBox* AccountBox = nullptr;
    QLabel* Label4 = nullptr;  // "Folder:"
    ChoiceBox* FolderBox = nullptr;
    QPushButton* BtnApply = nullptr;
    QPushButton* BtnImport = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;
    TStatementOpenDialog* OpenDialog1 = nullptr;
    TCsvMapping* Mapping1 = nullptr;

    std::vector<statements::PreviewLine> Lines;

    void BtnApplyClick();
    void BtnImportClick();

private:
    bool ReadAndPropose(bool orderChosen);
    void CurrentRowChanged();
    void ShowCounts();
    void DateOrderChange();

    std::string path_, bytes_;
    statements::Format format_ = statements::Format::Unknown;
    statements::CsvMapping mapping_;
    platform::DateOrder order_ = platform::DateOrder::MDY;
    std::vector<std::string> expenseEntries_, incomeEntries_, folderEntries_;
    PreviewModel* model_ = nullptr;
    statements::Kind boxKind_ = statements::Kind::Expense;
};

}  // namespace cbk
