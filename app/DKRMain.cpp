#include "app/DKRMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QCursor>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QThread>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <chrono>
#include <functional>
#include <optional>
#include <string_view>

#include "app/BankCommands.h"
#include "app/Forms.h"
#include "books/BooksPlaces.h"
#include "books/EnterBooks.h"
#include "data/Database.h"
#include "data/Records.h"
#include "data/TableSession.h"
#include "maintenance/AutoBackup.h"
#include "maintenance/CommandReports.h"
#include "maintenance/CopyData.h"
#include "maintenance/EraseData.h"
#include "maintenance/Recovery.h"
#include "maintenance/RunBooks.h"
#include "maintenance/Safeguards.h"
#include "maintenance/SafetyBackup.h"
#include "maintenance/Upgrade.h"
#include "maintenance/forms/About.h"
#include "maintenance/forms/ArchiveU.h"
#include "maintenance/forms/DriveDirU.h"
#include "maintenance/forms/PmtImportU.h"
#include "maintenance/forms/RateChangeU.h"
#include "maintenance/forms/RecoverU.h"
#include "records/ScheduleTable.h"
#include "records/forms/AccountU.h"
#include "records/forms/DueU.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FolderU.h"
#include "records/forms/IncomeU.h"
#include "records/forms/PayeeCompleter.h"
#include "records/forms/PickAccU.h"
#include "records/forms/PickExpU.h"
#include "records/forms/PickFolU.h"
#include "records/forms/PickIncU.h"
#include "records/forms/ScheduleU.h"
#include "reports/ReportDocument.h"
#include "reports/ReportRunner.h"
#include "reports/forms/MultFolU.h"
#include "reports/forms/ReportU.h"
#include "state/MainVars.h"
#include "statements/forms/StmtImportU.h"
#include "widgets/FieldParts.h"
#include "widgets/HelpWindow.h"
#include "widgets/MaskEdit.h"
#include "widgets/Pictures.h"
#include "widgets/ProgressBox.h"

namespace cbk {

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kTeal(0x00, 0x80, 0x80);

// The splash stays up at least 0.00002 of a day.
constexpr std::chrono::milliseconds kSplashMinimum{1728};

std::chrono::milliseconds sinceEpoch(const platform::DateTime& t) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(t.day.time_since_epoch()) + t.time;
}

void paintBackground(QWidget* w, const QColor& colour) {
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

QLabel* colouredLabel(const QString& text, const QColor& colour, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, colour);
    label->setPalette(p);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

QToolButton* makePictureButton(Picture picture, const char* name, const char* hint,
                               QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    const QPixmap pixmap = pictureButton(picture);
    b->setIcon(QIcon(pixmap));
    b->setIconSize(pixmap.size());
    b->setFixedSize(pixmap.size() + QSize(6, 6));
    b->setText(QString::fromLatin1(pictureLabel(picture)));  // read by screen readers and tests
    b->setToolButtonStyle(Qt::ToolButtonIconOnly);
    b->setAutoRaise(false);
    b->setFocusPolicy(Qt::StrongFocus);
    if (hint) b->setToolTip(QString::fromLatin1(hint));
    return b;
}

void ShowInformation(std::string_view text) {
    platform::messages().show(platform::MessageKind::Information, std::string(text),
                              platform::Buttons::OK);
}

// Read-only books (their folder cannot be written) are for looking at: a command that would
// change them is refused before it opens anything.
bool RefusedOnReadOnlyBooks() {
    if (!BooksReadOnly()) return false;
    platform::messages().show(platform::MessageKind::Information, books::kReadOnlyBooks,
                              platform::Buttons::OK);
    return true;
}

// Repeats a pick list and its edit form until the pick list says leave (choice < 0).
void PickThenEdit(std::int32_t& choice, platform::ModalForm& pick, platform::ModalForm& edit) {
    choice = 0;
    do {
        platform::modal().showModal(pick);
        if (choice >= 0) platform::modal().showModal(edit);
    } while (choice >= 0);
}

}  // namespace

TFormMain::TFormMain() {
    setObjectName(QStringLiteral("TFormMain"));
    setWindowTitle(QStringLiteral("CBK"));
    Help = new HelpWindow(this);
    buildLayout();
    buildMenus();
    FormCreate();
}

TFormMain::~TFormMain() = default;

