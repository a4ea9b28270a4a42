// Owner of one open file descriptor: closes it when dropped, so no early return leaks it.
#pragma once

#include <unistd.h>

#include <utility>

namespace zek::platform {

class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : m_fd(fd) {}
    ~UniqueFd() { reset(); }

    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : m_fd(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    explicit operator bool() const { return valid(); }

    // Gives up ownership without closing.
    int release() { return std::exchange(m_fd, -1); }

    // Closes the descriptor held (if any) and takes fd.
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

    // Closes now and reports close's result (0, or -1 with errno set), for writers whose data is
    // only safe once close succeeded.
    int close() { return m_fd >= 0 ? ::close(release()) : 0; }

private:
    int m_fd = -1;
};

} // namespace zek::platform
