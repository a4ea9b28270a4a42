// The folder queue of a breadth-first walk. An entry's index is its folder number (PATHNUMBER).
// Entries already walked are released, so the queue holds only the folders still waiting, packed
// (a few dozen bytes each: their numbers and their name) in a queue that keeps only its two ends in
// memory. A wide tree keeps tens of thousands of folders waiting; they cost no memory beyond that.
#pragma once

#include <QByteArray>
#include <QString>

#include "scan/spilling_fifo.h"

namespace zek::scan {

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
    // It holds no folder and few entries (platform::EntryFacts::smallLeaf): the reader may hand it
    // over unread, for the writer to list.
    bool smallLeaf = false;
};

class FolderQueue {
public:
    int firstIndex = 0;   // index of the first waiting entry
    int folderCount = -1; // `FolderCount`: index of the last entry; -1 when empty

    void clear();
    // Appends an entry and returns its index.
    int append(const FolderQueueEntry& entry);
    // The first waiting entry (`index` is firstIndex: the walk takes the folders in their order),
    // unpacked. The reference stays valid, and changes to it are kept, until it is released.
    FolderQueueEntry& at(int index);
    // Releases every entry before `index` (they have been walked).
    void releaseBefore(int index);
    std::size_t waitingCount() const { return m_packed.size(); }

private:
    SpillingFifo m_packed;       // entries firstIndex .. folderCount
    FolderQueueEntry m_unpacked; // the entry last asked for
    int m_unpackedIndex = -1;
};

} // namespace zek::scan
