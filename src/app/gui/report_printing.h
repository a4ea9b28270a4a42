// Printing the reports from the main window: the Print items, the toolbar's "print", Print Setup and
// Print Preview, on the program's printer.
#pragma once

#include "app/app_state.h"

#include <functional>

class QWidget;

namespace zek {

// What a print command of this program needs: its printer, the report printer kept when the reports
// were made, the check flags, print jobs on the print system or the PDF writer. `processEvents` runs
// between pages.
report::PrintContext printContext(AppState& app, std::function<void()> processEvents = {});

// The Print menu's "Detail Report" and "Summary Report".
void printReport(AppState& app, report::ReportKind kind, std::function<void()> processEvents = {});

// The toolbar's "print": asks which report (Yes: Detail, No: Summary, Cancel: none) and prints it.
void printFromToolbar(AppState& app, std::function<void()> processEvents = {});

// Print Setup: the printer and paper chosen become the program's printer.
void printSetup(AppState& app);

// The pages of a report as they would print, in a preview window; the report is left on the page
// it showed.
void showPrintPreview(AppState& app, report::ReportEngine& engine, QWidget* parent);

} // namespace zek
