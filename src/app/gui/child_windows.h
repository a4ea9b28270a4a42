// The child windows of the main window's MDI area: how each is added to the area and wired to the
// work file.
#pragma once

#include <functional>

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace zek {

struct AppState;
class ConditionsWindow;
class PathSelectionWindow;

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

} // namespace zek
