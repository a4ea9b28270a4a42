#include "app/gui/child_windows.h"

#include "app/app_state.h"
#include "query/gui/conditions_window.h"
#include "scan/gui/path_selection_window.h"

#include <QApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
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

    work::WorkFileHooks& hooks = app.work.hooks;
    const QPointer<PathSelectionWindow> guarded(window);
    hooks.settingsReloaded = [previous = hooks.settingsReloaded, guarded] {
        if (previous)
            previous();
        if (guarded) {
            guarded->showSettings();
            // The active file name is set after the settings are shown.
            QTimer::singleShot(0, guarded.data(), [guarded] {
                if (guarded)
                    guarded->showSettings();
            });
        }
    };
    hooks.confirmReportCreation = [previous = hooks.confirmReportCreation, guarded] {
        if (guarded)
            guarded->queryState().hooks.enableHistoric();
        if (previous)
            previous();
    };
    return window;
}

ConditionsWindow* openConditionsWindow(QMdiArea* area, AppState& app,
                                       std::function<void(bool)> entryItemsVisible) {
    auto* window = new ConditionsWindow(app.work, app.intl);
    window->entryItemsVisible = std::move(entryItemsVisible);
    addChildWindow(area, window);

    work::WorkFileHooks& hooks = app.work.hooks;
    const QPointer<ConditionsWindow> guarded(window);
    hooks.storeGridRows = [previous = hooks.storeGridRows, guarded] {
        if (previous)
            previous();
        if (guarded)
            guarded->storeGridRows();
    };
    hooks.settingsReloaded = [previous = hooks.settingsReloaded, guarded] {
        if (previous)
            previous();
        if (guarded)
            guarded->showSettings();
    };
    return window;
}

} // namespace zek
