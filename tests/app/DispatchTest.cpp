// The main window's commands: the tables each opens, the forms it runs, and that no table is
// left open afterwards.

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <cstdlib>
#include <functional>
#include <set>

#include "GuiFixture.h"
#include "books/EnterBooks.h"
#include "maintenance/forms/ArchiveU.h"
#include "maintenance/forms/DriveDirU.h"
#include "widgets/MaskEdit.h"

namespace cbk::testing {
namespace {

using Tables = std::set<std::string>;

Tables openTables() {
    Tables open;
    if (Accounts) open.insert("ACC");
    if (IncomeAccounts) open.insert("ACCI");
    if (Folders) open.insert("FOLDER");
    if (Expenses) open.insert("EXP5");
    if (Income) open.insert("INC5");
    if (SettingsTable) open.insert("CBK1");
    return open;
}

class Dispatch : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        startUp();
        platform_->modal.showLimit = 20;
    }

    // Every form shown leaves its loop at once and notes which tables were open meanwhile.
    void recordTablesWhileShown(const std::vector<std::string>& names) {
        for (const std::string& name : names)
            platform_->modal.onShow(name, [this, name](platform::ModalForm&) {
                seen_[name] = openTables();
                FolderChoice = ExpenseChoice = IncomeChoice = -1;
                ExpAccountChoice = IncAccountChoice = -1;
                return platform::mrCancel;
            });
    }

    std::map<std::string, Tables> seen_;
};

struct LoopCase {
    const char* name;
    void (TFormMain::*handler)();
    const char* pick;
    const char* edit;
    Tables tables;
};

// Books whose folder cannot be written, started read-only.
class ReadOnlyBooks : public FormTest {
protected:
    void SetUp() override {
        FormTest::SetUp();
        if (HasFatalFailure()) return;
        StartDataStore();  // the index files, as books that were in use have them
        ShutDownDataStore(false);
        SetReadOnlyBooks(dataDir().string());
        main().ShowBooks(dataDir().string(), "The books in ... cannot be changed there");
        startUp();
        platform_->messages.clear();
    }
    void TearDown() override {
        FormTest::TearDown();
        SetReadOnlyBooks("");
    }
};

TEST_F(ReadOnlyBooks, EveryChangingCommandIsRefusedBeforeItOpensAnything) {
    void (TFormMain::*const changing[])() = {
        &TFormMain::BtnIncomeClick,   &TFormMain::BtnExpenseClick,   &TFormMain::BtnFoldersClick,
        &TFormMain::BtnAccountEClick, &TFormMain::BtnAccountIClick,  &TFormMain::BtnRateChangeClick,
        &TFormMain::BtnImportClick,   &TFormMain::BtnStatementClick, &TFormMain::BtnRestoreClick,
        &TFormMain::BtnUpgradeClick,  &TFormMain::BtnArchiveClick,   &TFormMain::BtnDeArchiveClick,
        &TFormMain::BtnReIndexClick,  &TFormMain::Image2Click,       &TFormMain::BtnRecoverClick,
        &TFormMain::BtnEraseDataClick};
    int n = 0;
    for (auto handler : changing) {
        SCOPED_TRACE(n++);
        platform_->messages.clear();
        platform_->modal.shown.clear();
        (main().*handler)();
        EXPECT_EQ(platform_->messages.texts(), std::vector<std::string>{books::kReadOnlyBooks});
        EXPECT_TRUE(platform_->modal.shown.empty());
        EXPECT_FALSE(anyTableOpen());
    }
    // What the settings record holds is shown and cannot be changed; the status bar says why.
    EXPECT_TRUE(main().MaskEdit3->isReadOnly());
    EXPECT_TRUE(main().EditCompany->isReadOnly());
    EXPECT_FALSE(main().BtnFont->isEnabled());
    EXPECT_FALSE(main().LabelReadOnly->isHidden());
    main().PageControl1->setCurrentIndex(2);
    main().resize(760, 480);
    QApplication::processEvents();
    if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
        main().grab().save(QString::fromLocal8Bit(dir) + "/main-read-only-books.png");
}