void TFormMain::ShowBooks(const std::string& dir, const std::string& readOnlyWhy) {
    booksDir_ = dir;
    if (LabelBooks == nullptr) {
        LabelBooks = new QLabel(this);
        statusBar()->addWidget(LabelBooks);
        LabelReadOnly = new QLabel(QStringLiteral(" Read-only: changes are refused "), this);
        LabelReadOnly->setStyleSheet(
            QStringLiteral("background: #b00000; color: white; font-weight: bold;"));
        statusBar()->addWidget(LabelReadOnly);
    }
    LabelBooks->setText(QStringLiteral("Books: ") + QString::fromStdString(books::BooksName(dir)));
    LabelBooks->setToolTip(QString::fromStdString(dir));
    LabelReadOnly->setToolTip(
        QString::fromStdString(readOnlyWhy).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    LabelReadOnly->setVisible(!readOnlyWhy.empty());
}

int TFormMain::execModal() {
    show();
    return platform::mrNone;
}

// ---- layout -----------------------------------------------------------------------------

QWidget* TFormMain::tabPage(int helpContext, QPushButton*& helpButton) {
    auto* page = new QWidget;
    paintBackground(page, kTeal);
    helpButton = new QPushButton(QStringLiteral("Help"), page);
    helpButton->setToolTip(QStringLiteral("Help on this page"));
    connect(helpButton, &QPushButton::clicked, this,
            [helpContext] { platform::help().context(helpContext); });
    return page;
}

QWidget* TFormMain::buildIncomeExpensesTab() {
    QWidget* page = tabPage(500, BitBtn1);
    BtnIncome = makePictureButton(Picture::Income, "BtnIncome", "Add, Edit or Delete Income", page);
    BtnAccountI = makePictureButton(Picture::AccountsIncome, "BtnAccountI",
                                    "Setup Income Accounts (classifications)", page);
    BtnFolders = makePictureButton(Picture::Folders, "BtnFolders",
                                   "Setup Folders (Income/Expense Groups)", page);
    BtnAccountE = makePictureButton(Picture::AccountsExpense, "BtnAccountE",
                                    "Setup Expense Accounts (Classifications)", page);
    BtnExpense =
        makePictureButton(Picture::Expenses, "BtnExpense", "Add, Edit or Delete Expenses", page);
    BtnImport = makePictureButton(Picture::ImportPayments, "BtnImport",
                                  "Import Income Data from Tarvel's LUMA or MARLO program.", page);
    BtnRateChange = makePictureButton(Picture::RateChange, "BtnRateChange",
                                      "Adjust rate based expense amounts.", page);
    BtnStatement = new QPushButton(QStringLiteral("Import Statement"), page);
    BtnStatement->setObjectName(QStringLiteral("BtnStatement"));
    BtnStatement->setToolTip(QStringLiteral("Import a bank statement (OFX, QFX, QIF or CSV)."));
    BtnSchedules = new QPushButton(QStringLiteral("Scheduled Entries"), page);
    BtnSchedules->setObjectName(QStringLiteral("BtnSchedules"));
    BtnSchedules->setToolTip(QStringLiteral("Set up the expenses and income that repeat."));
    BtnDue = new QPushButton(QStringLiteral("Due"), page);
    BtnDue->setObjectName(QStringLiteral("BtnDue"));
    BtnDue->setToolTip(QStringLiteral("Enter or skip the scheduled entries fallen due."));
    BtnBank = new QPushButton(QStringLiteral("Bank"), page);
    BtnBank->setObjectName(QStringLiteral("BtnBank"));
    BtnBank->setToolTip(
        QStringLiteral("Bank accounts, the register and the reconciliation with a statement."));
    PopupBank = new QMenu(this);
    PopupBank->addAction(QStringLiteral("Bank &Accounts..."), this, [] { RunBankAccounts(); });
    PopupBank->addAction(QStringLiteral("&Register..."), this, [] { RunRegister(); });
    PopupBank->addAction(QStringLiteral("Re&concile..."), this, [] { RunReconcile(); });
    Label1 = colouredLabel(QStringLiteral("Default Folder"), Qt::yellow, page);
    FolderCBox = new ChoiceBox(page);
    FolderCBox->setObjectName(QStringLiteral("FolderCBox"));
    FolderCBox->setToolTip(QStringLiteral("Change to limit view to a single folder"));
    FolderCBox->setEditable(false);
    FolderCBox->setMinimumWidth(200);
    FolderCBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    FolderCBox->setMinimumContentsLength(22);

    auto* accounts = new QVBoxLayout;
    accounts->setSpacing(4);
    accounts->addWidget(BtnAccountI, 0, Qt::AlignHCenter);
    accounts->addWidget(BtnFolders, 0, Qt::AlignHCenter);
    accounts->addWidget(BtnAccountE, 0, Qt::AlignHCenter);

    auto* folder = new QVBoxLayout;
    folder->setSpacing(2);
    folder->addWidget(Label1);
    folder->addWidget(FolderCBox);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12, 12, 8);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(10);
    grid->addWidget(BtnIncome, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(accounts, 0, 1, Qt::AlignCenter);
    grid->addWidget(BtnExpense, 0, 2, Qt::AlignRight | Qt::AlignTop);
    grid->addWidget(BtnImport, 1, 0, Qt::AlignLeft);
    grid->addLayout(folder, 1, 1, Qt::AlignCenter);
    grid->addWidget(BtnRateChange, 1, 2, Qt::AlignRight);
    grid->addWidget(BtnStatement, 2, 0, Qt::AlignLeft | Qt::AlignTop);
    auto* schedules = new QHBoxLayout;
    schedules->addWidget(BtnSchedules);
    schedules->addWidget(BtnDue);
    schedules->addWidget(BtnBank);
    grid->addLayout(schedules, 2, 1, 1, 2, Qt::AlignRight | Qt::AlignTop);
    grid->setRowStretch(2, 1);
    grid->addWidget(BitBtn1, 3, 2, Qt::AlignRight | Qt::AlignBottom);
    grid->setColumnStretch(1, 1);

    connect(BtnIncome, &QToolButton::clicked, this, &TFormMain::BtnIncomeClick);
    connect(BtnAccountI, &QToolButton::clicked, this, &TFormMain::BtnAccountIClick);
    connect(BtnFolders, &QToolButton::clicked, this, &TFormMain::BtnFoldersClick);
    connect(BtnAccountE, &QToolButton::clicked, this, &TFormMain::BtnAccountEClick);
    connect(BtnExpense, &QToolButton::clicked, this, &TFormMain::BtnExpenseClick);
    connect(BtnImport, &QToolButton::clicked, this, &TFormMain::BtnImportClick);
    connect(BtnStatement, &QPushButton::clicked, this, &TFormMain::BtnStatementClick);
    connect(BtnSchedules, &QPushButton::clicked, this, &TFormMain::BtnSchedulesClick);
    connect(BtnDue, &QPushButton::clicked, this, &TFormMain::BtnDueClick);
    connect(BtnBank, &QPushButton::clicked, this, &TFormMain::BtnBankClick);
    connect(BtnRateChange, &QToolButton::clicked, this, &TFormMain::BtnRateChangeClick);
    // Only a choice the user makes changes the default folder; a refill does not.
    connect(FolderCBox, &QComboBox::activated, this, &TFormMain::FolderCBoxChange);
    connect(FolderCBox, &ChoiceBox::keyDiscarded, this, &TFormMain::FolderCBoxKeyPress);
    return page;
}

QWidget* TFormMain::buildReportsTab() {
    QWidget* page = tabPage(600, BitBtn3);
    BtnExpRpt = makePictureButton(Picture::ExpenseReports, "BtnExpRpt", nullptr, page);
    BtnIncRpt = makePictureButton(Picture::IncomeReports, "BtnIncRpt", nullptr, page);
    BtnProfRpt = makePictureButton(Picture::ProfitReports, "BtnProfRpt", nullptr, page);
    BtnGLRpt = makePictureButton(Picture::GeneralLedger, "BtnGLRpt", nullptr, page);
    MaskEdit1 = new MaskEdit(page);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    MaskEdit2 = new MaskEdit(page);
    MaskEdit2->setObjectName(QStringLiteral("MaskEdit2"));
    for (MaskEdit* e : {MaskEdit1, MaskEdit2}) {
        e->setEditMask(DateMask());
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("00/00/0000")) + 18);
    }

    auto* period = new QGridLayout;
    period->setVerticalSpacing(6);
    period->addWidget(colouredLabel(QStringLiteral("Report From:"), Qt::white, page), 0, 0);
    period->addWidget(MaskEdit1, 0, 1);
    period->addWidget(colouredLabel(QStringLiteral("Through:"), Qt::white, page), 1, 0);
    period->addWidget(MaskEdit2, 1, 1);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12, 12, 8);
    grid->setHorizontalSpacing(14);
    grid->setVerticalSpacing(10);
    grid->addWidget(BtnExpRpt, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(BtnIncRpt, 0, 1, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(period, 0, 2, Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(BtnProfRpt, 1, 0, Qt::AlignLeft);
    grid->addWidget(BtnGLRpt, 1, 1, Qt::AlignLeft);
    grid->setRowStretch(2, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(BitBtn3, 3, 2, Qt::AlignRight | Qt::AlignBottom);

    connect(BtnExpRpt, &QToolButton::clicked, this, &TFormMain::BtnExpRptClick);
    connect(BtnIncRpt, &QToolButton::clicked, this, &TFormMain::BtnIncRptClick);
    connect(BtnProfRpt, &QToolButton::clicked, this, &TFormMain::BtnProfRptClick);
    connect(BtnGLRpt, &QToolButton::clicked, this, &TFormMain::BtnGLRptClick);
    connect(MaskEdit1, &QLineEdit::textChanged, this, &TFormMain::MaskEdit1Change);
    connect(MaskEdit2, &QLineEdit::textChanged, this, &TFormMain::MaskEdit2Change);
    connect(MaskEdit1, &MaskEdit::exited, this, &TFormMain::MaskEdit1Exit);
    connect(MaskEdit2, &MaskEdit::exited, this, &TFormMain::MaskEdit2Exit);
    return page;
}

QWidget* TFormMain::buildSetupTab() {
    QWidget* page = tabPage(300, BitBtn4);
    GroupBox1 = new QGroupBox(QStringLiteral("  Fiscal Year Setup  "), page);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    paintBackground(GroupBox1, kNavy);
    QPalette titled = GroupBox1->palette();
    titled.setColor(QPalette::WindowText, Qt::white);
    GroupBox1->setPalette(titled);
    MaskEdit3 = new MaskEdit(GroupBox1);
    MaskEdit3->setObjectName(QStringLiteral("MaskEdit3"));
    MaskEdit4 = new MaskEdit(GroupBox1);
    MaskEdit4->setObjectName(QStringLiteral("MaskEdit4"));
    for (MaskEdit* e : {MaskEdit3, MaskEdit4}) {
        e->setEditMask(QStringLiteral("!99;1;_"));
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000")) + 16);
    }
    auto* fy = new QGridLayout(GroupBox1);
    fy->setContentsMargins(14, 18, 14, 12);
    fy->setVerticalSpacing(8);
    fy->addWidget(colouredLabel(QStringLiteral("Start Month:"), Qt::yellow, GroupBox1), 0, 0);
    fy->addWidget(MaskEdit3, 0, 1);
    fy->addWidget(colouredLabel(QStringLiteral("Start Day:"), Qt::yellow, GroupBox1), 1, 0);
    fy->addWidget(MaskEdit4, 1, 1);

    GroupBox2 = new QGroupBox(QStringLiteral("  Business  "), page);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    paintBackground(GroupBox2, kNavy);
    GroupBox2->setPalette(titled);
    EditCompany = new QLineEdit(GroupBox2);
    EditCompany->setObjectName(QStringLiteral("EditCompany"));
    EditCompany->setMaxLength(kCompanyStored);
    EditAddress = new QLineEdit(GroupBox2);
    EditAddress->setObjectName(QStringLiteral("EditAddress"));
    EditAddress->setMaxLength(kAddressStored);
    for (QLineEdit* e : {EditCompany, EditAddress})
        e->setMinimumWidth(e->fontMetrics().averageCharWidth() * 30);
    auto* business = new QGridLayout(GroupBox2);
    business->setContentsMargins(14, 18, 14, 12);
    business->setVerticalSpacing(8);
    business->addWidget(colouredLabel(QStringLiteral("Name:"), Qt::yellow, GroupBox2), 0, 0);
    business->addWidget(EditCompany, 0, 1);
    business->addWidget(colouredLabel(QStringLiteral("Address:"), Qt::yellow, GroupBox2), 1, 0);
    business->addWidget(EditAddress, 1, 1);

    BtnFont = new QPushButton(QStringLiteral("Report Font"), page);
    BtnFont->setObjectName(QStringLiteral("BtnFont"));
    BtnFont->setToolTip(QStringLiteral("Change font used in reports."));
    BtnPSetup = new QPushButton(QStringLiteral("Page Setup"), page);
    BtnPSetup->setObjectName(QStringLiteral("BtnPSetup"));
    BtnPSetup->setToolTip(QStringLiteral("Change page layout/printer."));
    Edit1 = new QLineEdit(page);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit2 = new QLineEdit(page);
    Edit2->setObjectName(QStringLiteral("Edit2"));
    for (QLineEdit* e : {Edit1, Edit2}) {
        e->setReadOnly(true);  // they only display
        e->setMinimumWidth(220);
    }

    CheckBox1 = new QCheckBox(QStringLiteral("Keep deleted records for recovery"), page);
    CheckBox1->setObjectName(QStringLiteral("CheckBox1"));
    CheckBox2 = new QCheckBox(QStringLiteral("Automatic backup at exit"), page);
    CheckBox2->setObjectName(QStringLiteral("CheckBox2"));
    const maintenance::Safeguards guards = maintenance::CurrentSafeguards();
    CheckBox1->setChecked(guards.keepDeleted);
    CheckBox2->setChecked(guards.autoBackup);
    auto* left = new QVBoxLayout;
    left->setSpacing(6);
    left->addWidget(GroupBox1);
    left->addSpacing(8);
    left->addWidget(GroupBox2);
    left->addSpacing(8);
    for (QCheckBox* c : {CheckBox1, CheckBox2}) {
        QPalette white = c->palette();
        white.setColor(QPalette::WindowText, Qt::white);
        c->setPalette(white);
        left->addWidget(c);
    }

    auto* right = new QVBoxLayout;
    right->setSpacing(4);
    right->addWidget(BtnFont, 0, Qt::AlignLeft);
    right->addWidget(Edit1);
    right->addSpacing(12);
    right->addWidget(BtnPSetup, 0, Qt::AlignLeft);
    right->addWidget(Edit2);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 12, 12, 8);
    grid->setHorizontalSpacing(24);
    grid->addLayout(left, 0, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addLayout(right, 0, 1, Qt::AlignTop);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(1, 1);
    grid->addWidget(BitBtn4, 2, 1, Qt::AlignRight | Qt::AlignBottom);

    connect(MaskEdit3, &MaskEdit::exited, this, &TFormMain::MaskEdit3Exit);
    connect(MaskEdit4, &MaskEdit::exited, this, &TFormMain::MaskEdit4Exit);
    connect(EditCompany, &QLineEdit::editingFinished, this, &TFormMain::EditCompanyExit);
    connect(EditAddress, &QLineEdit::editingFinished, this, &TFormMain::EditAddressExit);
    connect(BtnFont, &QPushButton::clicked, this, &TFormMain::BtnFontClick);
    connect(BtnPSetup, &QPushButton::clicked, this, &TFormMain::BtnPSetupClick);
    connect(CheckBox1, &QCheckBox::clicked, this, &TFormMain::CheckBox1Click);
    connect(CheckBox2, &QCheckBox::clicked, this, &TFormMain::CheckBox2Click);
    return page;
}

QWidget* TFormMain::buildMaintenanceTab() {
    QWidget* page = tabPage(400, BitBtn5);
    BtnBackup = makePictureButton(Picture::Backup, "BtnBackup", "Backup Data Files", page);
    BtnRestore =
        makePictureButton(Picture::Restore, "BtnRestore", "Restore Data from Backup", page);
    BtnArchive =
        makePictureButton(Picture::Archive, "BtnArchive", "Archive Old Data Records", page);
    BtnDeArchive = makePictureButton(Picture::DeArchive, "BtnDeArchive",
                                     "Restore data records from Archive", page);
    BtnReIndex = makePictureButton(Picture::ReIndex, "BtnReIndex", "Rebuild Index Files", page);
    BtnPack =
        makePictureButton(Picture::Pack, "BtnPack", "Physically remove deleted records.", page);
    BtnEraseData =
        makePictureButton(Picture::EraseData, "BtnEraseData", "Use to clear sample data.", page);
    BtnUpgrade =
        makePictureButton(Picture::Upgrade, "BtnUpgrade", "Import Version 3 or 4 data.", page);

    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(12, 14, 12, 8);
    grid->setHorizontalSpacing(12);
    grid->setVerticalSpacing(14);
    QToolButton* const order[] = {BtnBackup,  BtnRestore, BtnArchive,   BtnDeArchive,
                                  BtnReIndex, BtnPack,    BtnEraseData, BtnUpgrade};
    for (int i = 0; i < 8; ++i) grid->addWidget(order[i], i / 4, i % 4, Qt::AlignCenter);
    BtnRecover = new QPushButton(QString::fromUtf8(maintenance::kRecoverTitle.data(),
                                                   int(maintenance::kRecoverTitle.size())),
                                 page);
    BtnRecover->setObjectName(QStringLiteral("BtnRecover"));
    BtnRecover->setToolTip(QStringLiteral("Put records removed by a pack back into the books."));
    grid->setRowStretch(2, 1);
    grid->addWidget(BtnRecover, 3, 0, 1, 2, Qt::AlignLeft | Qt::AlignBottom);
    grid->addWidget(BitBtn5, 3, 3, Qt::AlignRight | Qt::AlignBottom);

    connect(BtnBackup, &QToolButton::clicked, this, &TFormMain::BtnBackupClick);
    connect(BtnRestore, &QToolButton::clicked, this, &TFormMain::BtnRestoreClick);
    connect(BtnArchive, &QToolButton::clicked, this, &TFormMain::BtnArchiveClick);
    connect(BtnDeArchive, &QToolButton::clicked, this, &TFormMain::BtnDeArchiveClick);
    connect(BtnReIndex, &QToolButton::clicked, this, &TFormMain::BtnReIndexClick);
    connect(BtnPack, &QToolButton::clicked, this, &TFormMain::Image2Click);
    connect(BtnEraseData, &QToolButton::clicked, this, &TFormMain::BtnEraseDataClick);
    connect(BtnUpgrade, &QToolButton::clicked, this, &TFormMain::BtnUpgradeClick);
    connect(BtnRecover, &QPushButton::clicked, this, &TFormMain::BtnRecoverClick);
    return page;
}

void TFormMain::buildLayout() {
    auto* central = new QWidget(this);
    paintBackground(central, kNavy);
    setCentralWidget(central);

    PageControl1 = new QTabWidget(central);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->addTab(buildIncomeExpensesTab(), QStringLiteral("Income and Expenses"));
    PageControl1->addTab(buildReportsTab(), QStringLiteral("Report Generation"));
    PageControl1->addTab(buildSetupTab(), QStringLiteral("Program Setup"));
    PageControl1->addTab(buildMaintenanceTab(), QStringLiteral("File Maintenance"));
    PageControl1->setCurrentIndex(0);
    // Every tab's title stays readable: the page control is at least as wide as its tabs.
    PageControl1->setMinimumSize(std::max(489, PageControl1->tabBar()->sizeHint().width() + 16),
                                 249);
    // The tabs keep a font of their own when the report font changes the window's.
    PageControl1->setFont(QApplication::font());

    ProgressBox1 = new ProgressBox(central);
    QPalette onNavy = ProgressBox1->palette();
    onNavy.setColor(QPalette::WindowText, Qt::white);
    ProgressBox1->setPalette(onNavy);
    QSizePolicy keepPlace = ProgressBox1->sizePolicy();
    keepPlace.setRetainSizeWhenHidden(true);
    ProgressBox1->setSizePolicy(keepPlace);

    auto* line = new QFrame(central);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(17, 4, 17, 8);
    layout->setSpacing(8);
    layout->addWidget(line);
    layout->addWidget(PageControl1, 1);
    layout->addWidget(ProgressBox1, 0, Qt::AlignHCenter);
}

void TFormMain::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    mF_Exit = file->addAction(QStringLiteral("&Exit"), this, &TFormMain::mF_ExitClick);
    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    About1 = help->addAction(QStringLiteral("&About"), this, &TFormMain::About1Click);
    help->addSeparator();
    Help2 = help->addAction(QStringLiteral("&Help"), this, &TFormMain::Help2Click);
    // F1 opens the topic of the page on top, as each page's Help button does.
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] {
        static constexpr int contexts[] = {500, 600, 300, 400};
        const int page = PageControl1->currentIndex();
        platform::help().context(page >= 0 && page < 4 ? contexts[page] : 10);
    });

    PopupMenu1 = new QMenu(this);
    ExpenseSummary1 = PopupMenu1->addAction(QStringLiteral("Expense &Summary"), this,
                                            &TFormMain::ExpenseSummary1Click);
    ExpenseDetail1 = PopupMenu1->addAction(QStringLiteral("Expense &Detail"), this,
                                           &TFormMain::ExpenseDetail1Click);
    AccountDetail1 = PopupMenu1->addAction(QStringLiteral("&Account Detail"), this,
                                           &TFormMain::AccountDetail1Click);
    ChartofAccounts1 = PopupMenu1->addAction(QStringLiteral("&Chart of Accounts"), this,
                                             &TFormMain::ChartofAccounts1Click);
    PopupMenu2 = new QMenu(this);
    IncomeSummary1 = PopupMenu2->addAction(QStringLiteral("Income &Summary"), this,
                                           &TFormMain::IncomeSummary1Click);
    IncomeDetail1 = PopupMenu2->addAction(QStringLiteral("Income &Detail"), this,
                                          &TFormMain::IncomeDetail1Click);
    AccountDetail2 = PopupMenu2->addAction(QStringLiteral("&Account Detail"), this,
                                           &TFormMain::AccountDetail2Click);
    ChartofAccounts2 = PopupMenu2->addAction(QStringLiteral("&Chart of Accounts"), this,
                                             &TFormMain::ChartofAccounts2Click);
    PopupMenu3 = new QMenu(this);
    WeeklyProfit1 = PopupMenu3->addAction(QStringLiteral("&Weekly Profit"), this,
                                          &TFormMain::WeeklyProfit1Click);
    MonthlyProfit1 = PopupMenu3->addAction(QStringLiteral("&Monthly Profit"), this,
                                           &TFormMain::MonthlyProfit1Click);
}

