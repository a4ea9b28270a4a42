#include "scan/folder_queue.h"

#include <cstdint>
#include <cstring>

namespace zek::scan {

namespace {

// What a packed entry starts with; its texts follow: short path and long path (UTF-16), raw path.
struct PackedHeader {
    std::int32_t shortChars, longChars, rawBytes;
    std::int32_t level, parent;
    std::int32_t flags; // BelowSkipped, SmallLeaf
};

constexpr std::int32_t BelowSkipped = 1;
constexpr std::int32_t SmallLeaf = 2;

} // namespace

void FolderQueue::clear() {
    m_packed.clear();
    m_unpacked = {};
    m_unpackedIndex = -1;
    firstIndex = 0;
    folderCount = -1;
}

int FolderQueue::append(const FolderQueueEntry& entry) {
    if (m_packed.empty())
        firstIndex = folderCount + 1;
    PackedHeader h{};
    h.shortChars = std::int32_t(entry.shortPath.size());
    h.longChars = std::int32_t(entry.longPath.size());
    h.rawBytes = std::int32_t(entry.rawLongPath.size());
    h.level = entry.level;
    h.parent = entry.parent;
    h.flags = (entry.belowSkipped ? BelowSkipped : 0) | (entry.smallLeaf ? SmallLeaf : 0);
    m_packed.push({QByteArrayView(reinterpret_cast<const char*>(&h), qsizetype(sizeof h)),
                   utf16Bytes(entry.shortPath), utf16Bytes(entry.longPath),
                   QByteArrayView(entry.rawLongPath)});
    return ++folderCount;
}

FolderQueueEntry& FolderQueue::at(int index) {
    if (index == m_unpackedIndex)
        return m_unpacked;
    Q_ASSERT(index == firstIndex && !m_packed.empty());
    const QByteArrayView packed = m_packed.front();
    PackedHeader h{};
    std::memcpy(&h, packed.data(), sizeof h);
    const char* at = packed.data() + sizeof h;
    FolderQueueEntry& e = m_unpacked;
    const auto shortBytes = qsizetype(h.shortChars) * qsizetype(sizeof(char16_t));
    const auto longBytes = qsizetype(h.longChars) * qsizetype(sizeof(char16_t));
    assignUtf16Bytes(e.shortPath, QByteArrayView(at, shortBytes));
    at += shortBytes;
    assignUtf16Bytes(e.longPath, QByteArrayView(at, longBytes));
    at += longBytes;
    e.rawLongPath = QByteArray(at, h.rawBytes);
    e.level = h.level;
    e.parent = h.parent;
    e.belowSkipped = (h.flags & BelowSkipped) != 0;
    e.smallLeaf = (h.flags & SmallLeaf) != 0;
    m_unpackedIndex = index;
    return e;
}

void FolderQueue::releaseBefore(int index) {
    while (!m_packed.empty() && firstIndex < index) {
        m_packed.pop();
        ++firstIndex;
    }
}

} // namespace zek::scan
