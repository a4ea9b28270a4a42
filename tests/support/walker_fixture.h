// What the folder-walker tests share: a fresh work file, trees made on disk, a display that records
// what it was shown, and the FILETYPE records read back.
#pragma once

#include "scan/folder_add_check.h"
#include "scan/folder_walker.h"
#include "support/scripted_prompter.h"
#include "support/test_env.h"
#include "work/work_file.h"

#include <QDir>
#include <QFile>
#include <QTest>

#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace zek::test {

struct FileRecord {
    QString path, longPath;
    int level = -1, number = -1;
    QString name, extension, longName;
    qint64 size = -1;
    qint64 date = -1, time = -1, creationDate = -1, creationTime = -1, accessDate = -1, accessTime = -1;
    bool readOnly = false, hidden = false, system = false, archive = false, compressed = false,
         temporary = false, directory = false;
    bool anyNull = false;
};

class RecordingDisplay : public scan::ScanDisplay {
public:
    QStringList folders, entries, problems;
    QString capacityRoot;
    scan::DriveCapacity capacity;
    int pumps = 0;
    std::function<void(const QString&)> onFolder, onEntry;

    void showCapacity(const QString& root, const scan::DriveCapacity& c) override {
        capacityRoot = root;
        capacity = c;
    }
    void showFolder(const QString& text) override {
        folders << text;
        if (onFolder)
            onFolder(text);
    }
    void showEntry(QStringView view) override {
        const QString text = view.toString();
        entries << text;
        if (onEntry)
            onEntry(text);
    }
    void pump() override { ++pumps; }
    void showProblem(const QString& text) override { problems << text; }
};

// Removes everything below the open folder `dirFd`, however deep: relative names only, so paths
// beyond PATH_MAX are no obstacle.
inline void removeContents(int dirFd) {
    DIR* dir = fdopendir(dup(dirFd));
    if (!dir)
        return;
    while (const dirent* d = readdir(dir)) {
        const QByteArray name(d->d_name);
        if (name == "." || name == "..")
            continue;
        if (unlinkat(dirFd, name.constData(), 0) == 0)
            continue;
        const int sub = openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        if (sub >= 0) {
            removeContents(sub);
            close(sub);
        }
        unlinkat(dirFd, name.constData(), AT_REMOVEDIR);
    }
    closedir(dir);
}

inline void removeTree(const QByteArray& path) {
    const int fd = open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (fd < 0)
        return;
    removeContents(fd);
    close(fd);
    rmdir(path.constData());
}

// A chain of folders with 200-byte names under `top`, deeper than PATH_MAX, made with relative
// names (the only way to make one). Returns its depth; remove it with removeTree.
inline int makeTooDeepChain(const QByteArray& top) {
    const QByteArray name(200, 'd');
    int fd = ::open(top.constData(), O_RDONLY | O_DIRECTORY);
    int depth = 0;
    while (fd >= 0 && (depth + 1) * (name.size() + 1) + top.size() < PATH_MAX + 2 * name.size()) {
        if (::mkdirat(fd, name.constData(), 0755) != 0)
            break;
        const int sub = ::openat(fd, name.constData(), O_RDONLY | O_DIRECTORY);
        ::close(fd);
        fd = sub;
        ++depth;
    }
    if (fd >= 0)
        ::close(fd);
    return depth;
}

inline QByteArray raw(const QString& path) {
    return QFile::encodeName(path);
}

inline bool makeFolder(const QByteArray& path) {
    return ::mkdir(path.constData(), 0755) == 0;
}

inline bool makeFile(const QByteArray& path, qint64 size = 0) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0)
        return false;
    const bool ok = ::ftruncate(fd, size) == 0; // sparse: no blocks written
    ::close(fd);
    return ok;
}

class WalkerFixture {
public:
    TestEnvironment env;
    ScriptedPrompter prompter;
    work::WorkState ws;
    scan::ScanState scan;

    WalkerFixture() {
        ws.workDirectory = env.workDirectory();
        QString name;
        work::openWorkFile(ws, "INIT", name);
    }
    ~WalkerFixture() { work::closeWorkFile(ws); }

    // A folder inside the test's private root, made when missing.
    QString tree(const QString& relative) const {
        const QString path = env.path("tree/" + relative);
        QDir().mkpath(path);
        return path;
    }

    void choose(const QStringList& longForms) {
        ws.settings.folders.clear();
        for (const QString& f : longForms)
            ws.settings.folders.append(f, scan::shortFormOfFolder(raw(f)));
    }

    scan::ScanOutcome run(scan::ScanDisplay& display, bool readAhead = true, int pumpInterval = 40,
                          int leaveFilesBelow = scan::ScanPacing{}.leaveFilesBelow) {
        ws.database->execute("Delete * from filetype");
        scan::ScanPacing pacing;
        pacing.readAhead = readAhead;
        pacing.pumpInterval = pumpInterval;
        pacing.leaveFilesBelow = leaveFilesBelow;
        return scan::scanSelectedFolders(scan, ws, display, pacing);
    }

    QList<FileRecord> records() const {
        QList<FileRecord> out;
        auto rs = ws.database->openSql("SELECT * FROM FILETYPE");
        for (; !rs->eof(); rs->moveNext()) {
            FileRecord r;
            auto v = [&](const char* field) {
                const QVariant value = rs->value(QString::fromLatin1(field));
                r.anyNull = r.anyNull || !value.isValid();
                return value;
            };
            r.path = v("PATH").toString();
            r.longPath = v("LONGPATH").toString();
            r.level = v("PATHLEVEL").toInt();
            r.number = v("PATHNUMBER").toInt();
            r.name = v("NAME").toString();
            r.extension = v("EXTENSION").toString();
            r.longName = v("LONGNAME").toString();
            r.size = v("SIZE").toLongLong();
            r.date = v("DATE").toLongLong();
            r.time = v("TIME").toLongLong();
            r.creationDate = v("CREATIONDATE").toLongLong();
            r.creationTime = v("CREATIONTIME").toLongLong();
            r.accessDate = v("ACCESSDATE").toLongLong();
            r.accessTime = v("ACCESSTIME").toLongLong();
            r.readOnly = v("READONLY").toBool();
            r.hidden = v("HIDDEN").toBool();
            r.system = v("SYSTEM").toBool();
            r.archive = v("ARCHIVE").toBool();
            r.compressed = v("COMPRESSED").toBool();
            r.temporary = v("TEMPORARY").toBool();
            r.directory = v("DIRECTORY").toBool();
            out << r;
        }
        return out;
    }

    static const FileRecord* find(const QList<FileRecord>& records, const QString& longName) {
        for (const FileRecord& r : records) {
            if (r.longName == longName)
                return &r;
        }
        return nullptr;
    }
};

} // namespace zek::test
