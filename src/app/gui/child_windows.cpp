#include "app/gui/child_windows.h"

#include "app/app_state.h"
#include "query/gui/conditions_window.h"
#include "report/gui/report_setup_window.h"
#include "scan/gui/path_selection_window.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>

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
    QObject::connect(events, &work::WorkEvents::settingsReloaded, window, [window] {
        window->showSettings();
        // The active file name is set after the settings are shown.
        QTimer::singleShot(0, window, &PathSelectionWindow::showSettings);
    });
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

ReportSetupWindows openReportSetupWindows(QMdiArea* area, AppState& app) {
    work::WorkSettings& settings = app.work.settings;
    if (settings.detailColumns.empty())
        settings.detailColumns = defaultDetailColumns();
    if (settings.summaryColumns.empty())
        settings.summaryColumns = defaultSummaryColumns();

    ReportSetupWindows windows;
    windows.summary = new ReportSetupWindow(app.work, report::SetupKind::Summary);
    windows.detail = new ReportSetupWindow(app.work, report::SetupKind::Detail);
    const work::WorkEvents* events = &app.work.events;
    for (ReportSetupWindow* window : {windows.summary, windows.detail}) {
        addChildWindow(area, window);
        QObject::connect(events, &work::WorkEvents::settingsReloaded, window,
                         &ReportSetupWindow::rebuildFromList);
    }
    QObject::connect(events, &work::WorkEvents::summaryColumnsChanged, windows.summary,
                     &ReportSetupWindow::groupingColumnChanged);
    return windows;
}

} // namespace zek
