#pragma once

// Everything a builder reads besides the open tables, filled once for a run.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/DateTime.h"

namespace reports {

struct ReportRequest {
    platform::DateTime from;
    platform::DateTime through;
    int fyMonth = 1;
    int fyDay = 1;
    std::vector<std::int32_t> folders;
    // The account variants of the detail reports: the chosen account.
    std::optional<std::int32_t> account;
    std::string accountName;  // AcDesc as stored
    int linesPerPage = 60;
};

// A request for the run's report period (cbk::ReportFrom, cbk::ReportThrough) and fiscal year
// start (Settings), with `linesPerPage`.
ReportRequest RunRequest(int linesPerPage);

}  // namespace reports