TEST_F(Dispatch, RecordCommandsOpenTheirTablesForThePickListAndCloseAll) {
    const LoopCase cases[] = {
        {"Income", &TFormMain::BtnIncomeClick, "TPickInc", "TIncome", {"INC5", "FOLDER", "ACCI"}},
        {"Expenses",
         &TFormMain::BtnExpenseClick,
         "TPickExp",
         "TExpense",
         {"EXP5", "FOLDER", "ACC"}},
        {"Folders", &TFormMain::BtnFoldersClick, "TPickFol", "TFolderF", {"FOLDER"}},
        {"Accounts E", &TFormMain::BtnAccountEClick, "TPickAcc", "TAccount", {"ACC"}},
        {"Accounts I", &TFormMain::BtnAccountIClick, "TPickAcc", "TAccount", {"ACCI"}},
    };
    for (const LoopCase& c : cases) {
        seen_.clear();
        platform_->modal.shown.clear();
        recordTablesWhileShown({c.pick});
        (main().*c.handler)();
        EXPECT_EQ(seen_[c.pick], c.tables) << c.name;
        EXPECT_EQ(platform_->modal.shown, std::vector<std::string>{c.pick}) << c.name;
        EXPECT_FALSE(anyTableOpen()) << c.name;
    }
}

TEST_F(Dispatch, AccountCommandsSetTheAccountKind) {
    recordTablesWhileShown({"TPickAcc"});
    char kindSeen = 0;
    platform_->modal.once("TPickAcc", [&](platform::ModalForm&) {
        kindSeen = AccountKind;
        ExpAccountChoice = IncAccountChoice = -1;
        return platform::mrCancel;
    });
    main().BtnAccountIClick();
    EXPECT_EQ(kindSeen, 'I');
    platform_->modal.once("TPickAcc", [&](platform::ModalForm&) {
        kindSeen = AccountKind;
        ExpAccountChoice = IncAccountChoice = -1;
        return platform::mrCancel;
    });
    main().BtnAccountEClick();
    EXPECT_EQ(kindSeen, 'E');
}

