#include "records/forms/DueU.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <map>

#include "bank/BankAccounts.h"
#include "bank/BankMarks.h"
#include "records/forms/FormParts.h"
#include "rules/EntryRules.h"
#include "widgets/MaskEdit.h"

namespace cbk {

namespace {

constexpr int kHelpContext = 535;
enum Column { kTick, kDate, kKind, kPayee, kAccount, kFolder, kAmount, kNote, kColumns };

void Tell(platform::MessageKind kind, const std::string& text) {
    platform::messages().show(kind, text, platform::Buttons::OK);
}

bool Has(const records::ChoiceList& list, std::int32_t n) {
    return std::any_of(list.entries.begin(), list.entries.end(),
                       [n](const std::string& e) { return rules::ChoiceNumber(e) == n; });
}

}  // namespace

TDueList::TDueList(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TDueList"));
    setWindowTitle(QStringLiteral("Due"));
    Label1 = new QLabel(this);
    StringGrid1 = new QTableWidget(0, kColumns, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setHorizontalHeaderLabels(
        {QString(), QStringLiteral("Date"), QStringLiteral("Kind"),
         QStringLiteral("Pay to / Description"), QStringLiteral("Account"),
         QStringLiteral("Folder"), QStringLiteral("Amount"), QString()});
    StringGrid1->setSelectionMode(QAbstractItemView::NoSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->horizontalHeader()->setStretchLastSection(true);
    auto make = [this](const char* caption, const char* name) {
        auto* b = new QPushButton(QString::fromUtf8(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        return b;
    };
    BtnTickAll = make("&Tick All", "BtnTickAll");
    BtnEnter = make("&Enter Ticked", "BtnEnter");
    BtnSkip = make("&Skip Ticked", "BtnSkip");
    BtnLater = make("&Later", "BtnLater");
    BitBtn1 = MakeHelpButton(this);
    BtnEnter->setDefault(true);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {BtnTickAll, BtnEnter, BtnSkip, BtnLater}) buttons->addWidget(b);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(StringGrid1, 1);
    layout->addLayout(buttons);
    resize(980, 360);

    connect(BtnTickAll, &QPushButton::clicked, this, &TDueList::BtnTickAllClick);
    connect(BtnEnter, &QPushButton::clicked, this, &TDueList::BtnEnterClick);
    connect(BtnSkip, &QPushButton::clicked, this, &TDueList::BtnSkipClick);
    connect(BtnLater, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, [] { rules::ShowFormHelp(kHelpContext); });
}

bool TDueList::Load() {
    Problem.clear();
    books_ = records::LoadSchedules();
    if (!books_.error.empty()) {
        Problem = books_.error;
        lines_.clear();
        return false;
    }
    charts_ = ScheduleCharts::Read();
    const records::ChartLookup chart{[this](records::ScheduleKind kind, std::int32_t n) {
                                         return Has(charts_.accounts(kind), n);
                                     },
                                     [this](std::int32_t n) { return Has(charts_.folders, n); }};
    lines_ = records::DueSince(books_.schedules, books_.lastCheck.value_or(records::NoCheckYet()),
                               platform::clock().today(), chart);
    ShowLines();
    return !lines_.empty();
}

const records::Schedule* TDueList::ScheduleOf(const records::DueLine& line) const {
    for (const records::Schedule& s : books_.schedules)
        if (s.id == line.scheduleId) return &s;
    return nullptr;
}

MaskEdit* TDueList::AmountField(int row) const {
    return qobject_cast<MaskEdit*>(StringGrid1->cellWidget(row, kAmount));
}

void TDueList::ShowLines() {
    Label1->setText(books_.lastCheck
                        ? QStringLiteral("Fallen due since the last check on %1:")
                              .arg(QString::fromStdString(rules::DateToText(*books_.lastCheck)))
                        : QStringLiteral("Fallen due:"));
    StringGrid1->clearContents();
    StringGrid1->setRowCount(int(lines_.size()));
    for (int row = 0; row < int(lines_.size()); ++row) {
        const records::DueLine& line = lines_[std::size_t(row)];
        const records::Schedule& s = *ScheduleOf(line);
        auto* tick = new QTableWidgetItem;
        tick->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled);
        tick->setCheckState(Qt::Unchecked);
        StringGrid1->setItem(row, kTick, tick);
        const bool expense = s.kind == records::ScheduleKind::Expense;
        const std::string cells[] = {rules::DateToText(line.date), expense ? "Expense" : "Income",
                                     s.payee, charts_.Name(charts_.accounts(s.kind), s.accNo),
                                     charts_.Name(charts_.folders, s.folNo)};
        for (int c = kDate; c <= kFolder; ++c)
            StringGrid1->setItem(row, c,
                                 new QTableWidgetItem(QString::fromStdString(cells[c - kDate])));
        MaskEdit* amount = MakeAmountField(
            StringGrid1, "Amount",
            [this, row](QChar key) {
                return AmountKeyTyped(AmountField(row), key, rules::kEntryAmountPattern);
            },
            [this, row] { AmountFieldExit(AmountField(row), rules::kEntryAmountPattern); });
        ShowAmount(amount, s.amount, rules::kEntryAmountPattern);
        amount->setEnabled(line.problem.empty());
        StringGrid1->setCellWidget(row, kAmount, amount);
        auto* note = new QTableWidgetItem(QString::fromStdString(line.problem));
        note->setForeground(Qt::darkRed);
        StringGrid1->setItem(row, kNote, note);
    }
    StringGrid1->resizeColumnsToContents();
    StringGrid1->setColumnWidth(kAmount, std::max(StringGrid1->columnWidth(kAmount), 110));
}

void TDueList::BtnTickAllClick() {
    for (int row = 0; row < StringGrid1->rowCount(); ++row)
        StringGrid1->item(row, kTick)->setCheckState(Qt::Checked);
}

void TDueList::Handle(records::DueChoice choice) {
    if (!LeaveFocusedField(this)) return;
    std::vector<records::DueChoice> choices(lines_.size(), records::DueChoice::Leave);
    std::vector<double> amounts(lines_.size(), 0.0);
    for (int row = 0; row < int(lines_.size()); ++row) {
        if (StringGrid1->item(row, kTick)->checkState() != Qt::Checked) continue;
        const records::DueLine& line = lines_[std::size_t(row)];
        const std::string what =
            rules::DateToText(line.date) + " (" + ScheduleOf(line)->payee + ")";
        if (choice == records::DueChoice::Enter && !line.problem.empty())
            return Tell(platform::MessageKind::Warning,
                        "The line of " + what + " cannot be entered: " + line.problem +
                            ". Untick it, skip it, or mend its schedule under Scheduled Entries.");
        const std::string text = Trimmed(AmountField(row)->text());
        const auto amount = rules::ToFloat(text);
        if (choice == records::DueChoice::Enter && !amount) {
            AmountField(row)->setFocus();
            return Tell(platform::MessageKind::Warning,
                        "The amount of " + what + ", '" + text + "', is not an amount.");
        }
        choices[std::size_t(row)] = choice;
        amounts[std::size_t(row)] = amount.value_or(0.0);
    }
    if (std::count(choices.begin(), choices.end(), choice) == 0)
        return Tell(platform::MessageKind::Information,
                    "Tick the lines to " +
                        std::string(choice == records::DueChoice::Enter ? "enter" : "skip") +
                        " first.");
    if (const int left = records::LeftBehind(lines_, choices); left >= 0) {
        const records::DueLine& line = lines_[std::size_t(left)];
        return Tell(platform::MessageKind::Warning, "Enter or skip the earlier date of \"" +
                                                        ScheduleOf(line)->payee + "\" (" +
                                                        rules::DateToText(line.date) + ") first.");
    }
    const std::vector<records::DueLine> lines = lines_;
    const records::DueEntered done =
        records::EnterDue(books_, lines, choices, amounts, platform::clock().today());
    // The entries moved through their schedule's bank account, else the default one.
    const bank::BankAccounts accounts = bank::LoadBankAccounts();
    std::vector<bank::Appended> expenses, income;
    for (const auto& [index, recNo] : done.records) {
        const records::Schedule& s = *ScheduleOf(lines[index]);
        Entered.push_back({s, lines[index].date, amounts[index], recNo});
        (s.kind == records::ScheduleKind::Expense ? expenses : income)
            .push_back({recNo, accounts.Find(s.bankNo) ? s.bankNo : accounts.DefaultNo(), false,
                        std::nullopt});
    }
    for (const auto& [kind, added] :
         {std::pair{bank::Kind::Expense, &expenses}, std::pair{bank::Kind::Income, &income}})
        if (!added->empty())
            if (const std::string why = bank::MarksAppended(kind, *added); !why.empty())
                Tell(platform::MessageKind::Warning, why);
    if (!done.error.empty())
        Tell(platform::MessageKind::Warning,
             done.error +
                 " The entries just made are in the books; their dates will be offered "
                 "again: skip them then.");
    // What is left stays on the list as the user left it: ticked or not, its amount.
    std::map<std::pair<std::int32_t, platform::DateTime>, std::pair<Qt::CheckState, QString>> kept;
    for (int row = 0; row < int(lines_.size()); ++row)
        kept[{lines_[std::size_t(row)].scheduleId, lines_[std::size_t(row)].date}] = {
            StringGrid1->item(row, kTick)->checkState(), AmountField(row)->text()};
    Load();
    for (int row = 0; row < int(lines_.size()); ++row) {
        const auto was =
            kept.find({lines_[std::size_t(row)].scheduleId, lines_[std::size_t(row)].date});
        if (was == kept.end()) continue;
        StringGrid1->item(row, kTick)->setCheckState(was->second.first);
        AmountField(row)->setText(was->second.second);
        ColourAmount(AmountField(row));
    }
    if (lines_.empty()) accept();
}

}  // namespace cbk
