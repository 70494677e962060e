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

#include "data/Database.h"
#include "data/TableSession.h"
#include "records/RecordTables.h"
#include "rules/EntryRules.h"
#include "state/MainVars.h"
#include "statements/MappingStore.h"
#include "statements/Readers.h"
#include "statements/TextParts.h"
#include "statements/forms/CsvMappingU.h"
#include "widgets/FieldParts.h"

namespace cbk {

namespace {

constexpr int kHelpContext = 525;
constexpr std::size_t kProblemsShown = 10;

void Inform(const std::string& text) {
    platform::messages().show(platform::MessageKind::Information, text, platform::Buttons::OK);
}

void Warn(const std::string& text) {
    platform::messages().show(platform::MessageKind::Warning, text, platform::Buttons::OK);
}

// Entries "   7 - Office" and the numbers they stand for.
std::map<std::int32_t, std::string> Named(const std::vector<std::string>& entries,
                                          std::vector<std::int32_t>& numbers) {
    std::map<std::int32_t, std::string> named;
    for (const std::string& entry : entries) {
        const auto n = rules::ChoiceNumber(entry);
        if (!n) continue;
        numbers.push_back(*n);
        named[*n] = statements::Trimmed(entry);
    }
    return named;
}

std::vector<std::string> Entries(engine::Data4* table, engine::Field4* number,
                                 engine::Field4* name) {
    return records::BuildChoiceList(table, number, name, 0).entries;
}

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
    const int result = exec();
    const QStringList chosen = selectedFiles();
    if (result == QDialog::Accepted && !chosen.isEmpty()) FileName = chosen.front().toStdString();
    return result;
}

// ---- the preview lines ----------------------------------------------------------------------

void PreviewModel::Reset(std::map<std::int32_t, std::string> expenseAccounts,
                         std::map<std::int32_t, std::string> incomeAccounts,
                         std::map<std::int32_t, std::string> folders, std::string fileName) {
    beginResetModel();
    fileName_ = std::move(fileName);
    expenseAccounts_ = std::move(expenseAccounts);
    incomeAccounts_ = std::move(incomeAccounts);
    folders_ = std::move(folders);
    endResetModel();
}

void PreviewModel::RowsChanged(int first, int last) {
    emit dataChanged(index(first, 0), index(last, Count - 1));
}

int PreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(lines_.size());
}

int PreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : Count;
}

QVariant PreviewModel::data(const QModelIndex& index, int role) const {
    const statements::PreviewLine& p = lines_[index.row()];
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
                             : name(expense ? expenseAccounts_ : incomeAccounts_, p.account);
        case Folder:
            return name(folders_, p.folder);
        case State:
            return QString::fromStdString(statements::StateShown(p, fileName_));
        default:
            return {};
    }
}

bool PreviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::CheckStateRole || index.column() != Tick) return false;
    statements::PreviewLine& p = lines_[index.row()];
    if (p.state == statements::LineState::Unreadable) return false;
    p.chosen = value.toInt() == Qt::Checked;
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags PreviewModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == Tick && lines_[index.row()].state != statements::LineState::Unreadable)
        f |= Qt::ItemIsUserCheckable;
    return f;
}

QVariant PreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const kCaptions[] = {"Import",   "Date", "Payee",   "Amount", "Memo",
                                            "Check No", "Kind", "Account", "Folder", "State"};
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
    model_ = new PreviewModel(Lines, this);
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
    BtnImport = new QPushButton(QStringLiteral("Import"), this);
    BtnImport->setObjectName(QStringLiteral("BtnImport"));
    BtnImport->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BitBtn1 = MakeHelpButton(this);
    OpenDialog1 = new TStatementOpenDialog(this);
    Mapping1 = new TCsvMapping(this);

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
    change->addStretch();
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
    connect(BtnImport, &QPushButton::clicked, this, &TStatementImport::BtnImportClick);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn1, &QPushButton::clicked, this, [] { rules::ShowFormHelp(kHelpContext); });
}

