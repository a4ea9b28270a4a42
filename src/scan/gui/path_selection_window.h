// The Path Selection window: the folder tree of one drive by long and by short names, the list of
// chosen folders in both forms, and the buttons that add, remove, clear, start the inventory and
// build the reports from a loaded work file.
#pragma once

#include "app/app_state.h"
#include "query/statement_builder.h"
#include "scan/path_selection.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QMdiArea;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zek {

class PathSelectionWindow : public QWidget {
    Q_OBJECT
public:
    // `scan` and `qs` are the program's shared scan and statement-builder state; without them the
    // window keeps its own. `driveRoots` are the drives offered (the mounted drives when empty).
    explicit PathSelectionWindow(AppState& app, scan::ScanState* scan = nullptr,
                                 query::QueryState* qs = nullptr, QStringList driveRoots = {},
                                 QWidget* parent = nullptr);
    ~PathSelectionWindow() override;

    scan::ScanState& scanState() { return *m_scan; }
    query::QueryState& queryState() { return *m_qs; }
    const scan::FolderOutline& outline() const { return m_outline; }

    // Shows the folder list of the work state and the active file name (after Open and New).
    void showSettings();

    // The user's actions, as the controls run them.
    bool changeDrive(int index);
    void activateNode(int position);
    void selectNode(int position);
    void addFolder();
    void removeFolders();
    void clearFolders();
    void start();
    void historic();
    void showLongNames(bool longNames);
    void setActiveOutline(const QString& name);

    // Runs the scan for Start; the processing window unless a test replaces it.
    std::function<scan::ScanOutcome()> scanRunner;

    // The main window closes the window at the end of the run; the window menu cannot.
    void allowClose() { m_closeAllowed = true; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void fillOutlines();
    void fillLists();
    void updateButtons();
    int selectedPosition() const;
    scan::ScanOutcome runScan();

    AppState& m_app;
    std::unique_ptr<scan::ScanState> m_ownScan;
    std::unique_ptr<query::QueryState> m_ownQs;
    scan::ScanState* m_scan;
    query::QueryState* m_qs;
    scan::FolderOutline m_outline;
    QStringList m_driveRoots;
    int m_lastGoodDrive = -1;
    bool m_closeAllowed = false;
    bool m_syncing = false;
    QString m_dragSource; // "drivedirlist" or "drivedirlist2": the list where the last drag started

    QFrame* m_panel = nullptr;
    QRadioButton* m_slsf[2] = {nullptr, nullptr};
    QComboBox* m_drive = nullptr;
    QListWidget* m_dir = nullptr;
    QTreeWidget* m_outline1 = nullptr;
    QTreeWidget* m_outline2 = nullptr;
    QPushButton* m_seldir = nullptr;
    QPushButton* m_seldir2 = nullptr;
    QListWidget* m_list = nullptr;
    QListWidget* m_list2 = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_clear = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_historic = nullptr;
    QLabel* m_label2 = nullptr;
    QLabel* m_activeDatabase = nullptr;
};

// Creates the window as a child of the main window's area, chains the work file's hooks to it (the
// list is shown again after Open and New; "&Historic" is enabled when a loaded work file offers its
// reports) and shows it.
PathSelectionWindow* openPathSelectionWindow(QMdiArea* area, AppState& app, scan::ScanState* scan = nullptr,
                                             query::QueryState* qs = nullptr);

} // namespace zek
