// The child windows of the main window's MDI area: how each is added to the area and wired to the
// work file.
#pragma once

#include <functional>

class QMdiArea;
class QObject;
class QMdiSubWindow;
class QWidget;

namespace zek {

struct AppState;
class ConditionsWindow;
class PathSelectionWindow;
class ReportSetupWindow;

namespace report {
class ReportEngine;
}

// Adds a window to the area as a child that can be minimised but not closed from its title bar,
// sized to its contents, and shows it.
QMdiSubWindow* addChildWindow(QMdiArea* area, QWidget* window);

// Creates the Path Selection window on the program's scan and statement-builder state, adds it to
// the area and wires it to the work file: the list is shown again after Open and New, the active
// file name after Open, New and Save As, and "&Historic" is enabled when a loaded work file offers
// its reports.
PathSelectionWindow* openPathSelectionWindow(QMdiArea* area, AppState& app);

// Creates the Conditions & Sorting window, adds it to the area and wires it to the work file: the
// rows are stored before a save and shown again after New and Open. `entryItemsVisible` shows and
// hides the main window's entry items as the window is activated and deactivated.
ConditionsWindow* openConditionsWindow(QMdiArea* area, AppState& app,
                                       std::function<void(bool)> entryItemsVisible);

// Gives a report its viewer in the area: created when the report is created (or the one it has kept)
// and placed under the report's window key, removed when the report is closed. The connections end
// with `context`.
void wireReportViewer(QMdiArea* area, AppState& app, report::ReportEngine& engine, QObject* context);

struct ReportSetupWindows {
    ReportSetupWindow* summary = nullptr;
    ReportSetupWindow* detail = nullptr;
};

// Creates the Setup Summary Report and Setup Detail Report windows on the default column lists,
// adds them to the area and wires them to the work file: both are rebuilt from their lists after
// New and Open, and the summary window follows the main sort field the Conditions & Sorting window
// hands over.
ReportSetupWindows openReportSetupWindows(QMdiArea* area, AppState& app);

} // namespace zek
