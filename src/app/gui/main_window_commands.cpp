// The main window's commands: thin handlers over the work file and the child windows.
#include "app/gui/main_window.h"

#include "app/gui/help_window.h"
#include "app/gui/report_printing.h"
#include "app/startup.h"
#include "app/window_arrange.h"
#include "platform/prompt.h"
#include "report/gui/report_viewer_window.h"
#include "work/work_file.h"

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QStyle>

namespace zek {

void MainWindow::fileNew() {
    QString fileName;
    work::openWorkFile(m_app.work, "NEW", fileName);
    retryUntilOpen("NEW", "NEW");
}

void MainWindow::fileOpen() {
    platform::FileDialogRequest request;
    request.title = "Open ZEK database";
    request.initialFolder = m_app.work.workDirectory;
    request.fileName = "*.ZEK";
    request.filter = "ZEK database (*.zek)";
    request.defaultExtension = "ZEK";
    const std::optional<QString> chosen = platform::prompter().openFileName(request);
    if (!chosen || chosen->trimmed().isEmpty())
        return;
    QString fileName = chosen->trimmed();
    work::openWorkFile(m_app.work, "LOAD", fileName);
    retryUntilOpen("OPEN", "NEW");
}

void MainWindow::fileSave() {
    work::saveOrSaveAs(m_app.work, "SAVE");
}

void MainWindow::fileSaveAs() {
    work::saveOrSaveAs(m_app.work, "SAVE AS");
}

void MainWindow::openRecentFile(int n) {
    QString fileName = m_app.recent.fileName(n);
    if (fileName.isEmpty())
        return;
    work::openWorkFile(m_app.work, "LOAD", fileName);
    retryUntilOpen("OPEN", "NEW");
}

void MainWindow::printSetup() {
    zek::printSetup(m_app);
}

void MainWindow::printReport(report::ReportKind kind) {
    // Between pages the windows repaint; what the user does waits for the end of the job.
    const QScopedValueRollback<bool> working(m_workInProgress, true);
    zek::printReport(m_app, kind,
                     [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

void MainWindow::printFromToolbar() {
    const QScopedValueRollback<bool> working(m_workInProgress, true);
    zek::printFromToolbar(m_app, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
}

void MainWindow::printPreview() {
    report::ReportEngine* engine = nullptr;
    if (ReportViewerWindow* viewer = activeViewer())
        engine = &viewer->engine();
    if (!engine)
        engine = m_app.detailReport.isAvailable() ? &m_app.detailReport : &m_app.summaryReport;
    const QScopedValueRollback<bool> working(m_workInProgress, true);
    showPrintPreview(m_app, *engine, this);
}

void MainWindow::toggleSaveSettings() {
    setSaveSettingsOnExit(m_app, m_saveSettingsAction->isChecked());
}

void MainWindow::helpTopics() {
    if (m_app.helpFileName.isEmpty())
        return;
    if (!m_help)
        m_help = std::make_unique<HelpWindow>();
    m_help->showFile(m_app.helpFileName);
}

void MainWindow::arrangeCascade() {
    m_mdiArea->cascadeSubWindows();
}

namespace {

QList<QMdiSubWindow*> windowsToTile(QMdiArea* area) {
    QList<QMdiSubWindow*> windows;
    for (QMdiSubWindow* w : area->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isVisible() && !w->isMinimized())
            windows.append(w);
    }
    return windows;
}

void tile(QMdiArea* area, TileOrientation orientation) {
    const QList<QMdiSubWindow*> windows = windowsToTile(area);
    QList<QSize> minimums;
    for (QMdiSubWindow* w : windows)
        minimums.append(w->minimumSizeHint().expandedTo(w->minimumSize()));
    // The whole inside of the area, with no scroll bar showing; when the windows need more room than
    // that along one side, the scroll bar that then appears takes its room from the other side.
    QRect inside(QPoint(0, 0), area->contentsRect().size());
    QList<QRect> rects = tileRects(inside, minimums, orientation);
    QRect bounds;
    for (const QRect& r : rects)
        bounds |= r;
    const int scrollBar = area->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, area);
    if (bounds.width() > inside.width() || bounds.height() > inside.height()) {
        if (bounds.width() > inside.width())
            inside.setHeight(inside.height() - scrollBar);
        if (bounds.height() > inside.height())
            inside.setWidth(inside.width() - scrollBar);
        rects = tileRects(inside, minimums, orientation);
    }
    for (qsizetype i = 0; i < windows.size(); ++i) {
        if (windows[i]->isMaximized())
            windows[i]->showNormal();
        windows[i]->setGeometry(rects[i]);
    }
}

} // namespace

void MainWindow::arrangeTileHorizontal() {
    tile(m_mdiArea, TileOrientation::Horizontal);
}

void MainWindow::arrangeTileVertical() {
    tile(m_mdiArea, TileOrientation::Vertical);
}

void MainWindow::arrangeIcons() {
    QList<QMdiSubWindow*> icons;
    QList<QSize> sizes;
    for (QMdiSubWindow* w : m_mdiArea->subWindowList(QMdiArea::CreationOrder)) {
        if (w->isVisible() && w->isMinimized()) {
            icons.append(w);
            sizes.append(w->size());
        }
    }
    const QList<QPoint> positions = iconPositions(m_mdiArea->viewport()->rect(), sizes);
    for (qsizetype i = 0; i < icons.size(); ++i)
        icons[i]->move(positions[i]);
}

ReportViewerWindow* MainWindow::activeViewer() const {
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    return active ? qobject_cast<ReportViewerWindow*>(active->widget()) : nullptr;
}

void MainWindow::copySelection() {
    if (ReportViewerWindow* viewer = activeViewer())
        viewer->copySelection();
}

void MainWindow::copyPage() {
    if (ReportViewerWindow* viewer = activeViewer())
        viewer->copyPage();
}

} // namespace zek
