#include "statements/forms/StmtImportU.h"

#include <QBrush>
#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>

#include "data/Books.h"
#include "rules/EntryRules.h"
#include "statements/forms/CsvMappingU.h"
#include "statements/forms/ImportRulesU.h"
#include "widgets/FieldParts.h"

namespace cbk {

namespace {

constexpr int kHelpContext = 525;

}  // namespace

// ---- the open dialog ----------------------------------------------------------------------

TStatementOpenDialog::TStatementOpenDialog(QWidget* parent) : QFileDialog(parent) {
    setObjectName(QStringLiteral("OpenDialog1"));
    setWindowTitle(QStringLiteral("Import Statement"));
    setAcceptMode(QFileDialog::AcceptOpen);
    setFileMode(QFileDialog::ExistingFile);
    setOption(QFileDialog::DontUseNativeDialog);
    setNameFilters({QStringLiteral("Bank statements (*.ofx *.qfx *.qif *.csv *.OFX *.QFX *.QIF "
                                   "*.CSV)"),
                    QStringLiteral("All files (*)")});
}

int TStatementOpenDialog::execModal() {
    // The first showing opens in the books' folder, as the dialog of a program started there.
    if (!placed_ && !cbk::BooksFolder().empty())
        setDirectory(QString::fromStdString(cbk::BooksFolder()));
    placed_ = true;
    const int result = exec();
    const QStringList chosen = selectedFiles();
    if (result == QDialog::Accepted && !chosen.isEmpty()) FileName = chosen.front().toStdString();
    return result;
}

// ---- the preview lines ----------------------------------------------------------------------

void PreviewModel::Reset() {
    beginResetModel();
    fileName_ = statements::DisplayName(session_.path());
    endResetModel();
}

void PreviewModel::RowsChanged(int first, int last) {
    emit dataChanged(index(first, 0), index(last, Count - 1));
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(session_.Lines.size());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count;
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    const statements::PreviewLine& p = session_.Lines[index.row()];
    const bool expense = p.kind == statements::Kind::Expense;
    if (role == Qt::CheckStateRole && index.column() == Tick)
        return p.chosen ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::TextAlignmentRole && (index.column() == Amount || index.column() == CheckNo))
        return int(Qt::AlignRight | Qt::AlignVCenter);
    const bool noAccount = index.column() == Account && p.account == 0;
    const bool memoLost = index.column() == Memo && statements::MemoNotKept(p);
    if (role == Qt::ToolTipRole && !p.line.problem.empty())
        return QString::fromStdString(p.line.problem);
    if (role == Qt::ToolTipRole && memoLost)
        return QStringLiteral("Income records have no memo: this memo is not imported.");
    if (role == Qt::ForegroundRole && (noAccount || memoLost))
        return QBrush(noAccount ? Qt::darkRed : Qt::gray);
    if (role != Qt::DisplayRole) return {};
    auto name = [](const std::map<std::int32_t, std::string>& names, std::int32_t n) {
        const auto it = names.find(n);
        return it == names.end() ? QString() : QString::fromStdString(it->second);
    };
    switch (index.column()) {
        case Date:
            return p.line.date ? QString::fromStdString(rules::DateToText(*p.line.date))
                               : QString();
        case Payee:
            return QString::fromStdString(p.line.payee);
        case Amount:
            return QString::fromStdString(
                rules::FormatNumber("%12.2n", static_cast<double>(p.line.cents) / 100.0));
        case Memo:
            return QString::fromStdString(p.line.memo) +
                   (memoLost ? QStringLiteral(" (not kept)") : QString());
        case CheckNo:
            return p.line.checkNo ? QString::number(p.line.checkNo) : QString();
        case Kind:
            return expense ? QStringLiteral("Expense") : QStringLiteral("Income");
        case Account:
            return noAccount ? QStringLiteral("(none)")
                             : name(session_.AccountNames(p.kind), p.account);
        case Folder:
            return name(session_.FolderNames(), p.folder);
        case Source:
            return QString::fromStdString(statements::SourceText(p));
        case State:
            return QString::fromStdString(statements::StateShown(p, fileName_));
        default:
            return {};
    }
}

bool PreviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != Tick) return false;
    statements::PreviewLine& p = session_.Lines[index.row()];
    if (p.state == statements::LineState::Unreadable) return false;
    p.chosen = value.toInt() == Qt::Checked;
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == Tick &&
        session_.Lines[index.row()].state != statements::LineState::Unreadable)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kCaptions[] = {"Import", "Date",     "Payee", "Amount",
                                            "Memo",   "Check No", "Kind",  "Account",
                                            "Folder", "Source",   "State"};
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section + 1;
    return QString::fromLatin1(kCaptions[section]);
}

