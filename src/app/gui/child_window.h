// Child windows of the main window's MDI area.
#pragma once

class QMdiArea;
class QMdiSubWindow;
class QWidget;

namespace zek {

// Adds a window to the area as a child that can be minimised but not closed from its title bar,
// sized to its contents, and shows it.
QMdiSubWindow* addChildWindow(QMdiArea* area, QWidget* window);

} // namespace zek
