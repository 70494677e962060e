#include "reports/ReportRunner.h"

#include <string>

#include "data/Database.h"
#include "data/Records.h"
#include "data/TableSession.h"
#include "platform/Platform.h"
#include "reports/BuilderParts.h"
#include "state/MainVars.h"

namespace reports {

using namespace engine;

namespace {

// Moves the account table of kind `accountKind` to `recNo` and puts the account into the
// request. False when the record names no live account.
bool takeAccount(char accountKind, long recNo, ReportRequest& request) {
    const bool income = accountKind == 'I';
    Data4* table = income ? cbk::IncomeAccounts : cbk::Accounts;
    if (recNo < 1 || recNo > d4recCount(table)) return false;
    cbk::ResultWord = d4go(table, recNo);
    if (cbk::ResultWord != r4success || d4deleted(table)) return false;
    const cbk::AccountRec& account = income ? cbk::CurIncAccount : cbk::CurAccount;
    income ? cbk::LoadIncomeAccount() : cbk::LoadAccount();
    request.account = account.AccNo;
    request.accountName = account.AcDesc;
    return true;
}

}  // namespace

void RunReport(ReportKind kind, ReportRequest request, const ReportSeams& seams) {
    const ReportCommand& command = CommandOf(kind);
    const cbk::TableSession tables(command.tables);
    if (command.accountKind != 0) {
        // New (0) names no account: the report ends as it does on Exit.
        if (!seams.pickAccount) return;
        const long chosen = seams.pickAccount(command.accountKind);
        if (chosen <= 0 || !takeAccount(command.accountKind, chosen, request)) return;
    }
    if (command.choosesFolders) {
        request.folders = ChooseReportFolders(seams.chooseFolders);
        if (request.folders.empty()) return;
    }
    if (command.startsOnFirstOfMonth) cbk::ReportFrom = request.from = FirstOfMonth(request.from);

    Document doc;
    command.build(request, doc);
    if (doc.empty())
        platform::messages().show(platform::MessageKind::Information, std::string(kNoData),
                                  platform::Buttons::OK);
    else if (seams.view)
        seams.view(doc);
}

}  // namespace reports
