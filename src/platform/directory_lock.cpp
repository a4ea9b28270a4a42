#include "platform/directory_lock.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>

namespace zek::platform {

bool DirectoryLock::acquire(const QString& directory) {
    release();
    m_heldElsewhere = false;
    m_errorNumber = 0;
    m_errorText.clear();

    const QString fileName = QDir(directory).filePath(DirectoryLockFileName);
    UniqueFd fd(::open(QFile::encodeName(fileName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    int number = 0;
    if (!fd) {
        number = errno;
    } else {
        int rc;
        do {
            rc = ::flock(fd.get(), LOCK_EX | LOCK_NB);
        } while (rc != 0 && errno == EINTR);
        if (rc == 0) {
            m_fd = std::move(fd);
            return true;
        }
        number = errno;
    }
    m_heldElsewhere = number == EWOULDBLOCK;
    m_errorNumber = number;
    m_errorText = QStringLiteral("%1 %2: %3")
                      .arg(m_heldElsewhere ? QStringLiteral("Another process holds")
                           : fd            ? QStringLiteral("Cannot lock")
                                           : QStringLiteral("Cannot open"),
                           fileName, qt_error_string(number));
    return false;
}

void DirectoryLock::release() {
    // Closing the descriptor drops the lock.
    m_fd.reset();
}

} // namespace zek::platform
