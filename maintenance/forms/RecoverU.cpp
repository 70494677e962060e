#include "maintenance/forms/RecoverU.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <set>

#include "widgets/FieldParts.h"

namespace cbk {

namespace {

// The columns that hold numbers and amounts, right-aligned as in the pick lists.
bool RightAligned(maintenance::RecordKind kind, int column) {
    if (kind == maintenance::RecordKind::Expense) return column >= 1 && column <= 4;
    return column == 1 || column == 2;
}

}  // namespace

TRecover::TRecover() {
    setObjectName(QStringLiteral("TRecover"));
    setWindowTitle(QString::fromUtf8(maintenance::kRecoverTitle.data(),
                                     int(maintenance::kRecoverTitle.size())));
    ComboBox1 = new QComboBox(this);
    ComboBox1->setObjectName(QStringLiteral("ComboBox1"));
    ComboBox1->addItems({QStringLiteral("Expenses"), QStringLiteral("Income")});
    Edit1 = new QLineEdit(this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setPlaceholderText(QStringLiteral("Find"));
    StringGrid1 = new QTableWidget(this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setStretchLastSection(false);
    Label1 = new QLabel(this);
    BtnRecover = new QPushButton(QStringLiteral("&Recover"), this);
    BtnRecover->setObjectName(QStringLiteral("BtnRecover"));
    BtnRecover->setToolTip(QStringLiteral("Put the chosen records back into the books."));
    BtnClose = new QPushButton(QStringLiteral("&Close"), this);
    BtnClose->setObjectName(QStringLiteral("BtnClose"));
    BitBtn1 = MakeHelpButton(this);

    auto* top = new QHBoxLayout;
    QLabel* kindLabel = MakeLabel(this, "Rec&ords:");
    kindLabel->setBuddy(ComboBox1);
    top->addWidget(kindLabel);
    top->addWidget(ComboBox1);
    top->addSpacing(16);
    QLabel* findLabel = MakeLabel(this, "&Find:");
    findLabel->setBuddy(Edit1);
    top->addWidget(findLabel);
    top->addWidget(Edit1, 1);
    Edit1->installEventFilter(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Label1, 1);
    buttons->addWidget(BtnRecover);
    buttons->addWidget(BtnClose);
    buttons->addWidget(BitBtn1);
    auto* grid = new QGridLayout(this);
    grid->addLayout(top, 0, 0);
    grid->addWidget(StringGrid1, 1, 0);
    grid->addLayout(buttons, 2, 0);
    resize(720, 380);

    CallOnShow(this, [this] { FormShow(); });
    connect(ComboBox1, &QComboBox::activated, this, &TRecover::ComboBox1Change);
    connect(Edit1, &QLineEdit::textChanged, this, &TRecover::Edit1Change);
    connect(BtnRecover, &QPushButton::clicked, this, &TRecover::BtnRecoverClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    connect(BitBtn1, &QPushButton::clicked, this, [] { platform::help().topic("recover"); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, &TRecover::BtnRecoverClick);
}

maintenance::RecordKind TRecover::Kind() const {
    return ComboBox1->currentIndex() == 1 ? maintenance::RecordKind::Income
                                          : maintenance::RecordKind::Expense;
}

int TRecover::VisibleRows() const {
    int shown = 0;
    for (int r = 0; r < StringGrid1->rowCount(); ++r) shown += StringGrid1->isRowHidden(r) ? 0 : 1;
    return shown;
}

bool TRecover::eventFilter(QObject* watched, QEvent* event) {
    // Down from the find field goes on into the rows it left showing.
    if (watched == Edit1 && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Down) {
        int row = StringGrid1->currentRow();
        if (row < 0 || StringGrid1->isRowHidden(row)) {
            row = 0;
            while (row < StringGrid1->rowCount() && StringGrid1->isRowHidden(row)) ++row;
        }
        if (row < StringGrid1->rowCount()) {
            StringGrid1->setFocus(Qt::TabFocusReason);
            StringGrid1->selectRow(row);
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TRecover::FormShow() {
    Edit1->clear();
    Fill();
    Edit1->setFocus();
}

void TRecover::ComboBox1Change() {
    Fill();
}

void TRecover::Fill() {
    const maintenance::RecordKind kind = Kind();
    rows_ = maintenance::RecoveryList(kind);
    const std::vector<std::string> columns = maintenance::RecoveryColumns(kind);
    StringGrid1->clear();
    StringGrid1->setColumnCount(int(columns.size()));
    StringGrid1->setRowCount(int(rows_.size()));
    QStringList headers;
    for (const std::string& c : columns) headers << QString::fromStdString(c);
    StringGrid1->setHorizontalHeaderLabels(headers);
    for (int r = 0; r < int(rows_.size()); ++r) {
        const auto& cells = rows_[std::size_t(r)].cells;
        for (int c = 0; c < int(cells.size()); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[std::size_t(c)]));
            if (RightAligned(kind, c)) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            StringGrid1->setItem(r, c, item);
        }
    }
    StringGrid1->resizeColumnsToContents();
    Edit1Change();
}

void TRecover::Edit1Change() {
    const std::string find = Edit1->text().toStdString();
    for (int r = 0; r < int(rows_.size()); ++r)
        StringGrid1->setRowHidden(r, !maintenance::RowMatches(rows_[std::size_t(r)], find));
    const int shown = VisibleRows();
    Label1->setText(shown == 1 ? QStringLiteral("1 record")
                               : QStringLiteral("%1 records").arg(shown));
    BtnRecover->setEnabled(shown > 0);
}

void TRecover::BtnRecoverClick() {
    std::set<int> chosen;
    for (const QModelIndex& index : StringGrid1->selectionModel()->selectedRows())
        if (!StringGrid1->isRowHidden(index.row())) chosen.insert(index.row());
    if (chosen.empty()) {
        const int current = StringGrid1->currentRow();
        if (current >= 0 && !StringGrid1->isRowHidden(current)) chosen.insert(current);
    }
    if (chosen.empty()) return;
    std::vector<maintenance::RecoveryRow> rows;
    for (int row : chosen) rows.push_back(rows_[std::size_t(row)]);
    maintenance::RecoverRows(Kind(), rows);
    const QString find = Edit1->text();
    Fill();
    Edit1->setText(find);
}

}  // namespace cbk
