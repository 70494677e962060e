// The payment import form, through its handlers; the routine under it is tested in
// tests/maintenance.

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

#include "RecordFormFixture.h"
#include "maintenance/PaymentImport.h"
#include "maintenance/forms/DriveDirU.h"
#include "maintenance/forms/PmtImportU.h"
#include "rules/EntryRules.h"
#include "widgets/FieldParts.h"
#include "widgets/PathField.h"

namespace cbk::testing {
namespace {

class PmtImportForm : public RecordFormTest {
protected:
    void SetUp() override {
        RecordFormTest::SetUp();
        if (HasFatalFailure()) return;
        // The home directory's payment places are the test's own, and empty.
        if (const char* home = std::getenv("HOME")) home_ = home;
        ::setenv("HOME", dataDir().c_str(), 1);
        OpenIncome();
        OpenFolders();
        OpenIncomeAccounts();
    }
    void TearDown() override {
        ::setenv("HOME", home_.c_str(), 1);
        RecordFormTest::TearDown();
    }
    TPmtImport& form() { return *forms().PmtImport; }

    // A payment table of two payments at `path` (relative to the data directory).
    void MakePayments(const std::string& path) {
        engine::Data4* t = engine::d4create(
            cb, path, {{"PDATE", 'D', 8, 0}, {"PAMT", 'N', 10, 2}, {"IVNO", 'C', 10, 0}});
        ASSERT_NE(t, nullptr) << engine::code4errorText(cb);
        for (auto [date, amount] : {std::pair{"20260302", 40.0}, {"20240101", 1.0}}) {
            engine::d4appendBlank(t);
            engine::f4assign(engine::d4field(t, "PDATE"), date);
            engine::f4assignDouble(engine::d4field(t, "PAMT"), amount);
            engine::f4assign(engine::d4field(t, "IVNO"), " 88 ");
        }
        engine::d4close(t);
    }

    std::string home_;
};

TEST_F(PmtImportForm, ShowFindsThePaymentFileAndProposesTheFiscalYearToDate) {
    Settings.FyMonth = 7;
    Settings.FyDay = 1;
    form().FormShow();
    EXPECT_EQ(form().Edit1->path().toStdString(), "");
    EXPECT_EQ(text(form().MaskEdit1), "07/01/25");
    EXPECT_EQ(text(form().MaskEdit2), "03/05/26");
    EXPECT_TRUE(form().BtnImport->isEnabled());
    EXPECT_EQ(form().ComboBox1->currentIndex(), 0);
    EXPECT_EQ(form().ComboBox2->currentIndex(), 0);
    EXPECT_TRUE(platform_->messages.shown.empty());

    MakePayments("PMT");
    form().FormShow();
    EXPECT_EQ(form().Edit1->path().toStdString(), "Pmt.dbf");
}

TEST_F(PmtImportForm, EmptyListDisablesImportAfterItsMessage) {
    const std::string noAccounts =
        "Income Accounts must be defined before importing Income Records";
    const std::string noFolders = "Folders must be defined before importing Income Records";
    const struct {
        engine::Data4* table;
        std::vector<std::string> messages;
    } cases[] = {
        {Folders, {noFolders}},
        {IncomeAccounts, {noAccounts, noFolders}},
    };
    MakePayments("PMT");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.messages.front());
        for (int rc = engine::d4top(c.table); rc == 0; rc = engine::d4top(c.table))
            engine::d4delete(c.table);
        platform_->messages.clear();
        form().FormShow();
        EXPECT_EQ(platform_->messages.texts(), c.messages);
        EXPECT_FALSE(form().BtnImport->isEnabled());
        const long before = engine::d4recCount(Income);
        form().BtnImportClick();
        EXPECT_EQ(engine::d4recCount(Income), before);
    }
}

TEST_F(PmtImportForm, ImportIsRefusedWithoutAFileOrWithFieldsThatDoNotConvert) {
    form().FormShow();
    form().BtnImportClick();
    EXPECT_EQ(platform_->messages.texts(),
              std::vector<std::string>{"Please Choose MARLO Payment file."});

    MakePayments("PMT");
    form().FormShow();
    form().MaskEdit2->setText("13/45/26");
    platform_->messages.clear();
    form().BtnImportClick();
    ASSERT_EQ(platform_->messages.shown.size(), 1u);
    EXPECT_EQ(platform_->messages.shown[0].kind, platform::MessageKind::Warning);
    EXPECT_EQ(platform_->messages.shown[0].text,
              "Data Conversion Error. Please check values and try again");
    EXPECT_TRUE(platform_->progress.calls.empty());
}

