#include "app/gui/child_windows.h"

#include "app/app_state.h"
#include "app/gui/window_placement.h"
#include "app/window_arrange.h"
#include "query/gui/conditions_window.h"
#include "report/gui/report_setup_window.h"
#include "report/gui/report_viewer_window.h"
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

void wireReportViewer(QMdiArea* area, AppState& app, report::ReportEngine& engine, QObject* context) {
    const QString name = engine.viewerName();
    QObject::connect(&engine, &report::ReportEngine::created, context, [area, &app, &engine, name] {
        auto* viewer = area->findChild<ReportViewerWindow*>(name);
        if (!viewer) {
            viewer = new ReportViewerWindow(engine);
            addChildWindow(area, viewer);
        }
        auto* sub = qobject_cast<QMdiSubWindow*>(viewer->parentWidget());
        if (!sub)
            return;
        placeWindow(sub, engine.windowKey(), app.windowPositions);
        // A window whose place waits for its first resize is kept inside the area meanwhile.
        if (!sub->isMinimized() && !sub->isMaximized())
            sub->setGeometry(fitChildRect(sub->geometry(),
                                          sub->minimumSizeHint().expandedTo(sub->minimumSize()),
                                          area->viewport()->size()));
    });
    QObject::connect(&engine, &report::ReportEngine::closed, context, [area, name] {
        auto* viewer = area->findChild<ReportViewerWindow*>(name);
        if (!viewer)
            return;
        QWidget* window = viewer;
        if (auto* sub = qobject_cast<QMdiSubWindow*>(viewer->parentWidget())) {
            area->removeSubWindow(sub);
            window = sub;
        }
        // The close may come from a handler of the window itself.
        window->hide();
        window->setParent(nullptr);
        window->deleteLater();
    });
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
