#pragma once

// The pick lists: one family of forms that show the records of one table in a grid and hand
// back a choice (record number, 0 for a new record, -1 to leave the loop). The members differ
// in table, columns, filter and the row they select when they open.
//
// Grid rows are counted as the user sees them: row 0 is the heading, data rows start at 1.
// The grid holds only the record numbers of its rows; a row's texts are read when it is shown.
//
// Keys: Enter selects the highlighted row; Alt+S, Alt+N and Alt+X are Select, New and Exit;
// Escape leaves as Exit does. The expense and income lists have a find: Ctrl+F, or typing
// while the grid has the focus, narrows the rows to those containing the text, within the
// dates given; there Escape first clears the find, and leaves only when there is none. The
// folder and account lists move to the first row whose number or name starts with what is
// typed.

#include <QDialog>
#include <QElapsedTimer>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "records/RecordList.h"
#include "records/forms/PickGrid.h"

class QLineEdit;
class QPushButton;
class QHBoxLayout;

namespace cbk {

class PickList : public QDialog, public platform::ModalForm {
    Q_OBJECT

public:
    std::string formName() const override { return name_; }
    int execModal() override { return exec(); }

    // The grid's current row (0 = none or the heading) and its text in the RecNo column.
    int currentRow() const;
    int rowCount() const;  // heading included
    QString cell(int column, int row) const;

    PickGrid* StringGrid1 = nullptr;
    // The find of the expense and income lists (nullptr in the others): the text, and the
    // first and last date in date field form (either may stay empty).
    QLineEdit* FindEdit = nullptr;
    QLineEdit* FromEdit = nullptr;
    QLineEdit* ThroughEdit = nullptr;

public slots:
    void FormShow();
    void FormClose();
    void StringGrid1Click();
    void StringGrid1DblClick();
    void StringGrid1KeyPress(int key);
    // Narrows the rows to the find's fields as they stand.
    void FindChange();

protected:
    using Column = PickListModel::Column;

    PickList(const char* formName, const QString& caption);
    // The find bar above the grid; called before addButtons.
    void addFind();
    // Buttons captioned "&Select", "&New", "E&xit" (Alt+S, Alt+N, Alt+X: letters typed
    // without Alt stay the grid's); members keep their own names for them.
    void addButtons(QPushButton* select, QPushButton* newRecord, QPushButton* exit);

    void SelectClick();
    void NewClick();
    void ExitClick();

    virtual std::vector<Column> columns() const = 0;
    // Walks the table in the list's order and filter, finding the current choice.
    virtual records::ListWalk walk() const = 0;
    // The texts of record `recNo` but its RecNo; the record buffers are left as they were.
    virtual QStringList cells(std::uint32_t recNo) const = 0;
    virtual std::int32_t& choice() const = 0;
    // The row to select once the grid is filled; `matched` is the row of the current choice
    // (0 when none matched).
    virtual int openingRow(int matched, int lastRow) const = 0;
    // The rows of `rows` that the find matches (lists with a find).
    virtual records::ListRows find(const records::ListRows& rows,
                                   const records::FindRequest& request) const;

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    records::FindRequest findRequest() const;
    bool findIsEmpty() const;
    void clearFind();
    void typeAhead(const QString& text);
    void selectDataRow(int row);  // 0-based; scrolled into view

    std::string name_;
    QPushButton* select_ = nullptr;
    QHBoxLayout* findBar_ = nullptr;
    records::ListRows all_;       // every row of the walk
    records::FindRequest shown_;  // the find the grid's rows answer
    QString typed_;               // type-ahead so far
    QElapsedTimer sinceTyped_;
};

}  // namespace cbk
