#include "bank/forms/BankAccountsU.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "bank/BankMarks.h"
#include "bank/forms/BankText.h"
#include "data/Database.h"
#include "data/TableSession.h"
#include "rules/EntryRules.h"
#include "widgets/FieldParts.h"

namespace cbk {

using bankforms::Warn;

TBankAccount::TBankAccount(QWidget* parent, const bank::BankAccount& account,
                           const std::vector<bank::BankAccount>& all)
    : QDialog(parent), account_(account), all_(all) {
    setObjectName(QStringLiteral("TBankAccount"));
    setWindowTitle(QStringLiteral("Bank Account"));
    EditName = new QLineEdit(QString::fromStdString(account.name), this);
    EditName->setMaxLength(bank::kNameWidth);
    BoxKind = new QComboBox(this);
    BoxKind->addItems({QStringLiteral("Bank"), QStringLiteral("Card")});
    BoxKind->setCurrentIndex(account.kind == bank::AccountKind::Card ? 1 : 0);
    EditOpening = new QLineEdit(bankforms::Money(account.opening), this);
    EditDate = new QLineEdit(this);
    if (account.openingDate)
        EditDate->setText(QString::fromStdString(rules::DateToText(*account.openingDate)));
    EditNumber = new QLineEdit(QString::fromStdString(account.number), this);
    EditNumber->setMaxLength(bank::kNumberWidth);
    CheckDefault = new QCheckBox(QStringLiteral("Default for new records"), this);
    CheckDefault->setChecked(account.isDefault);
    BtnOk = new QPushButton(QStringLiteral("OK"), this);
    BtnOk->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Name:"), EditName);
    form->addRow(QStringLiteral("Kind:"), BoxKind);
    form->addRow(QStringLiteral("Opening balance:"), EditOpening);
    form->addRow(QStringLiteral("Opening date:"), EditDate);
    form->addRow(QStringLiteral("Account number:"), EditNumber);
    form->addRow(QString(), CheckDefault);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOk);
    buttons->addWidget(cancel);
    auto* all_layout = new QVBoxLayout(this);
    all_layout->addLayout(form);
    all_layout->addLayout(buttons);
    connect(BtnOk, &QPushButton::clicked, this, &TBankAccount::BtnOkClick);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TBankAccount::BtnOkClick() {
    bank::BankAccount a = account_;
    a.name = EditName->text().trimmed().toStdString();
    a.kind = BoxKind->currentIndex() == 1 ? bank::AccountKind::Card : bank::AccountKind::Bank;
    a.number = EditNumber->text().trimmed().toStdString();
    a.isDefault = CheckDefault->isChecked();
    if (const std::string why = bank::CheckBankAccount(a, all_); !why.empty()) return Warn(why);
    const auto opening = bankforms::TypedMoney(EditOpening->text());
    if (!opening) return Warn(std::string(kOpeningNoAmount));
    a.opening = *opening;
    if (EditDate->text().trimmed().isEmpty()) {
        a.openingDate.reset();
    } else {
        const auto date = rules::TextToDate(EditDate->text().trimmed().toStdString());
        if (!date) return Warn(std::string(kOpeningNoDate));
        a.openingDate = date->dateOnly();
    }
    account_ = a;
    accept();
}

TBankAccounts::TBankAccounts() {
    setObjectName(QStringLiteral("TBankAccounts"));
    setWindowTitle(QStringLiteral("Bank Accounts"));
    Grid = new QTableWidget(0, 5, this);
    Grid->setHorizontalHeaderLabels({QStringLiteral("Name"), QStringLiteral("Kind"),
                                     QStringLiteral("Opening balance"), QStringLiteral("Since"),
                                     QStringLiteral("Account number")});
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setMinimumSize(560, 180);
    BtnAdd = new QPushButton(QStringLiteral("&Add..."), this);
    BtnEdit = new QPushButton(QStringLiteral("&Edit..."), this);
    BtnDelete = new QPushButton(QStringLiteral("&Delete"), this);
    BtnClose = new QPushButton(QStringLiteral("Close"), this);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BtnAdd, BtnEdit, BtnDelete}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BtnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Grid);
    layout->addLayout(buttons);
    connect(BtnAdd, &QPushButton::clicked, this, &TBankAccounts::BtnAddClick);
    connect(BtnEdit, &QPushButton::clicked, this, &TBankAccounts::BtnEditClick);
    connect(Grid, &QTableWidget::cellDoubleClicked, this, &TBankAccounts::BtnEditClick);
    connect(BtnDelete, &QPushButton::clicked, this, &TBankAccounts::BtnDeleteClick);
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
    // Enter belongs to the field it is typed in (find, start) and to the list (open), never
    // to a default button.
    for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
    CallOnShow(this, [this] { FormShow(); });
}

