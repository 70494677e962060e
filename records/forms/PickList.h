#pragma once

// The pick lists: one family of forms that show the records of one table in a grid and hand
// back a choice (record number, 0 for a new record, -1 to leave the loop). The members differ
// in table, columns, filter and the row they select when they open.
//
// Grid rows are counted as the user sees them: row 0 is the heading, data rows start at 1.

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <string>
#include <vector>

#include "data/engine/Engine.h"
#include "platform/Platform.h"

class QPushButton;
class QTableWidget;

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

    QTableWidget* StringGrid1 = nullptr;

public slots:
    void FormShow();
    void FormClose();
    void StringGrid1Click();
    void StringGrid1DblClick();
    void StringGrid1KeyPress(int key);

protected:
    struct Column {
        QString header;
        int width;
        bool rightAligned = false;
    };

    PickList(const char* formName, const QString& caption);
    // Buttons captioned "&Select", "&New", "E&xit" (Alt+S, Alt+N, Alt+X: letters typed
    // without Alt stay the grid's); members keep their own names for them.
    void addButtons(QPushButton* select, QPushButton* newRecord, QPushButton* exit);

    void SelectClick();
    void NewClick();
    void ExitClick();

    virtual std::vector<Column> columns() const = 0;
    virtual engine::Data4* table() const = 0;
    virtual engine::Tag4* tag() const = 0;
    // Loads the current record into its buffer; true when it belongs in the list.
    virtual bool loadAndFilter() = 0;
    virtual QStringList cells() const = 0;
    virtual std::int32_t& choice() const = 0;
    // The row to select once the grid is filled; `matched` is the row of the current choice
    // (0 when none matched).
    virtual int openingRow(int matched, int lastRow) const = 0;

    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::string name_;
    QPushButton* select_ = nullptr;
    int initialColumns_ = 0;
};

}  // namespace cbk
