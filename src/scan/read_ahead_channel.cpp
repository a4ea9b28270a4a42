#include "scan/read_ahead_channel.h"

namespace zek::scan {

ReadAheadChannel::ReadAheadChannel(const FolderList& chosen, bool readAhead)
    : m_reader(chosen, readAhead), m_readAhead(readAhead) {
    if (m_readAhead) {
        m_lister = std::thread([this] { listLoop(); });
        m_examiner = std::thread([this] { examineLoop(); });
    }
}

ReadAheadChannel::~ReadAheadChannel() {
    stop();
}

ReadAheadChannel::Next ReadAheadChannel::next(FolderBatch& b, int waitMs) {
    if (!m_readAhead)
        return m_reader.produce(b) ? Next::Batch : Next::End;
    // Everything the examiner has handed over is taken at once: one lock per group of folders.
    if (m_ready.empty() && !m_examined.take(m_ready, waitMs, m_spentHere)) {
        if (!m_examined.ended())
            return Next::Wait;
        if (const std::exception_ptr failure = m_examined.failure())
            std::rethrow_exception(failure);
        return Next::End;
    }
    if (worthReusing(b) && m_spentHere.size() < SpentBatches)
        m_spentHere.push_back(std::move(b));
    b = std::move(m_ready.front());
    m_ready.pop_front();
    return Next::Batch;
}

void ReadAheadChannel::stop() {
    if (!m_lister.joinable())
        return;
    m_stopRequested = true;
    m_listed.stop();
    m_examined.stop();
    m_lister.join();
    m_examiner.join();
    m_ready.clear();
    m_spentHere.clear();
}

void ReadAheadChannel::listLoop() {
    std::deque<FolderBatch> group;
    std::size_t groupEntries = 0;
    std::vector<FolderBatch> pool; // spent batches back from the writer
    std::exception_ptr failure;
    try {
        for (;;) {
            if (m_stopRequested.load(std::memory_order_relaxed))
                break;
            FolderBatch b;
            if (!pool.empty()) {
                b = std::move(pool.back());
                pool.pop_back();
            }
            if (!m_reader.produce(b))
                break;
            groupEntries += b.records.size();
            group.push_back(std::move(b));
            if (groupEntries >= GroupEntries || group.size() >= GroupBatches) {
                if (!m_listed.put(group, groupEntries, pool))
                    break;
                groupEntries = 0;
            }
        }
        if (!group.empty())
            m_listed.put(group, groupEntries, pool);
    } catch (...) {
        failure = std::current_exception();
    }
    m_listed.finish(failure);
}

void ReadAheadChannel::examineLoop() {
    platform::FileTimeCache times;
    std::deque<FolderBatch> listed;
    std::deque<FolderBatch> group;
    std::size_t groupEntries = 0;
    std::vector<FolderBatch> pool; // spent batches on their way from the writer to the lister
    std::exception_ptr failure;
    try {
        bool open = true;
        while (open && m_listed.take(listed, -1, pool)) {
            for (FolderBatch& b : listed) {
                finishBatch(b, times);
                groupEntries += b.records.size();
                group.push_back(std::move(b));
                if (groupEntries >= GroupEntries || group.size() >= GroupBatches) {
                    open = m_examined.put(group, groupEntries, pool);
                    groupEntries = 0;
                    if (!open)
                        break;
                }
            }
            listed.clear();
        }
        if (open && !group.empty())
            m_examined.put(group, groupEntries, pool);
        failure = m_listed.failure();
    } catch (...) {
        failure = std::current_exception();
    }
    m_examined.finish(failure);
}

} // namespace zek::scan
