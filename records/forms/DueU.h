#pragma once

// TDueList: the scheduled entries that fell due since the last time, one line a date. The user
// ticks all or some, may change a line's amount first, and enters them as ordinary records or
// skips them; what is left stays due for the next time. Nothing is entered by itself. A line
// whose schedule lost its account or folder cannot be entered and says why. The command opens
// EXP5, INC5, ACC, ACCI and FOLDER.

#include <QDialog>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "records/ScheduleTable.h"
#include "records/forms/ScheduleU.h"

class QLabel;
class QTableWidget;

namespace cbk {

class MaskEdit;

class TDueList : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    explicit TDueList(QWidget* parent);
    std::string formName() const override { return "TDueList"; }
    int execModal() override { return exec(); }

    // Reads SCHED and what fell due up to today. False when nothing is due, or SCHED cannot
    // be read (then `Problem` says why).
    bool Load();
    std::string Problem;
    std::size_t LineCount() const { return lines_.size(); }

    // The records entered while the list was up, for the payee memory: expense or income,
    // record number and the schedule and line they came from.
    struct EnteredRecord {
        records::Schedule schedule;
        platform::DateTime date;
        double amount;
        long recNo;
    };
    std::vector<EnteredRecord> Entered;

    QTableWidget* StringGrid1 = nullptr;  // tick, date, kind, payee, account, folder, amount, note
    QLabel* Label1 = nullptr;             // since when
    QPushButton* BtnTickAll = nullptr;
    QPushButton* BtnEnter = nullptr;
    QPushButton* BtnSkip = nullptr;
    QPushButton* BtnLater = nullptr;
    QPushButton* BitBtn1 = nullptr;

public slots:
    void BtnTickAllClick();
    void BtnEnterClick() { Handle(records::DueChoice::Enter); }
    void BtnSkipClick() { Handle(records::DueChoice::Skip); }

private:
    void ShowLines();
    void Handle(records::DueChoice choice);
    MaskEdit* AmountField(int row) const;
    const records::Schedule* ScheduleOf(const records::DueLine& line) const;

    records::StoredSchedules books_;
    ScheduleCharts charts_;
    std::vector<records::DueLine> lines_;
};

}  // namespace cbk
