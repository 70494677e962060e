#pragma once

// The scheduled entries: TSchedules lists them (what, how often, when next) and adds, edits
// and deletes them, each change saved to the books at once; TSchedule edits one with the
// field rules of the record forms and refuses one that cannot be kept. The command opens ACC,
// ACCI and FOLDER for their choice lists.

#include <QDialog>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "records/RecordTables.h"
#include "records/ScheduleTable.h"
#include "records/forms/BankField.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace cbk {

class ChoiceBox;
class MaskEdit;

// The choice lists a schedule is filed under, read once per command.
struct ScheduleCharts {
    records::ChoiceList expenseAccounts, incomeAccounts, folders;
    static ScheduleCharts Read();  // ACC, ACCI and FOLDER open
    const records::ChoiceList& accounts(records::ScheduleKind kind) const {
        return kind == records::ScheduleKind::Expense ? expenseAccounts : incomeAccounts;
    }
    // "250 - Rent" for the number, or the number alone when the chart has lost it.
    std::string Name(const records::ChoiceList& list, std::int32_t number) const;
};

class TSchedule : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TSchedule(QWidget* parent);
    std::string formName() const override { return "TSchedule"; }
    int execModal() override { return exec(); }

    // Shows `schedule` (a new one when its id is 0) with the command's choice lists.
    void Load(const records::Schedule& schedule, const ScheduleCharts& charts);
    // After Save: the schedule as the user left it, one that can be kept. Delete: Deleted.
    records::Schedule Entered;
    bool Deleted = false;

    QComboBox* KindBox = nullptr;    // Expense, Income
    ChoiceBox* ComboBox1 = nullptr;  // account
    ChoiceBox* ComboBox2 = nullptr;  // folder
    BankField Bank{this};            // the bank account the entries move through
    QLineEdit* Edit1 = nullptr;      // pay to / description
    MaskEdit* MaskEdit1 = nullptr;   // amount
    MaskEdit* MaskEdit2 = nullptr;   // check number (expenses)
    QLineEdit* Edit2 = nullptr;      // memo (expenses)
    QComboBox* RepeatBox = nullptr;  // in the order of records::Repeat
    MaskEdit* MaskEdit3 = nullptr;   // every N weeks
    MaskEdit* MaskEdit4 = nullptr;   // day of the month
    MaskEdit* MaskEdit5 = nullptr;   // start
    MaskEdit* MaskEdit6 = nullptr;   // end (may stay blank)
    MaskEdit* MaskEdit7 = nullptr;   // how many times (0: no limit)
    QLabel* LabelPayee = nullptr;
    QPushButton* BtnSave = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnCancel = nullptr;
    QPushButton* BitBtn1 = nullptr;

public slots:
    void BtnSaveClick();
    void BtnDeleteClick();
    void BtnCancelClick() { reject(); }
    void BitBtn1Click();

private:
    void KindChange();
    void RepeatChange();
    // Moves the focus to `field` and says `why`; false, for the caller to return.
    bool Refuse(QWidget* field, const std::string& why);

    const ScheduleCharts* charts_ = nullptr;
};

class TSchedules : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TSchedules(QWidget* parent);
    std::string formName() const override { return "TSchedules"; }
    int execModal() override { return exec(); }

    // Reads SCHED and the choice lists (the tables open); false when SCHED cannot be read
    // (the message was shown).
    bool Load();
    const records::StoredSchedules& Books() const { return books_; }

    QTableWidget* StringGrid1 = nullptr;
    QPushButton* BtnAdd = nullptr;
    QPushButton* BtnEdit = nullptr;
    QPushButton* BtnDelete = nullptr;
    QPushButton* BtnClose = nullptr;
    TSchedule* ScheduleForm = nullptr;

private:
    void ShowSchedules(int current);
    void Edit(int row);
    void Delete(int row);
    // Saves the list; on failure says so and reads back what the books hold.
    void Save();

    records::StoredSchedules books_;
    ScheduleCharts charts_;
};

// How often, in words: "Monthly on day 15, from 03/01/26 until 12/31/26".
std::string RepeatText(const records::ScheduleRule& rule);

}  // namespace cbk
