#include "state/MainVars.h"

namespace cbk {

bool SplashMode = true;
bool PackOnExit = false;
bool FolderListStale = true;
char AccountKind = 'E';

std::int32_t FolderChoice = 0;
std::int32_t ExpenseChoice = 0;
std::int32_t IncomeChoice = 0;
std::int32_t ExpAccountChoice = 0;
std::int32_t IncAccountChoice = 0;

platform::DateTime ReportFrom;
platform::DateTime ReportThrough;

std::int32_t DefaultFolder = -1;
std::int32_t FolderIndex = 0;

platform::FontSpec ReportFont;

void SetDefaultPeriod() {
    const platform::DateTime today = platform::clock().today();
    ReportFrom = *platform::DateTime::fromYmd(today.year(), today.month(), 1);
    ReportThrough = *platform::DateTime::fromYmd(
        today.year(), today.month(), platform::daysInMonth(today.year(), today.month()));
}

void ResetRunVariables() {
    SplashMode = true;
    PackOnExit = false;
    FolderListStale = true;
    AccountKind = 'E';
    FolderChoice = ExpenseChoice = IncomeChoice = ExpAccountChoice = IncAccountChoice = 0;
    ReportFrom = ReportThrough = platform::DateTime{};
    DefaultFolder = -1;
    FolderIndex = 0;
    ReportFont = platform::FontSpec{};
}

}  // namespace cbk
