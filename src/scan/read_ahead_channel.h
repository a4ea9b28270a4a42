// The read-ahead channel: hands the folder reader's batches to the record writer. With read-ahead
// the reader runs on its own thread, at most a bounded number of entries ahead, so memory stays
// flat; without it, each batch is read on the writer's thread when its turn comes.
#pragma once

#include "scan/folder_reader.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace zek::scan {

// Where the writer takes its batches from: the reader on this thread, or the reader thread.
class ReadAheadChannel {
public:
    enum class Next { Batch, Wait, End };

    // `leaveFilesBelow`: while fewer entries and folders than this wait to be written, the reader
    // thread leaves the files' system calls and the reading of small leaf folders to the writer, which
    // would otherwise wait for it; 0 never. Each folder (or leaf's parent) so handed over stays open
    // until the writer took it, so this bounds them too.
    ReadAheadChannel(const FolderList& chosen, bool readAhead, int leaveFilesBelow = 0);
    ~ReadAheadChannel();
    ReadAheadChannel(const ReadAheadChannel&) = delete;
    ReadAheadChannel& operator=(const ReadAheadChannel&) = delete;

    // The next batch; Wait when the reader thread has none ready within `waitMs`. `b` is the spent
    // batch: small ones go back to the reader for reuse.
    Next next(FolderBatch& b, int waitMs);

    // Ends the reader thread; what it read ahead is dropped.
    void stop();

private:
    // Folders are handed over in groups of about this many entries (or batches, for empty folders).
    static constexpr std::size_t GroupEntries = 256;
    static constexpr std::size_t GroupBatches = 32;

    // The reader thread: reads batches and hands them over in groups until done or stopped.
    void readAheadLoop();

    FolderReader m_reader; // on the reader thread while it runs
    bool m_readAhead;
    qint64 m_leaveFilesBelow;
    // Entries and folders (batches) handed over and not yet written: the writer's backlog, which the
    // reader goes by.
    std::atomic<qint64> m_inFlight{0};
    std::thread m_thread;
    std::mutex m_mutex;
    std::condition_variable m_notEmpty;
    std::condition_variable m_notFull;
    std::deque<FolderBatch> m_batches; // handed over, not yet taken
    std::size_t m_entriesWaiting = 0;
    bool m_stop = false;
    std::atomic<bool> m_stopRequested{false}; // m_stop, read without the lock between folders
    bool m_done = false;
    std::exception_ptr m_failure;
    std::vector<FolderBatch> m_spent;     // back from the writer, not yet taken by the reader
    std::deque<FolderBatch> m_ready;      // taken by the writer; its thread only
    std::vector<FolderBatch> m_spentHere; // spent by the writer, not yet handed back; its thread only
};

} // namespace zek::scan
