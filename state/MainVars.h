#pragma once

// The main window's module-level variables: one instance each, shared with the forms and the
// report builders that read them. Plain values, no Qt, so that code below the user interface
// can read them too.
//
// The fiscal year start lives in the settings buffer (Settings.FyMonth, Settings.FyDay of
// data/Records.h): the fields show it and every accepted change is written from there.

#include <array>
#include <cstdint>
#include <string>

#include "platform/DateTime.h"
#include "platform/Platform.h"

namespace cbk {

// The about box is the start-up splash (it hides its OK button meanwhile).
extern bool SplashMode;
// A record was marked deleted in this run: the tables are packed when the main window closes.
extern bool PackOnExit;
// The default-folder list is refilled at the next paint of the main window.
extern bool FolderListStale;
// 'E': the account forms and the account-detail report work on expense accounts (ACC);
// 'I': on income accounts (ACCI).
extern char AccountKind;

// Results of the pick lists: -1 leave, 0 new record, > 0 record number of the chosen record.
extern std::int32_t FolderChoice;
extern std::int32_t ExpenseChoice;
extern std::int32_t IncomeChoice;
extern std::int32_t ExpAccountChoice;
extern std::int32_t IncAccountChoice;

// The report period; not stored, the current month at every start.
extern platform::DateTime ReportFrom;
extern platform::DateTime ReportThrough;

// The default folder: -1 none; FolderIndex is its position in the default-folder box.
extern std::int32_t DefaultFolder;
extern std::int32_t FolderIndex;

// The report font; name and size are stored in the settings record.
extern platform::FontSpec ReportFont;

// Days of each month for the fiscal year fields: February has 28, never 29.
inline constexpr std::array<int, 12> FyMonthDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// ReportFrom := first day of today's month, ReportThrough := its last day.
void SetDefaultPeriod();

// Every variable above as the program starts with it: for the next books of the run.
void ResetRunVariables();

}  // namespace cbk