// ---- the form -----------------------------------------------------------------------------

TStatementImport::TStatementImport(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TStatementImport"));
    setWindowTitle(QStringLiteral("Import Statement"));
    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label2 = MakeLabel(this, "Date order:");
    DateOrderBox = new QComboBox(this);
    DateOrderBox->setObjectName(QStringLiteral("DateOrderBox"));
    DateOrderBox->addItems({QStringLiteral("Month/Day/Year"), QStringLiteral("Day/Month/Year"),
                            QStringLiteral("Year/Month/Day")});
    model_ = new PreviewModel(Session, this);
    Grid = new QTableView(this);
    Grid->setObjectName(QStringLiteral("Grid"));
    Grid->setModel(model_);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
    Grid->verticalHeader()->setDefaultSectionSize(22);
    // The state column keeps the width of its texts (why a line cannot be read), so the grid
    // scrolls rather than cut them.
    Grid->horizontalHeader()->setStretchLastSection(false);
    Label3 = MakeLabel(this, "Account:");
    AccountBox = MakeChoiceField(this, "AccountBox");
    Label4 = MakeLabel(this, "Folder:");
    FolderBox = MakeChoiceField(this, "FolderBox");
    BtnApply = new QPushButton(QStringLiteral("Apply to Selected Lines"), this);
    BtnApply->setObjectName(QStringLiteral("BtnApply"));
    BtnRuleFromLine =
        new QPushButton(QStringLiteral("Always Use This for Payees Like\u2026"), this);
    BtnRuleFromLine->setObjectName(QStringLiteral("BtnRuleFromLine"));
    BtnRules = new QPushButton(QStringLiteral("Rules\u2026"), this);
    BtnRules->setObjectName(QStringLiteral("BtnRules"));
    BtnImport = new QPushButton(QStringLiteral("Import"), this);
    BtnImport->setObjectName(QStringLiteral("BtnImport"));
    BtnImport->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BitBtn1 = MakeHelpButton(this);
    OpenDialog1 = new TStatementOpenDialog(this);
    Mapping1 = new TCsvMapping(this);
    RuleForm = new TImportRule(this);
    RulesForm = new TImportRules(this);

    auto* top = new QHBoxLayout;
    top->addWidget(Label1, 1);
    top->addWidget(Label2);
    top->addWidget(DateOrderBox);
    auto* change = new QHBoxLayout;
    change->addWidget(Label3);
    change->addWidget(AccountBox);
    change->addWidget(Label4);
    change->addWidget(FolderBox);
    change->addWidget(BtnApply);
    change->addWidget(BtnRuleFromLine);
    change->addStretch();
    change->addWidget(BtnRules);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnImport);
    buttons->addWidget(BtnCancel);
    buttons->addStretch();
    buttons->addWidget(BitBtn1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(Grid, 1);
    layout->addLayout(change);
    layout->addLayout(buttons);
    resize(1100, 520);

    connect(Grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { CurrentRowChanged(); });
    connect(DateOrderBox, &QComboBox::activated, this, [this] { DateOrderChange(); });
    connect(BtnApply, &QPushButton::clicked, this, &TStatementImport::BtnApplyClick);
    connect(BtnRuleFromLine, &QPushButton::clicked, this, &TStatementImport::BtnRuleFromLineClick);
    connect(BtnRules, &QPushButton::clicked, this, &TStatementImport::BtnRulesClick);
    connect(BtnImport, &QPushButton::clicked, this, &TStatementImport::BtnImportClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, [] { rules::ShowFormHelp(kHelpContext); });
}

void TStatementImport::Run() {
    OpenDialog1->FileName.clear();
    if (platform::modal().showModal(*OpenDialog1) != platform::mrOk ||
        OpenDialog1->FileName.empty())
        return;
    if (!Session.Open(OpenDialog1->FileName)) return;
    const bool csv = Session.format() == statements::Format::Csv;
    if (csv) {
        Mapping1->Load(Session.bytes(), Session.ProposedMapping());
        if (platform::modal().showModal(*Mapping1) != platform::mrOk) return;
        Session.UseMapping(Mapping1->Mapping());
    }
    if (!ReadAndPropose(csv)) return;
    if (platform::modal().showModal(*this) != platform::mrOk) return;
    Session.Write();
}

