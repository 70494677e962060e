#include "bank/forms/RegisterU.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "bank/Register.h"
#include "bank/forms/BankText.h"
#include "bank/forms/RegisterModel.h"
#include "widgets/FieldParts.h"

namespace cbk {

TRegister::TRegister(OpenRecord open) : open_(std::move(open)), model_(new RegisterModel(this)) {
    setObjectName(QStringLiteral("TRegister"));
    setWindowTitle(QStringLiteral("Register"));
    BoxAccount = MakeChoiceField(this, "BoxAccount");
    EditFind = new QLineEdit(this);
    EditFind->setObjectName(QStringLiteral("EditFind"));
    EditFind->setPlaceholderText(QStringLiteral("Find"));
    BtnFind = new QPushButton(QStringLiteral("Find &Next"), this);
    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setModel(model_);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(Grid->fontMetrics().height() + 6);
    const int digit = Grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (auto [column, digits] : {std::pair{RegisterModel::Date, 10},
                                  {RegisterModel::CheckNo, 9},
                                  {RegisterModel::Payment, 12},
                                  {RegisterModel::Deposit, 12},
                                  {RegisterModel::Cleared, 3},
                                  {RegisterModel::Balance, 14}})
        Grid->setColumnWidth(column, digits * digit + 12);
    Grid->horizontalHeader()->setSectionResizeMode(RegisterModel::Payee, QHeaderView::Stretch);
    Grid->setMinimumSize(900, 360);
    Grid->installEventFilter(this);
    LabelBalance = new QLabel(this);
    BtnOpen = new QPushButton(QStringLiteral("&Open"), this);
    BtnClose = new QPushButton(QStringLiteral("Close"), this);

    auto* top = new QHBoxLayout;
    top->addWidget(MakeLabel(this, "Bank account:"));
    top->addWidget(BoxAccount, 1);
    top->addSpacing(12);
    top->addWidget(EditFind, 1);
    top->addWidget(BtnFind);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelBalance);
    bottom->addStretch();
    bottom->addWidget(BtnOpen);
    bottom->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Grid);
    layout->addLayout(bottom);

    connect(BoxAccount, &QComboBox::activated, this, &TRegister::BoxAccountChange);
    connect(BtnFind, &QPushButton::clicked, this, &TRegister::BtnFindClick);
    connect(EditFind, &QLineEdit::returnPressed, this, &TRegister::BtnFindClick);
    connect(BtnOpen, &QPushButton::clicked, this, &TRegister::BtnOpenClick);
    connect(Grid, &QTableView::doubleClicked, this, &TRegister::BtnOpenClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    // Enter belongs to the field it is typed in (find, start) and to the list (open), never
    // to a default button.
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    CallOnShow(this, [this] { FormShow(); });
}

void TRegister::FormShow() {
    accounts_ = bank::LoadBankAccounts();
    if (!accounts_.error.empty()) bankforms::Warn(accounts_.error);
    std::vector<std::string> names;
    int chosen = 0;
    for (const bank::BankAccount& a : accounts_.accounts) {
        if (a.no == accounts_.DefaultNo()) chosen = int(names.size());
        names.push_back(a.name);
    }
    FillChoiceBox(BoxAccount, names, chosen);
    Build(-1);
    Grid->setFocus();
}

void TRegister::BoxAccountChange() {
    Build(-1);
}

void TRegister::Build(long keepRow) {
    const int i = BoxAccount->currentIndex();
    if (i < 0 || std::size_t(i) >= accounts_.accounts.size()) return;
    const bank::BankAccount& a = accounts_.accounts[std::size_t(i)];
    const bank::Marks marks = bank::LoadMarks();
    if (!marks.error.empty()) bankforms::Warn(marks.error);
    model_->Reset(bank::BuildRegister(a.no, a.opening, marks));
    const auto& rows = model_->reg().rows;
    const bank::Cents ending = rows.empty() ? a.opening : rows.back().balance;
    LabelBalance->setText(QStringLiteral("%1 records, balance %2")
                              .arg(qlonglong(rows.size()))
                              .arg(bankforms::Money(ending)));
    if (!rows.empty()) {
        const long row =
            keepRow >= 0 && std::size_t(keepRow) < rows.size() ? keepRow : long(rows.size()) - 1;
        Grid->selectRow(int(row));
        Grid->scrollTo(model_->index(int(row), 0));
    }
}

void TRegister::BtnFindClick() {
    const long from = Grid->currentIndex().isValid() ? Grid->currentIndex().row() + 1 : 0;
    const long found = bank::FindInRegister(model_->reg(), from, EditFind->text().toStdString());
    if (found < 0) {
        bankforms::Warn("No record holds \"" + EditFind->text().trimmed().toStdString() + "\".");
        return;
    }
    Grid->selectRow(int(found));
    Grid->scrollTo(model_->index(int(found), 0));
}

void TRegister::BtnOpenClick() {
    const QModelIndex at = Grid->currentIndex();
    if (!at.isValid() || !open_) return;
    const bank::RegisterRow row = model_->reg().rows[std::size_t(at.row())];
    open_(row.kind, long(row.recNo));
    Build(at.row());
}

bool TRegister::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Grid && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            BtnOpenClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace cbk
