// A bounded hand-over of folder batches from one thread to another, a group at a time: one lock per
// group, not per folder. Spent batches travel back the other way, so their buffers are reused.
#pragma once

#include "scan/folder_batch.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <vector>

namespace zek::scan {

class BatchQueue {
public:
    // At most `maxEntries` entries, `maxBatches` batches and `maxOpenFolders` batches holding their
    // folder open (a deferred search) wait: a group is let in while fewer do.
    BatchQueue(std::size_t maxEntries, std::size_t maxBatches, std::size_t maxOpenFolders = SIZE_MAX);

    // Producer: appends `group` (left empty), holding `entries` entries in all, waiting while the
    // queue is full; false once stopped (the group is dropped). When `spent` is empty it takes the
    // spent batches the consumer handed back.
    bool put(std::deque<FolderBatch>& group, std::size_t entries, std::vector<FolderBatch>& spent);
    // Producer: no batch follows. `failure`, when set, is what ended the production.
    void finish(std::exception_ptr failure);

    // Consumer: moves every waiting batch to `into` (empty), waiting up to `waitMs` ms for one (for
    // good when negative). False when none came: ended() then tells whether any will. Hands back
    // the batches of `spentBack` when the producer holds none.
    bool take(std::deque<FolderBatch>& into, int waitMs, std::vector<FolderBatch>& spentBack);
    // After a take() that returned false: the producer finished (or the queue was stopped).
    bool ended();
    // What ended the production, if it failed.
    std::exception_ptr failure();

    // Either side: ends every wait; put() and take() return false from here on.
    void stop();

private:
    const std::size_t m_maxEntries;
    const std::size_t m_maxBatches;
    const std::size_t m_maxOpenFolders;
    std::mutex m_mutex;
    std::condition_variable m_notEmpty;
    std::condition_variable m_notFull;
    std::deque<FolderBatch> m_batches;
    std::size_t m_entries = 0;
    std::size_t m_openFolders = 0;
    std::vector<FolderBatch> m_spent;
    bool m_finished = false;
    bool m_stopped = false;
    std::exception_ptr m_failure;
};

} // namespace zek::scan
