// The main window's commands: thin handlers over the work file and the child windows.
#include "app/gui/main_window.h"

#include "app/gui/help_window.h"
#include "app/gui/report_printing.h"
#include "app/startup.h"
#include "app/window_arrange.h"
#include "platform/prompt.h"
#include "report/gui/report_viewer_window.h"
#include "work/work_file.h"

#include <QApplication>
#include <QClipboard>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTableWidget>

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
    if (QMdiSubWindow* active = m_mdiArea->activeSubWindow()) {
        if (auto* viewer = qobject_cast<ReportViewerWindow*>(active->widget()))
            engine = &viewer->engine();
    }
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

QTableWidget* MainWindow::activeGrid() const {
    QMdiSubWindow* active = m_mdiArea->activeSubWindow();
    if (!active)
        return nullptr;
    if (active->widget() && active->widget()->objectName() == "Grid1")
        return qobject_cast<QTableWidget*>(active->widget());
    return active->findChild<QTableWidget*>("Grid1");
}

QString gridClipText(const QTableWidget& grid, const QTableWidgetSelectionRange& range) {
    QStringList rows;
    for (int r = range.topRow(); r <= range.bottomRow(); ++r) {
        QStringList cells;
        for (int c = range.leftColumn(); c <= range.rightColumn(); ++c) {
            const QTableWidgetItem* item = grid.item(r, c);
            cells.append(item ? item->text() : QString());
        }
        rows.append(cells.join('\t'));
    }
    return rows.join('\n');
}

void MainWindow::copySelection() {
    QTableWidget* grid = activeGrid();
    if (!grid)
        return;
    const QList<QTableWidgetSelectionRange> ranges = grid->selectedRanges();
    QTableWidgetSelectionRange range;
    if (!ranges.isEmpty()) {
        // A grid selects one block of cells; with several, the block that covers them all is copied.
        int top = ranges.first().topRow(), bottom = ranges.first().bottomRow();
        int left = ranges.first().leftColumn(), right = ranges.first().rightColumn();
        for (const QTableWidgetSelectionRange& r : ranges) {
            top = std::min(top, r.topRow());
            bottom = std::max(bottom, r.bottomRow());
            left = std::min(left, r.leftColumn());
            right = std::max(right, r.rightColumn());
        }
        range = QTableWidgetSelectionRange(top, left, bottom, right);
    } else if (grid->currentRow() >= 0 && grid->currentColumn() >= 0) {
        range = QTableWidgetSelectionRange(grid->currentRow(), grid->currentColumn(), grid->currentRow(),
                                           grid->currentColumn());
    } else {
        return;
    }
    QApplication::clipboard()->setText(gridClipText(*grid, range));
}

void MainWindow::copyPage() {
    QTableWidget* grid = activeGrid();
    if (!grid || grid->rowCount() == 0 || grid->columnCount() == 0)
        return;
    // The header row is the grid's header, not a row of cells: the page is every cell below it.
    const int row = grid->currentRow();
    const int column = grid->currentColumn();
    const QTableWidgetSelectionRange page(0, 0, grid->rowCount() - 1, grid->columnCount() - 1);
    grid->clearSelection();
    grid->setRangeSelected(page, true);
    QApplication::clipboard()->setText(gridClipText(*grid, page));
    grid->clearSelection();
    if (row >= 0 && column >= 0)
        grid->setCurrentCell(row, column);
}

} // namespace zek
