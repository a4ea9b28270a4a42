#include "scan/read_ahead_channel.h"

namespace zek::scan {

ReadAheadChannel::ReadAheadChannel(const FolderList& chosen, bool readAhead, int leaveFilesBelow)
    : m_reader(chosen), m_readAhead(readAhead), m_leaveFilesBelow(leaveFilesBelow) {
    if (m_readAhead)
        m_thread = std::thread([this] { readAheadLoop(); });
}

ReadAheadChannel::~ReadAheadChannel() {
    stop();
}

ReadAheadChannel::Next ReadAheadChannel::next(FolderBatch& b, int waitMs) {
    if (!m_readAhead)
        return m_reader.produce(b) ? Next::Batch : Next::End;
    if (m_ready.empty()) {
        // Everything the reader has handed over is taken at once: one lock per group of folders,
        // not one per folder.
        std::unique_lock lock(m_mutex);
        if (!m_notEmpty.wait_for(lock, std::chrono::milliseconds(waitMs),
                                 [this] { return !m_batches.empty() || m_done; }))
            return Next::Wait;
        if (m_batches.empty()) {
            if (m_failure)
                std::rethrow_exception(m_failure);
            return Next::End;
        }
        m_ready.swap(m_batches);
        m_entriesWaiting = 0;
        if (m_spent.empty())
            m_spent.swap(m_spentHere);
        lock.unlock();
        m_notFull.notify_one();
    }
    // The batch handed in, when it came from here, is written: it leaves the backlog.
    if (b.index >= 0)
        m_inFlight.fetch_sub(qint64(waitingEntries(b)) + 1, std::memory_order_relaxed);
    if (worthReusing(b) && m_spentHere.size() < ChannelBatches)
        m_spentHere.push_back(std::move(b));
    b = std::move(m_ready.front());
    m_ready.pop_front();
    return Next::Batch;
}

void ReadAheadChannel::stop() {
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_stopRequested = true;
    m_notFull.notify_one();
    m_thread.join();
    m_batches.clear();
    m_ready.clear();
    m_spent.clear();
    m_spentHere.clear();
}

void ReadAheadChannel::readAheadLoop() {
    std::deque<FolderBatch> group;
    std::size_t groupEntries = 0;
    std::vector<FolderBatch> pool; // spent batches back from the writer
    // Hands the group over; false when the writer has stopped the reader.
    auto handOver = [&] {
        std::unique_lock lock(m_mutex);
        m_notFull.wait(lock, [this] {
            return m_stop || (m_entriesWaiting < ChannelEntries && m_batches.size() < ChannelBatches);
        });
        if (m_stop)
            return false;
        const bool wasEmpty = m_batches.empty();
        m_entriesWaiting += groupEntries;
        m_inFlight.fetch_add(qint64(groupEntries + group.size()), std::memory_order_relaxed);
        for (FolderBatch& b : group)
            m_batches.push_back(std::move(b));
        if (pool.empty())
            pool.swap(m_spent);
        lock.unlock();
        if (wasEmpty)
            m_notEmpty.notify_one();
        group.clear();
        groupEntries = 0;
        return true;
    };
    try {
        for (;;) {
            if (m_stopRequested.load(std::memory_order_relaxed))
                break;
            FolderBatch b;
            if (!pool.empty()) {
                b = std::move(pool.back());
                pool.pop_back();
            }
            const bool leaveFiles = m_inFlight.load(std::memory_order_relaxed) < m_leaveFilesBelow;
            if (!m_reader.produce(b, leaveFiles)) {
                if (!group.empty())
                    handOver();
                break;
            }
            groupEntries += waitingEntries(b);
            group.push_back(std::move(b));
            if ((groupEntries >= GroupEntries || group.size() >= GroupBatches) && !handOver())
                break;
        }
    } catch (...) {
        std::lock_guard lock(m_mutex);
        m_failure = std::current_exception();
    }
    {
        std::lock_guard lock(m_mutex);
        m_done = true;
    }
    m_notEmpty.notify_one();
}

} // namespace zek::scan