void TStatementImport::Run() {
    OpenDialog1->FileName.clear();
    if (platform::modal().showModal(*OpenDialog1) != platform::mrOk ||
        OpenDialog1->FileName.empty())
        return;
    path_ = OpenDialog1->FileName;
    std::string error;
    if (!statements::ReadFileBytes(path_, bytes_, error)) {
        Warn(error);
        return;
    }
    if (statements::Trimmed(bytes_).empty()) {
        Warn(statements::DisplayName(path_) + ": the file is empty. Nothing was imported.");
        return;
    }
    format_ = statements::DetectFormat(path_, bytes_);
    order_ = platform::regional().settings().dateOrder;
    if (format_ == statements::Format::Unknown) {
        Warn(statements::DisplayName(path_) +
             ": this is not a bank statement (OFX, QFX, QIF or CSV). Nothing was imported.");
        return;
    }
    if (format_ == statements::Format::Csv) {
        const std::string conf = statements::MappingFilePath();
        const statements::CsvMapping guessed = statements::GuessMapping(bytes_, order_);
        const auto remembered = statements::RememberedMappingFor(conf, bytes_, guessed.firstLine);
        Mapping1->Load(bytes_, remembered ? *remembered : guessed);
        if (platform::modal().showModal(*Mapping1) != platform::mrOk) return;
        mapping_ = Mapping1->Mapping();
        order_ = mapping_.dateOrder;
        if (mapping_.header)
            statements::RememberMapping(conf, statements::LineText(bytes_, mapping_.firstLine),
                                        mapping_);
    }
    if (!ReadAndPropose(format_ == statements::Format::Csv)) return;
    if (platform::modal().showModal(*this) != platform::mrOk) return;

    const statements::WriteOutcome outcome = [this] {
        platform::ProgressShown shown("Importing Statement");
        return statements::WriteStatement(Lines);
    }();
    if (outcome.ok)
        Inform(statements::OutcomeMessage(outcome));
    else
        Warn(outcome.error);
}

bool TStatementImport::ReadAndPropose(bool orderChosen) {
    std::unique_ptr<statements::StatementReader> reader;
    if (format_ == statements::Format::Ofx) {
        reader = statements::MakeOfxReader();
    } else if (format_ == statements::Format::Qif) {
        reader = statements::MakeQifReader(order_, orderChosen);
    } else {
        mapping_.dateOrder = order_;
        reader = statements::MakeCsvReader(mapping_);
    }
    const statements::Statement st = reader->read(path_, bytes_);
    if (!st.error.empty()) {
        Warn(st.error + "\r\nNothing was imported.");
        return false;
    }
    statements::Choices choices;
    std::map<std::int32_t, std::string> expenseNames, incomeNames, folderNames;
    {
        TableSession session({"EXP5", "INC5", "ACC", "ACCI", "FOLDER"});
        expenseEntries_ = Entries(Accounts, AccNoField, AcDescField);
        incomeEntries_ = Entries(IncomeAccounts, IncAccNoField, IncAcDescField);
        folderEntries_ = Entries(Folders, FolNoField, FolNameField);
        expenseNames = Named(expenseEntries_, choices.expenseAccounts);
        incomeNames = Named(incomeEntries_, choices.incomeAccounts);
        folderNames = Named(folderEntries_, choices.folders);
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
        Lines = statements::Propose(st.lines, choices, DefaultFolder, statements::ImportedIds());
        QGuiApplication::restoreOverrideCursor();
    }
    model_->Reset(std::move(expenseNames), std::move(incomeNames), std::move(folderNames),
                  statements::DisplayName(path_));
    Grid->resizeColumnsToContents();
    for (int column : {PreviewModel::Account, PreviewModel::Folder})
        Grid->setColumnWidth(column, std::max(Grid->columnWidth(column), 160));

    // Where the dates were read by the order the user may change, the order is offered.
    const bool offerOrder = format_ != statements::Format::Ofx && st.dateOrderMatters;
    Label2->setVisible(offerOrder);
    DateOrderBox->setVisible(offerOrder);
    order_ = st.dateOrder;
    DateOrderBox->setCurrentIndex(static_cast<int>(order_));
    FillChoiceBox(FolderBox, folderEntries_, 0);
    ShowCounts();
    if (!Lines.empty()) Grid->selectRow(0);
    CurrentRowChanged();

    std::string problems;
    std::size_t count = 0;
    for (const auto& p : Lines) {
        if (p.line.problem.empty()) continue;
        if (++count <= kProblemsShown) problems += p.line.problem + "\r\n";
    }
    if (count > kProblemsShown)
        problems += "... and " + std::to_string(count - kProblemsShown) + " more.\r\n";
    if (count > 0) Warn(problems + "These lines cannot be imported; the others can.");
    return true;
}

