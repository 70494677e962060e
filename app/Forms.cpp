#include "app/Forms.h"

#include "app/DKRMain.h"
#include "maintenance/forms/About.h"
#include "maintenance/forms/ArchiveU.h"
#include "maintenance/forms/DriveDirU.h"
#include "maintenance/forms/PmtImportU.h"
#include "maintenance/forms/RateChangeU.h"
#include "maintenance/forms/RecoverU.h"
#include "records/forms/AccountU.h"
#include "records/forms/ExpenseU.h"
#include "records/forms/FolderU.h"
#include "records/forms/IncomeU.h"
#include "records/forms/PickAccU.h"
#include "records/forms/PickExpU.h"
#include "records/forms/PickFolU.h"
#include "records/forms/PickIncU.h"
#include "reports/forms/MultFolU.h"
#include "reports/forms/ReportU.h"

namespace cbk {

namespace {
Forms& registered() {
    static Forms set;
    return set;
}
}  // namespace

const Forms& forms() {
    return registered();
}

// Members are constructed in declaration order and destroyed in reverse.
struct FormSet::Owned {
    std::unique_ptr<TFormMain> FormMain = make(registered().FormMain);
    std::unique_ptr<TAboutForm> AboutForm = make(registered().AboutForm);
    std::unique_ptr<TPickInc> PickInc = make(registered().PickInc);
    std::unique_ptr<TIncome> Income = make(registered().Income);
    std::unique_ptr<TPickFol> PickFol = make(registered().PickFol);
    std::unique_ptr<TFolderF> FolderF = make(registered().FolderF);
    std::unique_ptr<TPickExp> PickExp = make(registered().PickExp);
    std::unique_ptr<TExpense> Expense = make(registered().Expense);
    std::unique_ptr<TPickAcc> PickAcc = make(registered().PickAcc);
    std::unique_ptr<TAccount> Account = make(registered().Account);
    std::unique_ptr<TMultFol> MultFol = make(registered().MultFol);
    std::unique_ptr<TReportF> ReportF = make(registered().ReportF);
    std::unique_ptr<TDriveDir> DriveDir = make(registered().DriveDir);
    std::unique_ptr<TArchive> Archive = make(registered().Archive);
    std::unique_ptr<TRateChange> RateChange = make(registered().RateChange);
    std::unique_ptr<TPmtImport> PmtImport = make(registered().PmtImport);
    std::unique_ptr<TRecover> Recover = make(registered().Recover);

    template <class T>
    static std::unique_ptr<T> make(T*& slot) {
        auto form = std::make_unique<T>();
        slot = form.get();
        return form;
    }
};

FormSet::FormSet() : owned_(std::make_unique<Owned>()) {}

FormSet::~FormSet() {
    owned_.reset();
    registered() = Forms{};
}

TFormMain& FormSet::main() const {
    return *owned_->FormMain;
}

}  // namespace cbk
