#include "platform/instance_lock.h"

#include "platform/host_paths.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace zek::platform {

InstanceLock::~InstanceLock() {
    release();
}

bool InstanceLock::acquire(const QString& name) {
    if (m_fd >= 0)
        return true;
    m_heldElsewhere = false;
    m_errorNumber = 0;
    m_errorText.clear();

    const QString folder = runtimeFolder();
    m_fileName = folder + QLatin1Char('/') + name + QStringLiteral(".lock");
    auto failed = [this](int number, const QString& what) {
        m_errorNumber = number;
        m_errorText = QStringLiteral("%1 %2: %3").arg(what, m_fileName, qt_error_string(number));
        return false;
    };

    HostError folderError;
    if (!ensureFolder(folder, &folderError)) {
        m_errorNumber = folderError.number;
        m_errorText = folderError.text;
        return false;
    }
    const int fd = ::open(QFile::encodeName(m_fileName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        const int number = errno;
        return failed(number, QStringLiteral("Cannot open"));
    }
    int rc;
    do {
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int number = errno;
        ::close(fd);
        m_heldElsewhere = number == EWOULDBLOCK;
        return failed(number, m_heldElsewhere ? QStringLiteral("Another process holds")
                                              : QStringLiteral("Cannot lock"));
    }
    m_fd = fd;

    // The holder's process id, for a person looking at the file; the lock does not depend on it.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::write(fd, pid.constData(), size_t(pid.size()));
    }
    return true;
}

void InstanceLock::release() {
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}

} // namespace zek::platform