// ---- start-up and shutdown ----------------------------------------------------------------

void TFormMain::FormCreate() {
    SplashMode = true;
    PackOnExit = false;
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!started_ && screen() != nullptr) {
        // Centred on the screen, as the window opens first.
        QRect frame = frameGeometry();
        frame.moveCenter(screen()->availableGeometry().center());
        move(frame.topLeft());
    }
    if (!started_) {
        started_ = true;
        FormShow();
    }
}

void TFormMain::FormShow() {
    started_ = true;
    TAboutForm& about = *forms().AboutForm;
    about.show();
    about.repaint();
    splashShown_ = platform::clock().now();

    const std::string refused = maintenance::StartRun(booksDir_);
    if (!refused.empty()) {
        ShowInformation(refused);
        about.hide();
        platform::endProgram();
    }

    setWindowTitle(QStringLiteral("Tarvel Cantabook 1.11"));
    PrepareReportFont();
    ShowReportFont();
    ShowPrinter();
    ShowPeriodAndFiscalYear();
    ShowBusiness();
    // What is stored in the books' settings record cannot be changed on read-only books.
    for (QLineEdit* stored : {static_cast<QLineEdit*>(MaskEdit3),
                              static_cast<QLineEdit*>(MaskEdit4), EditCompany, EditAddress})
        stored->setReadOnly(BooksReadOnly());
    BtnFont->setEnabled(!BooksReadOnly());

    const auto until = sinceEpoch(splashShown_) + kSplashMinimum;
    for (;;) {
        splashClosed_ = platform::clock().now();
        if (sinceEpoch(splashClosed_) >= until) break;
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(1);
    }
    about.hide();
    SplashMode = false;
    update();
    if (!BooksReadOnly()) ShowDue(false);
}

