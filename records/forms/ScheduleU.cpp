#include "records/forms/ScheduleU.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "data/Database.h"
#include "data/StoredForms.h"
#include "records/forms/FormParts.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"
#include "widgets/FieldParts.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {

constexpr int kHelpContext = 535;
constexpr const char* kDeleteQuestion =
    "Delete this scheduled entry? Records already entered from it stay in the books.";

using platform::Warn;

int EntryOf(const records::ChoiceList& list, std::int32_t n) {
    for (std::size_t i = 0; i < list.entries.size(); ++i)
        if (rules::ChoiceNumber(list.entries[i]) == n) return int(i);
    return list.entries.empty() ? -1 : 0;
}

// A date field left blank: only its separators are there.
bool Blank(const QString& text) {
    return std::all_of(text.begin(), text.end(), [](QChar c) { return !c.isDigit(); });
}

std::string Date(const platform::DateTime& d) {
    return rules::DateToText(d);
}

std::string Amount(double amount) {
    return QString::fromStdString(rules::FormatNumber("%13.2n", amount)).trimmed().toStdString();
}

}  // namespace

std::string RepeatText(const records::ScheduleRule& r) {
    using records::Repeat;
    std::string text;
    switch (r.repeat) {
        case Repeat::Weekly:
            text = "Weekly";
            break;
        case Repeat::EveryNWeeks:
            text = "Every " + std::to_string(r.every) + " weeks";
            break;
        case Repeat::MonthlyOnDay:
            text = "Monthly on day " + std::to_string(r.day);
            break;
        case Repeat::MonthlyLastDay:
            text = "Monthly on the last day";
            break;
        case Repeat::Quarterly:
            text = "Quarterly";
            break;
        case Repeat::Yearly:
            text = "Yearly";
            break;
    }
    text += ", from " + Date(r.start);
    if (r.end) text += " until " + Date(*r.end);
    if (r.count > 0) text += ", " + std::to_string(r.count) + " times";
    return text;
}

ScheduleCharts ScheduleCharts::Read() {
    ScheduleCharts c;
    c.expenseAccounts = records::BuildChoiceList(Accounts, AccNoField, AcDescField, 0);
    c.incomeAccounts = records::BuildChoiceList(IncomeAccounts, IncAccNoField, IncAcDescField, 0);
    c.folders = records::BuildChoiceList(Folders, FolNoField, FolNameField, 0);
    return c;
}

std::string ScheduleCharts::Name(const records::ChoiceList& list, std::int32_t number) const {
    for (const std::string& e : list.entries)
        if (rules::ChoiceNumber(e) == number)
            return QString::fromStdString(e).simplified().toStdString();
    return std::to_string(number) + " (gone)";
}

// ---- one schedule ---------------------------------------------------------------------------

