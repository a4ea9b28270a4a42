#include "work/file_copy.h"

#include "platform/dir_search.h"
#include "platform/unique_fd.h"
#include "work/replacing_file.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace zek::work {

namespace {

CopyFailure failure(int number, const QString& about = {}) {
    CopyFailure f;
    f.number = number != 0 ? number : EIO;
    f.text = platform::systemErrorText(f.number);
    if (!about.isEmpty())
        f.text += QStringLiteral(" (") + about + u')';
    return f;
}

} // namespace

CopyFailure copyFileOver(const QString& source, const QString& target) {
    platform::UniqueFd in(::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC));
    if (!in)
        return failure(errno, source);
    ReplacingFile out(target);
    if (!out.openForWriting())
        return failure(out.errorNumber()); // the caller names the target, whose folder this is
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in.get(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failure(errno, source); // out cancels itself
        if (n == 0)
            break;
        if (out.write(buffer, n) != n)
            return failure(out.errorNumber());
    }
    if (!out.commit())
        return failure(out.errorNumber());
    return {};
}

CopyFailure moveFileOver(const QString& source, const QString& target) {
    const QString replaced = replacedFileOf(target);
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(replaced);
    {
        platform::UniqueFd file(::open(from.constData(), O_RDONLY | O_CLOEXEC));
        if (!file)
            return failure(errno, source);
        if (!takePermissionsOf(to, file.get()))
            return failure(errno);
        // Whole on disk before it takes the target's name.
        if (::fsync(file.get()) != 0)
            return failure(errno);
    }
    if (::rename(from.constData(), to.constData()) != 0) {
        if (errno == EXDEV)
            return copyFileOver(source, target);
        return failure(errno);
    }
    syncFolderOf(replaced);
    return {};
}

} // namespace zek::work
