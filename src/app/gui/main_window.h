// The main window: menus, toolbar, status bar and the area that holds every other window.
#pragma once

#include "app/app_state.h"

#include <QMainWindow>

#include <memory>

class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QTimer;
class QToolBar;

namespace zek {

class ConditionsWindow;
class HelpWindow;
class ReportViewerWindow;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(AppState& app, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The load steps: help file, placement, the child windows' set-up, recent files, the work file
    // (a new working copy, or `workFileArgument` when given) and the window settings. False when the
    // work file could not be opened and the user chose Cancel; the program has then ended.
    bool load(const QString& workFileArgument = QString());

    // The text of the "status" panel, repainted at once.
    void setStatus(const QString& text);
    QString status() const;

    // The File menu's recent-file entries, rebuilt from the application state.
    void rebuildRecentFileMenu();
    // The Print items, Print Preview and the toolbar's "print" button, enabled by the reports that
    // exist.
    void setPrintEnabled();
    // The Edit menu's entry items (Add New Entry, Insert Entry, Delete Entry) and their separator,
    // shown by the child windows that edit entries.
    void setEntryItemsVisible(bool visible);

    QMdiArea* mdiArea() const { return m_mdiArea; }
    AppState& app() { return m_app; }
    // True once the end-of-run steps have run (the window closed or the program was ended).
    bool hasEnded() const { return m_ended; }

    // Commands, as the menus and the toolbar run them.
    void fileNew();
    void fileOpen();
    void fileSave();
    void fileSaveAs();
    void openRecentFile(int n);
    void printSetup();
    void printReport(report::ReportKind kind);
    void printFromToolbar();
    // The active viewer's report, else the Detail report, else the Summary report.
    void printPreview();
    void copySelection();
    void copyPage();
    void toggleSaveSettings();
    void helpTopics();
    void showTipOfTheDay();
    void showAbout();
    void arrangeCascade();
    void arrangeTileHorizontal();
    void arrangeTileVertical();
    void arrangeIcons();

Q_SIGNALS:
    // The end-of-run steps are done: the program should quit.
    void ended();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void buildToolbar();
    void buildStatusBar();
    // The Edit menu's entry items run the line commands of the Conditions & Sorting window, the one
    // window that shows them, for as long as it exists.
    void connectEntryItems(ConditionsWindow* conditions);
    void wireWorkFileHooks();
    // The two reports: their viewers, the print items, the report printer, and their close when
    // another work file is opened.
    void wireReports();
    void restoreReportViewers();
    // Lets events run during long work on the work file (a selection, a report build).
    void answerEventsDuringWork();
    void placeChildWindows();
    void updateClock();
    void loadStatus(const QString& text);
    // Runs until the work file is open or the user cancels; false after Cancel.
    bool retryUntilOpen(const QString& failedOperation, const QString& retryOperation);
    // Asks to save the changes and closes the work file; the program stays (hasEnded false) when the
    // user wanted the changes saved and the save failed.
    void endProgram();
    // The active child window when it is a report viewer.
    ReportViewerWindow* activeViewer() const;
    // Edit > Copy and the toolbar's "copy" are enabled while a report viewer is the active window.
    void updateCopyEnabled();
    void popUpCopyMenu();

    AppState& m_app;
    QMdiArea* m_mdiArea = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_printMenu = nullptr;
    QMenu* m_copyMenu = nullptr;
    QAction* m_printPreviewAction = nullptr;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recentActions;
    QList<QAction*> m_entryItems;
    QAction* m_saveSettingsAction = nullptr;
    QToolBar* m_toolbar = nullptr;
    QLabel* m_statusPanel = nullptr;
    QLabel* m_insPanel = nullptr;
    QLabel* m_timePanel = nullptr;
    QLabel* m_datePanel = nullptr;
    QTimer* m_clock = nullptr;
    bool m_insertMode = true;
    bool m_ended = false;
    bool m_workInProgress = false;
    std::unique_ptr<HelpWindow> m_help;
};

} // namespace zek