void TStatementImport::ShowCounts() {
    long duplicates = 0, unreadable = 0;
    for (const auto& p : Lines) {
        duplicates += p.state == statements::LineState::Duplicate;
        unreadable += p.state == statements::LineState::Unreadable;
    }
    Label1->setText(QString::fromStdString(statements::DisplayName(path_) + ": " +
                                           std::to_string(Lines.size()) + " lines, " +
                                           std::to_string(duplicates) + " probable duplicates, " +
                                           std::to_string(unreadable) + " cannot be read"));
}

void TStatementImport::DateOrderChange() {
    order_ = static_cast<platform::DateOrder>(DateOrderBox->currentIndex());
    ReadAndPropose(true);
}

void TStatementImport::CurrentRowChanged() {
    const int row = Grid->currentIndex().isValid() ? Grid->currentIndex().row() : 0;
    const statements::Kind kind =
        row < static_cast<int>(Lines.size()) ? Lines[row].kind : statements::Kind::Expense;
    boxKind_ = kind;
    const auto& entries = kind == statements::Kind::Expense ? expenseEntries_ : incomeEntries_;
    // A line without an account shows none chosen, not the list's first entry.
    int chosen = -1;
    for (std::size_t i = 0; i < entries.size() && row < static_cast<int>(Lines.size()); ++i)
        if (rules::ChoiceNumber(entries[i]) == Lines[row].account) chosen = static_cast<int>(i);
    FillChoiceBox(AccountBox, entries, chosen);
    Label3->setText(kind == statements::Kind::Expense ? QStringLiteral("Expense account:")
                                                      : QStringLiteral("Income account:"));
    if (row < static_cast<int>(Lines.size()))
        for (std::size_t i = 0; i < folderEntries_.size(); ++i)
            if (rules::ChoiceNumber(folderEntries_[i]) == Lines[row].folder)
                FolderBox->setCurrentIndex(static_cast<int>(i));
}

void TStatementImport::BtnApplyClick() {
    const auto account =
        AccountBox->chosenEntry() ? rules::ChoiceNumber(*AccountBox->chosenEntry()) : std::nullopt;
    const auto folder =
        FolderBox->chosenEntry() ? rules::ChoiceNumber(*FolderBox->chosenEntry()) : std::nullopt;
    for (const QModelIndex& index : Grid->selectionModel()->selectedRows()) {
        statements::PreviewLine& p = Lines[index.row()];
        // The account list is of one kind; lines of the other kind keep their account.
        if (account && p.kind == boxKind_) p.account = *account;
        if (folder) p.folder = *folder;
        model_->RowsChanged(index.row(), index.row());
    }
}

void TStatementImport::BtnImportClick() {
    std::vector<std::size_t> lacking;
    std::size_t ticked = 0;
    for (std::size_t i = 0; i < Lines.size(); ++i) {
        const statements::PreviewLine& p = Lines[i];
        if (!p.chosen || p.state == statements::LineState::Unreadable) continue;
        if (folderEntries_.empty()) {
            Inform("Line " + std::to_string(i + 1) + " (" + p.line.payee +
                   ") has no folder: choose one for it, or untick it.");
            Grid->selectRow(static_cast<int>(i));
            return;
        }
        ++ticked;
        if (p.account == 0) lacking.push_back(i);
    }
    if (!lacking.empty()) {
        const std::size_t first = lacking.front();
        const std::string line = std::to_string(first + 1);
        const std::string& payee = Lines[first].line.payee;
        const std::string n = std::to_string(lacking.size());
        const bool one = lacking.size() == 1;
        const bool others = lacking.size() < ticked;
        const std::string which = one ? "Line " + line + " (" + payee + ") has no account"
                                      : n + " ticked lines have no account (the first is line " +
                                            line + ", " + payee + ")";
        if (!others) {
            Inform(which + (one ? ": choose one for it, or untick it."
                                : ": choose one for each, or untick them."));
            Grid->selectRow(static_cast<int>(first));
            return;
        }
        // The lines without an account are left out, as unticked lines are, if the user agrees.
        if (!platform::Confirmed(platform::MessageKind::Confirm,
                                 which + ". Import the other lines and leave " +
                                     (one ? std::string("it") : "these " + n) + " out?",
                                 platform::Buttons::YesNo)) {
            Grid->selectRow(static_cast<int>(first));
            return;
        }
        for (std::size_t i : lacking) Lines[i].chosen = false;
        model_->RowsChanged(0, static_cast<int>(Lines.size()) - 1);
    }
    accept();
}

}  // namespace cbk