TEST_F(Dispatch, PickThenEditLoopRunsUntilExit) {
    // New, then a chosen record, then Exit.
    platform_->modal.once("TPickExp", [](platform::ModalForm&) {
        ExpenseChoice = 0;
        return platform::mrOk;
    });
    platform_->modal.once("TPickExp", [](platform::ModalForm&) {
        ExpenseChoice = 3;
        return platform::mrOk;
    });
    platform_->modal.once("TPickExp", [](platform::ModalForm&) {
        ExpenseChoice = -1;
        return platform::mrOk;
    });
    std::vector<std::int32_t> choicesAtEdit;
    platform_->modal.onShow("TExpense", [&](platform::ModalForm&) {
        choicesAtEdit.push_back(ExpenseChoice);
        return platform::mrCancel;
    });
    ExpenseChoice = 42;
    main().BtnExpenseClick();
    EXPECT_EQ(platform_->modal.shown, (std::vector<std::string>{"TPickExp", "TExpense", "TPickExp",
                                                                "TExpense", "TPickExp"}));
    EXPECT_EQ(choicesAtEdit, (std::vector<std::int32_t>{0, 3}));
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(Dispatch, FolderCommandMakesTheFolderListStale) {
    main().FormPaint();
    ASSERT_FALSE(FolderListStale);
    recordTablesWhileShown({"TPickFol"});
    main().BtnFoldersClick();
    // The repaint it asks for refills the list; until then it is marked stale.
    EXPECT_TRUE(FolderListStale);
}

TEST_F(Dispatch, FormCommandsOpenTheirTables) {
    recordTablesWhileShown({"TRateChange", "TPmtImport"});
    main().BtnRateChangeClick();
    EXPECT_EQ(seen_["TRateChange"], (Tables{"ACC", "EXP5"}));
    EXPECT_FALSE(anyTableOpen());
    main().BtnImportClick();
    EXPECT_EQ(seen_["TPmtImport"], (Tables{"INC5", "FOLDER", "ACCI"}));
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(Dispatch, ReportCommandsShowTheirFirstFormAndCloseAll) {
    // Each menu item runs its own report: its first form is the account list of its chart,
    // else the folder dialog (the charts, which choose no folders, their viewer). The tables
    // each report opens are the report runner's.
    struct ReportCase {
        std::function<void()> command;
        const char* name;
        const char* firstForm;
        const char* kind;  // AccountKind afterwards, or nullptr
    };
    TFormMain& m = main();
    auto menu = [](QAction* action) { return [action] { action->trigger(); }; };
    const ReportCase cases[] = {
        {menu(m.ExpenseSummary1), "ExpenseSummary1", "TMultFol", nullptr},
        {menu(m.ExpenseDetail1), "ExpenseDetail1", "TMultFol", nullptr},
        {menu(m.AccountDetail1), "AccountDetail1", "TPickAcc", "E"},
        {menu(m.ChartofAccounts1), "ChartofAccounts1", "TReportF", nullptr},
        {menu(m.IncomeSummary1), "IncomeSummary1", "TMultFol", nullptr},
        {menu(m.IncomeDetail1), "IncomeDetail1", "TMultFol", nullptr},
        {menu(m.AccountDetail2), "AccountDetail2", "TPickAcc", "I"},
        {menu(m.ChartofAccounts2), "ChartofAccounts2", "TReportF", nullptr},
        {menu(m.WeeklyProfit1), "WeeklyProfit1", "TMultFol", nullptr},
        {menu(m.MonthlyProfit1), "MonthlyProfit1", "TMultFol", nullptr},
        {[&m] { m.BtnGLRptClick(); }, "BtnGLRpt", "TMultFol", nullptr},
    };
    for (const ReportCase& c : cases) {
        platform_->modal.shown.clear();
        AccountKind = c.kind && c.kind[0] == 'E' ? 'I' : 'E';
        c.command();
        EXPECT_EQ(platform_->modal.shown, std::vector<std::string>{c.firstForm}) << c.name;
        if (c.kind) {
            EXPECT_EQ(AccountKind, c.kind[0]);
        }
        EXPECT_FALSE(anyTableOpen()) << c.name;
    }
}

TEST_F(Dispatch, PopupMenusHoldTheirItems) {
    auto texts = [](QMenu* menu) {
        QStringList t;
        for (QAction* a : menu->actions()) t << a->text();
        return t;
    };
    EXPECT_EQ(texts(main().PopupMenu1), (QStringList{"Expense &Summary", "Expense &Detail",
                                                     "&Account Detail", "&Chart of Accounts"}));
    EXPECT_EQ(texts(main().PopupMenu2), (QStringList{"Income &Summary", "Income &Detail",
                                                     "&Account Detail", "&Chart of Accounts"}));
    EXPECT_EQ(texts(main().PopupMenu3), (QStringList{"&Weekly Profit", "&Monthly Profit"}));
}

TEST_F(Dispatch, ArchiveButtonsSetTheModeAndShowTheForm) {
    bool modeSeen = false;
    platform_->modal.onShow("TArchive", [&](platform::ModalForm& form) {
        modeSeen = dynamic_cast<TArchive&>(form).ArchiveMode;
        return platform::mrCancel;
    });
    main().BtnArchiveClick();
    EXPECT_TRUE(modeSeen);
    main().BtnDeArchiveClick();
    EXPECT_FALSE(modeSeen);
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(Dispatch, ChooserIsTitledPerCommandAndCancelDoesNothing) {
    std::vector<std::pair<std::string, std::string>> seen;
    platform_->modal.onShow("TDriveDir", [&](platform::ModalForm& form) {
        auto& chooser = dynamic_cast<TDriveDir&>(form);
        seen.emplace_back(chooser.windowTitle().toStdString(), chooser.ActionCaption);
        return platform::mrCancel;
    });
    main().BtnBackupClick();
    main().BtnRestoreClick();
    main().BtnUpgradeClick();
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"Choose Backup Drive & Directory", "Backup"},
        {"Choose Drive & Directory Containing BACKUP", "Restore"},
        {"Choose Drive & Directory Containing Old DKR Data", "Upgrade"}};
    EXPECT_EQ(seen, expected);
    EXPECT_TRUE(platform_->files.dirChanges.empty());
    EXPECT_TRUE(platform_->progress.calls.empty());
}

TEST_F(Dispatch, ReIndexRebuildsEveryIndexWithProgress) {
    main().BtnReIndexClick();
    ASSERT_FALSE(platform_->progress.calls.empty());
    EXPECT_EQ(platform_->progress.calls.front().title, "Rebuilding Indexes");
    EXPECT_EQ(platform_->progress.percents(), (std::vector<int>{20, 35, 45, 50, 80, 100}));
    EXPECT_FALSE(platform_->progress.visible);
    EXPECT_FALSE(anyTableOpen());
}

TEST_F(Dispatch, HelpButtonsAndMenuOpenTheirTopics) {
    main().BitBtn1->click();
    main().BitBtn3->click();
    main().BitBtn4->click();
    main().BitBtn5->click();
    main().Help2Click();
    const std::vector<platform::HelpCall> expected = {
        {platform::HelpCall::Context, 500, ""},     {platform::HelpCall::Context, 600, ""},
        {platform::HelpCall::Context, 300, ""},     {platform::HelpCall::Context, 400, ""},
        {platform::HelpCall::Topic, 0, "contents"},
    };
    EXPECT_EQ(platform_->help.calls, expected);
}

}  // namespace
}  // namespace cbk::testing