void TFormMain::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    CloseBooks();
    Help->close();
    QCoreApplication::quit();
}

void TFormMain::closeEvent(QCloseEvent* event) {
    ShutDown();
    event->accept();
}

void TFormMain::mF_ExitClick() {
    close();
}

void TFormMain::About1Click() {
    SplashMode = false;
    platform::modal().showModal(*forms().AboutForm);
}

void TFormMain::Help2Click() {
    platform::help().topic("contents");
}

// ---- record maintenance -------------------------------------------------------------------

void TFormMain::BtnIncomeClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TableSession session({"INC5", "FOLDER", "ACCI"});
    PickThenEdit(IncomeChoice, *forms().PickInc, *forms().Income);
}

void TFormMain::BtnExpenseClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TableSession session({"EXP5", "FOLDER", "ACC"});
    PickThenEdit(ExpenseChoice, *forms().PickExp, *forms().Expense);
}

void TFormMain::BtnFoldersClick() {
    if (RefusedOnReadOnlyBooks()) return;
    {
        TableSession session({"FOLDER"});
        PickThenEdit(FolderChoice, *forms().PickFol, *forms().FolderF);
    }
    FolderListStale = true;
    update();
    RecordsChanged();
}

void TFormMain::BtnAccountEClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TableSession session({"ACC"});
    AccountKind = 'E';
    PickThenEdit(ExpAccountChoice, *forms().PickAcc, *forms().Account);
    RecordsChanged();
}

