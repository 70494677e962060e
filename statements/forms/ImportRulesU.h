#pragma once

// The rules for imported lines, reached from the statement preview: TImportRule edits one rule
// (what it looks for, the amounts and kind it is for, the account and folder it sets) and
// refuses one that cannot be saved; TImportRules lists them in order, says which are skipped
// and why, and adds, edits, deletes and moves them. Both are shown through the platform's
// modal runner; the caller saves what the list holds after OK.

#include <QDialog>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "statements/ImportSession.h"

class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace cbk {

class ChoiceBox;

class TImportRule : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TImportRule(QWidget* parent);
    std::string formName() const override { return "TImportRule"; }
    int execModal() override { return exec(); }

    // Shows `rule` with the session's account and folder lists.
    void Load(const statements::ImportRule& rule, const statements::ImportSession& session);
    // The rule as the user left it; after OK, one that can be saved.
    statements::ImportRule Rule;

    QComboBox* TextBox = nullptr;   // payee, memo, either
    QComboBox* MatchBox = nullptr;  // contains, starts with, regular expression
    QLineEdit* PatternEdit = nullptr;
    QLineEdit* MinEdit = nullptr;  // blank: no bound
    QLineEdit* MaxEdit = nullptr;
    QComboBox* KindBox = nullptr;
    ChoiceBox* AccountBox = nullptr;
    ChoiceBox* FolderBox = nullptr;  // first entry: the line keeps its folder
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;

    void BtnOKClick();

private:
    void KindChange();

    const statements::ImportSession* session_ = nullptr;
};

class TImportRules : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TImportRules(QWidget* parent);
    std::string formName() const override { return "TImportRules"; }
    int execModal() override { return exec(); }

    void Load(const statements::ImportSession& session);
    std::vector<statements::ImportRule> Rules;

    QListWidget* RuleList = nullptr;
    QPushButton* BtnAdd = nullptr;
    QPushButton* BtnEdit = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnUp = nullptr;
    QPushButton* BtnDown = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;
    TImportRule* RuleForm = nullptr;

private:
    void ShowRules(int current);
    void Edit(int row);
    void Move(int by);

    const statements::ImportSession* session_ = nullptr;
};

}  // namespace cbk
