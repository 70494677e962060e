#pragma once

// TCsvMapping: the column-mapping step of a CSV statement. It shows the file's first lines and
// lets the user say on which line the table starts, which column holds the date, the amount (or
// debit and credit), the payee, the memo and the check number, with the delimiter, the decimal mark
// and the date order.

#include <QDialog>
#include <string>

#include "platform/Platform.h"
#include "statements/Csv.h"

class QCheckBox;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;

namespace cbk {

class TCsvMapping : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TCsvMapping(QWidget* parent);
    std::string formName() const override { return "TCsvMapping"; }
    int execModal() override { return exec(); }

    // Loads the file's bytes and the mapping to start from.
    void Load(const std::string& bytes, const statements::CsvMapping& mapping);
    // The mapping as the boxes show it.
    statements::CsvMapping Mapping() const;

    QComboBox* DelimiterBox = nullptr;
    QCheckBox* DecimalComma = nullptr;
    QComboBox* DateOrderBox = nullptr;
    QSpinBox* FirstLine = nullptr;  // the line where the table starts
    QCheckBox* HeaderLine = nullptr;
    QComboBox* DateColumn = nullptr;
    QComboBox* AmountColumn = nullptr;
    QComboBox* DebitColumn = nullptr;
    QComboBox* CreditColumn = nullptr;
    QComboBox* PayeeColumn = nullptr;
    QComboBox* MemoColumn = nullptr;
    QComboBox* CheckColumn = nullptr;
    QPlainTextEdit* Sample = nullptr;
    QPushButton* BtnOK = nullptr;
    QPushButton* BtnCancel = nullptr;

private:
    void FillColumns();
    void BtnOKClick();

    std::string bytes_;
};

}  // namespace cbk
