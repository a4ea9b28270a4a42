// Stand-ins until the builders land.
#include "report/report_build.h"

namespace zek::report {

bool buildSummaryReport(work::WorkState&, ReportEngine&, const BuildInputs&) {
    return false;
}

} // namespace zek::report