void TFormMain::BtnAccountIClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TableSession session({"ACCI"});
    AccountKind = 'I';
    PickThenEdit(IncAccountChoice, *forms().PickAcc, *forms().Account);
    RecordsChanged();
}

void TFormMain::BtnRateChangeClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TableSession session({"ACC", "EXP5"});
    platform::modal().showModal(*forms().RateChange);
    RecordsChanged();
}

void TFormMain::BtnImportClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TableSession session({"INC5", "FOLDER", "ACCI"});
    platform::modal().showModal(*forms().PmtImport);
    RecordsChanged();
}

// The statement import opens and closes the tables it needs itself.
void TFormMain::BtnStatementClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TStatementImport form(this);
    form.Run();
    RecordsChanged();
}

void TFormMain::BtnSchedulesClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TableSession session({"ACC", "ACCI", "FOLDER"});
    TSchedules form(this);
    if (form.Load()) platform::modal().showModal(form);
}

void TFormMain::BtnDueClick() {
    if (RefusedOnReadOnlyBooks()) return;
    ShowDue(true);
}

void TFormMain::ShowDue(bool asked) {
    // Books without schedules open no table for the list.
    const records::StoredSchedules stored = records::LoadSchedules();
    if (stored.error.empty() && stored.schedules.empty()) {
        if (asked) ShowInformation("Nothing scheduled has fallen due.");
        return;
    }
    TableSession session({"EXP5", "INC5", "ACC", "ACCI", "FOLDER"});
    TDueList form(this);
    if (!form.Load()) {
        if (!form.Problem.empty())
            platform::messages().show(platform::MessageKind::Warning, form.Problem,
                                      platform::Buttons::OK);
        else if (asked)
            ShowInformation("Nothing scheduled has fallen due.");
        return;
    }
    platform::modal().showModal(form);
    // The records entered are remembered as the forms' own saves are.
    for (const TDueList::EnteredRecord& r : form.Entered) {
        const bool expense = r.schedule.kind == records::ScheduleKind::Expense;
        PayeeCompleter* payees = expense ? forms().Expense->Payees : forms().Income->Payees;
        payees->Stored(r.recNo, nullptr, r.schedule.payee,
                       {records::DateNumber(r.date), std::uint32_t(r.recNo), r.schedule.accNo,
                        r.schedule.folNo, r.amount});
    }
}

