#include "records/forms/PickList.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "data/Database.h"

namespace cbk {

PickList::PickList(const char* formName, const QString& caption) : name_(formName) {
    setObjectName(QString::fromLatin1(formName));
    setWindowTitle(caption);
    StringGrid1 = new QTableWidget(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setShowGrid(true);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    StringGrid1->setMinimumSize(440, 260);
    StringGrid1->installEventFilter(this);
    connect(StringGrid1, &QTableWidget::cellClicked, this, &PickList::StringGrid1Click);
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, &PickList::StringGrid1DblClick);
}

void PickList::addButtons(QPushButton* select, QPushButton* newRecord, QPushButton* exit) {
    select_ = select;
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {select, newRecord, exit}) {
        b->setAutoDefault(false);     // Enter belongs to the grid...
        b->installEventFilter(this);  // ...or to the button that has the focus
        b->setMinimumWidth(80);
        buttons->addWidget(b);
    }
    buttons->addStretch();
    connect(select, &QPushButton::clicked, this, &PickList::SelectClick);
    connect(newRecord, &QPushButton::clicked, this, &PickList::NewClick);
    connect(exit, &QPushButton::clicked, this, &PickList::ExitClick);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(StringGrid1);
    layout->addLayout(buttons);
    initialColumns_ = int(columns().size());
}

int PickList::currentRow() const {
    if (StringGrid1->rowCount() == 0 || !StringGrid1->isEnabled()) return 0;
    return StringGrid1->currentRow() + 1;
}

int PickList::rowCount() const {
    return StringGrid1->rowCount() + 1;
}

QString PickList::cell(int column, int row) const {
    if (row == 0) {
        const QTableWidgetItem* h = StringGrid1->horizontalHeaderItem(column);
        return h ? h->text() : QString();
    }
    const QTableWidgetItem* item = StringGrid1->item(row - 1, column);
    return item ? item->text() : QString();
}

void PickList::FormShow() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<Column> cols = columns();
    StringGrid1->clear();
    StringGrid1->setColumnCount(int(cols.size()));
    StringGrid1->setRowCount(0);
    for (int c = 0; c < int(cols.size()); ++c) {
        StringGrid1->setHorizontalHeaderItem(c, new QTableWidgetItem(cols[c].header));
        StringGrid1->setColumnWidth(c, cols[c].width);
    }

    int matched = 0;
    engine::Data4* t = table();
    d4tagSelect(t, tag());
    for (ResultWord = d4top(t); ResultWord == 0; ResultWord = d4skip(t, 1)) {
        if (!loadAndFilter()) continue;
        const int row = StringGrid1->rowCount();
        StringGrid1->insertRow(row);
        QStringList texts = cells();
        texts << QString::number(d4recNo(t));
        for (int c = 0; c < texts.size() && c < int(cols.size()); ++c) {
            auto* item = new QTableWidgetItem(texts[c]);
            if (cols[c].rightAligned) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            StringGrid1->setItem(row, c, item);
        }
        if (d4recNo(t) == choice()) matched = row + 1;
    }

    // The widths are the least a column gets; a wider text or heading widens its column so
    // that nothing is cut off.
    for (int c = 0; c < int(cols.size()); ++c) {
        StringGrid1->resizeColumnToContents(c);
        StringGrid1->setColumnWidth(c, std::max(cols[c].width, StringGrid1->columnWidth(c)));
    }

    const int rows = StringGrid1->rowCount();
    StringGrid1->setEnabled(rows > 0);
    select_->setEnabled(rows > 0);
    if (rows > 0) {
        const int row = openingRow(matched, rows);
        StringGrid1->setCurrentCell(row - 1, 0);
        StringGrid1->selectRow(row - 1);
        StringGrid1->scrollToItem(StringGrid1->item(row - 1, 0));
        // Reopened after New or Exit, the list starts again from its grid, not that button.
        StringGrid1->setFocus();
    }
    QApplication::restoreOverrideCursor();
}

void PickList::FormClose() {
    StringGrid1->clearContents();
    StringGrid1->setColumnCount(initialColumns_);
    StringGrid1->setRowCount(1);
}

void PickList::StringGrid1Click() {
    StringGrid1->viewport()->update();
}

void PickList::SelectClick() {
    const int row = currentRow();
    if (row <= 0) return;
    choice() = cell(StringGrid1->columnCount() - 1, row).toInt();
    accept();
}

void PickList::StringGrid1DblClick() {
    SelectClick();
}

void PickList::StringGrid1KeyPress(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) SelectClick();
}

void PickList::NewClick() {
    choice() = 0;
    accept();
}

void PickList::ExitClick() {
    choice() = -1;
    accept();
}

void PickList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

// Escape leaves the list as Exit does. The close box keeps its own way (reject): the choice
// stays as it was and the loop goes on to the edit form.
void PickList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ExitClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PickList::done(int result) {
    FormClose();
    QDialog::done(result);
}

bool PickList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == StringGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            StringGrid1KeyPress(key);
            return true;
        }
    }
    if (auto* button = qobject_cast<QPushButton*>(watched);
        button != nullptr && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            button->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace cbk
