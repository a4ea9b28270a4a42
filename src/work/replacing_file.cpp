#include "work/replacing_file.h"

#include "platform/dir_search.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zek::work {

void syncFolderOf(const QString& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool takePermissionsOf(const QByteArray& replaced, int fd) {
    struct stat existing {};
    return ::stat(replaced.constData(), &existing) != 0 || ::fchmod(fd, existing.st_mode & 07777) == 0;
}

QString partFileName(const QString& target) {
    constexpr qsizetype longestName = 255;
    const QString suffix = QStringLiteral(".part");
    const QFileInfo info(target);
    QString name = info.fileName();
    if (QFile::encodeName(name + suffix).size() <= longestName)
        return target + suffix;
    const QString mark = QStringLiteral("~%1").arg(qChecksum(QFile::encodeName(name)), 4, 16, QChar('0'));
    while (!name.isEmpty() && QFile::encodeName(name + mark + suffix).size() > longestName)
        name.chop(name.size() >= 2 && name.back().isLowSurrogate() ? 2 : 1);
    return info.path() + QLatin1Char('/') + name + mark + suffix;
}

QString replacedFileOf(const QString& target) {
    QString file = target;
    for (int hops = 0; hops < 16; ++hops) {
        const QFileInfo info(file);
        if (!info.isSymLink())
            break;
        file = info.symLinkTarget();
    }
    return file;
}

ReplacingFile::ReplacingFile(QString target) : m_target(replacedFileOf(target)) {}

ReplacingFile::~ReplacingFile() {
    cancel();
}

QString ReplacingFile::errorText() const {
    return m_errorNumber != 0 ? platform::systemErrorText(m_errorNumber) : QString();
}

bool ReplacingFile::fail(int number) {
    if (m_errorNumber == 0)
        m_errorNumber = number != 0 ? number : EIO;
    setErrorString(errorText());
    return false;
}

bool ReplacingFile::openForWriting() {
    const QByteArray target = QFile::encodeName(m_target);
    const QByteArray part = QFile::encodeName(partFileName(m_target));
    ::unlink(part.constData());
    m_fd = ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (m_fd < 0)
        return fail(errno);
    if (!takePermissionsOf(target, m_fd)) {
        const int number = errno;
        cancel();
        return fail(number);
    }
    return QIODevice::open(QIODevice::WriteOnly | QIODevice::Unbuffered);
}

qint64 ReplacingFile::writeData(const char* data, qint64 size) {
    if (m_errorNumber != 0 || m_fd < 0)
        return -1;
    const qint64 total = size;
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, static_cast<size_t>(size));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            fail(errno);
            return -1;
        }
        data += n;
        size -= n;
    }
    return total;
}

bool ReplacingFile::commit() {
    if (m_fd < 0 || m_errorNumber != 0) {
        cancel();
        return fail(m_errorNumber);
    }
    // A full disk may show only here, on file systems that allocate late.
    if (::fsync(m_fd) != 0) {
        const int number = errno;
        cancel();
        return fail(number);
    }
    const int fd = m_fd;
    m_fd = -1;
    const QByteArray part = QFile::encodeName(partFileName(m_target));
    if (::close(fd) != 0 || ::rename(part.constData(), QFile::encodeName(m_target).constData()) != 0) {
        const int number = errno;
        ::unlink(part.constData());
        QIODevice::close();
        return fail(number);
    }
    QIODevice::close();
    syncFolderOf(m_target);
    return true;
}

void ReplacingFile::cancel() {
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
        ::unlink(QFile::encodeName(partFileName(m_target)).constData());
    }
    if (isOpen())
        QIODevice::close();
}

} // namespace zek::work
