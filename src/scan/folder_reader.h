// The folder reader: reads the chosen folders breadth-first and hands them out as batches. It
// touches nothing but the file system, so it can run ahead of the record writer on another thread.
#pragma once

#include "scan/folder_batch.h"
#include "scan/spilling_fifo.h"
#include "work/folder_list.h"

#include "platform/unique_fd.h"

#include <deque>
#include <memory>
#include <utility>

namespace zek::scan {

// Reads the chosen folders breadth-first and hands them out as batches, in the order the records
// are written: the folder itself, then all its subfolders in the order the file system listed them,
// then theirs; only then the next chosen folder. Keeps its own queue, so it can run ahead of the
// writer on another thread.
class FolderReader {
public:
    explicit FolderReader(const FolderList& chosen);
    ~FolderReader();
    FolderReader(const FolderReader&) = delete;
    FolderReader& operator=(const FolderReader&) = delete;

    // The next batch; false when every chosen folder has been read. `b` may be a spent batch: its
    // buffers are reused. With `leaveToWriter`, work that cannot change the queue is left to the
    // writer: entries the listing marks as neither folders nor unknown are not examined, and a small
    // folder with no folder in it is not read at all (FolderBatch::unread).
    bool produce(FolderBatch& b, bool leaveToWriter = false);

private:
    // Starts the next folder and opens it: false when every chosen folder has been read. A folder
    // not read (its path too long, not opened, or left to the writer) leaves no search and says why
    // in `b`.
    bool startNextFolder(FolderBatch& b, bool leaveToWriter);
    // Moves to the next folder of the queue; when the queue is spent, the next chosen folder joins it.
    bool advance();
    // Fills `b` with the next chunk of the current folder's entries, queueing its subfolders.
    void readChunk(FolderBatch& b, bool leaveNonFolders);
    // Opens the current folder's parent (O_PATH), unless it is open already; false when it is not open.
    bool openParent();
    // The search of the current folder. The subfolders of one folder follow each other in the
    // queue, so their parent is opened once (O_PATH) and each is looked up in it by its name: one
    // name for the kernel to resolve instead of the whole path.
    std::unique_ptr<platform::DirectorySearch> openFolder();

    FolderList m_chosen;
    FolderQueue m_queue;
    int m_nextChosen = 0;
    int m_nextIndex = 0;
    int m_current = -1;
    FolderQueueEntry m_folder;
    std::unique_ptr<platform::DirectorySearch> m_search;
    platform::MountFacts m_mount; // of the chosen folder being walked
    bool m_haveMount = false;
    std::shared_ptr<const platform::UniqueFd> m_parent; // the open parent of the current folder
    int m_parentIndex = -1;                             // its queue index
    // A queued subfolder holds only its own name until its turn comes; the raw paths of the folders
    // whose subfolders wait are kept here, once each (queue index, path ending in "/"), in the
    // order their subfolders come. The queue is as wide as the tree, so this is most of its memory.
    WaitingParents m_waitingParents;
    bool m_currentIsParent = false; // the current folder's path is among them
};

// Reads a folder the reader handed over unread (`b.unread`), on the writer's thread: its names, and
// one record per entry, every one left to examine (on `b.folderFd`), as the reader would have left
// them. Fails as the reader would: `b.openError`, `b.readError`.
void readUnreadFolder(FolderBatch& b);

} // namespace zek::scan
