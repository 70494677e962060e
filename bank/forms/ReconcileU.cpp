#include "bank/forms/ReconcileU.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <set>

#include "bank/forms/BankText.h"
#include "rules/EntryRules.h"
#include "widgets/FieldParts.h"

namespace cbk {

using bankforms::Money;

namespace {

enum Column { Tick, Date, CheckNo, Payee, Payment, Deposit, Statement, Columns };

QString ItemText(const bank::ReconcileItem& item) {
    const bank::RowText t = bank::ReadRowText(item.row);
    return bankforms::DateShown(item.row.date) + QStringLiteral("  ") +
           QString::fromStdString(t.payee) + QStringLiteral("  ") + Money(item.row.amount);
}

}  // namespace

TReconcile::TReconcile(OpenRecord open, ShowReconciliationReport report)
    : open_(std::move(open)), report_(std::move(report)) {
    setObjectName(QStringLiteral("TReconcile"));
    setWindowTitle(QStringLiteral("Reconcile"));
    BoxAccount = MakeChoiceField(this, "BoxAccount");
    EditDate = new QLineEdit(this);
    EditDate->setObjectName(QStringLiteral("EditDate"));
    EditBalance = new QLineEdit(this);
    EditBalance->setObjectName(QStringLiteral("EditBalance"));
    BtnStart = new QPushButton(QStringLiteral("&Start"), this);
    Grid = new QTableWidget(0, Columns, this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setHorizontalHeaderLabels(
        {QStringLiteral("Cleared"), QStringLiteral("Date"), QStringLiteral("Check No"),
         QStringLiteral("Paid to / Description"), QStringLiteral("Payment"),
         QStringLiteral("Deposit"), QStringLiteral("Statement")});
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->verticalHeader()->hide();
    Grid->verticalHeader()->setDefaultSectionSize(Grid->fontMetrics().height() + 6);
    const int digit = Grid->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    for (auto [column, digits] : {std::pair{Tick, 7},
                                  {Date, 10},
                                  {CheckNo, 9},
                                  {Payment, 12},
                                  {Deposit, 12},
                                  {Statement, 12}})
        Grid->setColumnWidth(column, digits * digit + 12);
    Grid->horizontalHeader()->setSectionResizeMode(Payee, QHeaderView::Stretch);
    Grid->setMinimumSize(900, 280);
    LabelCleared = new QLabel(this);
    LabelStatement = new QLabel(this);
    LabelDifference = new QLabel(this);
    LabelDifference->setObjectName(QStringLiteral("LabelDifference"));
    EditDate->setMinimumWidth(10 * digit + 12);
    EditBalance->setMinimumWidth(14 * digit + 12);
    for (QLabel* l : {LabelCleared, LabelStatement, LabelDifference}) {
        l->setMinimumWidth(15 * digit);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    ListExplain = new QListWidget(this);
    ListExplain->setObjectName(QStringLiteral("ListExplain"));
    ListExplain->setMaximumHeight(110);
    BtnNewExpense = new QPushButton(QStringLiteral("New E&xpense..."), this);
    BtnNewIncome = new QPushButton(QStringLiteral("New &Income..."), this);
    BtnReport = new QPushButton(QStringLiteral("&Report"), this);
    BtnFinish = new QPushButton(QStringLiteral("&Finish"), this);
    BtnClose = new QPushButton(QStringLiteral("Close"), this);

    auto* top = new QHBoxLayout;
    top->addWidget(MakeLabel(this, "Bank account:"));
    top->addWidget(BoxAccount, 1);
    top->addWidget(MakeLabel(this, "Statement date:"));
    top->addWidget(EditDate);
    top->addWidget(MakeLabel(this, "Ending balance:"));
    top->addWidget(EditBalance);
    top->addWidget(BtnStart);
    auto* sums = new QGridLayout;
    sums->addWidget(MakeLabel(this, "Cleared balance:"), 0, 0);
    sums->addWidget(LabelCleared, 0, 1, Qt::AlignRight);
    sums->addWidget(MakeLabel(this, "Statement balance:"), 1, 0);
    sums->addWidget(LabelStatement, 1, 1, Qt::AlignRight);
    sums->addWidget(MakeLabel(this, "Difference:"), 2, 0);
    sums->addWidget(LabelDifference, 2, 1, Qt::AlignRight);
    auto* middle = new QHBoxLayout;
    middle->addLayout(sums);
    auto* explain = new QVBoxLayout;
    explain->addWidget(MakeLabel(this, "What may explain the difference:"));
    explain->addWidget(ListExplain);
    middle->addLayout(explain, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnNewExpense);
    buttons->addWidget(BtnNewIncome);
    buttons->addStretch();
    buttons->addWidget(BtnReport);
    buttons->addWidget(BtnFinish);
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Grid);
    layout->addLayout(middle);
    layout->addLayout(buttons);

    connect(BtnStart, &QPushButton::clicked, this, &TReconcile::BtnStartClick);
    connect(BoxAccount, &QComboBox::activated, this, &TReconcile::BoxAccountChange);
    connect(EditBalance, &QLineEdit::returnPressed, this, &TReconcile::BtnStartClick);
    connect(Grid, &QTableWidget::cellChanged, this, &TReconcile::GridTicked);
    connect(ListExplain, &QListWidget::itemActivated, this, &TReconcile::ListExplainDoubleClick);
    connect(BtnNewExpense, &QPushButton::clicked, this, &TReconcile::BtnNewExpenseClick);
    connect(BtnNewIncome, &QPushButton::clicked, this, &TReconcile::BtnNewIncomeClick);
    connect(BtnReport, &QPushButton::clicked, this, &TReconcile::BtnReportClick);
    connect(BtnFinish, &QPushButton::clicked, this, &TReconcile::BtnFinishClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    // Enter belongs to the field it is typed in (find, start) and to the list (open), never
    // to a default button.
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    CallOnShow(this, [this] { FormShow(); });
}

void TReconcile::FormShow() {
    accounts_ = bank::LoadBankAccounts();
    std::vector<std::string> names;
    int chosen = 0;
    for (const bank::BankAccount& a : accounts_.accounts) {
        if (a.no == accounts_.DefaultNo()) chosen = int(names.size());
        names.push_back(a.name);
    }
    FillChoiceBox(BoxAccount, names, chosen);
    BoxAccountChange();
    EditBalance->setFocus();
}

void TReconcile::BoxAccountChange() {
    // The statement an import brought for the account, when it ends after its last
    // reconciliation; else today and no balance.
    const bank::BankAccount* a = Account();
    std::uint32_t last = 0;
    if (a != nullptr && a->statementDate) {
        const bank::Register reg = bank::BuildRegister(a->no, a->opening, bank::LoadMarks());
        last = bank::LastReconciled(reg);
    }
    const platform::DateTime& d =
        a && a->statementDate ? *a->statementDate : platform::clock().today();
    const std::uint32_t stated = std::uint32_t(d.year() * 10000 + d.month() * 100 + d.dayOfMonth());
    const bool fromImport = a && a->statementDate && a->statement && stated > last;
    EditDate->setText(QString::fromStdString(
        rules::DateToText(fromImport ? *a->statementDate : platform::clock().today())));
    EditBalance->setText(fromImport ? Money(*a->statement) : QString());
    started_ = false;
    rec_ = {};
    Fill();
}

const bank::BankAccount* TReconcile::Account() const {
    const int i = BoxAccount->currentIndex();
    return i >= 0 && std::size_t(i) < accounts_.accounts.size()
               ? &accounts_.accounts[std::size_t(i)]
               : nullptr;
}

bool TReconcile::Start(bool keepTicks) {
    const bank::BankAccount* a = Account();
    if (a == nullptr) return false;
    const bank::Marks marks = bank::LoadMarks();
    if (!marks.error.empty()) {
        bankforms::Warn(marks.error);
        return false;
    }
    const bank::Register reg = bank::BuildRegister(a->no, a->opening, marks);
    const std::uint32_t date = bankforms::TypedDate(EditDate->text()).value_or(0);
    const platform::RegionalSettings r = platform::regional().settings();
    if (const std::string why = bank::CheckStatement(reg, date, EditBalance->text().toStdString(),
                                                     r.decimalSeparator, r.thousandSeparator);
        !why.empty()) {
        bankforms::Warn(why);
        return false;
    }
    std::set<std::pair<char, std::uint32_t>> ticked;
    if (keepTicks)
        for (const bank::ReconcileItem& item : rec_.items)
            if (item.ticked) ticked.insert({char(item.row.kind), item.row.recNo});
    rec_ = bank::StartReconciliation(a->no, reg, marks, date,
                                     *bankforms::TypedMoney(EditBalance->text()));
    if (keepTicks)
        for (bank::ReconcileItem& item : rec_.items)
            item.ticked = item.ticked || ticked.count({char(item.row.kind), item.row.recNo});
    started_ = true;
    Fill();
    return true;
}

void TReconcile::BtnStartClick() {
    Start(false);
}

void TReconcile::Fill() {
    filling_ = true;
    Grid->setRowCount(int(rec_.items.size()));
    for (std::size_t i = 0; i < rec_.items.size(); ++i) {
        const bank::ReconcileItem& item = rec_.items[i];
        const bank::RowText t = bank::ReadRowText(item.row);
        auto* tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        tick->setCheckState(item.ticked ? Qt::Checked : Qt::Unchecked);
        Grid->setItem(int(i), Tick, tick);
        const bank::Cents a = item.row.amount;
        const QString cells[] = {
            bankforms::DateShown(item.row.date),
            QString::fromStdString(t.checkNo),
            QString::fromStdString(t.payee),
            a < 0 ? Money(-a) : QString(),
            a > 0 ? Money(a) : QString(),
            item.statement && *item.statement != a ? Money(*item.statement) : QString()};
        for (int c = Date; c < Columns; ++c) {
            auto* cell = new QTableWidgetItem(cells[c - Date]);
            if (c >= Payment) cell->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Grid->setItem(int(i), c, cell);
        }
    }
    filling_ = false;
    Update();
}

void TReconcile::Update() {
    LabelCleared->setText(started_ ? Money(rec_.Cleared()) : QString());
    LabelStatement->setText(started_ ? Money(rec_.statementBalance) : QString());
    LabelDifference->setText(started_ ? Money(rec_.Difference()) : QString());
    ListExplain->clear();
    explained_ = started_ ? bank::Explain(rec_) : std::vector<bank::Explanation>{};
    for (const bank::Explanation& e : explained_) {
        QStringList parts;
        for (std::size_t i : e.items) parts << ItemText(rec_.items[i]);
        const QString what = e.what == bank::Explanation::What::AmountDiffers
                                 ? QStringLiteral("Amount differs from the statement: ")
                             : e.items.size() == 1 ? QStringLiteral("Not cleared: ")
                                                   : QStringLiteral("Not cleared together: ");
        ListExplain->addItem(what + parts.join(QStringLiteral(" + ")));
    }
    if (started_ && rec_.Difference() != 0 && explained_.empty())
        ListExplain->addItem(QStringLiteral(
            "No record or sum of up to three records makes the difference: a record may be "
            "missing from the books (New Expense, New Income)."));
    BtnFinish->setEnabled(started_ && rec_.Difference() == 0);
    BtnReport->setEnabled(started_);
}

void TReconcile::GridTicked(int row, int column) {
    if (filling_ || column != Tick || row < 0 || std::size_t(row) >= rec_.items.size()) return;
    rec_.items[std::size_t(row)].ticked = Grid->item(row, Tick)->checkState() == Qt::Checked;
    Update();
}

void TReconcile::ListExplainDoubleClick() {
    const int at = ListExplain->currentRow();
    if (at < 0 || std::size_t(at) >= explained_.size()) return;
    const bank::Explanation e = explained_[std::size_t(at)];
    if (e.what == bank::Explanation::What::AmountDiffers) {
        Grid->selectRow(int(e.items.front()));
        return;
    }
    filling_ = true;
    for (std::size_t i : e.items) {
        rec_.items[i].ticked = true;
        Grid->item(int(i), Tick)->setCheckState(Qt::Checked);
    }
    filling_ = false;
    Update();
}

void TReconcile::NewRecord(bank::Kind kind) {
    if (!open_) return;
    open_(kind, 0);
    if (started_) Start(true);
}

void TReconcile::BtnNewExpenseClick() {
    NewRecord(bank::Kind::Expense);
}

void TReconcile::BtnNewIncomeClick() {
    NewRecord(bank::Kind::Income);
}

void TReconcile::BtnReportClick() {
    if (started_ && report_ && Account()) report_(rec_, Account()->name);
}

void TReconcile::BtnFinishClick() {
    if (!started_) return;
    bank::Marks marks = bank::LoadMarks();
    if (const std::string why = bank::FinishReconciliation(rec_, marks); !why.empty()) {
        bankforms::Warn(why);
        return;
    }
    platform::messages().show(platform::MessageKind::Information,
                              std::string(kFinished) + (Account() ? Account()->name : "") + " to " +
                                  bankforms::DateShown(rec_.statementDate).toStdString() + ".",
                              platform::Buttons::OK);
    Start(false);
}

}  // namespace cbk
