// Keeps a work directory's working copy to one process at a time.
//
// Open replaces the working copy by renaming a file over it; a second program on the same work
// directory would keep writing to the replaced file, or have its own file replaced under it. Both
// programs therefore hold flock() on "<directory>/.work.lock" for as long as they use the
// directory. The kernel drops the lock when the holder ends, however it ends, so a file left behind
// by a crash never blocks the next start; the file itself stays in place.
#pragma once

#include "platform/unique_fd.h"

#include <QString>

namespace zek::platform {

inline const QString DirectoryLockFileName = QStringLiteral(".work.lock");

class DirectoryLock {
public:
    DirectoryLock() = default;
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;
    ~DirectoryLock() { release(); }

    // Takes the lock of `directory`, which must exist. False when another process (or another
    // DirectoryLock) holds it (heldElsewhere()) or when the lock file cannot be made (errorNumber()
    // and errorText() tell why). A lock already held is released first.
    bool acquire(const QString& directory);
    void release();

    bool isHeld() const { return m_fd.valid(); }
    bool heldElsewhere() const { return m_heldElsewhere; }
    int errorNumber() const { return m_errorNumber; }
    QString errorText() const { return m_errorText; }

private:
    UniqueFd m_fd;
    bool m_heldElsewhere = false;
    int m_errorNumber = 0;
    QString m_errorText;
};

} // namespace zek::platform
