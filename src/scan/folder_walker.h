// The folder walker: measures the scan drive, then walks every chosen folder breadth-first and
// writes one FILETYPE record for every entry it meets, files and folders alike.
//
// The records are written on the calling (user-interface) thread: through the FILETYPE record set's
// prepared insert, inside transactions committed about once a second, with the display's pump()
// called every few tens of milliseconds, never per entry. A cancelled or failed scan commits every
// record written before it stopped.
//
// Reading the folders (directory listing, short names, one statx per entry) takes about as long as
// writing the records, so by default a reader thread reads ahead, in the same breadth-first order,
// while the records are written. It touches nothing but the file system and hands over folders in
// chunks through a bounded channel, so memory stays flat; the database, the display and the scan
// state stay on the calling thread. With `ScanPacing::readAhead` false the same code reads each
// folder on the calling thread when its turn comes.
#pragma once

#include "db/work_state.h"
#include "platform/dir_search.h"
#include "scan/scan_state.h"

#include <vector>

namespace zek::scan {

// What the walker shows while it runs: the processing window, or zek-batch's progress line.
class ScanDisplay {
public:
    virtual ~ScanDisplay() = default;
    // Once, before the first folder: the scan drive's root and capacity.
    virtual void showCapacity(const QString& driveRoot, const DriveCapacity& capacity) = 0;
    // The folder being walked and the entry being recorded. Called for every folder and every
    // entry, so an implementation only keeps the text and shows it at the next pump().
    virtual void showFolder(const QString& text) = 0;
    virtual void showEntry(const QString& text) = 0;
    // Let events run and repaint; called at most every few tens of milliseconds.
    virtual void pump() = 0;
    // A folder or entry the walk had to skip, and why. The walk goes on.
    virtual void showProblem(const QString& text) { Q_UNUSED(text); }
};

// A display that shows nothing.
class NullScanDisplay : public ScanDisplay {
public:
    void showCapacity(const QString&, const DriveCapacity&) override {}
    void showFolder(const QString&) override {}
    void showEntry(const QString&) override {}
    void pump() override {}
};

enum class ScanOutcome {
    Completed, // every chosen folder walked; ScanResult 0
    Cancelled, // ScanCancel was set; ScanResult -999
    Failed,    // a database error ended the scan (ScanState::errorNumber/errorText); ScanResult -999
};

// Pacing of the walk. Commits cost a flush to disk each (tens of milliseconds on a slow disk), and a
// scan killed between two commits loses only records of a scan that did not complete anyway.
struct ScanPacing {
    int pumpInterval = 40;     // ms between two pump() calls
    int commitInterval = 1000; // ms between two commits
    bool readAhead = true;     // read folders on a reader thread while the records are written
};

// `ReadDriveCapacity`: `drive` is a path on the drive (the first chosen folder); it becomes that
// drive's root, the mount point that holds it. The capacity is asked of the file system (statvfs);
// when that fails the capacity is zero and not known, never the previous drive's figures.
void readDriveCapacity(QString& drive, DriveCapacity& capacity);

// `ScanSelectedFolders`: the chosen folders of `ws.settings.folders`, written into FILETYPE through
// `ws.table(WorkTable::Filetype)` (opened when it is not). The caller has emptied the table and
// cleared scan.scanCancel. Sets ws.scanResult: 0 when completed, -999 when cancelled or failed.
ScanOutcome scanSelectedFolders(ScanState& scan, db::WorkState& ws, ScanDisplay& display,
                                ScanPacing pacing = {});

// One entry as the walk records it: the directory search's facts, and the short form split at its
// first "." into NAME and EXTENSION (worked out by the reader, off the writer's thread).
struct WalkEntry {
    platform::DirEntry entry;
    QString shortForm; // the alternate, or the long name in upper case
    QString name;      // before the first "."
    QString extension; // after it; empty without one
};

// One folder's entries, or a chunk of them (a large folder is handed over in several chunks).
struct FolderBatch {
    int index = -1;           // the folder's queue index, its folder number
    FolderQueueEntry folder;  // paths ending in "/"
    bool first = true;        // the first chunk of the folder
    bool last = true;         // the last chunk of the folder
    int openError = 0;        // errno: the folder could not be opened; no entries
    int readError = 0;        // errno: reading the folder stopped part-way (first chunk only)
    bool pathTooLong = false; // the folder's path does not fit the file table; not read
    std::vector<WalkEntry> entries;
    // The queue entries of the subfolders among `entries`, in their order (see entersFolder).
    std::vector<FolderQueueEntry> subfolders;
};

struct WalkContext;

// `WalkFolder`: records the entries of one folder, given its first chunk; the further chunks come
// from the context's source. Mount points and symbolic links are recorded, never entered; entries
// that cannot be examined are counted and skipped. Returns false when the scan was cancelled.
// Throws db::EngineError when the database fails in a way that concerns more than one entry.
bool walkFolder(WalkContext& context, FolderBatch& batch);

// The queue entry of a subfolder found in `parent` (queue index `parentIndex`): its paths are the
// parent's followed by the entry's short form (upper case) and long name; `shortName` is the short
// form. Paths get their trailing "/" when the folder is walked.
FolderQueueEntry subfolderEntry(const FolderQueueEntry& parent, int parentIndex,
                                const platform::DirEntry& entry, const QString& shortName);

// Whether the walk enters a folder entry: folders yes, mount points and links never.
inline bool entersFolder(const platform::DirEntry& entry) {
    return entry.error == 0 && entry.directory && !entry.isMountPoint;
}

// The FILETYPE fields in the order the walker sets them.
const QStringList& filetypeFieldOrder();

} // namespace zek::scan