TEST_F(PmtImportForm, ImportAppendsThePaymentsOfTheRangeAndCloses) {
    MakePayments("PMT");
    form().FormShow();
    const long before = engine::d4recCount(Income);
    form().setResult(0);
    form().BtnImportClick();
    EXPECT_EQ(form().result(), QDialog::Accepted);
    EXPECT_FALSE(form().ShowAgain);
    ASSERT_EQ(engine::d4recCount(Income), before + 1);
    engine::d4go(Income, before + 1);
    LoadIncome();
    EXPECT_EQ(CurIncome.IncDesc.substr(0, 22), "Payment on Invoice #88");
    EXPECT_EQ(CurIncome.IncAcc, rules::ChoiceNumber(*form().ComboBox1->chosenEntry()));
    EXPECT_EQ(CurIncome.FolNo, rules::ChoiceNumber(*form().ComboBox2->chosenEntry()));
    EXPECT_EQ(platform_->progress.calls.front().title, "Loading Payments");
    EXPECT_FALSE(platform_->progress.visible);
}

TEST_F(PmtImportForm, BrowseTakesOnlyThePaymentFileBesideTheChosenOne) {
    std::filesystem::create_directories(dataDir() / "marlo");
    MakePayments("marlo/PMT");
    std::string preset;
    const std::string chosen[] = {(dataDir() / "marlo" / "notes.txt").string(),
                                  (dataDir() / "nowhere" / "pmt.dbf").string()};
    for (const std::string& file : chosen)
        platform_->modal.once("OpenDialog1", [&preset, file](platform::ModalForm& shown) {
            auto& dialog = dynamic_cast<TOpenDialog&>(shown);
            preset = dialog.FileName;
            dialog.FileName = file;
            return int(QDialog::Accepted);
        });
    form().FormShow();
    form().BtnBrowseClick();
    const std::string found = (dataDir() / "marlo" / "PMT.dbf").string();
    EXPECT_EQ(form().PaymentPath, found);
    EXPECT_EQ(form().Edit1->path().toStdString(), found);
    EXPECT_TRUE(platform_->messages.shown.empty());

    form().BtnBrowseClick();
    EXPECT_EQ(preset, found);
    EXPECT_EQ(form().PaymentPath, found);
    EXPECT_EQ(
        platform_->messages.texts(),
        std::vector<std::string>{chosen[1] + "\r\nis not a valid MARLO Payment file. Try again."});
}

TEST_F(PmtImportForm, FormLaysOutItsFieldsWithinItsSize) {
    form().show();
    QApplication::processEvents();
    EXPECT_EQ(form().size(), QSize(427, 273));
    for (QWidget* child : form().findChildren<QWidget*>()) {
        if (!child->isVisibleTo(&form()) || child->parentWidget() != &form()) continue;
        EXPECT_TRUE(form().rect().contains(child->geometry())) << child->objectName().toStdString();
        if (auto* button = qobject_cast<QAbstractButton*>(child)) {
            EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
        }
    }
    // A path longer than its field is shown whole: its start and its file name, elided between.
    const QString path = "/home/office/Documents/Bookkeeping/LUMA and MARLO/2026/payments/PMT.dbf";
    form().Edit1->setPath(path);
    const QString shown = form().Edit1->text();
    EXPECT_TRUE(shown.startsWith("/home/") && shown.endsWith("PMT.dbf") &&
                shown.contains(QChar(0x2026)))
        << shown.toStdString();
    EXPECT_LE(form().Edit1->fontMetrics().horizontalAdvance(shown),
              form().Edit1->contentsRect().width());
    EXPECT_EQ(form().Edit1->toolTip(), path);
    const QImage image = form().grab().toImage();
    if (const char* dir = std::getenv("CBK_SCREENSHOT_DIR"))
        image.save(QString::fromLocal8Bit(dir) + "/pmt-import.png");
    form().hide();
}

}  // namespace
}  // namespace cbk::testing
