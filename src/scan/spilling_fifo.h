// A first-in first-out queue of byte records that keeps only its two ends in memory: the records
// about to be taken and the records just added. Whatever lies between goes to an unnamed temporary
// file, written once and read back once, in order. A breadth-first walk of a wide tree keeps tens of
// thousands of folders waiting; this keeps the memory they cost flat, whatever the tree's width.
//
// When the temporary file cannot be made or written (no room), the records simply stay in memory:
// nothing is lost. Reading back what was written failing is an I/O fault of the machine; it is
// thrown as db::EngineError with the system's error number and text.
#pragma once

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <utility>
#include <vector>

namespace zek::scan {

class SpillingFifo {
public:
    // chunkBytes: how much each end holds before the newer one goes to the file.
    explicit SpillingFifo(std::size_t chunkBytes = std::size_t(1) << 20);
    ~SpillingFifo();
    SpillingFifo(const SpillingFifo&) = delete;
    SpillingFifo& operator=(const SpillingFifo&) = delete;

    // Adds a record made of the given parts, one after the other.
    void push(std::initializer_list<QByteArrayView> parts);
    // The oldest record; valid until the next pop() or clear(). Not to be asked of an empty queue.
    QByteArrayView front() const;
    void pop();
    void clear();
    bool empty() const { return m_count == 0; }
    std::size_t size() const { return m_count; }
    // Bytes that went to the temporary file and are still waiting there.
    std::int64_t spilledBytes() const;

private:
    void refillHead();
    void spillTail();
    bool openFile();

    std::size_t m_chunkBytes;
    std::vector<char> m_head; // the oldest records, read from m_headAt on
    std::size_t m_headAt = 0;
    std::vector<char> m_tail;                                     // the newest records
    std::deque<std::pair<std::int64_t, std::uint32_t>> m_spilled; // (offset, size) of chunks in the file
    std::int64_t m_fileEnd = 0;
    int m_fd = -1;
    bool m_fileFailed = false; // no more spilling: the file could not be made or written
    std::size_t m_count = 0;
};

// A text as the bytes of its UTF-16 code units, to be queued, and back.
inline QByteArrayView utf16Bytes(const QString& text) {
    return {reinterpret_cast<const char*>(text.utf16()), text.size() * qsizetype(sizeof(char16_t))};
}
inline void assignUtf16Bytes(QString& text, QByteArrayView bytes) {
    text.resize(bytes.size() / qsizetype(sizeof(char16_t)));
    std::memcpy(text.data(), bytes.data(), std::size_t(bytes.size()));
}

// The folders whose subfolders wait, in the order those subfolders come: each folder's number and
// its path, kept once for all its subfolders.
class WaitingParents {
public:
    void push(int index, QByteArrayView path) {
        m_fifo.push({QByteArrayView(reinterpret_cast<const char*>(&index), qsizetype(sizeof index)), path});
    }
    // The path of folder `index`, dropping the folders before it, whose subfolders are all done.
    QByteArrayView pathOf(int index) {
        while (frontIndex() < index)
            m_fifo.pop();
        Q_ASSERT(frontIndex() == index);
        return m_fifo.front().sliced(qsizetype(sizeof(int)));
    }
    void clear() { m_fifo.clear(); }

private:
    int frontIndex() const {
        int index = 0;
        std::memcpy(&index, m_fifo.front().data(), sizeof index);
        return index;
    }
    SpillingFifo m_fifo{std::size_t(1) << 18};
};

} // namespace zek::scan
