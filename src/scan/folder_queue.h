// The folder queue of a breadth-first walk. An entry's index is its folder number (PATHNUMBER).
// Entries already walked are released, so the queue holds only the folders still waiting, and it
// holds them packed: a waiting folder costs a few dozen bytes (its numbers and its name), not the
// strings and allocations of a whole entry. A wide tree keeps tens of thousands of folders waiting,
// so this is what keeps a scan's memory close to flat.
#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <deque>
#include <vector>

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
};

class FolderQueue {
public:
    int firstIndex = 0;   // index of the first waiting entry
    int folderCount = -1; // `FolderCount`: index of the last entry; -1 when empty

    void clear();
    // Appends an entry and returns its index.
    int append(const FolderQueueEntry& entry);
    // The entry at `index`, unpacked. The reference stays valid, and changes to it are kept, until
    // another index is asked for; the walk asks for one folder at a time, when its turn comes.
    FolderQueueEntry& at(int index);
    // Releases every entry before `index` (they have been walked).
    void releaseBefore(int index);
    std::size_t waitingCount() const { return m_packed.size(); }

private:
    struct Packed {
        std::int64_t offset; // of its texts in the byte store, counted from the store's first byte ever
        std::int32_t shortChars, longChars, rawBytes;
        std::int32_t level, parent;
        bool belowSkipped;
    };
    void appendBytes(const char* data, std::size_t size);
    void dropSpentBytes();

    std::deque<Packed> m_packed;  // entries firstIndex .. folderCount
    std::vector<char> m_bytes;    // their texts: short path, long path (UTF-16), raw path
    std::int64_t m_bytesBase = 0; // offset of m_bytes[0]
    FolderQueueEntry m_unpacked;  // the entry last asked for
    int m_unpackedIndex = -1;
};

} // namespace zek::scan
