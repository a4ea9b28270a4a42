// The Path Selection window: the folder tree of one drive by long and by short names, the list of
// chosen folders in both forms, and the buttons that add, remove, clear, start the inventory and
// build the reports from a loaded work file.
#pragma once

#include "platform/intl.h"
#include "query/statement_builder.h"
#include "scan/path_selection.h"
#include "scan/scan_state.h"
#include "work/work_state.h"

#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace zek {

class PathSelectionWindow : public QWidget {
    Q_OBJECT
public:
    // The window edits the folder list of `work` and starts on the drive of its work directory; the
    // scan reads numbers and dates as `intl` has them. `scan` and `qs` are the program's shared scan
    // and statement-builder state; without them the window keeps its own. `driveRoots` are the
    // drives offered (the mounted drives when empty).
    PathSelectionWindow(work::WorkState& work, const platform::IntlSettings& intl,
                        scan::ScanState* scan = nullptr, query::QueryState* qs = nullptr,
                        QStringList driveRoots = {}, QWidget* parent = nullptr);
    ~PathSelectionWindow() override;

    scan::ScanState& scanState() { return *m_scan; }
    query::QueryState& queryState() { return *m_qs; }
    const scan::FolderOutline& outline() const { return m_outline; }

    // Shows the folder list of the work state and the active file name (after Open and New).
    void showSettings();
    // Shows the active file name in `activedatabase` (after Open, New and Save As).
    void showActiveFileName();

    // The user's actions, as the controls run them.
    bool changeDrive(int index);
    void activateNode(int position);
    void selectNode(int position);
    void addFolder();
    void removeFolders();
    void clearFolders();
    void start();
    void historic();
    // "&Historic" becomes enabled: the reports may be built from the loaded work file's records.
    void enableHistoric();
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

    work::WorkState& m_work;
    const platform::IntlSettings& m_intl;
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

} // namespace zek
