#pragma once

// TRecover: "Recover Deleted Records". Lists the records deleted and not yet packed away, then
// those kept in the recovery tables, newest removal first, with the pick lists' columns and
// the date of removal; a find field narrows the list to the rows holding its text, and Down
// from it moves into the list. Recover puts the chosen rows back into their table as live
// records.

#include <QDialog>
#include <string>
#include <vector>

#include "maintenance/Recovery.h"
#include "platform/Platform.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace cbk {

class TRecover : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    TRecover();
    std::string formName() const override { return "TRecover"; }
    int execModal() override { return exec(); }

    // The kind shown: expenses (0) or income (1).
    maintenance::RecordKind Kind() const;
    // The rows listed, in order, and which of them the find leaves showing.
    const std::vector<maintenance::RecoveryRow>& Rows() const { return rows_; }
    int VisibleRows() const;

    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit1 = nullptr;  // find
    QTableWidget* StringGrid1 = nullptr;
    QLabel* Label1 = nullptr;  // how many are listed
    QPushButton* BtnRecover = nullptr;
    QPushButton* BtnClose = nullptr;
    QPushButton* BitBtn1 = nullptr;  // help: the topic "recover"

public slots:
    void FormShow();
    void ComboBox1Change();
    void Edit1Change();
    void BtnRecoverClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Fill();

    std::vector<maintenance::RecoveryRow> rows_;
};

}  // namespace cbk
