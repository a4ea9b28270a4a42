#include "app/report_run.h"

namespace zek {

report::BuildInputs reportInputs(const AppState& app) {
    report::BuildInputs inputs;
    inputs.intl = app.intl;
    // Without a scan since the program started, both figures stay 0 and every share shows 0.
    inputs.totalBytes = app.scan.driveCapacity.totalBytes;
    inputs.freeBytes = app.scan.driveCapacity.freeBytes;
    inputs.printerCheck = app.printerChecks.name || app.printerChecks.orientation;
    inputs.whereClause = app.query.whereClause;
    return inputs;
}

void buildReports(AppState& app) {
    const report::BuildInputs inputs = reportInputs(app);
    report::buildDetailReport(app.work, app.detailReport, inputs);
    report::buildSummaryReport(app.work, app.summaryReport, inputs);
}

} // namespace zek
