// The walk on awkward trees: links and link loops, names that are not UTF-8, long paths, paths
// beyond what the system can open, and mount points inside a chosen folder.
#include "support/walker_fixture.h"

#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

using namespace zek;
using namespace zek::test;

class TestWalkerEdges : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void symbolicLinksRecordedNeverFollowed() {
        WalkerFixture f;
        const QString top = f.tree("links");
        QVERIFY(makeFile(raw(top + "/target.txt"), 5));
        QVERIFY(makeFolder(raw(top + "/sub")));
        QCOMPARE(::symlink(".", raw(top + "/loop").constData()), 0);
        QCOMPARE(::symlink("..", raw(top + "/sub/up").constData()), 0);
        QCOMPARE(::symlink("target.txt", raw(top + "/file link").constData()), 0);
        QCOMPARE(::symlink("nowhere", raw(top + "/dangling").constData()), 0);
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(records.size(), 6); // target.txt, sub, loop, file link, dangling, sub/up
        for (const char* link : {"loop", "up", "file link", "dangling"}) {
            const FileRecord* r = WalkerFixture::find(records, link);
            QVERIFY2(r, link);
            QVERIFY(r->system);
            QVERIFY(!r->directory);
            QVERIFY(!r->archive);
        }
        QCOMPARE(f.scan.counters.symbolicLinks, 4);
        QCOMPARE(f.scan.counters.folders, 2);
        QVERIFY(display.problems.isEmpty());
    }

    void namesThatAreNotUtf8() {
        WalkerFixture f;
        const QString top = f.tree("bytes");
        const QByteArray folder = raw(top) + "/bad\xff folder";
        // Qt cannot name these files, so the test removes them itself.
        const auto cleanup = qScopeGuard([&] { removeTree(raw(top)); });
        QVERIFY(makeFolder(folder));
        QVERIFY(makeFile(folder + "/caf\xe9.txt", 3));
        QVERIFY(makeFile(folder + "/plain.txt"));
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(records.size(), 3); // the folder was reached through its raw bytes
        const QString shownFolder = QString("bad") + QChar(0xFFFD) + " folder";
        QVERIFY(WalkerFixture::find(records, shownFolder));
        const FileRecord* cafe = WalkerFixture::find(records, QString("caf") + QChar(0xFFFD) + ".txt");
        QVERIFY(cafe);
        QCOMPARE(cafe->size, 3);
        QCOMPARE(cafe->longPath, top + "/" + shownFolder + "/");
        QCOMPARE(cafe->extension, QString("TXT"));
        QVERIFY(WalkerFixture::find(records, "plain.txt"));
        QVERIFY(display.problems.isEmpty());
    }

    void pathsLongerThan255Bytes() {
        WalkerFixture f;
        const QString top = f.tree("long");
        QString path = top;
        const QString name = QString(120, 'n');
        for (int i = 0; i < 3; ++i) {
            path += "/" + name + QString::number(i);
            QVERIFY(makeFolder(raw(path)));
        }
        const QString longName = QString(200, 'f') + ".txt";
        QVERIFY(makeFile(raw(path + "/" + longName)));
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        const FileRecord* deep = WalkerFixture::find(records, longName);
        QVERIFY(deep);
        QVERIFY(deep->longPath.size() > 255);
        QCOMPARE(deep->longPath, path + "/"); // kept whole, never cut
        QCOMPARE(deep->longName.size(), 204);
        QCOMPARE(deep->level, 3);
    }

    void pathsBeyondWhatTheSystemOpens() {
        // Folders nested deeper than PATH_MAX bytes: each is recorded as an entry of its parent as
        // long as the parent can be opened; the first folder whose path is too long is skipped and
        // counted, and the walk ends normally.
        WalkerFixture f;
        const QString top = f.tree("deeper");
        // Too deep for QTemporaryDir to remove.
        const auto cleanup = qScopeGuard([&] { removeTree(raw(top)); });
        const int depth = makeTooDeepChain(raw(top));
        QVERIFY(depth > 20);
        f.choose({top});
        RecordingDisplay display;
        const scan::ScanOutcome outcome = f.run(display);
        const QList<FileRecord> records = f.records();
        const scan::ScanCounters counters = f.scan.counters;
        QCOMPARE(outcome, scan::ScanOutcome::Completed);
        QCOMPARE(counters.foldersSkipped, 1);
        QCOMPARE(display.problems.size(), 1);
        QVERIFY(records.size() >= 20);
        QVERIFY(records.size() < depth);
        for (const FileRecord& r : records)
            QVERIFY(r.longPath.size() <= work::HostPathSize);
    }

    void shortPathLongerThanItsLongPath() {
        // "a b" is three bytes on the disk and "AB~1" in PATH: a chain of them reaches a depth where
        // the short path no longer fits the file table while the long one still does. That folder
        // is told once and counted; nothing of it or below it is recorded, and what was recorded
        // before it is whole.
        WalkerFixture f;
        const QString top = f.tree("short");
        const auto cleanup = qScopeGuard([&] { removeTree(raw(top)); });
        int fd = ::open(raw(top).constData(), O_RDONLY | O_DIRECTORY);
        int depth = 0;
        for (; fd >= 0 && depth < 1000 && raw(top).size() + 4 * (depth + 2) < work::HostPathSize; ++depth) {
            QCOMPARE(::mkdirat(fd, "a b", 0755), 0);
            const int sub = ::openat(fd, "a b", O_RDONLY | O_DIRECTORY);
            ::close(fd);
            fd = sub;
        }
        if (fd >= 0)
            ::close(fd);
        QVERIFY(depth > 900);
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(f.scan.counters.foldersSkipped, 1);
        QCOMPARE(display.problems.size(), 1);
        QVERIFY(display.problems.first().contains("longer than 4096 characters"));
        QVERIFY(records.size() > 700);
        QVERIFY(records.size() < depth);
        for (qsizetype i = 0; i < records.size(); ++i) {
            QCOMPARE(records[i].level, int(i)); // one folder per level, none left out
            QVERIFY(records[i].path.size() <= work::HostPathSize);
            QVERIFY(records[i].path.endsWith("AB~1/") || i == 0);
        }
    }

    void mountPointRecordedNotEntered() {
        if (geteuid() != 0)
            QSKIP("mounting a file system needs privileges");
        WalkerFixture f;
        // The mount point lies two folders down: the folders below a chosen one take their mount
        // from it, and must still tell where another one begins.
        const QString top = f.tree("mounts");
        const QByteArray deep = raw(top + "/a/b");
        QVERIFY(QDir().mkpath(QFile::decodeName(deep)));
        const QByteArray mnt = deep + "/mnt";
        QVERIFY(makeFolder(mnt));
        QVERIFY(makeFile(deep + "/beside.txt"));
        if (::mount("zek-test", mnt.constData(), "tmpfs", 0, "size=1m") != 0)
            QSKIP(qPrintable(QString("cannot mount a tmpfs here: ") + strerror(errno)));
        const auto unmount = qScopeGuard([&] { ::umount2(mnt.constData(), MNT_DETACH); });
        QVERIFY(makeFile(mnt + "/inside.txt"));
        QVERIFY(makeFolder(mnt + "/inner"));
        f.choose({top});
        RecordingDisplay display;
        const scan::ScanOutcome outcome = f.run(display);
        const QList<FileRecord> records = f.records();
        QCOMPARE(outcome, scan::ScanOutcome::Completed);
        QCOMPARE(records.size(), 4); // a, b, beside.txt and mnt; nothing from inside the mount
        const FileRecord* m = WalkerFixture::find(records, "mnt");
        QVERIFY(m);
        QVERIFY(m->directory);
        QCOMPARE(m->level, 2);
        QVERIFY(m->temporary); // the mounted file system is memory-backed
        QVERIFY(!WalkerFixture::find(records, "beside.txt")->temporary);
        QCOMPARE(f.scan.counters.mountPointsNotEntered, 1);
        QCOMPARE(f.scan.counters.folders, 3);
    }

    void everyLevelOfAMemoryBackedTreeIsTemporary() {
        // The mount's facts are asked once, at the chosen folder, and handed down to every level.
        QTemporaryDir shm(QStringLiteral("/dev/shm/zek-walk-XXXXXX"));
        if (!shm.isValid())
            QSKIP("no /dev/shm here");
        WalkerFixture f;
        QVERIFY(QDir().mkpath(shm.path() + "/one/two"));
        QVERIFY(makeFile(raw(shm.path() + "/one/two/deep.txt")));
        const QString disk = f.tree("disk");
        QVERIFY(QDir().mkpath(disk + "/one"));
        QVERIFY(makeFile(raw(disk + "/one/file.txt")));
        f.choose({shm.path(), disk});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(records.size(), 5);
        for (const FileRecord& r : records)
            QCOMPARE(r.temporary, r.longPath.startsWith(shm.path()));
        QCOMPARE(WalkerFixture::find(records, "deep.txt")->level, 2);
    }
};

QTEST_GUILESS_MAIN(TestWalkerEdges)
#include "test_walker_edges.moc"
