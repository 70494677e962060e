#pragma once

// The sixteen forms of the program, each created once at start in a fixed order and living
// until the end. Forms reach one another through forms(), never by passing parameters.

#include <memory>

namespace cbk {

class TFormMain;
class TAboutForm;
class TPickInc;
class TIncome;
class TPickFol;
class TFolderF;
class TPickExp;
class TExpense;
class TPickAcc;
class TAccount;
class TMultFol;
class TReportF;
class TDriveDir;
class TArchive;
class TRateChange;
class TPmtImport;
class TRecover;

struct Forms {
    TFormMain* FormMain = nullptr;
    TAboutForm* AboutForm = nullptr;
    TPickInc* PickInc = nullptr;
    TIncome* Income = nullptr;
    TPickFol* PickFol = nullptr;
    TFolderF* FolderF = nullptr;
    TPickExp* PickExp = nullptr;
    TExpense* Expense = nullptr;
    TPickAcc* PickAcc = nullptr;
    TAccount* Account = nullptr;
    TMultFol* MultFol = nullptr;
    TReportF* ReportF = nullptr;
    TDriveDir* DriveDir = nullptr;
    TArchive* Archive = nullptr;
    TRateChange* RateChange = nullptr;
    TPmtImport* PmtImport = nullptr;
    TRecover* Recover = nullptr;
};

// The forms of the run; all null before a FormSet exists.
const Forms& forms();

// Creates the forms in the order TFormMain, TAboutForm, TPickInc, TIncome, TPickFol, TFolderF,
// TPickExp, TExpense, TPickAcc, TAccount, TMultFol, TReportF, TDriveDir, TArchive,
// TRateChange, TPmtImport, TRecover, and owns them; destroys them in the reverse order. One at a
// time.
class FormSet {
public:
    FormSet();
    ~FormSet();
    FormSet(const FormSet&) = delete;
    FormSet& operator=(const FormSet&) = delete;

    TFormMain& main() const;

private:
    struct Owned;
    std::unique_ptr<Owned> owned_;
};

}  // namespace cbk
