#pragma once

// TStatementImport: the import of a bank statement (help context 525). Run() asks for the
// file, for a CSV the column mapping (TCsvMapping), and shows every line of the statement in
// the preview with its proposal and where it came from; Import writes the ticked lines. The
// steps themselves are the import session's (statements/ImportSession); the form holds the
// widgets and passes what the user does to it.

#include <QAbstractTableModel>
#include <QDialog>
#include <QFileDialog>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "statements/ImportSession.h"

class QComboBox;
class QLabel;
class QPushButton;
class QTableView;

namespace cbk {

class ChoiceBox;
class TCsvMapping;
class TImportRule;
class TImportRules;

// The open dialog of the statement file, shown through the platform's modal runner so that a
// test can answer it. After OK FileName is the chosen file.
class TStatementOpenDialog : public QFileDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TStatementOpenDialog(QWidget* parent);
    std::string formName() const override { return "OpenDialog1"; }
    int execModal() override;

    std::string FileName;

private:
    bool placed_ = false;  // shown before, where the user left it
};

// The lines of the preview: tick, date, payee, amount, memo, check number, kind, account,
// folder, source, state. A line without an account shows "(none)", the source where its
// account came from ("rule 2", "last record", "none"), an income line's memo that the income
// record cannot keep says so, and a line that cannot be read shows why.
class PreviewModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column {
        Tick,
        Date,
        Payee,
        Amount,
        Memo,
        CheckNo,
        Kind,
        Account,
        Folder,
        Source,
        State,
        Count
    };

    // The tick is the one thing the grid changes in the session's lines itself.
    PreviewModel(statements::ImportSession& session, QObject* parent)
        : QAbstractTableModel(parent), session_(session) {}
    void Reset();
    void RowsChanged(int first, int last);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    statements::ImportSession& session_;
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
    QPushButton* BtnRuleFromLine = nullptr;  // "Always use this for payees like…"
    QPushButton* BtnRules = nullptr;
    QPushButton* BtnImport = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;
    TStatementOpenDialog* OpenDialog1 = nullptr;
    TCsvMapping* Mapping1 = nullptr;
    TImportRule* RuleForm = nullptr;
    TImportRules* RulesForm = nullptr;

    statements::ImportSession Session;
    std::vector<statements::PreviewLine>& Lines = Session.Lines;

    void BtnApplyClick();
    void BtnRuleFromLineClick();
    void BtnRulesClick();
    void BtnImportClick();

private:
    bool ReadAndPropose(bool orderChosen);
    void ShowProposals();
    void ShowRulesApplied();
    void CurrentRowChanged();
    void DateOrderChange();
    std::optional<std::int32_t> Chosen(ChoiceBox* box) const;

    PreviewModel* model_ = nullptr;
    statements::Kind boxKind_ = statements::Kind::Expense;
};

}  // namespace cbk
