#include "records/forms/PickList.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>
#include <algorithm>

#include "data/StoredForms.h"
#include "rules/EntryRules.h"

namespace cbk {

namespace {

// Column widths follow the texts of this many rows at most: the ones in view.
constexpr int kRowsMeasured = 64;

// The date of a find field in stored form; empty when the field holds no date (yet).
std::string StoredDateOf(const QLineEdit* field) {
    const std::optional<platform::DateTime> date =
        rules::TextToDate(field->text().trimmed().toStdString());
    return date ? DateToStored(*date) : std::string();
}

// The date field form as a hint: "mm/dd/yy" in the regional order and separator.
QString DateHint() {
    const platform::RegionalSettings r = platform::regional().settings();
    const QString sep(QChar::fromLatin1(r.dateSeparator));
    switch (r.dateOrder) {
        case platform::DateOrder::DMY:
            return "dd" + sep + "mm" + sep + "yy";
        case platform::DateOrder::YMD:
            return "yy" + sep + "mm" + sep + "dd";
        default:
            return "mm" + sep + "dd" + sep + "yy";
    }
}

bool IsTyping(const QKeyEvent* key) {
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint() &&
           !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool IsRowMove(int key) {
    return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp ||
           key == Qt::Key_PageDown;
}

}  // namespace

PickList::PickList(const char* formName, const QString& caption) : name_(formName) {
    setObjectName(QString::fromLatin1(formName));
    setWindowTitle(caption);
    StringGrid1 = new PickGrid(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->horizontalHeader()->setResizeContentsPrecision(kRowsMeasured);
    StringGrid1->verticalHeader()->setResizeContentsPrecision(kRowsMeasured);
    StringGrid1->setMinimumSize(440, 260);
    StringGrid1->installEventFilter(this);
    connect(StringGrid1, &QTableView::clicked, this, &PickList::StringGrid1Click);
    connect(StringGrid1, &QTableView::doubleClicked, this, &PickList::StringGrid1DblClick);
}

void PickList::addFind() {
    FindEdit = new QLineEdit(this);
    FindEdit->setObjectName(QStringLiteral("FindEdit"));
    FromEdit = new QLineEdit(this);
    FromEdit->setObjectName(QStringLiteral("FromEdit"));
    ThroughEdit = new QLineEdit(this);
    ThroughEdit->setObjectName(QStringLiteral("ThroughEdit"));
    findBar_ = new QHBoxLayout;
    const auto add = [this](const QString& caption, QLineEdit* field, int width) {
        auto* label = new QLabel(caption, this);
        label->setBuddy(field);
        if (width > 0) field->setFixedWidth(width);
        field->installEventFilter(this);
        connect(field, &QLineEdit::textEdited, this, &PickList::FindChange);
        findBar_->addWidget(label);
        findBar_->addWidget(field, width > 0 ? 0 : 1);
    };
    const int dateWidth = fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 12;
    add(QStringLiteral("&Find:"), FindEdit, 0);
    add(QStringLiteral("Fro&m:"), FromEdit, dateWidth);
    add(QStringLiteral("&Through:"), ThroughEdit, dateWidth);
    FindEdit->setToolTip(
        QStringLiteral("Rows whose text, memo, check number or amount contain this"));
    FromEdit->setPlaceholderText(DateHint());
    ThroughEdit->setPlaceholderText(DateHint());
    auto* findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this] {
        FindEdit->setFocus(Qt::ShortcutFocusReason);
        FindEdit->selectAll();
    });
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
    if (findBar_) layout->addLayout(findBar_);
    layout->addWidget(StringGrid1);
    layout->addLayout(buttons);
    if (FindEdit) setTabOrder(ThroughEdit, StringGrid1);
}

int PickList::currentRow() const {
    if (StringGrid1->rowCount() == 0 || !StringGrid1->isEnabled()) return 0;
    return StringGrid1->currentRow() + 1;
}

int PickList::rowCount() const {
    return StringGrid1->rowCount() + 1;
}

QString PickList::cell(int column, int row) const {
    const PickListModel& model = *StringGrid1->listModel();
    if (row == 0) return model.headerData(column, Qt::Horizontal, Qt::DisplayRole).toString();
    return model.text(row - 1, column);
}

void PickList::FormShow() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::vector<Column> cols = columns();
    PickListModel& model = *StringGrid1->listModel();
    model.setColumns(cols, [this](std::uint32_t recNo) { return cells(recNo); });
    if (FindEdit) {
        for (QLineEdit* field : {FindEdit, FromEdit, ThroughEdit}) field->clear();
    }
    shown_ = {};
    typed_.clear();

    records::ListWalk walked = walk();
    all_ = std::move(walked.rows);
    model.setRows(all_);
    const int matched = int(walked.matched + 1);