void TFormMain::RecordsChanged() {
    forms().Expense->Payees->Forget();
    forms().Income->Payees->Forget();
}

void TFormMain::BtnBankClick() {
    PopupAtCursor(PopupBank);
}

// ---- reports ------------------------------------------------------------------------------

void TFormMain::PopupAtCursor(QMenu* menu) {
    menu->popup(QCursor::pos());
}

void TFormMain::BtnExpRptClick() {
    PopupAtCursor(PopupMenu1);
}
void TFormMain::BtnIncRptClick() {
    PopupAtCursor(PopupMenu2);
}
void TFormMain::BtnProfRptClick() {
    PopupAtCursor(PopupMenu3);
}

namespace {

// The account pick list of the account details, in the kind asked; its choice.
long PickReportAccount(char accountKind) {
    AccountKind = accountKind;
    platform::modal().showModal(*forms().PickAcc);
    return AccountKind == 'I' ? IncAccountChoice : ExpAccountChoice;
}

}  // namespace

// The request carries the run's period and fiscal year start and the page length the report
// font gives on the chosen printer; the runner opens the tables and chooses the folders and
// the account.
void TFormMain::RunReport(reports::ReportKind report) {
    platform::Printing& printing = platform::printing();
    reports::RunReport(
        report,
        reports::RunRequest(reports::LinesPerPage(
            {printing.printerInstalled(), printing.pageHeight(), printing.lineHeight(ReportFont)})),
        reports::ReportSeams{[] { return forms().MultFol->Choose(); },
                             [](const reports::Document& doc) { forms().ReportF->View(doc); },
                             PickReportAccount});
}

