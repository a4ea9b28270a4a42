// A full disk for one stretch of a test: the process may not write past `bytes` in any file
// (RLIMIT_FSIZE), so a write that would grow a file beyond it fails with EFBIG, as one on a full
// file system fails with ENOSPC. SIGXFSZ is ignored meanwhile, so the failure reaches the program
// as an error rather than ending it. Works without privileges; both are restored when dropped.
#pragma once

#include <csignal>
#include <sys/resource.h>

namespace zek::test {

class FileSizeLimit {
public:
    FileSizeLimit() {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    explicit FileSizeLimit(rlim_t bytes) : FileSizeLimit() { set(bytes); }
    ~FileSizeLimit() {
        lift();
        std::signal(SIGXFSZ, m_savedHandler);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

    // True when the limit is in force.
    bool set(rlim_t bytes) {
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    // Frees the "disk" again: the limit the process had before.
    void lift() { ::setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
    void (*m_savedHandler)(int) = SIG_DFL;
};

} // namespace zek::test
