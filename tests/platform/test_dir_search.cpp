#include "platform/dir_search.h"
#include "platform/drives.h"
#include "support/local_time.h"

#include <QFile>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

using namespace zek::platform;

namespace {

QByteArray bytesOf(const QString& path) {
    return QFile::encodeName(path);
}

void makeFile(const QByteArray& path, qint64 size = 0) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::ftruncate(fd, size), 0); // sparse: no blocks are written
    ::close(fd);
}

using zek::test::localSeconds;

QHash<QString, DirEntry> entriesByName(const QByteArray& folder) {
    SearchError error;
    QHash<QString, DirEntry> byName;
    for (DirEntry& e : readFolder(folder, error))
        byName.insert(e.longName, e);
    return byName;
}

bool isMountPointPath(const QString& path) {
    for (const DriveInfo& m : allMounts()) {
        if (m.root == path)
            return true;
    }
    return false;
}

} // namespace

class TestDirSearch : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QByteArray m_root;

private Q_SLOTS:
    void initTestCase() {
        // A zone three hours east of UTC, so that a time taken as UTC shows.
        qputenv("TZ", "ZEK-3");
        tzset();
        QVERIFY(m_dir.isValid());
        m_root = bytesOf(m_dir.path());
    }

    void namesSizesAndAlternates() {
        const QByteArray folder = childPath(m_root, "names");
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        makeFile(childPath(folder, "Annual report.doc"), 10);
        makeFile(childPath(folder, "README.TXT"), 1);
        makeFile(childPath(folder, "archive.tar.gz"));
        makeFile(childPath(folder, "big.bin"), 3'000'000'000LL);
        QCOMPARE(::mkdir(childPath(folder, "Sub Folder").constData(), 0755), 0);

        DirectorySearch search(folder);
        QVERIFY(search.ok());
        QCOMPARE(search.count(), std::size_t(5));
        const auto e = entriesByName(folder);
        QCOMPARE(e.size(), 5);
        QCOMPARE(e["Annual report.doc"].shortName, QStringLiteral("ANNUAL~1.DOC"));
        QCOMPARE(e["Annual report.doc"].size, 10);
        QCOMPARE(e["archive.tar.gz"].shortForm(), QStringLiteral("ARCHIV~1.GZ"));
        QVERIFY(e["README.TXT"].shortName.isEmpty());
        QCOMPARE(e["README.TXT"].shortForm(), QStringLiteral("README.TXT"));
        QCOMPARE(e["big.bin"].size, 3'000'000'000LL);
        QCOMPARE(e["Sub Folder"].shortName, QStringLiteral("SUBFOL~1"));
        QVERIFY(e["Sub Folder"].directory);
        QCOMPARE(e["Sub Folder"].size, 0);
        for (const DirEntry& entry : e)
            QCOMPARE(entry.error, 0);
    }

    void timesInLocalTime() {
        const QByteArray file = childPath(m_root, "dated.txt");
        makeFile(file);
        const struct timespec times[2] = {{localSeconds(2000, 1, 1, 0, 0, 7), 0},
                                          {localSeconds(1996, 12, 7, 23, 59, 59), 500'000'000}};
        QCOMPARE(::utimensat(AT_FDCWD, file.constData(), times, 0), 0);

        const DirEntry e = entriesByName(m_root)["dated.txt"];
        QCOMPARE(e.lastWrite.date, 19961207);
        QCOMPARE(e.lastWrite.time, 235959);
        QCOMPARE(e.lastAccess.date, 20000101);
        QCOMPARE(e.lastAccess.time, 7);
        QCOMPARE(e.lastWrite.seconds, qint64(times[1].tv_sec));
        // The birth time is now where the file system keeps it; otherwise the last write stands in.
        QVERIFY2(e.creation.date == e.lastWrite.date || e.creation.date >= 20200101,
                 qPrintable(QString::number(e.creation.date)));

        // Midnight gives time 0.
        QCOMPARE(localFileTime(localSeconds(2001, 2, 3, 0, 0, 0)).time, 0);
        QCOMPARE(localFileTime(localSeconds(2001, 2, 3, 0, 0, 0)).date, 20010203);
    }

    void attributes() {
        const QByteArray folder = childPath(m_root, "attributes");
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        makeFile(childPath(folder, "plain.txt"));
        makeFile(childPath(folder, "locked.txt"));
        QCOMPARE(::chmod(childPath(folder, "locked.txt").constData(), 0444), 0);
        makeFile(childPath(folder, ".hidden"));
        QCOMPARE(::mkdir(childPath(folder, "dir").constData(), 0755), 0);
        QCOMPARE(::symlink("plain.txt", childPath(folder, "link").constData()), 0);
        QCOMPARE(::symlink("dir", childPath(folder, "dirlink").constData()), 0);
        QCOMPARE(::symlink("nowhere", childPath(folder, "broken").constData()), 0);
        QCOMPARE(::mkfifo(childPath(folder, "pipe").constData(), 0644), 0);

        struct statfs fs {};
        QCOMPARE(::statfs(folder.constData(), &fs), 0);
        const bool memoryBacked = fs.f_type == 0x01021994 || fs.f_type == 0x858458f6;

        const auto e = entriesByName(folder);
        QCOMPARE(e.size(), 8);
        for (const DirEntry& entry : e) {
            QCOMPARE(entry.error, 0);
            QCOMPARE(entry.temporary, memoryBacked);
            QCOMPARE(entry.compressed, false);
            QCOMPARE(entry.isMountPoint, false);
            QCOMPARE(entry.hidden, entry.longName == QLatin1String(".hidden"));
        }
        const DirEntry& plain = e["plain.txt"];
        QVERIFY(plain.archive && !plain.readOnly && !plain.system && !plain.directory && !plain.isSymlink);
        QVERIFY(e["locked.txt"].readOnly && e["locked.txt"].archive);
        QCOMPARE(e[".hidden"].shortName, QStringLiteral("HIDDEN~1"));
        const DirEntry& dir = e["dir"];
        QVERIFY(dir.directory && !dir.archive && !dir.system && !dir.readOnly);
        for (const char* name : {"link", "dirlink", "broken"}) {
            const DirEntry& link = e[name];
            QVERIFY2(link.isSymlink && link.system && !link.directory && !link.archive, name);
        }
        QVERIFY(e["pipe"].system && !e["pipe"].isSymlink && !e["pipe"].archive);

        // The no-dump attribute clears ARCHIVE, where the file system keeps that attribute.
        const QByteArray nodump = childPath(folder, "nodump.txt");
        makeFile(nodump);
        const int fd = ::open(nodump.constData(), O_RDONLY);
        int flags = 0;
        const bool set = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 &&
                         (flags |= FS_NODUMP_FL, ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0);
        ::close(fd);
        if (set)
            QVERIFY(!entriesByName(folder)["nodump.txt"].archive);
    }

    void memoryBackedFolderIsTemporary() {
        struct statfs fs {};
        if (::statfs("/dev/shm", &fs) != 0 || fs.f_type != 0x01021994)
            QSKIP("no tmpfs at /dev/shm");
        QTemporaryDir shm(QStringLiteral("/dev/shm/zek-test-XXXXXX"));
        if (!shm.isValid())
            QSKIP("/dev/shm is not writable");
        makeFile(bytesOf(shm.filePath(QStringLiteral("scratch"))));
        DirectorySearch search(shm.path());
        QVERIFY(search.onTemporaryFileSystem());
        DirEntry entry;
        QVERIFY(search.next(entry));
        QVERIFY(entry.temporary);
    }

    void nonUtf8NameKeepsItsBytes() {
        const QByteArray folder = childPath(m_root, "bytes");
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        const QByteArray raw("bad\xff.txt");
        makeFile(childPath(folder, raw), 3);
        // Qt cannot remove a name it cannot decode, so the temporary folder would stay behind.
        const auto remove = qScopeGuard([&] { ::unlink(childPath(folder, raw).constData()); });

        SearchError error;
        const std::vector<DirEntry> entries = readFolder(folder, error);
        QCOMPARE(entries.size(), std::size_t(1));
        const DirEntry& e = entries.front();
        QCOMPARE(e.rawName, raw);
        QCOMPARE(e.longName, QStringLiteral("bad\ufffd.txt"));
        QCOMPARE(e.shortName, QStringLiteral("BAD~1.TXT"));
        QCOMPARE(e.size, 3);
        QVERIFY(::access(childPath(folder, e.rawName).constData(), F_OK) == 0);
    }

    void vanishedEntryDoesNotStopTheSearch() {
        const QByteArray folder = childPath(m_root, "vanishing");
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        for (const char* name : {"a", "b", "c"})
            makeFile(childPath(folder, name));

        DirectorySearch search(folder);
        QCOMPARE(search.count(), std::size_t(3));
        QCOMPARE(::unlink(childPath(folder, "b").constData()), 0);
        DirEntry entry;
        QStringList seen;
        while (search.next(entry)) {
            seen << entry.longName;
            if (entry.longName == QLatin1String("b")) {
                QCOMPARE(entry.error, ENOENT);
                QCOMPARE(entry.errorText(), systemErrorText(ENOENT));
                QVERIFY(!entry.errorText().isEmpty());
            } else {
                QCOMPARE(entry.error, 0);
            }
        }
        seen.sort();
        QCOMPARE(seen, QStringList({"a", "b", "c"}));
        QVERIFY(search.ok());
    }

    void foldersThatCannotBeOpened() {
        DirectorySearch missing(childPath(m_root, "no such folder"));
        QVERIFY(!missing.ok());
        QCOMPARE(missing.error(), ENOENT);
        QCOMPARE(missing.errorText(), systemErrorText(ENOENT));
        QCOMPARE(missing.count(), std::size_t(0));
        DirEntry entry;
        QVERIFY(!missing.next(entry));

        makeFile(childPath(m_root, "not a folder"));
        SearchError error;
        QVERIFY(readFolder(childPath(m_root, "not a folder"), error).empty());
        QCOMPARE(error.number, ENOTDIR);
        QVERIFY(!error.text.isEmpty());
    }

    void unreadableFolders() {
        const QByteArray closed = childPath(m_root, "closed");
        const QByteArray listOnly = childPath(m_root, "list only");
        QCOMPARE(::mkdir(closed.constData(), 0755), 0);
        QCOMPARE(::mkdir(listOnly.constData(), 0755), 0);
        QCOMPARE(::mkdir(childPath(listOnly, "inside").constData(), 0755), 0);
        QCOMPARE(::chmod(closed.constData(), 0), 0);
        QCOMPARE(::chmod(listOnly.constData(), 0444), 0); // names readable, entries not reachable
        const auto restore = qScopeGuard([&] {
            ::chmod(closed.constData(), 0755);
            ::chmod(listOnly.constData(), 0755);
        });

        // The parent still lists them.
        const auto e = entriesByName(m_root);
        QVERIFY(e["closed"].directory && e["closed"].error == 0);
        QVERIFY(e["list only"].readOnly);

        if (::geteuid() == 0)
            QSKIP("running as root: permissions do not stop reading");
        DirectorySearch search(closed);
        QCOMPARE(search.error(), EACCES);
        QVERIFY(!search.errorText().isEmpty());
        SearchError error;
        const std::vector<DirEntry> entries = readFolder(listOnly, error);
        QCOMPARE(error.number, 0);
        QCOMPARE(entries.size(), std::size_t(1));
        QCOMPARE(entries.front().error, EACCES);
        QVERIFY(!entries.front().directory);
        // The outlines learn that their list of subfolders may be short.
        QVERIFY(listSubfolders(listOnly, error).empty());
        QCOMPARE(error.number, EACCES);
    }

    void subfoldersSortedByCharacterCode() {
        const QByteArray folder = childPath(m_root, "outline");
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        for (const char* name : {"b", "B", "a", "Z", "_x", "\xc3\x84rger", "Program Files"})
            QCOMPARE(::mkdir(childPath(folder, name).constData(), 0755), 0);
        makeFile(childPath(folder, "A"));
        QCOMPARE(::symlink("a", childPath(folder, "Linked").constData()), 0);

        SearchError error;
        QStringList names;
        QStringList shortForms;
        for (const DirEntry& e : listSubfolders(folder, error)) {
            names << e.longName;
            shortForms << e.shortForm();
        }
        QCOMPARE(error.number, 0);
        QCOMPARE(names,
                 QStringList({"B", "Program Files", "Z", "_x", "a", "b", QStringLiteral("\u00c4rger")}));
        // "a" and "b" come after "A" and "B" in byte order: their upper case is taken, so they are numbered.
        QCOMPARE(shortForms, QStringList({"B", "PROGRA~1", "Z", "_X", "A~1", "B~1", "RGER~1"}));
    }

    void searchLeavesAccessTimeAlone() {
        const QByteArray folder = childPath(m_root, "untouched");
        QCOMPARE(::mkdir(folder.constData(), 0755), 0);
        makeFile(childPath(folder, "f"));
        const struct timespec times[2] = {{localSeconds(2000, 1, 1, 12, 0, 0), 0}, {0, UTIME_OMIT}};
        QCOMPARE(::utimensat(AT_FDCWD, folder.constData(), times, 0), 0);
        {
            DirectorySearch search(folder);
            DirEntry entry;
            while (search.next(entry)) {
            }
        }
        struct stat st {};
        QCOMPARE(::stat(folder.constData(), &st), 0);
        if (::geteuid() != 0 && st.st_uid != ::geteuid())
            QSKIP("not the folder's owner");
        QCOMPARE(qint64(st.st_atime), qint64(times[0].tv_sec));
    }

    void mountPointsAreMarked() {
        if (!isMountPointPath(QStringLiteral("/proc")))
            QSKIP("/proc is not mounted");
        bool sawProc = false;
        DirectorySearch search(QByteArray("/"));
        DirEntry entry;
        while (search.nextFolder(entry)) {
            const QString path = QLatin1Char('/') + entry.longName;
            QCOMPARE(entry.isMountPoint, isMountPointPath(path));
            sawProc = sawProc || entry.longName == QLatin1String("proc");
        }
        QVERIFY(sawProc);
    }

    // Drives.

    void pathsInsideRoots_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("root");
        QTest::addColumn<bool>("inside");
        QTest::newRow("below slash") << "/home"
                                     << "/" << true;
        QTest::newRow("slash itself") << "/"
                                      << "/" << true;
        QTest::newRow("below home") << "/home/ann"
                                    << "/home" << true;
        QTest::newRow("prefix is not inside") << "/homework"
                                              << "/home" << false;
        QTest::newRow("equal is not inside") << "/home"
                                             << "/home" << false;
        QTest::newRow("root with slash") << "/media/usb/x"
                                         << "/media/usb/" << true;
        QTest::newRow("case counts") << "/Home/ann"
                                     << "/home" << false;
        QTest::newRow("empty root") << "/home"
                                    << "" << false;
    }
    void pathsInsideRoots() {
        QFETCH(QString, path);
        QFETCH(QString, root);
        QFETCH(bool, inside);
        QCOMPARE(pathLiesInside(path, root), inside);
    }

    void rootOfPicksTheLongestMount() {
        const std::vector<DriveInfo> mounts = {{"/", "/dev/sda1", "ext4"},
                                               {"/home", "/dev/sda2", "ext4"},
                                               {"/media/usb stick", "/dev/sdb1", "vfat"}};
        QCOMPARE(rootOf("/home/ann/letters", mounts), QStringLiteral("/home"));
        QCOMPARE(rootOf("/home", mounts), QStringLiteral("/home"));
        QCOMPARE(rootOf("/homework", mounts), QStringLiteral("/"));
        QCOMPARE(rootOf("/media/usb stick/a", mounts), QStringLiteral("/media/usb stick"));
        QCOMPARE(rootOf("/home/../etc", mounts), QStringLiteral("/"));
        QCOMPARE(rootOf("/", mounts), QStringLiteral("/"));
        QCOMPARE(rootOf("/home", {}), QString());
        QCOMPARE(rootOf(m_dir.path()).isEmpty(), false);
    }

    void mountInfoParsing() {
        const QByteArray text =
            "27 1 254:0 / / rw,relatime - ext4 /dev/vda rw\n"
            "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
            "60 27 8:17 / /media/ann/USB\\040STICK rw shared:5 master:1 - vfat /dev/sdb1 rw\n"
            "61 27 0:40 / /run/user/1000 rw - tmpfs tmpfs rw\n"
            "62 27 0:41 / /run/media/ann/disk rw - ext4 /dev/sdc1 rw\n"
            "63 27 0:42 / /tmp rw - tmpfs tmpfs rw\n"
            "64 27 0:43 / /var/lib/docker/overlay2/x/merged rw - overlay overlay rw\n"
            "65 27 7:1 / /snap/core/1 ro - squashfs /dev/loop1 ro\n"
            "66 27 0:44 / /dev/shm rw - tmpfs tmpfs rw\n"
            "garbage line\n";
        const std::vector<DriveInfo> mounts = parseMountInfo(text);
        QCOMPARE(mounts.size(), std::size_t(9));
        QCOMPARE(mounts[2].root, QStringLiteral("/media/ann/USB STICK"));
        QCOMPARE(mounts[2].fsType, QStringLiteral("vfat"));
        QCOMPARE(mounts[2].device, QStringLiteral("/dev/sdb1"));
        QCOMPARE(mounts[2].mountId, 60);
        QStringList real;
        for (const DriveInfo& m : mounts) {
            if (isRealDrive(m))
                real << m.root;
        }
        QCOMPARE(real, QStringList({"/", "/media/ann/USB STICK", "/run/media/ann/disk", "/tmp"}));
        QVERIFY(isRealDrive({"/", "overlay", "overlay"}));
    }

    void systemDrivesAndCapacity() {
        const std::vector<DriveInfo> drives = mountedDrives();
        QVERIFY(!drives.empty());
        QCOMPARE(drives.front().root, QStringLiteral("/"));
        for (const DriveInfo& d : drives)
            QVERIFY2(isRealDrive(d), qPrintable(d.root));

        int errorNumber = -1;
        const std::optional<Capacity> capacity = driveCapacity(m_dir.path(), &errorNumber);
        QVERIFY(capacity.has_value());
        QCOMPARE(errorNumber, 0);
        QVERIFY(capacity->totalBytes > 0);
        QVERIFY(capacity->freeBytes >= 0 && capacity->freeBytes <= capacity->totalBytes);
        QVERIFY(!driveCapacity(m_dir.filePath(QStringLiteral("missing")), &errorNumber));
        QCOMPARE(errorNumber, ENOENT);
    }
};

QTEST_GUILESS_MAIN(TestDirSearch)
#include "test_dir_search.moc"
