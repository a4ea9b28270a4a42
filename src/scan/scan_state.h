// The shared state of a scan: the scan drive and its capacity, the cancel flag, the outline that
// chooses short or long progress texts, the folder queue, and what went wrong along the way.
//
// One ScanState lives as long as the program (the Detail report reads the drive's capacity after
// the scan); every scan resets the queue and the counters. `ScanResult` is not here: it lives in
// work::WorkState::scanResult, next to the file table it describes.
#pragma once

#include "scan/folder_queue.h"

#include <QByteArray>
#include <QString>

namespace zek::scan {

// The size and free space of the scan drive, in bytes, 64-bit (drives are far beyond 2 GB).
struct DriveCapacity {
    qint64 totalBytes = 0; // `TotalBytes`
    qint64 freeBytes = 0;  // `FreeBytes`, free for an ordinary user
    bool known = false;    // false when the file system could not be asked
    int errorNumber = 0;   // errno of the failed question, 0 otherwise
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