void TFormMain::BtnGLRptClick() {
    RunReport(reports::ReportKind::GeneralLedger);
}

void TFormMain::ExpenseSummary1Click() {
    RunReport(reports::ReportKind::ExpenseSummary);
}

void TFormMain::ExpenseDetail1Click() {
    RunReport(reports::ReportKind::ExpenseDetail);
}

void TFormMain::AccountDetail1Click() {
    RunReport(reports::ReportKind::ExpenseAccountDetail);
}

void TFormMain::ChartofAccounts1Click() {
    RunReport(reports::ReportKind::ExpenseChart);
}

void TFormMain::IncomeSummary1Click() {
    RunReport(reports::ReportKind::IncomeSummary);
}

void TFormMain::IncomeDetail1Click() {
    RunReport(reports::ReportKind::IncomeDetail);
}

void TFormMain::AccountDetail2Click() {
    RunReport(reports::ReportKind::IncomeAccountDetail);
}

void TFormMain::ChartofAccounts2Click() {
    RunReport(reports::ReportKind::IncomeChart);
}

void TFormMain::WeeklyProfit1Click() {
    RunReport(reports::ReportKind::WeeklyProfit);
}

void TFormMain::MonthlyProfit1Click() {
    RunReport(reports::ReportKind::MonthlyProfit);
}

