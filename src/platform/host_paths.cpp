#include "platform/host_paths.h"

#include "platform/unique_fd.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zek::platform {
namespace {

// An XDG variable counts only when it holds an absolute path; anything else is to be ignored.
QString xdgFolder(const char* variable, const QString& fallback) {
    const QString value = qEnvironmentVariable(variable);
    if (!value.isEmpty() && QDir::isAbsolutePath(value))
        return QDir::cleanPath(value);
    return fallback;
}

bool fail(HostError* error, int number, const QString& what, const QString& fileName) {
    if (error) {
        error->number = number;
        error->text = QStringLiteral("%1 %2: %3").arg(what, fileName, qt_error_string(number));
    }
    return false;
}

// mkdir -p that keeps the errno of the step that failed.
bool makeFolder(const QString& folder, HostError* error) {
    const QString clean = QDir::cleanPath(folder);
    QFileInfo info(clean);
    if (info.isDir())
        return true;
    const QString parent = info.absolutePath();
    if (parent != clean && !makeFolder(parent, error))
        return false;
    if (::mkdir(QFile::encodeName(clean).constData(), 0777) != 0 && errno != EEXIST) {
        const int number = errno;
        return fail(error, number, QStringLiteral("Cannot create the folder"), clean);
    }
    if (!QFileInfo(clean).isDir())
        return fail(error, ENOTDIR, QStringLiteral("Cannot create the folder"), clean);
    return true;
}

} // namespace

bool ensureFolder(const QString& folder, HostError* error) {
    return makeFolder(QFileInfo(folder).absoluteFilePath(), error);
}

QString configFolder() {
    return xdgFolder("XDG_CONFIG_HOME", QDir::homePath() + QStringLiteral("/.config")) +
           QStringLiteral("/zek");
}

QString settingsFileName() {
    return configFolder() + QStringLiteral("/zek.ini");
}

QString dataHome() {
    return xdgFolder("XDG_DATA_HOME", QDir::homePath() + QStringLiteral("/.local/share"));
}

QString runtimeFolder() {
    return xdgFolder("XDG_RUNTIME_DIR", configFolder());
}

QString programFolder() {
    return QCoreApplication::applicationDirPath();
}

bool replaceFileContents(const QString& fileName, const QByteArray& data, HostError* error) {
    QString target = QFileInfo(fileName).absoluteFilePath();
    const QFileInfo info(target);
    if (info.isSymLink() && !info.symLinkTarget().isEmpty())
        target = info.symLinkTarget();
    if (!makeFolder(QFileInfo(target).absolutePath(), error))
        return false;

    // A name of our own beside the file: a concurrent writer or a file left by a crash never
    // shares it, and the rename stays within one file system.
    static std::atomic<int> counter{0};
    QByteArray tempName;
    UniqueFd fd;
    for (int attempt = 0; !fd && attempt < 100; ++attempt) {
        tempName =
            QFile::encodeName(QStringLiteral("%1_new.%2.%3").arg(target).arg(::getpid()).arg(++counter));
        fd.reset(::open(tempName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd && errno != EEXIST)
            break;
    }
    if (!fd) {
        const int number = errno;
        return fail(error, number, QStringLiteral("Cannot create"), QFile::decodeName(tempName));
    }

    auto abandon = [&](int number, const QString& what) {
        fd.reset();
        ::unlink(tempName.constData());
        return fail(error, number, what, QFile::decodeName(tempName));
    };

    const QByteArray targetName = QFile::encodeName(target);
    struct stat old {};
    if (::stat(targetName.constData(), &old) == 0 && ::fchmod(fd.get(), old.st_mode & 07777) != 0)
        return abandon(errno, QStringLiteral("Cannot set the permissions of"));

    const char* p = data.constData();
    qsizetype left = data.size();
    while (left > 0) {
        const ssize_t n = ::write(fd.get(), p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return abandon(errno, QStringLiteral("Cannot write"));
        }
        p += n;
        left -= n;
    }
    if (::fsync(fd.get()) != 0)
        return abandon(errno, QStringLiteral("Cannot flush"));
    if (fd.close() != 0) {
        const int number = errno;
        ::unlink(tempName.constData());
        return fail(error, number, QStringLiteral("Cannot close"), QFile::decodeName(tempName));
    }
    if (::rename(tempName.constData(), targetName.constData()) != 0) {
        const int number = errno;
        ::unlink(tempName.constData());
        return fail(error, number, QStringLiteral("Cannot replace"), target);
    }
    // Make the rename itself durable. The new contents are complete either way, so a folder that
    // cannot be synced (some file systems refuse) does not make the write a failure.
    const UniqueFd folderFd(::open(QFile::encodeName(QFileInfo(target).absolutePath()).constData(),
                                   O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd)
        ::fsync(folderFd.get());
    return true;
}

} // namespace zek::platform
