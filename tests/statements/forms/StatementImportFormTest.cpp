// The statement import through its windows, from the main window's button: a CSV statement
// through the column mapping and the preview to the write, and a rule made from a preview line
// and seen in the rules list. The session's steps, the readers, proposals, rules and the write
// are tested in tests/statements.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "RecordFormFixture.h"
#include "statements/forms/CsvMappingU.h"
#include "statements/forms/ImportRulesU.h"
#include "statements/forms/StmtImportU.h"
#include "widgets/FieldParts.h"

namespace cbk::testing {
namespace {

class StatementImportForm : public RecordFormTest {
protected:
    void SetUp() override {
        RecordFormTest::SetUp();
        if (HasFatalFailure()) return;
        ::setenv("XDG_CONFIG_HOME", (dataDir() / "config").c_str(), 1);
        for (const char* name : {"first-national.ofx"})
            std::filesystem::copy_file(
                std::string(CBK_SOURCE_DIR) + "/tests/data/statements/" + name, dataDir() / name);
    }
    void TearDown() override {
        ::unsetenv("XDG_CONFIG_HOME");
        RecordFormTest::TearDown();
    }

    void chooseFile(const char* name) {
        onNext<TStatementOpenDialog>("OpenDialog1", [this, name](TStatementOpenDialog& d) {
            d.FileName = (dataDir() / name).string();
            d.setResult(platform::mrOk);
        });
    }
};

// The preview says what a line lacks or loses: no account (and none chosen in the box), why a
// line cannot be read, an income memo that is not kept; Import names the lines without an
// account and leaves them out only when the user agrees.
TEST_F(StatementImportForm, PreviewShowsWhatLinesLackAndImportAsksAboutLinesWithoutAccount) {
    std::ofstream(dataDir() / "checking.csv")
        << "Account:,Business Checking\n\nDate,Description,Amount,Memo\n"
           "02/03/2026,Harbor Office Supply,-120.00,Check 1043\n"
           "02/10/2026,Lakeside Catering Co,2500.00,Invoice 311\n"
           "02/30/2026,City Water & Power,-64.37,\n";
    chooseFile("checking.csv");
    onNext<TCsvMapping>("TCsvMapping", [](TCsvMapping& mapping) {
        EXPECT_EQ(mapping.FirstLine->value(), 3);
        mapping.BtnOK->click();
    });
    onNext<TStatementImport>("TStatementImport", [this](TStatementImport& form) {
        ASSERT_EQ(form.Lines.size(), 3u);
        const QAbstractItemModel& model = *form.Grid->model();
        auto cell = [&model](int row, int column) {
            return model.data(model.index(row, column)).toString().toStdString();
        };
        EXPECT_EQ(cell(1, PreviewModel::Account), "(none)");
        EXPECT_EQ(cell(1, PreviewModel::Source), "none");
        EXPECT_EQ(cell(1, PreviewModel::Memo), "Invoice 311 (not kept)");
        EXPECT_EQ(cell(2, PreviewModel::State),
                  "cannot be read: line 6: '02/30/2026' is not a date.");
        form.Grid->selectRow(1);
        EXPECT_EQ(form.AccountBox->currentIndex(), -1);
        form.show();
        QApplication::processEvents();
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
            form.grab().save(QString::fromLocal8Bit(dir) + "/statement-no-account.png");
        form.hide();

        form.Grid->selectRow(0);
        form.AccountBox->setCurrentIndex(0);
        form.BtnApply->click();
        platform_->messages.answer(platform::Answer::No);
        form.BtnImport->click();
        EXPECT_EQ(form.result(), 0);
        EXPECT_TRUE(form.Lines[1].chosen);
        form.BtnImport->click();  // answered Yes
    });
    main().BtnStatement->click();
    // The questions' texts are the session's (tested below the form): here, that Import wrote.
    EXPECT_EQ(texts().back(), "1 expense and 0 income records was added; 2 lines were skipped.");
}

// "Always use this for payees like…" opens the rule prefilled from the line and the boxes; the
// rule is edited as typed, a bad pattern is refused, and once saved it proposes the line and
// shows in the rules list.
TEST_F(StatementImportForm, RuleMadeFromAPreviewLineProposesItAndShowsInTheRulesList) {
    chooseFile("first-national.ofx");
    onNext<TStatementImport>("TStatementImport", [this](TStatementImport& form) {
        form.Grid->selectRow(0);
        form.AccountBox->setCurrentIndex(14);  // 240 - Small Tools
        onNext<TImportRule>("TImportRule", [this](TImportRule& rule) {
            EXPECT_EQ(rule.PatternEdit->text().toStdString(), "Harbor Office Supply");
            EXPECT_EQ(rule.AccountBox->currentText().trimmed().toStdString(), "240 - Small Tools");
            rule.MatchBox->setCurrentIndex(2);
            rule.PatternEdit->clear();
            QTest::keyClicks(rule.PatternEdit, "^harbor (");
            rule.BtnOK->click();
            EXPECT_EQ(rule.result(), 0);
            ASSERT_EQ(texts().size(), 1u);
            EXPECT_EQ(texts()[0].rfind("\"^harbor (\" is not a regular expression", 0), 0u);
            QTest::keyClick(rule.PatternEdit, Qt::Key_Backspace);
            QTest::keyClick(rule.PatternEdit, Qt::Key_Backspace);
            rule.show();
            QApplication::processEvents();
            if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
                rule.grab().save(QString::fromLocal8Bit(dir) + "/statement-rule.png");
            rule.hide();
            rule.BtnOK->click();
        });
        form.BtnRuleFromLine->click();
        const QAbstractItemModel& model = *form.Grid->model();
        EXPECT_EQ(model.data(model.index(0, PreviewModel::Source)).toString().toStdString(),
                  "rule 1");
        EXPECT_EQ(form.Lines[0].account, 240);
        form.show();
        QApplication::processEvents();
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
            form.grab().save(QString::fromLocal8Bit(dir) + "/statement-preview.png");
        form.hide();

        onNext<TImportRules>("TImportRules", [](TImportRules& list) {
            ASSERT_EQ(list.RuleList->count(), 1);
            EXPECT_EQ(list.RuleList->item(0)->text().toStdString(),
                      "1. Payee matches \"^harbor\", expense -> 240 - Small Tools, folder 1 - "
                      "General");
            list.show();
            QApplication::processEvents();
            if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
                list.grab().save(QString::fromLocal8Bit(dir) + "/statement-rules.png");
            list.hide();
            list.BtnDelete->click();
            list.BtnOK->click();
        });
        form.BtnRules->click();
        EXPECT_EQ(model.data(model.index(0, PreviewModel::Source)).toString().toStdString(),
                  "none");
        form.BtnCancel->click();
    });
    main().BtnStatement->click();
    std::string error;
    EXPECT_TRUE(statements::LoadRules(error).empty());
}

}  // namespace
}  // namespace cbk::testing
