// The two reports built from a selection, with what the application knows: the intl settings, the
// drive figures of the last scan, the printer checks and the selection's condition.
#pragma once

#include "app/app_state.h"
#include "report/report_build.h"

namespace zek {

report::BuildInputs reportInputs(const AppState& app);

// The Detail report and then the Summary report from the selection just opened.
void buildReports(AppState& app);

} // namespace zek
