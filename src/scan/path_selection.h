// The logic of the Path Selection window, free of windows: the folder outline of one drive (long and
// short names, node for node), the drive test, and Remove, Clear, Start and Historic over the work
// state.
//
// The outline shows the chain from the drive's root down to the current folder, followed by the
// current folder's subfolders, read afresh from disk each time. The long outline shows each name as
// it is on disk, since names here keep their case (CaseDir and casedir are two folders).
#pragma once

#include "platform/dir_search.h"
#include "query/statement_builder.h"
#include "scan/folder_add_check.h"
#include "scan/folder_walker.h"
#include "scan/scan_state.h"
#include "work/work_state.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <vector>

namespace zek::scan {

inline const QString OutlineLong = QStringLiteral("Outline1");
inline const QString OutlineShort = QStringLiteral("Outline2");
inline const QString SelectDirectoriesText = QStringLiteral("Please select one or more directories.");
inline const QString ClearQuestion = QStringLiteral("Do you want to clear all the directories? ");
inline const QString ClearTitle = QStringLiteral("Drive and Directory Selection ");
inline const QString CheckDriveText = QStringLiteral("Check drive for availability.");
inline const QString DeleteFiletypeSql = QStringLiteral("Delete * from filetype");

// One node of the outline. Positions are indexes into FolderOutline::nodes(), the same in both
// outlines.
struct OutlineNode {
    QString longText;   // shown in Outline1
    QString shortText;  // shown in Outline2
    QString name;       // the folder's name as on disk; the root's mount point
    QByteArray rawName; // the bytes that reach the disk
    QString shortName;  // the short form of the name within its parent; the root's short path
    int level = 1;      // 1 for the root
    int parent = -1;    // position of the parent; -1 for the root
    bool open = false;  // open-folder picture: the root and every folder on the chain
};

// The short outline's text: the alternate, or the name in upper case.
QString shortOutlineText(const QString& name, const QString& alternate);

// `path` + "/" + `name` without doubling a "/" that `path` ends in.
QString joinPath(const QString& path, const QString& name);

// The drive change message: "Error " + number (a leading blank for positive numbers) + ", " +
// description + "." + CR LF + "Check drive for availability.".
QString driveErrorText(int errorNumber, const QString& description);

// Tests that a drive's root can be read: 0, or the errno of the failure.
int testDrive(const QString& root, QString* errorText = nullptr);

class FolderOutline {
public:
    // Empties the outline and shows `root` (a mount point) with its subfolders. The root's short
    // form is the short form of its path.
    platform::SearchError setRoot(const QString& root);

    // Makes the folder at `position` the current folder: the chain from the root to it, then its
    // subfolders read afresh. Activating the root lists its subfolders again.
    platform::SearchError activate(int position);

    const std::vector<OutlineNode>& nodes() const { return m_nodes; }
    int count() const { return static_cast<int>(m_nodes.size()); }
    bool isEmpty() const { return m_nodes.empty(); }
    QString root() const { return m_nodes.empty() ? QString() : m_nodes.front().name; }
    // The position of the current folder (the last folder on the chain).
    int current() const { return m_current; }

    // The full paths of a node: long form (as on disk), short form, and the bytes for the disk.
    QString longPath(int position) const;
    QString shortPath(int position) const;
    QByteArray rawPath(int position) const;

private:
    platform::SearchError listChildren(int position);

    std::vector<OutlineNode> m_nodes;
    int m_current = -1;
};

// The positions of the items to remove: every item selected in either list (an item selected in
// the long list takes its twin in the short list along, and the other way round).
std::vector<int> itemsToRemove(const std::vector<bool>& selectedLong, const std::vector<bool>& selectedShort);

// Removes the given positions (ascending or not) from both forms of the list. Returns how many were
// removed.
int removeFolders(FolderList& list, std::vector<int> positions);

// What the window needs from its surroundings for Start.
struct StartHooks {
    // Runs the scan (the processing window); the caller has emptied the file table.
    std::function<ScanOutcome()> runScan;
    // "&Historic" becomes disabled.
    std::function<void()> disableHistoric;
};

enum class StartOutcome {
    NotReady,       // a report precondition failed; nothing was done
    DatabaseError,  // emptying the file table failed; the user was told
    ScanNotDone,    // the scan was cancelled or failed; the reports were not built
    ReportsCurrent, // nothing had changed: the reports stand
    ReportsBuilt,   // the statement was built and opened (its outcome in `selection`)
};

struct StartResult {
    StartOutcome outcome = StartOutcome::NotReady;
    bool scanned = false;
    query::SelectionOutcome selection = query::SelectionOutcome::Selected;
};

// The "&Start" button: checks the report preconditions, works out what changed since the last
// Start, scans again when the folder list changed or no completed scan backs the file table, and
// builds the statement and reports when the scan, the condition lines, the detail columns or the
// sorters changed.
StartResult startInventory(work::WorkState& ws, query::QueryState& qs, ScanState& scan,
                           const StartHooks& hooks);

} // namespace zek::scan