void TBankAccounts::FormShow() {
    accounts_ = bank::LoadBankAccounts();
    if (!accounts_.error.empty()) Warn(accounts_.error);
    Fill();
}

void TBankAccounts::Fill() {
    Grid->setRowCount(int(accounts_.accounts.size()));
    const std::int32_t def = accounts_.DefaultNo();
    int row = 0;
    for (const bank::BankAccount& a : accounts_.accounts) {
        const QString name = QString::fromStdString(a.name) +
                             (a.no == def ? QStringLiteral(" (default)") : QString());
        const QString since =
            a.openingDate ? QString::fromStdString(rules::DateToText(*a.openingDate)) : QString();
        const QString cells[] = {
            name,
            a.kind == bank::AccountKind::Card ? QStringLiteral("Card") : QStringLiteral("Bank"),
            bankforms::Money(a.opening), since, QString::fromStdString(a.number)};
        for (int c = 0; c < 5; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            if (c == 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            Grid->setItem(row, c, item);
        }
        ++row;
    }
    if (Grid->currentRow() < 0 && row > 0) Grid->selectRow(0);
}

bool TBankAccounts::Edit(bank::BankAccount account) {
    TBankAccount form(this, account, accounts_.accounts);
    if (platform::modal().showModal(form) != platform::mrOk) return false;
    std::vector<bank::BankAccount> next = accounts_.accounts;
    const bank::BankAccount& edited = form.account();
    auto it = std::find_if(next.begin(), next.end(),
                           [&](const bank::BankAccount& a) { return a.no == edited.no; });
    if (it == next.end())
        next.push_back(edited);
    else
        *it = edited;
    if (edited.isDefault)
        for (bank::BankAccount& a : next) a.isDefault = a.no == edited.no;
    if (const std::string why = bank::SaveBankAccounts(next); !why.empty()) {
        Warn(why);
        return false;
    }
    accounts_.accounts = std::move(next);
    Fill();
    return true;
}

void TBankAccounts::BtnAddClick() {
    bank::BankAccount fresh;
    fresh.no = accounts_.NextNo();
    Edit(fresh);
}

void TBankAccounts::BtnEditClick() {
    const int row = Grid->currentRow();
    if (row < 0 || std::size_t(row) >= accounts_.accounts.size()) return;
    Edit(accounts_.accounts[std::size_t(row)]);
}

void TBankAccounts::BtnDeleteClick() {
    const int row = Grid->currentRow();
    if (row < 0 || std::size_t(row) >= accounts_.accounts.size()) return;
    const bank::BankAccount gone = accounts_.accounts[std::size_t(row)];
    if (accounts_.accounts.size() == 1) return Warn(std::string(bank::kLastAccount));
    long used = 0;
    {
        const bank::Marks marks = bank::LoadMarks();
        for (const auto& [key, mark] : marks.byKey) used += mark.bankNo == gone.no;
    }
    if (used > 0)
        return Warn("\"" + gone.name + "\": " + std::to_string(used) +
                    std::string(kAccountHasRecords));
    if (!platform::ConfirmedDestruction(platform::MessageKind::Confirm,
                                        "Delete the bank account \"" + gone.name + "\"?",
                                        platform::Buttons::YesNo))
        return;
    std::vector<bank::BankAccount> next;
    for (const bank::BankAccount& a : accounts_.accounts)
        if (a.no != gone.no) next.push_back(a);
    if (const std::string why = bank::SaveBankAccounts(next); !why.empty()) return Warn(why);
    accounts_.accounts = std::move(next);
    Fill();
}

}  // namespace cbk