TSchedule::TSchedule(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TSchedule"));
    setWindowTitle(QStringLiteral("Scheduled Entry"));
    KindBox = MakeNamedBox(this, "KindBox", {QStringLiteral("Expense"), QStringLiteral("Income")});
    ComboBox1 = MakeChoiceField(this, "ComboBox1");
    ComboBox2 = MakeChoiceField(this, "ComboBox2");
    ComboBox1->setTypeAhead(true);
    ComboBox2->setTypeAhead(true);
    LabelPayee = MakeLabel(this, "Pay to:");
    Edit1 = MakeTextField(this, "Edit1");
    MaskEdit1 = MakeAmountField(
        this, "MaskEdit1",
        [this](QChar key) { return AmountKeyTyped(MaskEdit1, key, rules::kEntryAmountPattern); },
        [this] { AmountFieldExit(MaskEdit1, rules::kEntryAmountPattern); });
    MaskEdit2 = MakeMaskField(this, "MaskEdit2", QStringLiteral("!99999999;1;_"), "000000000");
    Edit2 = MakeTextField(this, "Edit2");
    RepeatBox =
        MakeNamedBox(this, "RepeatBox",
                     {QStringLiteral("Weekly"), QStringLiteral("Every N weeks"),
                      QStringLiteral("Monthly on a day"), QStringLiteral("Monthly on the last day"),
                      QStringLiteral("Quarterly"), QStringLiteral("Yearly")});
    MaskEdit3 = MakeMaskField(this, "MaskEdit3", QStringLiteral("!99;1;_"), "000");
    MaskEdit4 = MakeMaskField(this, "MaskEdit4", QStringLiteral("!99;1;_"), "000");
    MaskEdit5 = MakeMaskField(this, "MaskEdit5", DateMask(), kWidestDate);
    MaskEdit6 = MakeMaskField(this, "MaskEdit6", DateMask(), kWidestDate);
    MaskEdit7 = MakeMaskField(this, "MaskEdit7", QStringLiteral("!9999;1;_"), "00000");
    const ButtonRow row = AttachButtonRow(this);

    QGridLayout* fields = FieldGrid({{MakeLabel(this, "Kind:"), KindBox},
                                     {LabelPayee, Edit1},
                                     {MakeLabel(this, "Amount:"), MaskEdit1},
                                     {MakeLabel(this, "Check No:"), MaskEdit2},
                                     {MakeLabel(this, "Memo:"), Edit2},
                                     {MakeLabel(this, "Account:"), ComboBox1},
                                     {MakeLabel(this, "Folder:"), ComboBox2},
                                     {Bank.label(), Bank.box()},
                                     {MakeLabel(this, "How often:"), RepeatBox},
                                     {MakeLabel(this, "Every (weeks):"), MaskEdit3},
                                     {MakeLabel(this, "Day of the month:"), MaskEdit4},
                                     {MakeLabel(this, "Start:"), MaskEdit5},
                                     {MakeLabel(this, "End (blank: none):"), MaskEdit6},
                                     {MakeLabel(this, "Times (0: no limit):"), MaskEdit7}});
    fields->setAlignment(KindBox, Qt::AlignLeft);
    fields->setAlignment(RepeatBox, Qt::AlignLeft);
    LayOutForm(this, fields, row);
    ChainTabOrder({KindBox, Edit1, MaskEdit1, MaskEdit2, Edit2, ComboBox1, ComboBox2, Bank.box(),
                   RepeatBox, MaskEdit3, MaskEdit4, MaskEdit5, MaskEdit6, MaskEdit7, BtnSave,
                   BtnDelete, BtnCancel, BitBtn1});

    connect(KindBox, &QComboBox::activated, this, [this] { KindChange(); });
    connect(RepeatBox, &QComboBox::currentIndexChanged, this, [this] { RepeatChange(); });
    connect(MaskEdit2, &MaskEdit::exited, this, [this] {
        std::string text = MaskEdit2->text().toStdString();
        if (rules::CheckWholeNumber(text, 8)) MaskEdit2->setText(QString::fromStdString(text));
    });
    connect(MaskEdit5, &MaskEdit::exited, this, [this] { CheckDateField(MaskEdit5); });
    connect(MaskEdit6, &MaskEdit::exited, this, [this] {
        if (!Blank(MaskEdit6->text())) CheckDateField(MaskEdit6);
    });
}

void TSchedule::Load(const records::Schedule& s, const ScheduleCharts& charts) {
    charts_ = &charts;
    Entered = s;
    Deleted = false;
    const bool expense = s.kind == records::ScheduleKind::Expense;
    KindBox->setCurrentIndex(expense ? 0 : 1);
    FillChoiceBox(ComboBox1, charts.accounts(s.kind).entries,
                  EntryOf(charts.accounts(s.kind), s.accNo));
    FillChoiceBox(ComboBox2, charts.folders.entries, EntryOf(charts.folders, s.folNo));
    Bank.ShowNumber(s.bankNo);
    Edit1->setText(QString::fromStdString(s.payee));
    ShowAmount(MaskEdit1, s.amount, rules::kEntryAmountPattern);
    MaskEdit2->setText(QString::fromStdString(PadNumber(s.checkNo, 8)));
    Edit2->setText(QString::fromStdString(s.memo));
    RepeatBox->setCurrentIndex(int(s.rule.repeat));
    MaskEdit3->setText(QString::fromStdString(PadNumber(s.rule.every, 2)));
    MaskEdit4->setText(QString::fromStdString(PadNumber(s.rule.day, 2)));
    MaskEdit5->setText(QString::fromStdString(Date(s.rule.start)));
    MaskEdit6->setText(s.rule.end ? QString::fromStdString(Date(*s.rule.end)) : QString());
    MaskEdit7->setText(QString::fromStdString(PadNumber(s.rule.count, 4)));
    KindChange();
    RepeatChange();
    BtnDelete->setVisible(s.id != 0);
    KindBox->setFocus();
}

void TSchedule::KindChange() {
    const bool expense = KindBox->currentIndex() == 0;
    LabelPayee->setText(expense ? QStringLiteral("Pay to:") : QStringLiteral("Description:"));
    MaskEdit2->setEnabled(expense);
    Edit2->setEnabled(expense);
    if (charts_ == nullptr) return;
    const auto kind = expense ? records::ScheduleKind::Expense : records::ScheduleKind::Income;
    const int keep = kind == Entered.kind ? EntryOf(charts_->accounts(kind), Entered.accNo) : 0;
    FillChoiceBox(ComboBox1, charts_->accounts(kind).entries, keep);
}

