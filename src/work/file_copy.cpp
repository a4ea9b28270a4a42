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

} // namespace zek::work
