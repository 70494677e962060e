#include <string>
#include <string_view>

#include "data/Database.h"
#include "reports/BuilderParts.h"
#include "reports/ReportBuilders.h"
#include "reports/ReportDocument.h"

namespace reports {

using namespace engine;

namespace {

struct ChartTable {
    ReportKind kind;
    std::string_view title;
    std::string_view firstSection;   // AcDed true
    std::string_view secondSection;  // AcDed false
    Data4* accounts;
    Field4* accNo;
    Field4* acDesc;
    Field4* acDed;
};

void BuildChart(const ChartTable& t, const ReportRequest& request, Document& doc) {
    doc.report = t.kind;
    doc.reportWidth = 40;
    doc.cellsPerRow = 3;
    doc.StartDocument(request.linesPerPage);
    doc.titleLines = {std::string(t.title)};
    doc.sectionText = t.firstSection;
    doc.columnPrefixes = {"R05", "L10"};
    doc.columnHeadings = {{"R05Acnt.", "L10Account Name", std::string(kRuleFlag)}};

    ShowBuildingProgress();
    // Both passes visit every record the count holds, deleted ones included, though the tag
    // shows only the live ones: the box may stop short of 100.
    ScanProgress progress(2 * d4recCount(t.accounts));
    for (const bool marked : {true, false}) {
        for (int rc = d4top(t.accounts); rc == r4success; rc = d4skip(t.accounts, 1)) {
            if ((f4true(t.acDed) == 1) == marked)
                doc.WriteRow(1, {std::to_string(f4int(t.accNo)), f4str(t.acDesc)});
            progress.step();
        }
        if (marked) {
            doc.sectionText = t.secondSection;
            doc.SetFlag(kRuleFlag);
            OpenNextSection(doc);
        } else {
            doc.sectionText.clear();
        }
    }
    HideBuildingProgress();

    if (doc.empty()) return;
    doc.SetFlag(kRuleFlag);
    doc.AddRow(RowKind::Section);
}

}  // namespace

void BuildExpenseChart(const ReportRequest& request, Document& doc) {
    using namespace cbk;
    BuildChart({ReportKind::ExpenseChart, "Expense Accounts", "Deductible Accounts",
                "Non-Deductible Accounts", Accounts, AccNoField, AcDescField, AcDedField},
               request, doc);
}

void BuildIncomeChart(const ReportRequest& request, Document& doc) {
    using namespace cbk;
    BuildChart(
        {ReportKind::IncomeChart, "Income Accounts", "Taxable Accounts", "Non-Taxable Accounts",
         IncomeAccounts, IncAccNoField, IncAcDescField, IncAcDedField},
        request, doc);
}

}  // namespace reports
