#include "scan/folder_queue.h"

#include <cstring>

namespace zek::scan {

void FolderQueue::clear() {
    m_packed.clear();
    m_bytes.clear();
    m_bytes.shrink_to_fit();
    m_bytesBase = 0;
    m_unpacked = {};
    m_unpackedIndex = -1;
    firstIndex = 0;
    folderCount = -1;
}

void FolderQueue::appendBytes(const char* data, std::size_t size) {
    if (size > 0)
        m_bytes.insert(m_bytes.end(), data, data + size);
}

int FolderQueue::append(const FolderQueueEntry& entry) {
    if (m_packed.empty())
        firstIndex = folderCount + 1;
    Packed p{};
    p.offset = m_bytesBase + std::int64_t(m_bytes.size());
    p.shortChars = std::int32_t(entry.shortPath.size());
    p.longChars = std::int32_t(entry.longPath.size());
    p.rawBytes = std::int32_t(entry.rawLongPath.size());
    p.level = entry.level;
    p.parent = entry.parent;
    p.belowSkipped = entry.belowSkipped;
    appendBytes(reinterpret_cast<const char*>(entry.shortPath.utf16()), std::size_t(p.shortChars) * 2);
    appendBytes(reinterpret_cast<const char*>(entry.longPath.utf16()), std::size_t(p.longChars) * 2);
    appendBytes(entry.rawLongPath.constData(), std::size_t(p.rawBytes));
    m_packed.push_back(p);
    return ++folderCount;
}

FolderQueueEntry& FolderQueue::at(int index) {
    if (index == m_unpackedIndex)
        return m_unpacked;
    const Packed& p = m_packed[std::size_t(index - firstIndex)];
    const char* at = m_bytes.data() + (p.offset - m_bytesBase);
    FolderQueueEntry& e = m_unpacked;
    e.shortPath.resize(p.shortChars);
    std::memcpy(e.shortPath.data(), at, std::size_t(p.shortChars) * 2);
    at += std::size_t(p.shortChars) * 2;
    e.longPath.resize(p.longChars);
    std::memcpy(e.longPath.data(), at, std::size_t(p.longChars) * 2);
    at += std::size_t(p.longChars) * 2;
    e.rawLongPath = QByteArray(at, p.rawBytes);
    e.level = p.level;
    e.parent = p.parent;
    e.belowSkipped = p.belowSkipped;
    m_unpackedIndex = index;
    return e;
}

void FolderQueue::releaseBefore(int index) {
    bool released = false;
    while (!m_packed.empty() && firstIndex < index) {
        m_packed.pop_front();
        ++firstIndex;
        released = true;
    }
    if (released)
        dropSpentBytes();
}

// The texts of released entries are dropped once they are most of the store, so each byte moves at
// most a few times.
void FolderQueue::dropSpentBytes() {
    const std::int64_t live =
        m_packed.empty() ? m_bytesBase + std::int64_t(m_bytes.size()) : m_packed.front().offset;
    const std::size_t spent = std::size_t(live - m_bytesBase);
    if (spent < 65536 || spent < m_bytes.size() / 2)
        return;
    m_bytes.erase(m_bytes.begin(), m_bytes.begin() + std::ptrdiff_t(spent));
    m_bytesBase = live;
    if (m_bytes.capacity() > 4 * (m_bytes.size() + 65536))
        m_bytes.shrink_to_fit();
}

} // namespace zek::scan
