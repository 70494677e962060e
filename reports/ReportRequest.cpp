#include "reports/ReportRequest.h"

#include "data/Records.h"
#include "state/MainVars.h"

namespace reports {

ReportRequest RunRequest(int linesPerPage) {
    ReportRequest request;
    request.from = cbk::ReportFrom;
    request.through = cbk::ReportThrough;
    request.fyMonth = cbk::Settings.FyMonth;
    request.fyDay = cbk::Settings.FyDay;
    request.linesPerPage = linesPerPage;
    return request;
}

}  // namespace reports
