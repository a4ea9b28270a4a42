#include "platform/instance_lock.h"

#include "platform/host_paths.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <utility>

namespace zek::platform {

InstanceLock::~InstanceLock() {
    release();
}

bool InstanceLock::acquire(const QString& name) {
    if (m_fd)
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
    UniqueFd fd(::open(QFile::encodeName(m_fileName).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600));
    if (!fd) {
        const int number = errno;
        return failed(number, QStringLiteral("Cannot open"));
    }
    int rc;
    do {
        rc = ::flock(fd.get(), LOCK_EX | LOCK_NB);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int number = errno;
        m_heldElsewhere = number == EWOULDBLOCK;
        return failed(number, m_heldElsewhere ? QStringLiteral("Another process holds")
                                              : QStringLiteral("Cannot lock"));
    }
    m_fd = std::move(fd);

    // The holder's process id, for a person looking at the file; the lock does not depend on it.
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(m_fd.get(), 0) == 0) {
        [[maybe_unused]] const ssize_t written = ::write(m_fd.get(), pid.constData(), size_t(pid.size()));
    }
    return true;
}

void InstanceLock::release() {
    if (!m_fd)
        return;
    ::flock(m_fd.get(), LOCK_UN);
    m_fd.reset();
}

} // namespace zek::platform
