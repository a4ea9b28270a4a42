// What must hold before reports are built, and the offer to build them from a loaded work file.
#pragma once

#include "query/statement_builder.h"
#include "work/work_state.h"

namespace zek::report {

inline const QString NoDefaultPrinterText = QStringLiteral("Please Specify a default printer.");
inline const QString NoFoldersText = QStringLiteral("You have to add drives and directories first.");
inline const QString NoDetailFieldText =
    QStringLiteral("Please specify a Field in 'Field in Grid' of 'Query & Detail'.");
inline const QString NoSummaryFieldText =
    QStringLiteral("Please specify a Field in 'Summaryfield in Grid' of 'Summary'.");
inline const QString ReportsCreationQuestion =
    QStringLiteral("Create a report based on the information of the loaded database ?");
inline const QString ReportsCreationTitle = QStringLiteral("Reports creation");

// "Portrait" for 1 and anything unknown, "Landscape" for 2.
QString orientationText(int orientation);

// `CheckReportPreconditions`: a default printer (its name and orientation are kept in qs for the
// report viewers), at least one chosen folder, a field in each report setup. The first check that
// fails shows its message and gives false.
bool checkReportPreconditions(const work::WorkState& ws, query::QueryState& qs);

// `ConfirmReportCreation`: the "&Historic" button and the offer, after a work file was opened, to
// build the reports from the records it holds, without a scan. On Yes, with the preconditions met,
// every settings group counts as changed (so the reports are rebuilt completely), the statement is
// built and opened, and the scan result becomes -999 so that the next Start scans again.
void confirmReportCreation(work::WorkState& ws, query::QueryState& qs);

} // namespace zek::report
