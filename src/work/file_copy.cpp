#include "work/file_copy.h"

#include "platform/unique_fd.h"

#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zek::work {

namespace {

CopyFailure failure(int number, const QString& about = {}) {
    CopyFailure f;
    f.number = number != 0 ? number : EIO;
    f.text = QString::fromLocal8Bit(std::strerror(f.number));
    if (!about.isEmpty())
        f.text += QStringLiteral(" (") + about + u')';
    return f;
}

// Writes all of `size` bytes, across short writes; false with errno set on the first failure.
bool writeAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t n = ::write(fd, data, static_cast<size_t>(size));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

// Makes the rename itself survive a power cut; a folder that cannot be synced is no failure.
void syncFolderOf(const QByteArray& path) {
    const QByteArray folder = QFile::encodeName(QFileInfo(QFile::decodeName(path)).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

CopyFailure copyFileOver(const QString& source, const QString& target) {
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    const QString partName = partFileName(target);
    const QByteArray part = QFile::encodeName(partName);

    platform::UniqueFd in(::open(from.constData(), O_RDONLY | O_CLOEXEC));
    if (!in)
        return failure(errno, source);
    // An existing target keeps its permissions; a new one gets the usual ones.
    struct stat existing {};
    const bool targetExists = ::stat(to.constData(), &existing) == 0;
    ::unlink(part.constData());
    platform::UniqueFd out(::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!out)
        return failure(errno, partName);

    auto abandon = [&](int number) {
        out.reset();
        ::unlink(part.constData());
        return failure(number);
    };
    if (targetExists && ::fchmod(out.get(), existing.st_mode & 07777) != 0)
        return abandon(errno);
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int number = errno;
            out.reset();
            ::unlink(part.constData());
            return failure(number, source);
        }
        if (n == 0)
            break;
        if (!writeAll(out.get(), buffer, n))
            return abandon(errno);
    }
    // A full disk may show only here, on file systems that allocate late.
    if (::fsync(out.get()) != 0)
        return abandon(errno);
    if (::close(out.release()) != 0) {
        const int number = errno;
        ::unlink(part.constData());
        return failure(number);
    }
    if (::rename(part.constData(), to.constData()) != 0) {
        const int number = errno;
        ::unlink(part.constData());
        return failure(number);
    }
    syncFolderOf(to);
    return {};
}

} // namespace zek::work
