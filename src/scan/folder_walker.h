// The folder walker: measures the scan drive, then walks every chosen folder breadth-first and
// writes one FILETYPE record for every entry it meets, files and folders alike.
//
// The records are written on the calling (user-interface) thread: through a typed record appender
// on FILETYPE (one prepared insert), inside transactions committed about once a second or every
// 20,000 records, with the display's pump() called every few tens of milliseconds, never per entry.
// A cancelled or failed scan commits every record written before it stopped.
//
// Reading the folders (opening them, listing their names, one statx per entry) takes about as long
// as writing the records, so by default a reader thread reads ahead, in the same breadth-first order,
// while the records are written. It touches nothing but the file system and hands over folders in
// chunks through a bounded channel, so memory stays flat; the database, the display and the scan
// state stay on the calling thread. A chunk carries plain facts and the folder's raw names in one
// buffer; the writer makes the shown names, the short names and the texts it binds, which keeps the
// two threads about equally busy. With `ScanPacing::readAhead` false the same code reads each folder
// on the calling thread when its turn comes.
//
// The parts, each in its own file: the folder reader (folder_reader.h), the channel between the two
// threads (read_ahead_channel.h) and the record writer (record_writer.h); this file walks the folders
// with them.
#pragma once

#include "platform/dir_search.h"
#include "scan/scan_state.h"
#include "work/work_state.h"

#include <vector>

namespace zek::scan {

// What the walker shows while it runs: the processing window, or zek-batch's progress line.
class ScanDisplay {
public:
    virtual ~ScanDisplay() = default;
    // Once, before the first folder: the scan drive's root and capacity.
    virtual void showCapacity(const QString& driveRoot, const DriveCapacity& capacity) = 0;
    // The folder being walked and the entry being recorded. Called for every folder and every
    // entry, so an implementation only keeps the text and shows it at the next pump(). The entry's
    // text is a view, valid for the call only: most displays show few of them, and a string made
    // for every entry would cost more than the display does.
    virtual void showFolder(const QString& text) = 0;
    virtual void showEntry(QStringView text) = 0;
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
    void showEntry(QStringView) override {}
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
    int commitInterval = 1000; // ms between two commits at most
    // Records between two commits at most: a transaction that outgrows the database's page cache
    // writes its pages out twice.
    int commitRecords = 20000;
    bool readAhead = true; // read folders on a reader thread while the records are written
    // While fewer entries and folders than this wait to be written, the reader thread leaves the
    // files' system calls, and the reading of small folders with no folder in them, to the writer, so
    // both threads stay busy; 0: the reader reads every folder and examines every entry.
    int leaveFilesBelow = 256;
};

// `ReadDriveCapacity`: `drive` is a path on the drive (the first chosen folder); it becomes that
// drive's root, the mount point that holds it. The capacity is asked of the file system (statvfs);
// when that fails the capacity is zero and not known, never the previous drive's figures.
void readDriveCapacity(QString& drive, DriveCapacity& capacity);

// `ScanSelectedFolders`: the chosen folders of `ws.settings.folders`, written into FILETYPE through
// `ws.table(WorkTable::Filetype)` (opened when it is not). The caller has emptied the table and
// cleared scan.scanCancel. Sets ws.scanResult: 0 when completed, -999 when cancelled or failed.
ScanOutcome scanSelectedFolders(ScanState& scan, work::WorkState& ws, ScanDisplay& display,
                                ScanPacing pacing = {});

// The queue entry of a subfolder found in `parent` (queue index `parentIndex`), as the writer keeps
// it while it waits: its short form (upper case) only. Its paths are made when the folder is walked:
// the short path from its parent's, kept once for all its subfolders, the long path from the raw
// path the reader hands over (see shownLongPath). The queue is as wide as the tree, so it holds
// names, not paths. Paths get their trailing "/" then too.
FolderQueueEntry subfolderEntry(const FolderQueueEntry& parent, int parentIndex, QStringView shortForm);

// The long path as shown of a folder below the chosen folder `chosen` (its long and raw paths
// ending in "/"), whose raw path is `raw` (ending in "/"): the chosen folder's long path, then the
// shown form of each name below it (U+FFFD for bytes that are not UTF-8), each followed by "/".
QString shownLongPath(const FolderQueueEntry& chosen, const QByteArray& raw);

// Whether the walk enters a folder entry: folders yes, mount points and links never.
inline bool entersFolder(const platform::EntryFacts& entry) {
    return entry.error == 0 && entry.directory && !entry.isMountPoint;
}

} // namespace zek::scan
