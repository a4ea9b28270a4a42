// Keeps a second copy of the program from running at the same time.
//
// The lock is a file in the runtime folder held with flock(): the kernel drops the lock when the
// holder ends, however it ends, so a file left behind by a crash never blocks the next start. The
// file itself stays in place (removing it would let two processes lock two different files).
#pragma once

#include "platform/unique_fd.h"

#include <QString>

namespace zek::platform {

class InstanceLock {
public:
    InstanceLock() = default;
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock();

    // Takes the lock "<runtimeFolder>/<name>.lock". False when another process holds it
    // (heldElsewhere()) or when the file cannot be made (errorNumber() and errorText() tell why).
    // Taking a lock this object already holds succeeds.
    bool acquire(const QString& name = QStringLiteral("zek"));
    void release();

    bool isHeld() const { return m_fd.valid(); }
    bool heldElsewhere() const { return m_heldElsewhere; }
    int errorNumber() const { return m_errorNumber; }
    QString errorText() const { return m_errorText; }
    QString fileName() const { return m_fileName; }

private:
    UniqueFd m_fd;
    bool m_heldElsewhere = false;
    int m_errorNumber = 0;
    QString m_errorText;
    QString m_fileName;
};

} // namespace zek::platform
