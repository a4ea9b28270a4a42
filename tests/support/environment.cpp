#include "support/test_env.h"

#include <QDir>
#include <QFile>

namespace zek::test {

namespace {
const char* const Variables[4] = {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_RUNTIME_DIR"};
}

TestEnvironment::TestEnvironment() {
    const QString folders[4] = {"home", "home/.config", "home/.local/share", "run"};
    for (int i = 0; i < 4; ++i) {
        m_saved[i] = qgetenv(Variables[i]);
        const QString folder = m_dir.filePath(folders[i]);
        QDir().mkpath(folder);
        // Qt insists that a runtime folder is private to its owner.
        QFile::setPermissions(folder,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        qputenv(Variables[i], QFile::encodeName(folder));
    }
    QDir().mkpath(workDirectory());
}

TestEnvironment::~TestEnvironment() {
    for (int i = 0; i < 4; ++i)
        qputenv(Variables[i], m_saved[i]);
}

QString TestEnvironment::workDirectory() const {
    return m_dir.filePath("work");
}

QString TestEnvironment::path(const QString& relative) const {
    return m_dir.filePath(relative);
}

} // namespace zek::test
