#include "statements/forms/ImportRulesU.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "rules/EntryRules.h"
#include "statements/TextParts.h"
#include "widgets/FieldParts.h"

namespace cbk {

namespace {

using platform::Warn;

QString AmountShown(const std::optional<std::int64_t>& cents) {
    return cents ? QString::fromStdString(
                       rules::FormatNumber("%.2n", static_cast<double>(*cents) / 100.0))
                       .trimmed()
                 : QString();
}

// The entry of `entries` whose number is `n`, -1 when none is.
int EntryOf(const std::vector<std::string>& entries, std::int32_t n) {
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (rules::ChoiceNumber(entries[i]) == n) return static_cast<int>(i);
    return -1;
}

std::string NameOf(const std::map<std::int32_t, std::string>& names, std::int32_t n) {
    const auto it = names.find(n);
    return it == names.end() ? std::to_string(n) : it->second;
}

}  // namespace

// ---- one rule -------------------------------------------------------------------------------

TImportRule::TImportRule(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TImportRule"));
    setWindowTitle(QStringLiteral("Rule for Imported Lines"));
    TextBox = MakeNamedBox(
        this, "TextBox",
        {QStringLiteral("Payee"), QStringLiteral("Memo"), QStringLiteral("Payee or memo")});
    MatchBox = MakeNamedBox(this, "MatchBox",
                            {QStringLiteral("contains"), QStringLiteral("starts with"),
                             QStringLiteral("matches the regular expression")});
    PatternEdit = new QLineEdit(this);
    PatternEdit->setObjectName(QStringLiteral("PatternEdit"));
    PatternEdit->setMaxLength(statements::kPatternWidth);
    MinEdit = new QLineEdit(this);
    MinEdit->setObjectName(QStringLiteral("MinEdit"));
    MaxEdit = new QLineEdit(this);
    MaxEdit->setObjectName(QStringLiteral("MaxEdit"));
    KindBox = MakeNamedBox(this, "KindBox", {QStringLiteral("Expense"), QStringLiteral("Income")});
    AccountBox = MakeChoiceField(this, "AccountBox");
    FolderBox = MakeChoiceField(this, "FolderBox");
    BtnOK = MakeNamedButton(this, "OK", "BtnOK");
    BtnOK->setDefault(true);
    BtnCancel = MakeNamedButton(this, "Cancel", "BtnCancel");

    auto* text = new QHBoxLayout;
    text->addWidget(TextBox);
    text->addWidget(MatchBox);
    text->addStretch();
    auto* amounts = new QHBoxLayout;
    amounts->addWidget(MinEdit);
    amounts->addWidget(MakeLabel(this, "to"));
    amounts->addWidget(MaxEdit);
    amounts->addStretch();
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("When the"), text);
    form->addRow(QStringLiteral("Text:"), PatternEdit);
    form->addRow(QStringLiteral("Amount (blank: any):"), amounts);
    form->addRow(QStringLiteral("Kind:"), KindBox);
    form->addRow(QStringLiteral("Account:"), AccountBox);
    form->addRow(QStringLiteral("Folder:"), FolderBox);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttons);
    resize(520, sizeHint().height());

    connect(KindBox, &QComboBox::activated, this, [this] { KindChange(); });
    connect(BtnOK, &QPushButton::clicked, this, &TImportRule::BtnOKClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TImportRule::Load(const statements::ImportRule& rule,
                       const statements::ImportSession& session) {
    session_ = &session;
    Rule = rule;
    TextBox->setCurrentIndex(static_cast<int>(rule.text));
    MatchBox->setCurrentIndex(static_cast<int>(rule.match));
    PatternEdit->setText(QString::fromStdString(rule.pattern));
    MinEdit->setText(AmountShown(rule.minCents));
    MaxEdit->setText(AmountShown(rule.maxCents));
    KindBox->setCurrentIndex(rule.kind == statements::Kind::Expense ? 0 : 1);
    FillChoiceBox(AccountBox, session.Entries(rule.kind),
                  EntryOf(session.Entries(rule.kind), rule.account));
    std::vector<std::string> folders = {"(the line's folder)"};
    folders.insert(folders.end(), session.FolderEntries().begin(), session.FolderEntries().end());
    const int folder = rule.folder == 0 ? 0 : EntryOf(folders, rule.folder);
    FillChoiceBox(FolderBox, folders, folder);
}

void TImportRule::KindChange() {
    if (session_ == nullptr) return;
    const auto kind =
        KindBox->currentIndex() == 0 ? statements::Kind::Expense : statements::Kind::Income;
    FillChoiceBox(AccountBox, session_->Entries(kind), -1);
}

void TImportRule::BtnOKClick() {
    statements::ImportRule r;
    r.text = static_cast<statements::RuleText>(TextBox->currentIndex());
    r.match = static_cast<statements::RuleMatch>(MatchBox->currentIndex());
    r.pattern = statements::Trimmed(PatternEdit->text().toStdString());
    for (auto [edit, bound] : {std::pair{MinEdit, &r.minCents}, std::pair{MaxEdit, &r.maxCents}}) {
        const std::string text = statements::Trimmed(edit->text().toStdString());
        if (text.empty()) continue;
        *bound = statements::ParseAmount(text, 0);
        if (!*bound || **bound < 0) {
            Warn("'" + text + "' is not an amount.");
            edit->setFocus();
            return;
        }
    }
    r.kind = KindBox->currentIndex() == 0 ? statements::Kind::Expense : statements::Kind::Income;
    const auto account = AccountBox->chosenEntry();
    r.account = account ? rules::ChoiceNumber(*account).value_or(0) : 0;
    const auto folder = FolderBox->chosenEntry();
    r.folder =
        folder && FolderBox->currentIndex() > 0 ? rules::ChoiceNumber(*folder).value_or(0) : 0;
    if (const std::string problem = statements::RuleProblem(r); !problem.empty()) {
        Warn(problem);
        return;
    }
    Rule = r;
    accept();
}

// ---- the list -------------------------------------------------------------------------------

TImportRules::TImportRules(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TImportRules"));
    setWindowTitle(QStringLiteral("Rules for Imported Lines"));
    RuleList = new QListWidget(this);
    RuleList->setObjectName(QStringLiteral("RuleList"));
    BtnAdd = MakeNamedButton(this, "Add...", "BtnAdd");
    BtnEdit = MakeNamedButton(this, "Edit...", "BtnEdit");
    BtnDelete = MakeNamedButton(this, "Delete", "BtnDelete");
    BtnUp = MakeNamedButton(this, "Move Up", "BtnUp");
    BtnDown = MakeNamedButton(this, "Move Down", "BtnDown");
    BtnOK = MakeNamedButton(this, "OK", "BtnOK");
    BtnOK->setDefault(true);
    BtnCancel = MakeNamedButton(this, "Cancel", "BtnCancel");
    RuleForm = new TImportRule(this);

    auto* side = new QVBoxLayout;
    for (QPushButton* b : {BtnAdd, BtnEdit, BtnDelete, BtnUp, BtnDown}) side->addWidget(b);
    side->addStretch();
    auto* middle = new QHBoxLayout;
    middle->addWidget(RuleList, 1);
    middle->addLayout(side);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(MakeLabel(this, "The first rule that matches a line sets its account."));
    buttons->addStretch();
    buttons->addWidget(BtnOK);
    buttons->addWidget(BtnCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(middle, 1);
    layout->addLayout(buttons);
    resize(760, 340);

    connect(BtnAdd, &QPushButton::clicked, this, [this] { Edit(-1); });
    connect(BtnEdit, &QPushButton::clicked, this, [this] {
        if (RuleList->currentRow() >= 0) Edit(RuleList->currentRow());
    });
    connect(RuleList, &QListWidget::itemDoubleClicked, this,
            [this] { Edit(RuleList->currentRow()); });
    connect(BtnDelete, &QPushButton::clicked, this, [this] {
        const int row = RuleList->currentRow();
        if (row < 0) return;
        Rules.erase(Rules.begin() + row);
        ShowRules(std::min(row, static_cast<int>(Rules.size()) - 1));
    });
    connect(BtnUp, &QPushButton::clicked, this, [this] { Move(-1); });
    connect(BtnDown, &QPushButton::clicked, this, [this] { Move(1); });
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TImportRules::Load(const statements::ImportSession& session) {
    session_ = &session;
    Rules = session.Rules();
    ShowRules(Rules.empty() ? -1 : 0);
}

void TImportRules::ShowRules(int current) {
    RuleList->clear();
    for (std::size_t i = 0; i < Rules.size(); ++i) {
        const statements::ImportRule& r = Rules[i];
        std::string text = std::to_string(i + 1) + ". " + statements::RuleSummary(r) + " -> " +
                           NameOf(session_->AccountNames(r.kind), r.account);
        if (r.folder != 0) text += ", folder " + NameOf(session_->FolderNames(), r.folder);
        const std::string skipped = statements::RuleSkipped(r, session_->choices());
        if (!skipped.empty()) text += "   (skipped: " + skipped + ")";
        auto* item = new QListWidgetItem(QString::fromStdString(text), RuleList);
        if (!skipped.empty()) item->setForeground(Qt::darkRed);
    }
    RuleList->setCurrentRow(current);
}

void TImportRules::Edit(int row) {
    const bool adding = row < 0 || row >= static_cast<int>(Rules.size());
    RuleForm->Load(adding ? statements::ImportRule{} : Rules[row], *session_);
    if (platform::modal().showModal(*RuleForm) != platform::mrOk) return;
    if (adding) {
        Rules.push_back(RuleForm->Rule);
        row = static_cast<int>(Rules.size()) - 1;
    } else {
        Rules[row] = RuleForm->Rule;
    }
    ShowRules(row);
}

void TImportRules::Move(int by) {
    const int row = RuleList->currentRow();
    const int to = row + by;
    if (row < 0 || to < 0 || to >= static_cast<int>(Rules.size())) return;
    std::swap(Rules[row], Rules[to]);
    ShowRules(to);
}

}  // namespace cbk