bool TStatementImport::ReadAndPropose(bool orderChosen) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool read = Session.ReadAndPropose(orderChosen);
    QGuiApplication::restoreOverrideCursor();
    if (!read) return false;
    ShowProposals();
    Grid->resizeColumnsToContents();
    for (int column : {PreviewModel::Account, PreviewModel::Folder})
        Grid->setColumnWidth(column, std::max(Grid->columnWidth(column), 160));

    // Where the dates were read by the order the user may change, the order is offered.
    Label2->setVisible(Session.OfferDateOrder());
    DateOrderBox->setVisible(Session.OfferDateOrder());
    DateOrderBox->setCurrentIndex(static_cast<int>(Session.dateOrder()));
    FillChoiceBox(FolderBox, Session.FolderEntries(), 0);
    if (!Lines.empty()) Grid->selectRow(0);
    CurrentRowChanged();
    Session.TellProblems();
    return true;
}

void TStatementImport::ShowProposals() {
    model_->Reset();
    Label1->setText(QString::fromStdString(Session.CountsText()));
}

void TStatementImport::ShowRulesApplied() {
    if (!Lines.empty()) model_->RowsChanged(0, static_cast<int>(Lines.size()) - 1);
    CurrentRowChanged();
}

void TStatementImport::DateOrderChange() {
    Session.SetDateOrder(static_cast<platform::DateOrder>(DateOrderBox->currentIndex()));
    ReadAndPropose(true);
}

void TStatementImport::CurrentRowChanged() {
    const int row = Grid->currentIndex().isValid() ? Grid->currentIndex().row() : 0;
    const bool any = row < static_cast<int>(Lines.size());
    const statements::Kind kind = any ? Lines[row].kind : statements::Kind::Expense;
    boxKind_ = kind;
    const auto& entries = Session.Entries(kind);
    // A line without an account shows none chosen, not the list's first entry.
    int chosen = -1;
    for (std::size_t i = 0; i < entries.size() && any; ++i)
        if (rules::ChoiceNumber(entries[i]) == Lines[row].account) chosen = static_cast<int>(i);
    FillChoiceBox(AccountBox, entries, chosen);
    Label3->setText(kind == statements::Kind::Expense ? QStringLiteral("Expense account:")
                                                      : QStringLiteral("Income account:"));
    if (any)
        for (std::size_t i = 0; i < Session.FolderEntries().size(); ++i)
            if (rules::ChoiceNumber(Session.FolderEntries()[i]) == Lines[row].folder)
                FolderBox->setCurrentIndex(static_cast<int>(i));
    BtnRuleFromLine->setEnabled(any);
}

std::optional<std::int32_t> TStatementImport::Chosen(ChoiceBox* box) const {
    const auto entry = box->chosenEntry();
    return entry ? rules::ChoiceNumber(*entry) : std::nullopt;
}

void TStatementImport::BtnApplyClick() {
    std::vector<int> rows;
    for (const QModelIndex& index : Grid->selectionModel()->selectedRows())
        rows.push_back(index.row());
    Session.Apply(rows, boxKind_, Chosen(AccountBox), Chosen(FolderBox));
    for (int row : rows) model_->RowsChanged(row, row);
}

void TStatementImport::BtnRuleFromLineClick() {
    const QModelIndex current = Grid->currentIndex();
    if (!current.isValid() || current.row() >= static_cast<int>(Lines.size())) return;
    const int row = current.row();
    // The account and folder in the boxes are the ones the user means for lines like this.
    const statements::PreviewLine& p = Lines[row];
    const std::int32_t account =
        p.kind == boxKind_ ? Chosen(AccountBox).value_or(p.account) : p.account;
    RuleForm->Load(Session.RuleFromLine(row, account, Chosen(FolderBox).value_or(0)), Session);
    if (platform::modal().showModal(*RuleForm) != platform::mrOk) return;
    std::vector<statements::ImportRule> rules = Session.Rules();
    rules.push_back(RuleForm->Rule);
    if (Session.SaveRules(rules)) ShowRulesApplied();
}

void TStatementImport::BtnRulesClick() {
    RulesForm->Load(Session);
    if (platform::modal().showModal(*RulesForm) != platform::mrOk) return;
    if (Session.SaveRules(RulesForm->Rules)) ShowRulesApplied();
}

void TStatementImport::BtnImportClick() {
    std::optional<std::size_t> select;
    const bool ready = Session.ReadyToWrite(select);
    if (select) Grid->selectRow(static_cast<int>(*select));
    if (!ready) return;
    model_->RowsChanged(0, static_cast<int>(Lines.size()) - 1);
    accept();
}

}  // namespace cbk
