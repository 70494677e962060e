// A user's whole run through the record maintenance windows: folders, both charts of
// accounts, an expense and an income record added and edited, a folder renumbered and merged,
// an account and an expense deleted, the program closed and started again on packed,
// consistent tables.

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <set>

#include "RecordFormFixture.h"
#include "records/forms/AccountU.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FolderU.h"
#include "records/forms/FormParts.h"
#include "records/forms/IncomeU.h"
#include "records/forms/PickAccU.h"
#include "records/forms/PickExpU.h"
#include "records/forms/PickFolU.h"
#include "records/forms/PickIncU.h"

namespace cbk::testing {
namespace {

using platform::Answer;

class RecordMaintenanceRun : public FormTest {
protected:
    template <class Form>
    void onNext(const std::string& name, std::function<void(Form&)> step) {
        platform_->modal.once(name, [step](platform::ModalForm& shown) {
            auto& form = dynamic_cast<Form&>(shown);
            form.setResult(0);
            step(form);
            return form.result();
        });
    }

    // Selects the row whose first column reads `first` (a folder or account number).
    static void pickNumber(PickList& list, const QString& first) {
        for (int row = 1; row < list.rowCount(); ++row) {
            if (list.cell(0, row) == first) {
                list.StringGrid1->setCurrentCell(row - 1, 0);
                list.StringGrid1DblClick();
                return;
            }
        }
        ADD_FAILURE() << "no row " << first.toStdString();
        list.setResult(QDialog::Rejected);
    }

    static void chooseEntry(ChoiceBox* box, const char* numberText) {
        const int index = box->findText(QString::fromLatin1(numberText), Qt::MatchStartsWith);
        ASSERT_GE(index, 0) << numberText;
        box->setCurrentIndex(index);
    }

    // The pick list's RecNo on its current row.
    static long selectedRecNo(PickList& list) {
        return list.cell(list.StringGrid1->columnCount() - 1, list.currentRow()).toLong();
    }

    // One folder loop: pick the folder numbered `number` (0 = New), then edit it.
    void folderPass(const char* number, std::function<void(TFolderF&)> edit) {
        onNext<TPickFol>("TPickFol", [number](TPickFol& l) {
            l.FormShow();
            if (std::string(number) == "0")
                l.BtnNewClick();
            else
                pickNumber(l, QString::fromLatin1(number));
        });
        onNext<TFolderF>("TFolderF", [edit](TFolderF& f) {
            f.FormShow();
            edit(f);
        });
    }
    void folderExit() {
        onNext<TPickFol>("TPickFol", [](TPickFol& l) {
            l.FormShow();
            l.BtnExitClick();
        });
    }
    void accountPass(const char* number, std::function<void(TAccount&)> edit) {
        onNext<TPickAcc>("TPickAcc", [number](TPickAcc& l) {
            l.FormShow();
            if (std::string(number) == "0")
                l.BtnNewClick();
            else
                pickNumber(l, QString::fromLatin1(number));
        });
        onNext<TAccount>("TAccount", [edit](TAccount& f) {
            f.FormShow();
            edit(f);
        });
        onNext<TPickAcc>("TPickAcc", [](TPickAcc& l) {
            l.FormShow();
            l.BtnExitClick();
        });
    }

