#include "app/gui/child_windows.h"

#include "app/app_state.h"
#include "query/gui/conditions_window.h"
#include "scan/gui/path_selection_window.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>

namespace zek {

QMdiSubWindow* addChildWindow(QMdiArea* area, QWidget* window) {
    QMdiSubWindow* sub = area->addSubWindow(window, Qt::SubWindow | Qt::CustomizeWindowHint |
                                                        Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint);
    sub->setWindowIcon(QApplication::windowIcon());
    sub->adjustSize();
    window->show();
    return sub;
}

PathSelectionWindow* openPathSelectionWindow(QMdiArea* area, AppState& app) {
    auto* window = new PathSelectionWindow(app.work, app.intl, &app.scan, &app.query);
    addChildWindow(area, window);

    const work::WorkEvents* events = &app.work.events;
    QObject::connect(events, &work::WorkEvents::settingsReloaded, window, &PathSelectionWindow::showSettings);
    // Open names the file after the settings are shown; Save As names another file.
    QObject::connect(events, &work::WorkEvents::fileOpenedOrSaved, window,
                     &PathSelectionWindow::showActiveFileName);
    QObject::connect(events, &work::WorkEvents::storedFileOpened, window,
                     &PathSelectionWindow::enableHistoric);
    return window;
}

ConditionsWindow* openConditionsWindow(QMdiArea* area, AppState& app,
                                       std::function<void(bool)> entryItemsVisible) {
    auto* window = new ConditionsWindow(app.work, app.intl);
    window->entryItemsVisible = std::move(entryItemsVisible);
    addChildWindow(area, window);

    const work::WorkEvents* events = &app.work.events;
    QObject::connect(events, &work::WorkEvents::aboutToReadSettings, window,
                     &ConditionsWindow::storeGridRows);
    QObject::connect(events, &work::WorkEvents::settingsReloaded, window, &ConditionsWindow::showSettings);
    return window;
}

} // namespace zek
