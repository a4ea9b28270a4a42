// A private home for one test: the configuration, data and runtime folders and HOME all point into
// a temporary folder, so no test touches the real home folder.
#pragma once

#include <QString>
#include <QTemporaryDir>

namespace zek::test {

class TestEnvironment {
public:
    TestEnvironment();
    ~TestEnvironment();
    QString root() const { return m_dir.path(); }
    // A fresh work directory inside the temporary folder.
    QString workDirectory() const;
    QString path(const QString& relative) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_saved[4];
};

} // namespace zek::test