    // Every record of the five tables in record order is live, and every expense and income
    // names a live account of its chart and a live folder; the engine's checks agree.
    void expectPackedAndConsistent() {
        std::map<std::string, std::set<int>> numbers;
        for (const auto& [table, field] : std::vector<std::pair<std::string, std::string>>{
                 {"FOLDER", "FolNo"}, {"ACC", "AccNo"}, {"ACCI", "AccNo"}}) {
            engine::Data4* t = engine::d4open(cb, table);
            ASSERT_NE(t, nullptr);
            engine::d4tagSelect(t, nullptr);
            for (int rc = engine::d4top(t); rc == 0; rc = engine::d4skip(t, 1)) {
                EXPECT_FALSE(engine::d4deleted(t)) << table << " " << engine::d4recNo(t);
                numbers[table].insert(engine::f4int(engine::d4field(t, field)));
            }
            std::string report;
            EXPECT_EQ(engine::d4check(t, &report), 0) << table << report;
            engine::d4close(t);
        }
        for (const auto& [table, accField, chart] :
             std::vector<std::tuple<std::string, std::string, std::string>>{
                 {"EXP5", "AccNo", "ACC"}, {"INC5", "IncAcc", "ACCI"}}) {
            engine::Data4* t = engine::d4open(cb, table);
            ASSERT_NE(t, nullptr);
            engine::d4tagSelect(t, nullptr);
            for (int rc = engine::d4top(t); rc == 0; rc = engine::d4skip(t, 1)) {
                EXPECT_FALSE(engine::d4deleted(t)) << table << " " << engine::d4recNo(t);
                EXPECT_TRUE(numbers[chart].count(engine::f4int(engine::d4field(t, accField))))
                    << table << " " << engine::d4recNo(t);
                EXPECT_TRUE(numbers["FOLDER"].count(engine::f4int(engine::d4field(t, "FolNo"))))
                    << table << " " << engine::d4recNo(t);
            }
            std::string report;
            EXPECT_EQ(engine::d4check(t, &report), 0) << table << report;
            engine::d4close(t);
        }
        EXPECT_EQ(numbers["FOLDER"], (std::set<int>{1, 2, 3, 4, 5}));
        EXPECT_TRUE(numbers["ACC"].count(400));
        EXPECT_FALSE(numbers["ACCI"].count(60));
    }
};

TEST_F(RecordMaintenanceRun, AddEditRenumberMergeDeleteThenCloseAndFindThePackedBooks) {
    startUp();
    DefaultFolder = -1;

    // A new folder, which takes the first free number, 6.
    folderPass("0", [](TFolderF& f) {
        EXPECT_EQ(f.MaskEdit1->text(), "   6");
        f.Edit1->setText("Lake House");
        f.BtnSaveClick();  // "Add another folder?" answered No below
    });
    platform_->messages.answer(Answer::No);
    folderExit();
    main().BtnFoldersClick();
    EXPECT_FALSE(anyTableOpen());
    EXPECT_TRUE(FolderListStale);

    // An account of each chart.
    platform_->messages.answer(Answer::No);
    accountPass("0", [](TAccount& f) {
        f.MaskEdit1->setText(" 400");
        f.Edit1->setText("Drywall");
        f.BtnSaveClick();
    });
    main().BtnAccountEClick();
    platform_->messages.answer(Answer::No);
    accountPass("0", [](TAccount& f) {
        EXPECT_EQ(f.CheckBox1->text(), "Taxable");
        f.MaskEdit1->setText("  60");
        f.Edit1->setText("Consulting");
        f.BtnSaveClick();
    });
    main().BtnAccountIClick();

    // An expense: added, found again selected in the list, edited.
    long expense = 0;
    onNext<TPickExp>("TPickExp", [](TPickExp& l) {
        l.FormShow();
        l.BtnNewClick();
    });
    onNext<TExpense>("TExpense", [&](TExpense& f) {
        f.FormShow();
        f.MaskEdit1->setText("    2040");
        f.Edit1->setText("Riverton Lumber");
        f.MaskEdit3->setText("   312.40");
        chooseEntry(f.ComboBox1, " 400");
        chooseEntry(f.ComboBox2, "   6");
        platform_->messages.answer(Answer::No);
        f.BtnSaveClick();
        expense = ExpenseChoice;
    });
    onNext<TPickExp>("TPickExp", [&](TPickExp& l) {
        l.FormShow();
        EXPECT_EQ(selectedRecNo(l), expense);  // the list reopens on the expense just saved
        l.BtnSelectClick();
    });
    onNext<TExpense>("TExpense", [](TExpense& f) {
        f.FormShow();
        EXPECT_EQ(f.Edit1->text(), "Riverton Lumber");
        f.MaskEdit3->setText("   321.40");
        f.BtnSaveClick();
    });
    onNext<TPickExp>("TPickExp", [](TPickExp& l) {
        l.FormShow();
        l.BtnExitClick();
    });
    main().BtnExpenseClick();
    ASSERT_GT(expense, 0);

    // An income record in folder 6 under the new income account.
    onNext<TPickInc>("TPickInc", [](TPickInc& l) {
        l.FormShow();
        l.Button2Click();
    });
    onNext<TIncome>("TIncome", [this](TIncome& f) {
        f.FormShow();
        f.MaskEdit2->setText("   500.00");
        f.Edit1->setText("Advice");
        chooseEntry(f.ComboBox1, "  60");
        chooseEntry(f.ComboBox2, "   6");
        platform_->messages.answer(Answer::No);
        f.BtnSaveClick();
    });
    onNext<TPickInc>("TPickInc", [](TPickInc& l) {
        l.FormShow();
        l.Button3Click();
    });
    main().BtnIncomeClick();

    // Folder 6 renumbered to the free 9, then merged into 2.
    folderPass("6", [](TFolderF& f) {
        f.MaskEdit1->setText("   9");
        f.BtnSaveClick();
    });
    folderPass("9", [](TFolderF& f) {
        f.MaskEdit1->setText("   2");
        f.Edit1->setText("Duplex and Lake House");
        f.BtnSaveClick();
    });
    folderExit();
    main().BtnFoldersClick();
    EXPECT_TRUE(PackOnExit);

    // The income account goes with its income; one old expense goes on its own.
    platform_->messages.answer(Answer::Yes);
    accountPass("60", [](TAccount& f) { f.BtnDeleteClick(); });
    main().BtnAccountIClick();
    onNext<TPickExp>("TPickExp", [](TPickExp& l) {
        l.FormShow();
        l.StringGrid1->setCurrentCell(0, 0);
        l.BtnSelectClick();
    });
    onNext<TExpense>("TExpense", [](TExpense& f) {
        f.FormShow();
        f.BtnDeleteClick();
    });
    onNext<TPickExp>("TPickExp", [](TPickExp& l) {
        l.FormShow();
        EXPECT_EQ(l.currentRow(), l.rowCount() - 1);  // after a deletion: the last row
        l.BtnExitClick();
    });
    main().BtnExpenseClick();

    main().ShutDown();
    EXPECT_EQ(cb, nullptr);

    // Started again: packed, consistent, and the edits are there.
    StartDataStore();
    expectPackedAndConsistent();
    OpenExpenses();
    bool found = false;
    for (int rc = engine::d4top(Expenses); rc == 0; rc = engine::d4skip(Expenses, 1)) {
        LoadExpense();
        if (CurExpense.CheckNo != 2040) continue;
        found = true;
        EXPECT_EQ(CurExpense.AccNo, 400);
        EXPECT_EQ(CurExpense.FolNo, 2);
        EXPECT_DOUBLE_EQ(CurExpense.Amount, 321.40);
    }
    EXPECT_TRUE(found);
    OpenFolders();
    engine::d4seek(Folders, "   2");
    LoadFolder();
    EXPECT_EQ(CurFolder.FolName.substr(0, 21), "Duplex and Lake House");
}

}  // namespace
}  // namespace cbk::testing
