#include "app/gui/main_window.h"

#include "app/gui/about_window.h"
#include "app/gui/child_windows.h"
#include "app/gui/help_window.h"
#include "app/gui/tip_window.h"
#include "app/gui/window_placement.h"
#include "app/report_run.h"
#include "app/startup.h"
#include "app/window_arrange.h"
#include "platform/gui/printers.h"
#include "platform/host_paths.h"
#include "platform/intl.h"
#include "query/gui/conditions_window.h"
#include "query/gui/desktop_hooks.h"
#include "report/report_preconditions.h"
#include "scan/gui/path_selection_window.h"
#include "work/work_file.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScopedValueRollback>
#include <QScreen>
#include <QStyle>
#include <QTimer>

namespace zek {

MainWindow::MainWindow(AppState& app, QWidget* parent) : QMainWindow(parent), m_app(app) {
    setObjectName("MDIForm1");
    setWindowTitle("ZEK");
    setWindowIcon(style()->standardIcon(QStyle::SP_DriveHDIcon));

    m_mdiArea = new QMdiArea(this);
    m_mdiArea->setObjectName("MDIArea");
    m_mdiArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdiArea->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdiArea);

    buildMenus();
    buildToolbar();
    buildStatusBar();
    setPrintEnabled();
    setEntryItemsVisible(false);
    updateCopyEnabled();
    connect(m_mdiArea, &QMdiArea::subWindowActivated, this, &MainWindow::updateCopyEnabled);
    rebuildRecentFileMenu();
    wireReports();
}

MainWindow::~MainWindow() {
    // The work file outlives the window in tests; its hooks must not call into a deleted window.
    // (Its signals' connections to the window end with the window.)
    work::WorkFileHooks& hooks = m_app.work.hooks;
    hooks.processEvents = nullptr;
    hooks.endProgram = nullptr;
    // The base classes' destructors still hide the child windows and the reports outlive the
    // window: nothing they signal may reach this window's slots any more.
    disconnect(m_mdiArea, nullptr, this, nullptr);
    m_app.detailReport.disconnect(this);
    m_app.summaryReport.disconnect(this);
    m_app.work.events.disconnect(this);
}

void MainWindow::loadStatus(const QString& text) {
    setStatus(text);
    QCoreApplication::processEvents();
}

bool MainWindow::load(const QString& workFileArgument) {
    findHelpFile(m_app, platform::programFolder());

    // A window in the normal state after its saved placement is centred, which replaces the saved
    // Top and Left.
    placeWindow(this, "ZEK_FORM", m_app.windowPositions);
    if (!hasSavedPosition("ZEK_FORM", m_app.iniFileName)) {
        if (const QScreen* screen = this->screen()) {
            // The frame takes the share; the inside is what resize() sets.
            const QRect frame = firstStartFrame(screen->availableGeometry());
            const QSize frameExtra = frameGeometry().size() - size();
            resize(frame.size() - frameExtra);
        }
    }
    if (!isMinimized() && !isMaximized())
        zek::centerInWorkArea(this);

    // The child windows are set up in this order; each reports its step in the status line.
    loadStatus("Start Path Selection Window");
    openPathSelectionWindow(m_mdiArea, m_app);
    loadStatus("Start Conditions & Sorting");
    connectEntryItems(
        openConditionsWindow(m_mdiArea, m_app, [this](bool visible) { setEntryItemsVisible(visible); }));
    loadStatus("Initialize Conditions & Sorting");
    loadStatus("Initialize Setup Report");
    openReportSetupWindows(m_mdiArea, m_app);
    setStatus("Initialize International Settings");
    m_app.intl = platform::readIntlSettings(m_app.iniFileName);
    QCoreApplication::processEvents();

    loadRecentFiles(m_app.recent, m_app.iniFileName, m_app.work.workingCopyName());
    rebuildRecentFileMenu();
    wireWorkFileHooks();

    QString mode = "INIT";
    QString fileName;
    const QString argument = workFileArgument.trimmed();
    if (!argument.isEmpty()) {
        mode = "LOAD";
        // Kept absolute: the name goes into the recent-file list and is the target of Save.
        fileName = QFileInfo(argument).absoluteFilePath();
    }
    work::openWorkFile(m_app.work, mode, fileName);
    if (!retryUntilOpen(mode, "INIT"))
        return false;

    readMainWindowSettings(m_app);
    m_saveSettingsAction->setChecked(m_app.saveSettingsOnExit);

    loadStatus("Arranging Windows");
    placeChildWindows();
    if (m_app.tipStart != "NO") {
        setStatus("Show Welcome");
        TipWindow::showModal(m_app.work.workDirectory, m_app.iniFileName, this);
    }
    setStatus("ZEK 32-bit version");
    return true;
}

bool MainWindow::retryUntilOpen(const QString& failedOperation, const QString& retryOperation) {
    while (m_app.work.activeFileName.isEmpty()) {
        // The work file may have ended the program itself (a working copy it could not build).
        if (m_ended)
            return false;
        if (!askRetryAfterFailure(failedOperation, retryOperation)) {
            close();
            // A window that was never shown gets no close event.
            if (!m_ended)
                endProgram();
            return false;
        }
        QString fileName;
        work::openWorkFile(m_app.work, retryOperation, fileName);
    }
    return !m_ended;
}

