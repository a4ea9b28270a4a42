// The shared state of a scan: the scan drive and its capacity, the cancel flag, the outline that
// chooses short or long progress texts, the folder queue, and what went wrong along the way.
//
// One ScanState lives as long as the program (the Detail report reads the drive's capacity after
// the scan); every scan resets the queue and the counters. `ScanResult` is not here: it lives in
// work::WorkState::scanResult, next to the file table it describes.
#pragma once

#include <QByteArray>
#include <QString>

#include <deque>

namespace zek::scan {

// The size and free space of the scan drive, in bytes, 64-bit (drives are far beyond 2 GB).
struct DriveCapacity {
    qint64 totalBytes = 0; // `TotalBytes`
    qint64 freeBytes = 0;  // `FreeBytes`, free for an ordinary user
    bool known = false;    // false when the file system could not be asked
    int errorNumber = 0;   // errno of the failed question, 0 otherwise
};

// One folder waiting to be walked.
struct FolderQueueEntry {
    QString shortPath;      // `ShortPath`: the short (8.3) form, upper case, recorded in PATH
    QString longPath;       // `LongPath`: the long form as shown and recorded in LONGPATH
    QByteArray rawLongPath; // the same path as the bytes that reach the disk (names need not be UTF-8)
    int level = 0;          // `Level`: 0 for a chosen folder, parent's level + 1 below it
    int parent = -1;        // `Parent`: queue index of the folder it was found in; -1 for a chosen folder
    // Below a folder whose path the file table cannot hold: its own path is longer still, so it is
    // passed over without a word (the skipped folder above it was told).
    bool belowSkipped = false;
};

// The folder queue. An entry's index is its folder number (PATHNUMBER). Entries already walked are
// released, so the queue holds only the folders still waiting: its memory follows the breadth of
// the tree, never the number of files.
struct FolderQueue {
    std::deque<FolderQueueEntry> waiting; // entries firstIndex .. folderCount
    int firstIndex = 0;                   // index of waiting.front()
    int folderCount = -1;                 // `FolderCount`: index of the last entry; -1 when empty

    void clear() {
        waiting.clear();
        firstIndex = 0;
        folderCount = -1;
    }
    // Appends an entry and returns its index.
    int append(FolderQueueEntry entry) {
        if (waiting.empty())
            firstIndex = folderCount + 1;
        waiting.push_back(std::move(entry));
        return ++folderCount;
    }
    FolderQueueEntry& at(int index) { return waiting[static_cast<size_t>(index - firstIndex)]; }
    // Releases every entry before `index` (they have been walked).
    void releaseBefore(int index) {
        while (!waiting.empty() && firstIndex < index) {
            waiting.pop_front();
            ++firstIndex;
        }
    }
};

// What the walk met on its way. Every problem is counted and the walk goes on.
struct ScanCounters {
    qint64 entries = 0;        // records written
    qint64 folders = 0;        // folders walked (opened and read)
    qint64 foldersSkipped = 0; // folders that could not be opened or read in full
    qint64 entriesSkipped = 0; // entries that could not be examined (vanished, denied) or stored
    qint64 mountPointsNotEntered = 0;
    qint64 symbolicLinks = 0; // recorded, never followed

    qint64 problems() const { return foldersSkipped + entriesSkipped; }
};

struct ScanState {
    QString scanDrive; // `ScanDrive`: the root (mount point) of the file system of the first chosen folder
    DriveCapacity driveCapacity;
    bool scanCancel = false; // `ScanCancel`: set by Cancel, tested after every entry
    QString activeOutline = QStringLiteral("Outline1"); // `ActiveOutline`: "Outline2" shows short forms
    FolderQueue queue;
    ScanCounters counters;
    // A database error that ended the scan early; number 0 when there was none.
    int errorNumber = 0;
    QString errorText;
};

// True when progress shows short (8.3) forms: `ActiveOutline` is "OUTLINE2", case ignored.
bool showsShortForms(const ScanState& scan);

} // namespace zek::scan
