// The read-ahead channel: hands the folder reader's batches to the record writer. With read-ahead
// two threads read ahead of the writer, at most a bounded number of entries, so memory stays flat:
// the lister opens and lists the folders and asks the file system about the entries that may be
// folders (the breadth-first queue needs them), and the examiner asks about the rest (most of the
// system calls of a scan) and hands the batches on, in the same order. Without read-ahead, each
// batch is read on the writer's thread when its turn comes.
#pragma once

#include "scan/batch_queue.h"
#include "scan/folder_reader.h"

#include <atomic>
#include <deque>
#include <thread>
#include <vector>

namespace zek::scan {

// Where the writer takes its batches from: the reader on this thread, or the reading threads.
class ReadAheadChannel {
public:
    enum class Next { Batch, Wait, End };

    ReadAheadChannel(const FolderList& chosen, bool readAhead);
    ~ReadAheadChannel();
    ReadAheadChannel(const ReadAheadChannel&) = delete;
    ReadAheadChannel& operator=(const ReadAheadChannel&) = delete;

    // The next batch; Wait when the reading threads have none ready within `waitMs`. `b` is the spent
    // batch: small ones go back to the lister for reuse.
    Next next(FolderBatch& b, int waitMs);

    // Ends the reading threads; what they read ahead is dropped.
    void stop();

private:
    // Folders are handed over in groups of about this many entries (or batches, for empty folders).
    static constexpr std::size_t GroupEntries = 256;
    static constexpr std::size_t GroupBatches = 32;

    void listLoop();    // the lister thread
    void examineLoop(); // the examiner thread

    FolderReader m_reader; // on the lister thread while it runs
    bool m_readAhead;
    std::atomic<bool> m_stopRequested{false}; // read between folders, without a lock
    // Lister to examiner: a batch with entries still to examine keeps its folder open, so fewer of
    // those wait.
    BatchQueue m_listed{4 * ChunkSize, ChannelBatches, 128};
    BatchQueue m_examined{ChannelEntries, ChannelBatches}; // examiner to writer
    std::thread m_lister;
    std::thread m_examiner;
    std::deque<FolderBatch> m_ready;      // taken by the writer; its thread only
    std::vector<FolderBatch> m_spentHere; // spent by the writer, not yet handed back; its thread only
};

} // namespace zek::scan
