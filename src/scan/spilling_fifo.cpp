#include "scan/spilling_fifo.h"

#include "db/engine.h"
#include "platform/dir_search.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <unistd.h>

namespace zek::scan {

namespace {

constexpr std::size_t LengthBytes = sizeof(std::uint32_t);

std::uint32_t lengthAt(const char* at) {
    std::uint32_t length = 0;
    std::memcpy(&length, at, LengthBytes);
    return length;
}

} // namespace

SpillingFifo::SpillingFifo(std::size_t chunkBytes) : m_chunkBytes(chunkBytes) {}

SpillingFifo::~SpillingFifo() {
    if (m_fd >= 0)
        ::close(m_fd);
}

void SpillingFifo::push(std::initializer_list<QByteArrayView> parts) {
    std::size_t length = 0;
    for (const QByteArrayView& part : parts)
        length += std::size_t(part.size());
    if (length > UINT32_MAX)
        throw std::length_error("a queued record of 4 GB or more");
    const auto length32 = std::uint32_t(length);
    const char* lengthBytes = reinterpret_cast<const char*>(&length32);
    m_tail.insert(m_tail.end(), lengthBytes, lengthBytes + LengthBytes);
    for (const QByteArrayView& part : parts)
        m_tail.insert(m_tail.end(), part.data(), part.data() + part.size());
    ++m_count;
    if (m_headAt >= m_head.size())
        refillHead();
    else if (m_tail.size() >= m_chunkBytes)
        spillTail();
}

QByteArrayView SpillingFifo::front() const {
    Q_ASSERT(m_count > 0 && m_headAt + LengthBytes <= m_head.size());
    const char* at = m_head.data() + m_headAt;
    return {at + LengthBytes, qsizetype(lengthAt(at))};
}

void SpillingFifo::pop() {
    Q_ASSERT(m_count > 0);
    m_headAt += LengthBytes + lengthAt(m_head.data() + m_headAt);
    --m_count;
    if (m_headAt >= m_head.size())
        refillHead();
}

void SpillingFifo::clear() {
    m_head.clear();
    m_head.shrink_to_fit();
    m_headAt = 0;
    m_tail.clear();
    m_tail.shrink_to_fit();
    m_spilled.clear();
    m_fileEnd = 0;
    if (m_fd >= 0 && ::ftruncate(m_fd, 0) != 0)
        m_fileFailed = true;
    m_count = 0;
}

std::int64_t SpillingFifo::spilledBytes() const {
    std::int64_t bytes = 0;
    for (const auto& chunk : m_spilled)
        bytes += chunk.second;
    return bytes;
}

// The head is spent: the next records come from the file's first chunk, or else from the tail.
void SpillingFifo::refillHead() {
    m_headAt = 0;
    if (m_spilled.empty()) {
        m_head.swap(m_tail);
        m_tail.clear();
        if (m_head.capacity() > 4 * m_chunkBytes && m_head.size() < m_chunkBytes) {
            m_head.shrink_to_fit();
            m_tail.shrink_to_fit();
        }
        return;
    }
    const auto [offset, size] = m_spilled.front();
    m_head.resize(size);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n =
            ::pread(m_fd, m_head.data() + done, size - done, off_t(offset + std::int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            const int number = n < 0 ? errno : EIO;
            throw db::EngineError(number, platform::systemErrorText(number));
        }
        done += std::size_t(n);
    }
    m_spilled.pop_front();
    if (m_spilled.empty()) {
        // Every spilled chunk is back: the file starts again from nothing.
        m_fileEnd = 0;
        if (::ftruncate(m_fd, 0) != 0)
            m_fileFailed = true;
    }
}

bool SpillingFifo::openFile() {
    if (m_fd >= 0)
        return true;
    if (m_fileFailed)
        return false;
    const QByteArray folder = QFile::encodeName(QDir::tempPath());
    if (folder.isEmpty()) { // the temporary folder named does not exist
        m_fileFailed = true;
        return false;
    }
    m_fd = ::open(folder.constData(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (m_fd < 0) {
        // A file system without unnamed files: a named one, unlinked at once.
        QByteArray name = folder + "/zek-queue-XXXXXX";
        m_fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (m_fd >= 0)
            ::unlink(name.constData());
    }
    m_fileFailed = m_fd < 0;
    return !m_fileFailed;
}

// The tail is full while older records wait: it goes to the file, after the chunks already there.
void SpillingFifo::spillTail() {
    if (!openFile())
        return;
    std::size_t done = 0;
    while (done < m_tail.size()) {
        const ssize_t n =
            ::pwrite(m_fd, m_tail.data() + done, m_tail.size() - done, off_t(m_fileEnd + std::int64_t(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            // No room for it: the records stay in memory, as they would without the file.
            m_fileFailed = true;
            return;
        }
        done += std::size_t(n);
    }
    m_spilled.emplace_back(m_fileEnd, std::uint32_t(m_tail.size()));
    m_fileEnd += std::int64_t(m_tail.size());
    m_tail.clear();
}

} // namespace zek::scan
