// The application state: what start-up sets up and every window shares, and the open work file.
#pragma once

#include "app/recent_files.h"
#include "app/window_positions.h"
#include "platform/intl.h"
#include "platform/printer_choice.h"
#include "query/statement_builder.h"
#include "report/print_command.h"
#include "report/report_engine.h"
#include "scan/scan_state.h"
#include "work/work_state.h"
#include "zek_version.h"

namespace zek {

inline constexpr double ProgramVersion = ZEK_VERSION_NUMBER;
inline constexpr double FormatVersion = 3.0;
inline const QString ProductName = QStringLiteral("ZEK");

struct AppState {
    QString iniFileName;
    QString helpFileName;
    int screenWidthSetting = 9600;
    platform::IntlSettings intl;
    bool saveSettingsOnExit = false;
    QString tipStart; // "Tipstart" of section "Tip", upper case
    RecentFiles recent;
    WindowPositionStrings windowPositions;
    // The program's printer: the reports are paged for it and printed on it.
    platform::PrinterChoice printer;
    // Whether the last print command found the printer's name and orientation unchanged; both set
    // at start, so that the first Detail report is defined for the printer.
    report::PrinterCheckFlags printerChecks;

    work::WorkState work;
    // The last scan and the last selection, shared by Path Selection, the work file's report offer
    // and the report windows.
    scan::ScanState scan;
    query::QueryState query;
    // The two reports, each reading its record table from the work file above.
    report::ReportEngine detailReport{report::ReportKind::Detail, work};
    report::ReportEngine summaryReport{report::ReportKind::Summary, work};
};

} // namespace zek