void MainWindow::wireWorkFileHooks() {
    work::WorkFileHooks& hooks = m_app.work.hooks;
    hooks.processEvents = [] { QCoreApplication::processEvents(); };
    hooks.endProgram = [this] {
        close();
        if (!m_ended)
            endProgram();
    };

    const work::WorkEvents* events = &m_app.work.events;
    connect(events, &work::WorkEvents::fileOpenedOrSaved, this, [this](const QString& name) {
        addRecentFile(m_app.recent, name, m_app.work.workingCopyName());
        rebuildRecentFileMenu();
    });

    // A stored work file just opened offers to build the reports from its records.
    query::installDesktopHooks(m_app.query.hooks);
    m_app.query.hooks.defaultPrinter = [this] { return m_app.printer; };
    connect(events, &work::WorkEvents::storedFileOpened, this,
            [this] { report::confirmReportCreation(m_app.work, m_app.query); });
}

void MainWindow::wireReports() {
    // The reports are paged for the program's printer, the system's default until Print Setup or
    // the print dialog chooses another.
    if (m_app.printer.name.isEmpty())
        m_app.printer = platform::systemDefaultPrinter();
    m_app.query.hooks.defaultPrinter = [this] { return m_app.printer; };
    for (report::ReportEngine* engine : {&m_app.detailReport, &m_app.summaryReport}) {
        engine->pageHeight = [this] {
            return static_cast<int>(platform::paperSizeTwips(m_app.printer).height());
        };
        engine->processEvents = [this] { answerEventsDuringWork(); };
        wireReportViewer(m_mdiArea, m_app, *engine, this);
        connect(engine, &report::ReportEngine::availabilityChanged, this, &MainWindow::setPrintEnabled);
    }
    // A new or opened work file has no reports shown: its reports are built anew.
    const auto closeReports = [this] {
        m_app.detailReport.rptClose();
        m_app.summaryReport.rptClose();
    };
    const work::WorkEvents* events = &m_app.work.events;
    connect(events, &work::WorkEvents::reportsDiscarded, this, closeReports);
    connect(events, &work::WorkEvents::settingsReloaded, this, closeReports);
    // A selection made by Start, Historic or the offer after Open becomes both reports, and their
    // viewers come back from the icon.
    m_app.query.hooks.processEvents = [this] { answerEventsDuringWork(); };
    m_app.query.hooks.buildReports = [this] {
        m_workInProgress = true;
        buildReports(m_app);
        m_workInProgress = false;
        restoreReportViewers();
    };
}

void MainWindow::answerEventsDuringWork() {
    // The windows repaint and the clock runs, but what the user types or clicks waits for the end,
    // and a close request is refused: a command could close the work file under the work.
    const QScopedValueRollback<bool> working(m_workInProgress, true);
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void MainWindow::restoreReportViewers() {
    for (const char* name : {"RptForm", "SRptForm"}) {
        for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
            if (sub->widget() && sub->widget()->objectName() == QLatin1String(name) && sub->isMinimized())
                sub->showNormal();
        }
    }
}

void MainWindow::placeChildWindows() {
    // Each child window takes the saved place of its key, in this order.
    static const std::pair<const char*, const char*> children[] = {
        {"drivedirsel", "DRIVE_DIRECTORY_FORM"},
        {"Drivedirquery", "CONDITIONS_SORTING_FORM"},
        {"frmsummary", "SETUP_SUMMARY_FORM"},
        {"SetupDetail", "SETUP_DETAIL_FORM"},
    };
    for (const auto& [name, key] : children) {
        for (QMdiSubWindow* sub : m_mdiArea->subWindowList()) {
            if (sub->widget() && sub->widget()->objectName() == QLatin1String(name)) {
                placeWindow(sub, key, m_app.windowPositions);
                // A window whose place waits for its first resize still stands where the area put
                // it, which may be partly outside: keep it inside.
                if (!sub->isMinimized() && !sub->isMaximized())
                    sub->setGeometry(fitChildRect(sub->geometry(),
                                                  sub->minimumSizeHint().expandedTo(sub->minimumSize()),
                                                  m_mdiArea->viewport()->size()));
            }
        }
        QCoreApplication::processEvents();
    }
}

void MainWindow::showTipOfTheDay() {
    TipWindow::showModal(m_app.work.workDirectory, m_app.iniFileName, this);
}

void MainWindow::showAbout() {
    AboutWindow::showAbout(m_app.work.workDirectory, m_app.intl, this);
}

void MainWindow::setStatus(const QString& text) {
    m_statusPanel->setText(text);
    m_statusPanel->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString MainWindow::status() const {
    return m_statusPanel->text();
}

void MainWindow::updateClock() {
    const QDateTime now = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    m_timePanel->setText(locale.toString(now.time(), QLocale::ShortFormat));
    m_datePanel->setText(locale.toString(now.date(), QLocale::ShortFormat));
}

void MainWindow::endProgram() {
    // Set first: the steps below may close the window again (a failed save ends the program).
    m_ended = true;
    // Changes the user wanted saved and that could not be (a full disk): the program stays, so they
    // can be saved elsewhere.
    if (!work::confirmSaveChanges(m_app.work)) {
        m_ended = false;
        return;
    }
    if (m_app.saveSettingsOnExit)
        windowPositions(m_app.windowPositions, "SAVEVALUES", m_app.iniFileName, &WindowPlacement::lookup);
    saveRecentFiles(m_app.recent, m_app.iniFileName);
    if (m_help)
        m_help->close();
    work::closeWorkFile(m_app.work);
    m_clock->stop();
    Q_EMIT ended();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // A close request from the window manager is not user input and would still reach the window
    // while a report is built; the builder holds the work file, so the window stays.
    if (m_workInProgress) {
        event->ignore();
        return;
    }
    if (!m_ended)
        endProgram();
    if (!m_ended) {
        event->ignore();
        return;
    }
    event->accept();
}

} // namespace zek
