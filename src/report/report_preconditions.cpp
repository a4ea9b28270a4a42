#include "report/report_preconditions.h"

#include "platform/prompt.h"

#include <algorithm>

namespace zek::report {

namespace {

bool hasField(const ReportColumns& columns) {
    return std::any_of(columns.begin(), columns.end(),
                       [](const ReportColumn& c) { return !c.name.trimmed().isEmpty(); });
}

} // namespace

QString orientationText(int orientation) {
    return orientation == 2 ? QStringLiteral("Landscape") : QStringLiteral("Portrait");
}

bool checkReportPreconditions(const work::WorkState& ws, query::QueryState& qs) {
    const query::DefaultPrinter printer =
        qs.hooks.defaultPrinter ? qs.hooks.defaultPrinter() : query::DefaultPrinter{};
    qs.printerName = printer.name;
    if (printer.name.trimmed().isEmpty()) {
        platform::msgBox(NoDefaultPrinterText, platform::MbOkOnly | platform::MbExclamation);
        return false;
    }
    qs.printerOrientation = orientationText(printer.orientation);

    if (ws.settings.folders.isEmpty()) {
        platform::msgBox(NoFoldersText);
        return false;
    }
    if (!hasField(ws.settings.detailColumns)) {
        platform::msgBox(NoDetailFieldText);
        return false;
    }
    if (!hasField(ws.settings.summaryColumns)) {
        platform::msgBox(NoSummaryFieldText);
        return false;
    }
    return true;
}

void confirmReportCreation(work::WorkState& ws, query::QueryState& qs) {
    Q_EMIT ws.events.reportsOfferedFromLoadedFile();
    ws.reportsBuilt = true;
    ws.reportsCurrent = true;
    const int answer = platform::msgBox(ReportsCreationQuestion, platform::MbYesNo | platform::MbQuestion,
                                        ReportsCreationTitle);
    if (answer != platform::IdYes || !checkReportPreconditions(ws, qs))
        return;
    ws.unchangedFlags.fill(false);
    query::buildQueryAndReports(ws, qs);
    ws.scanResult = work::NoCompletedScan;
}

} // namespace zek::report