// ---- file maintenance ---------------------------------------------------------------------

// Backup, restore and upgrade first let the user choose a directory; an empty choice is a
// cancel and nothing is copied, converted or rebuilt.
void TFormMain::BtnBackupClick() {
    TDriveDir& chooser = *forms().DriveDir;
    chooser.Setup("Choose Backup Drive & Directory", "Backup");
    platform::modal().showModal(chooser);
    repaint();
    const std::string dir = chooser.ChosenDirectory;
    if (dir.empty()) return;
    for (const std::string& told : maintenance::CopyCommand(true, dir)) ShowInformation(told);
}

void TFormMain::BtnRestoreClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TDriveDir& chooser = *forms().DriveDir;
    chooser.Setup("Choose Drive & Directory Containing BACKUP", "Restore", {},
                  maintenance::AutomaticBackups(maintenance::AutoBackupFolder()));
    platform::modal().showModal(chooser);
    const std::string dir = chooser.ChosenDirectory;
    if (dir.empty()) return;
    repaint();
    for (const std::string& told : maintenance::CopyCommand(false, dir)) ShowInformation(told);
    maintenance::FinishRestore();
    update();
    RecordsChanged();
}

void TFormMain::BtnUpgradeClick() {
    if (RefusedOnReadOnlyBooks()) return;
    TDriveDir& chooser = *forms().DriveDir;
    chooser.Setup(std::string(maintenance::kUpgradeTitle), std::string(maintenance::kUpgradeAction),
                  maintenance::PreselectedOldData(maintenance::OldDataPlaces()));
    platform::modal().showModal(chooser);
    if (chooser.ChosenDirectory.empty()) return;
    repaint();
    maintenance::SafetyBackup safety;
    const maintenance::UpgradeOutcome outcome =
        maintenance::ConvertOldData(chooser.ChosenDirectory, std::ref(safety));
    if (!outcome.why.empty()) ShowInformation(outcome.why);
    if (outcome && !safety.folder().empty()) ShowInformation(safety.KeptSentence());
    maintenance::FinishUpgrade(maintenance::CurrentSafeguards().keepDeleted);
    repaint();
    RecordsChanged();
}

void TFormMain::BtnArchiveClick() {
    if (RefusedOnReadOnlyBooks()) return;
    forms().Archive->ArchiveMode = true;
    platform::modal().showModal(*forms().Archive);
}

void TFormMain::BtnDeArchiveClick() {
    if (RefusedOnReadOnlyBooks()) return;
    forms().Archive->ArchiveMode = false;
    platform::modal().showModal(*forms().Archive);
}

void TFormMain::BtnReIndexClick() {
    if (RefusedOnReadOnlyBooks()) return;
    BuildIndexes(false);
}

void TFormMain::Image2Click() {
    if (RefusedOnReadOnlyBooks()) return;
    ShowInformation(maintenance::PackCommand(maintenance::CurrentSafeguards().keepDeleted));
    RecordsChanged();
}

void TFormMain::BtnRecoverClick() {
    if (RefusedOnReadOnlyBooks()) return;
    platform::modal().showModal(*forms().Recover);
    CloseAllTables();
    RecordsChanged();
}

void TFormMain::BtnEraseDataClick() {
    if (RefusedOnReadOnlyBooks()) return;
    maintenance::SafetyBackup safety;
    const maintenance::EraseOutcome erased =
        maintenance::EraseData(maintenance::CurrentSafeguards().keepDeleted, std::ref(safety));
    if (erased.any() && !safety.folder().empty()) ShowInformation(safety.KeptSentence());
    FolderListStale = true;
    repaint();
    RecordsChanged();
}

void TFormMain::paintEvent(QPaintEvent* event) {
    QMainWindow::paintEvent(event);
    if (started_ && !SplashMode) FormPaint();
}

}  // namespace cbk
