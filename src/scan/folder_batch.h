// What the folder reader hands to the record writer: a folder's entries, a chunk at a time.
#pragma once

#include "platform/dir_search.h"
#include "scan/scan_state.h"

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <memory>
#include <vector>

namespace zek::scan {

// Ends a path with "/" in place (queue entries are made with room for it).
inline void addSeparator(QString& path) {
    if (!path.endsWith(u'/'))
        path.append(u'/');
}

inline void addSeparator(QByteArray& path) {
    if (!path.endsWith('/'))
        path.append('/');
}

// One entry as the reader hands it over: the file system's facts, and which of its folder's names
// it is. Shown forms, short names and UTF-8 texts are the writer's work: the reader has the system
// calls to make, and the two threads are best kept about equally busy. For the same reason the
// reader leaves the files' facts to the writer while the writer has little else to do.
struct WalkRecord {
    platform::EntryFacts facts;
    quint32 name = 0;
    bool examined = true; // false: left for the writer to examine (see FolderBatch::folderFd)
};

// One folder's entries, or a chunk of them (a large folder is handed over in several chunks).
struct FolderBatch {
    int index = -1; // the folder's queue index, its folder number
    // The folder, its paths ending in "/": a chosen folder's every path, below that the raw one only
    // (the writer makes the others, as it records the folder's entry in its parent).
    FolderQueueEntry folder;
    bool first = true;        // the first chunk of the folder
    bool last = true;         // the last chunk of the folder
    int openError = 0;        // errno: the folder could not be opened; no entries
    int readError = 0;        // errno: reading the folder stopped part-way (first chunk only)
    bool pathTooLong = false; // the folder's path does not fit the file table; not read
    std::vector<WalkRecord> records;
    platform::FolderNames names; // first chunk: every name of the folder (short names need them all)
    // Where the reader left entries unexamined: the folder, still open, and the facts of its mount.
    std::shared_ptr<const platform::UniqueFd> folderFd;
    platform::MountFacts mount;
    // A small folder with no folder in it, handed over unread (no names, no records, no errors yet):
    // the writer lists it in its parent, open here (O_PATH), with `mount`. See readUnreadFolder().
    bool unread = false;
    std::shared_ptr<const platform::UniqueFd> parentFd;
};

// Empties a spent batch, keeping its buffers.
inline void reuse(FolderBatch& b) {
    b.index = -1;
    b.folder = FolderQueueEntry{};
    b.first = true;
    b.last = true;
    b.openError = 0;
    b.readError = 0;
    b.pathTooLong = false;
    b.records.clear();
    b.names.clear();
    b.folderFd.reset();
    b.unread = false;
    b.parentFd.reset();
}

// Whether a spent batch goes back to the reader for reuse. Memory is freed fastest by the thread
// that took it; only small batches come back, so the buffers kept stay small.
inline bool worthReusing(const FolderBatch& b) {
    return b.records.capacity() <= 64 && b.names.rawCapacity() <= 4096;
}

// The entries a batch counts for while it waits to be written: its records, or for a folder handed
// over unread, a guess (leaves are mostly small), so that the reader does not hand over folders far
// faster than the writer gets through them.
constexpr std::size_t UnreadFolderEntries = 16;
inline std::size_t waitingEntries(const FolderBatch& b) {
    return b.unread ? UnreadFolderEntries : b.records.size();
}

// Entries of one folder in a batch at most; at most ChannelEntries entries and ChannelBatches batches
// (empty folders make batches without entries) wait between the reader thread and the writer.
constexpr std::size_t ChunkSize = 1024;
constexpr std::size_t ChannelEntries = 8 * ChunkSize;
constexpr std::size_t ChannelBatches = 256;

} // namespace zek::scan
