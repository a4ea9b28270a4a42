#include "scan/batch_queue.h"

#include <chrono>

namespace zek::scan {

BatchQueue::BatchQueue(std::size_t maxEntries, std::size_t maxBatches, std::size_t maxOpenFolders)
    : m_maxEntries(maxEntries), m_maxBatches(maxBatches), m_maxOpenFolders(maxOpenFolders) {}

bool BatchQueue::put(std::deque<FolderBatch>& group, std::size_t entries, std::vector<FolderBatch>& spent) {
    std::unique_lock lock(m_mutex);
    m_notFull.wait(
        lock, [this] { return m_stopped || (m_entries < m_maxEntries && m_batches.size() < m_maxBatches); });
    if (m_stopped) {
        group.clear();
        return false;
    }
    const bool wasEmpty = m_batches.empty();
    m_entries += entries;
    for (FolderBatch& b : group) {
        if (b.deferredSearch)
            ++m_openFolders;
        m_batches.push_back(std::move(b));
    }
    group.clear();
    if (spent.empty())
        spent.swap(m_spent);
    lock.unlock();
    if (wasEmpty)
        m_notEmpty.notify_one();
    return true;
}

void BatchQueue::finish(std::exception_ptr failure) {
    {
        std::lock_guard lock(m_mutex);
        m_finished = true;
        m_failure = std::move(failure);
    }
    m_notEmpty.notify_one();
}

bool BatchQueue::take(std::deque<FolderBatch>& into, int waitMs, std::vector<FolderBatch>& spentBack) {
    std::unique_lock lock(m_mutex);
    const auto ready = [this] { return m_stopped || !m_batches.empty() || m_finished; };
    if (waitMs < 0)
        m_notEmpty.wait(lock, ready);
    else if (!m_notEmpty.wait_for(lock, std::chrono::milliseconds(waitMs), ready))
        return false;
    if (m_stopped || m_batches.empty())
        return false;
    into.swap(m_batches);
    m_entries = 0;
    m_openFolders = 0;
    if (m_spent.empty())
        m_spent.swap(spentBack);
    lock.unlock();
    m_notFull.notify_one();
    return true;
}

bool BatchQueue::ended() {
    std::lock_guard lock(m_mutex);
    return m_stopped || (m_finished && m_batches.empty());
}

std::exception_ptr BatchQueue::failure() {
    std::lock_guard lock(m_mutex);
    return m_failure;
}

void BatchQueue::stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopped = true;
    }
    m_notEmpty.notify_all();
    m_notFull.notify_all();
}

} // namespace zek::scan
