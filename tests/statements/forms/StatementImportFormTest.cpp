// The statement import through its windows, from the main window's button: an OFX statement
// imported and imported again, and a CSV statement through the column mapping. The readers,
// proposals and the write are tested in tests/statements.

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "RecordFormFixture.h"
#include "statements/MappingStore.h"
#include "statements/forms/CsvMappingU.h"
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
        for (const char* name : {"first-national.ofx", "first-national.csv"})
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

    // Gives every line without an account the first account of its kind, as a user would
    // line by line, then presses Import.
    static void giveAccountsAndImport(TStatementImport& form) {
        for (int row = 0; row < static_cast<int>(form.Lines.size()); ++row) {
            if (form.Lines[row].account != 0) continue;
            form.Grid->selectRow(row);
            form.AccountBox->setCurrentIndex(0);
            form.BtnApply->click();
        }
        form.BtnImport->click();
    }

    long count(bool expenses) {
        expenses ? OpenExpenses() : OpenIncome();
        const long n = engine::d4recCount(expenses ? Expenses : Income);
        CloseAllTables();
        return n;
    }
};

TEST_F(StatementImportForm, OfxImportedThenCaughtAsDuplicateOnTheSecondImport) {
    const long expenses = count(true), income = count(false);
    chooseFile("first-national.ofx");
    onNext<TStatementImport>("TStatementImport", [](TStatementImport& form) {
        ASSERT_EQ(form.Lines.size(), 3u);
        EXPECT_EQ(form.Label1->text().toStdString(),
                  "first-national.ofx: 3 lines, 0 probable duplicates, 0 cannot be read");
        // Without an account a ticked line cannot be imported.
        form.BtnImport->click();
        EXPECT_EQ(form.result(), 0);
        giveAccountsAndImport(form);
    });
    main().BtnStatement->click();
    EXPECT_EQ(texts(), std::vector<std::string>(
                           {"3 ticked lines have no account (the first is line 1, Harbor Office "
                            "Supply): choose one for each, or untick them.",
                            "2 expenses and 1 income record were added; 0 lines were skipped. "
                            "Income records have no memo: the memo of 1 income line was not "
                            "kept."}));
    EXPECT_EQ(count(true), expenses + 2);
    EXPECT_EQ(count(false), income + 1);
    EXPECT_FALSE(anyTableOpen());

    platform_->messages.clear();
    chooseFile("first-national.ofx");
    onNext<TStatementImport>("TStatementImport", [](TStatementImport& form) {
        for (const auto& line : form.Lines) {
            EXPECT_EQ(line.state, statements::LineState::Duplicate);
            EXPECT_FALSE(line.chosen);
            EXPECT_NE(line.account, 0);  // proposed from the records of the first import
        }
        form.resize(1100, 260);
        form.show();
        QApplication::processEvents();
        if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
            form.grab().save(QString::fromLocal8Bit(dir) + "/statement-preview.png");
        form.hide();
        form.BtnImport->click();
    });
    main().BtnStatement->click();
    EXPECT_EQ(texts(), std::vector<std::string>(
                           {"0 expenses and 0 income records were added; 3 lines were skipped."}));
    EXPECT_EQ(count(true), expenses + 2);
}

TEST_F(StatementImportForm, CsvGoesThroughTheMappingWhichIsRemembered) {
    chooseFile("first-national.csv");
    onNext<TCsvMapping>("TCsvMapping", [](TCsvMapping& mapping) {
        EXPECT_EQ(mapping.PayeeColumn->currentText().toStdString(), "Description");
        mapping.BtnOK->click();
    });
    onNext<TStatementImport>("TStatementImport", [](TStatementImport& form) {
        ASSERT_EQ(form.Lines.size(), 3u);
        EXPECT_EQ(form.Lines[0].line.payee, "Harbor Office Supply, Inc.");
        form.Lines[2].chosen = false;
        giveAccountsAndImport(form);
    });
    main().BtnStatement->click();
    EXPECT_EQ(texts(), std::vector<std::string>(
                           {"1 expense and 1 income record were added; 1 line was skipped. "
                            "Income records have no memo: the memo of 1 income line was not "
                            "kept."}));
    const auto remembered = statements::RememberedMapping(
        statements::MappingFilePath(), "Date,Description,Amount,Check Number,Memo");
    ASSERT_TRUE(remembered.has_value());
    EXPECT_EQ(remembered->check, 3);
}

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
    EXPECT_EQ(texts(), std::vector<std::string>(
                           {"checking.csv, line 6: '02/30/2026' is not a date.\r\nThese lines "
                            "cannot be imported; the others can.",
                            "Line 2 (Lakeside Catering Co) has no account. Import the other "
                            "lines and leave it out?",
                            "Line 2 (Lakeside Catering Co) has no account. Import the other "
                            "lines and leave it out?",
                            "1 expense and 0 income records was added; 2 lines were skipped."}));
}

}  // namespace
}  // namespace cbk::testing
