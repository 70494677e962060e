#include "app/BankCommands.h"

#include "app/Forms.h"
#include "bank/BankMarks.h"
#include "bank/forms/BankAccountsU.h"
#include "bank/forms/ReconcileU.h"
#include "bank/forms/RegisterU.h"
#include "books/EnterBooks.h"
#include "data/Database.h"
#include "data/TableSession.h"
#include "platform/Platform.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/IncomeU.h"
#include "reports/ReconciliationReport.h"
#include "reports/forms/ReportU.h"
#include "state/MainVars.h"
#include "widgets/FieldParts.h"

namespace cbk {

namespace {

bool ReadOnlyRefused() {
    if (!BooksReadOnly()) return false;
    platform::messages().show(platform::MessageKind::Information, books::kReadOnlyBooks,
                              platform::Buttons::OK);
    return true;
}

// A record of the register or the reconciliation in its own form (0: a new one).
void OpenInForm(bank::Kind kind, long recNo) {
    if (ReadOnlyRefused()) return;
    if (kind == bank::Kind::Expense) {
        ExpenseChoice = recNo;
        platform::modal().showModal(*forms().Expense);
    } else {
        IncomeChoice = recNo;
        platform::modal().showModal(*forms().Income);
    }
}

void ShowReport(const bank::Reconciliation& rec, const std::string& account) {
    platform::Printing& printing = platform::printing();
    reports::Document doc;
    reports::BuildReconciliation(
        rec, account,
        reports::LinesPerPage(
            {printing.printerInstalled(), printing.pageHeight(), printing.lineHeight(ReportFont)}),
        doc);
    forms().ReportF->View(doc);
}

}  // namespace

void RunBankAccounts() {
    if (ReadOnlyRefused()) return;
    TableSession session({"EXP5", "INC5"});
    TBankAccounts form;
    platform::modal().showModal(form);
}

void RunRegister() {
    TableSession session({"EXP5", "INC5", "FOLDER", "ACC", "ACCI"});
    TRegister form(OpenInForm);
    platform::modal().showModal(form);
}

void RunReconcile() {
    if (ReadOnlyRefused()) return;
    TableSession session({"EXP5", "INC5", "FOLDER", "ACC", "ACCI"});
    TReconcile form(OpenInForm, ShowReport);
    platform::modal().showModal(form);
}

}  // namespace cbk