void TSchedule::RepeatChange() {
    const auto repeat = records::Repeat(RepeatBox->currentIndex());
    MaskEdit3->setEnabled(repeat == records::Repeat::EveryNWeeks);
    MaskEdit4->setEnabled(repeat == records::Repeat::MonthlyOnDay);
}

bool TSchedule::Refuse(QWidget* field, const std::string& why) {
    Warn(why);
    field->setFocus();
    return false;
}

void TSchedule::BtnSaveClick() {
    if (!LeaveFocusedField(this)) return;
    records::Schedule s = Entered;
    s.kind = KindBox->currentIndex() == 0 ? records::ScheduleKind::Expense
                                          : records::ScheduleKind::Income;
    const bool expense = s.kind == records::ScheduleKind::Expense;
    const auto account = ComboBox1->chosenEntry();
    const auto folder = ComboBox2->chosenEntry();
    if (!account || !rules::ChoiceNumber(*account))
        return void(Refuse(ComboBox1, "Choose the account the entries are filed under."));
    if (!folder || !rules::ChoiceNumber(*folder))
        return void(Refuse(ComboBox2, "Choose the folder the entries are filed under."));
    s.accNo = *rules::ChoiceNumber(*account);
    s.folNo = *rules::ChoiceNumber(*folder);
    s.bankNo = Bank.Chosen();
    s.payee = Trimmed(Edit1->text());
    const std::string amount = Trimmed(MaskEdit1->text());
    const auto value = rules::ToFloat(amount);
    if (!value) return void(Refuse(MaskEdit1, "'" + amount + "' is not an amount."));
    s.amount = *value;
    s.checkNo = expense ? rules::ToWholeNumber(MaskEdit2->text().toStdString()).value_or(0) : 0;
    s.memo = expense ? Trimmed(Edit2->text()) : std::string();
    s.rule.repeat = records::Repeat(RepeatBox->currentIndex());
    const auto number = [](MaskEdit* field) {
        return rules::ToWholeNumber(field->text().toStdString()).value_or(0);
    };
    s.rule.every = std::max(1, number(MaskEdit3));
    s.rule.day = number(MaskEdit4);
    if (s.rule.repeat != records::Repeat::MonthlyOnDay) s.rule.day = std::max(1, s.rule.day);
    s.rule.count = number(MaskEdit7);
    const auto start = rules::TextToDate(MaskEdit5->text().toStdString());
    if (!start)
        return void(Refuse(MaskEdit5,
                           "The start date '" + Trimmed(MaskEdit5->text()) + "' is not a date."));
    s.rule.start = start->dateOnly();
    s.rule.end.reset();
    if (!Blank(MaskEdit6->text())) {
        const auto end = rules::TextToDate(MaskEdit6->text().toStdString());
        if (!end)
            return void(Refuse(MaskEdit6,
                               "The end date '" + Trimmed(MaskEdit6->text()) + "' is not a date."));
        s.rule.end = end->dateOnly();
    }
    if (const std::string problem = records::ScheduleProblem(s); !problem.empty()) {
        const records::ScheduleRule& r = s.rule;
        MaskEdit* field = r.end ? MaskEdit6 : MaskEdit7;
        if (r.repeat == records::Repeat::EveryNWeeks && r.every > 52) field = MaskEdit3;
        if (r.repeat == records::Repeat::MonthlyOnDay && (r.day < 1 || r.day > 31))
            field = MaskEdit4;
        return void(Refuse(field, problem));
    }
    // A new schedule, or one moved to start elsewhere, falls due from its start on.
    if (s.id == 0 || s.rule.start != Entered.rule.start || s.rule.repeat != Entered.rule.repeat)
        s.done = platform::DateTime{s.rule.start.day - std::chrono::days{1}, {}};
    Entered = s;
    accept();
}

void TSchedule::BtnDeleteClick() {
    if (!platform::ConfirmedDestruction(platform::MessageKind::Warning, kDeleteQuestion,
                                        platform::Buttons::YesNo))
        return;
    Deleted = true;
    accept();
}

void TSchedule::BitBtn1Click() {
    rules::ShowFormHelp(kHelpContext);
}

// ---- the list -------------------------------------------------------------------------------