    // The widths are the least a column gets; a wider text or heading widens its column so
    // that nothing is cut off.
    for (int c = 0; c < int(cols.size()); ++c) {
        StringGrid1->setColumnWidth(c, cols[std::size_t(c)].width);
        StringGrid1->resizeColumnToContents(c);
        StringGrid1->setColumnWidth(
            c, std::max(cols[std::size_t(c)].width, StringGrid1->columnWidth(c)));
    }

    const int rows = StringGrid1->rowCount();
    StringGrid1->setEnabled(rows > 0);
    select_->setEnabled(rows > 0);
    if (rows > 0) {
        selectDataRow(openingRow(matched, rows) - 1);
        // Reopened after New or Exit, the list starts again from its grid, not that button.
        StringGrid1->setFocus();
    }
    QApplication::restoreOverrideCursor();
}

void PickList::FormClose() {
    // The rows go with the showing; the next one walks the table again.
    StringGrid1->listModel()->setRows({});
    StringGrid1->listModel()->forget();
    records::ListRows().swap(all_);
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

records::ListRows PickList::find(const records::ListRows& rows, const records::FindRequest&) const {
    return rows;
}

records::FindRequest PickList::findRequest() const {
    if (!FindEdit) return {};
    return {FindEdit->text().toStdString(), StoredDateOf(FromEdit), StoredDateOf(ThroughEdit)};
}

bool PickList::findIsEmpty() const {
    return !FindEdit || (FindEdit->text().isEmpty() && FromEdit->text().isEmpty() &&
                         ThroughEdit->text().isEmpty());
}

void PickList::FindChange() {
    const records::FindRequest request = findRequest();
    if (request.text == shown_.text && request.from == shown_.from &&
        request.through == shown_.through)
        return;
    PickListModel& model = *StringGrid1->listModel();
    const int current = StringGrid1->currentRow();
    const std::uint32_t kept = current >= 0 ? model.rows()[std::size_t(current)] : 0;

    records::ListRows rows;
    if (request.empty())
        rows = all_;
    else if (records::Narrows(shown_, request))
        rows = find(model.rows(), request);  // typed on: only the rows found so far
    else
        rows = find(all_, request);
    shown_ = request;
    model.setRows(std::move(rows));

    // The highlighted record stays highlighted while it is found; otherwise the newest row.
    const std::vector<std::uint32_t>& now = model.rows();
    const auto at = std::find(now.begin(), now.end(), kept);
    select_->setEnabled(!now.empty());
    if (!now.empty()) selectDataRow(at != now.end() ? int(at - now.begin()) : int(now.size()) - 1);
}

void PickList::clearFind() {
    for (QLineEdit* field : {FindEdit, FromEdit, ThroughEdit}) field->clear();
    FindChange();
    StringGrid1->setFocus();
}

// The folder and account lists: the first row whose number, or name, starts with what was
// typed within the keyboard's input interval.
void PickList::typeAhead(const QString& text) {
    if (!sinceTyped_.isValid() || sinceTyped_.elapsed() > QApplication::keyboardInputInterval())
        typed_.clear();
    sinceTyped_.start();
    typed_ += text;
    const PickListModel& model = *StringGrid1->listModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.text(row, 0).startsWith(typed_) ||
            model.text(row, 1).trimmed().startsWith(typed_, Qt::CaseInsensitive)) {
            selectDataRow(row);
            return;
        }
    }
}

void PickList::selectDataRow(int row) {
    StringGrid1->setCurrentCell(row, 0);
    StringGrid1->selectRow(row);
    StringGrid1->scrollTo(StringGrid1->listModel()->index(row, 0));
}

void PickList::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormShow();
}

// Escape leaves the list as Exit does, once there is no find to clear. The close box keeps
// its own way (reject): the choice stays as it was and the loop goes on to the edit form.
void PickList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (findIsEmpty())
            ExitClick();
        else
            clearFind();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PickList::done(int result) {
    FormClose();
    QDialog::done(result);
}

bool PickList::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == StringGrid1) {
        if (enter) {
            StringGrid1KeyPress(key->key());
            return true;
        }
        if (IsTyping(key)) {
            if (FindEdit) {
                FindEdit->setFocus(Qt::OtherFocusReason);
                FindEdit->insert(key->text());
                FindChange();
            } else {
                typeAhead(key->text());
            }
            return true;
        }
    } else if (watched == FindEdit || watched == FromEdit || watched == ThroughEdit) {
        // The find fields keep the grid at hand: Enter selects, the arrows move the rows.
        if (enter) {
            StringGrid1KeyPress(key->key());
            return true;
        }
        if (IsRowMove(key->key())) {
            QApplication::sendEvent(StringGrid1, event);
            return true;
        }
    } else if (auto* button = qobject_cast<QPushButton*>(watched); button != nullptr && enter) {
        button->click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace cbk