TSchedules::TSchedules(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TSchedules"));
    setWindowTitle(QStringLiteral("Scheduled Entries"));
    StringGrid1 = new QTableWidget(0, 6, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeaderLabels(
        {QStringLiteral("Kind"), QStringLiteral("Pay to / Description"), QStringLiteral("Amount"),
         QStringLiteral("How often"), QStringLiteral("Next due"), QStringLiteral("Account")});
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    BtnAdd = MakeNamedButton(this, "&Add...", "BtnAdd");
    BtnEdit = MakeNamedButton(this, "&Edit...", "BtnEdit");
    BtnDelete = MakeNamedButton(this, "&Delete", "BtnDelete");
    BtnClose = MakeNamedButton(this, "Close", "BtnClose");
    ScheduleForm = new TSchedule(this);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {BtnAdd, BtnEdit, BtnDelete}) side->addWidget(b);
    side->addStretch();
    side->addWidget(BtnClose);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(side);
    resize(900, 320);

    connect(BtnAdd, &QPushButton::clicked, this, [this] { Edit(-1); });
    connect(BtnEdit, &QPushButton::clicked, this, [this] { Edit(StringGrid1->currentRow()); });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this](int row) { Edit(row); });
    connect(BtnDelete, &QPushButton::clicked, this, [this] {
        if (StringGrid1->currentRow() >= 0 &&
            platform::ConfirmedDestruction(platform::MessageKind::Warning, kDeleteQuestion,
                                           platform::Buttons::YesNo))
            Delete(StringGrid1->currentRow());
    });
    connect(BtnClose, &QPushButton::clicked, this, &QDialog::accept);
}

bool TSchedules::Load() {
    books_ = records::LoadSchedules();
    charts_ = ScheduleCharts::Read();
    if (!books_.error.empty()) {
        Warn(books_.error);
        return false;
    }
    ShowSchedules(books_.schedules.empty() ? -1 : 0);
    return true;
}

void TSchedules::ShowSchedules(int current) {
    StringGrid1->setRowCount(int(books_.schedules.size()));
    for (int i = 0; i < int(books_.schedules.size()); ++i) {
        const records::Schedule& s = books_.schedules[std::size_t(i)];
        const bool expense = s.kind == records::ScheduleKind::Expense;
        const auto next = records::DatesBetween(
            s.rule, s.done.value_or(books_.lastCheck.value_or(records::NoCheckYet())),
            *platform::DateTime::fromYmd(9999, 12, 31), 1);
        const std::string cells[] = {expense ? "Expense" : "Income",
                                     s.payee,
                                     Amount(s.amount),
                                     RepeatText(s.rule),
                                     next.empty() ? "(ended)" : Date(next[0]),
                                     charts_.Name(charts_.accounts(s.kind), s.accNo)};
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
            if (c == 2) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            StringGrid1->setItem(i, c, item);
        }
    }
    StringGrid1->resizeColumnsToContents();
    StringGrid1->setCurrentCell(current, 0);
    BtnEdit->setEnabled(!books_.schedules.empty());
    BtnDelete->setEnabled(!books_.schedules.empty());
}

void TSchedules::Edit(int row) {
    const bool adding = row < 0 || row >= int(books_.schedules.size());
    records::Schedule blank;
    blank.rule.start = platform::clock().today();
    blank.rule.day = blank.rule.start.dayOfMonth();
    blank.folNo = DefaultFolder > 0 ? DefaultFolder : 0;
    ScheduleForm->Load(adding ? blank : books_.schedules[std::size_t(row)], charts_);
    if (platform::modal().showModal(*ScheduleForm) != platform::mrOk) return;
    if (ScheduleForm->Deleted) return Delete(row);
    if (adding) {
        records::Schedule s = ScheduleForm->Entered;
        s.id = 1;
        for (const records::Schedule& other : books_.schedules) s.id = std::max(s.id, other.id + 1);
        books_.schedules.push_back(s);
        row = int(books_.schedules.size()) - 1;
    } else {
        books_.schedules[std::size_t(row)] = ScheduleForm->Entered;
    }
    Save();
    ShowSchedules(std::min(row, int(books_.schedules.size()) - 1));
}

void TSchedules::Delete(int row) {
    if (row < 0 || row >= int(books_.schedules.size())) return;
    books_.schedules.erase(books_.schedules.begin() + row);
    Save();
    ShowSchedules(std::min(row, int(books_.schedules.size()) - 1));
}

void TSchedules::Save() {
    const std::string why = records::SaveSchedules(books_.schedules, books_.lastCheck);
    if (why.empty()) return;
    Warn(why);
    books_ = records::LoadSchedules();
}

}  // namespace cbk
