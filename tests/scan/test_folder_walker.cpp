// The folder walker's records: names, paths, numbering, levels, sizes, times, Cancel, failures.
#include "support/local_time.h"
#include "support/walker_fixture.h"

#include "platform/dir_search.h"

#include <QTest>

#include <ctime>
#include <sys/stat.h>

using namespace zek;
using namespace zek::test;

namespace {

using zek::test::localSeconds;

bool setTimes(const QByteArray& path, time_t access, time_t write) {
    const struct timespec times[2] = {{access, 0}, {write, 0}};
    return utimensat(AT_FDCWD, path.constData(), times, AT_SYMLINK_NOFOLLOW) == 0;
}

// The subfolders of a folder in the order the file system lists them.
QStringList listedFolders(const QString& folder) {
    platform::SearchError error;
    QStringList names;
    for (const platform::DirEntry& e : platform::readFolder(raw(folder), error)) {
        if (e.directory)
            names << e.longName;
    }
    return names;
}

// Whether the walk can tell, on the file system of `folder`, the folders that hold no folder.
bool linkCountsFolders(const QString& folder) {
    return platform::DirectorySearch(raw(folder)).mountFacts().linkCountsFolders;
}

} // namespace

class TestFolderWalker : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() {
        // A fixed zone, so the local times below do not depend on the machine.
        qputenv("TZ", "ZEK-3");
        tzset();
    }

    void readAhead_data() {
        QTest::addColumn<bool>("readAhead");
        QTest::newRow("reader thread") << true;
        QTest::newRow("same thread") << false;
    }

    void namesAndPaths_data() { readAhead_data(); }
    void namesAndPaths() {
        QFETCH(bool, readAhead);
        WalkerFixture f;
        const QString data = f.tree("Data");
        QVERIFY(makeFile(raw(data + "/README.TXT"), 12));
        QVERIFY(makeFile(raw(data + "/Annual report.doc")));
        QVERIFY(makeFile(raw(data + "/MAKEFILE")));
        QVERIFY(makeFile(raw(data + "/archive.tar.gz")));
        QVERIFY(makeFile(raw(data + "/.profile")));
        QVERIFY(makeFolder(raw(data + "/Letters")));
        QVERIFY(makeFile(raw(data + "/Letters/Dear John.txt")));
        f.choose({data});

        RecordingDisplay display;
        QCOMPARE(f.run(display, readAhead), scan::ScanOutcome::Completed);
        QCOMPARE(f.ws.scanResult, 0);
        const QList<FileRecord> records = f.records();
        // The chosen folder has no record of its own: six entries in it, one in Letters.
        QCOMPARE(records.size(), 7);

        const QString shortData = scan::shortFormOfFolder(raw(data));
        QCOMPARE(shortData, shortData.toUpper());
        for (const FileRecord& r : records)
            QVERIFY2(!r.anyNull, qPrintable(r.longName));

        const FileRecord* readme = WalkerFixture::find(records, "README.TXT");
        QVERIFY(readme);
        QCOMPARE(readme->name, QString("README"));
        QCOMPARE(readme->extension, QString("TXT"));
        QCOMPARE(readme->size, 12);
        QCOMPARE(readme->path, shortData + "/");
        QCOMPARE(readme->longPath, data + "/"); // the disk's case, ending in "/"
        QCOMPARE(readme->level, 0);
        QCOMPARE(readme->number, 0);
        QVERIFY(readme->archive);
        QVERIFY(!readme->directory && !readme->system && !readme->hidden && !readme->readOnly);

        const FileRecord* annual = WalkerFixture::find(records, "Annual report.doc");
        QVERIFY(annual);
        QCOMPARE(annual->name, QString("ANNUAL~1"));
        QCOMPARE(annual->extension, QString("DOC"));

        const FileRecord* makefile = WalkerFixture::find(records, "MAKEFILE");
        QVERIFY(makefile);
        QCOMPARE(makefile->name, QString("MAKEFILE"));
        QCOMPARE(makefile->extension, QString());

        const FileRecord* tarball = WalkerFixture::find(records, "archive.tar.gz");
        QVERIFY(tarball);
        QCOMPARE(tarball->name, QString("ARCHIV~1"));
        QCOMPARE(tarball->extension, QString("GZ"));

        QVERIFY(WalkerFixture::find(records, ".profile")->hidden);

        // A subfolder: once as an entry of its parent, then as the folder of its own entries, whose
        // long path keeps the disk's case all the way down and whose short path is upper case.
        const FileRecord* letters = WalkerFixture::find(records, "Letters");
        QVERIFY(letters);
        QVERIFY(letters->directory);
        QVERIFY(!letters->archive);
        QCOMPARE(letters->number, 0);
        QCOMPARE(letters->size, 0);
        const FileRecord* dear = WalkerFixture::find(records, "Dear John.txt");
        QVERIFY(dear);
        QCOMPARE(dear->longPath, data + "/Letters/");
        QCOMPARE(dear->path, shortData + "/LETTERS/");
        QCOMPARE(dear->number, 1);
        QCOMPARE(dear->level, 1);
        QCOMPARE(dear->name, QString("DEARJO~1"));

        // Progress shows long forms unless the short outline was clicked last.
        QCOMPARE(display.folders.first(), data + "/");
        QVERIFY(display.entries.contains("Annual report.doc"));
        QVERIFY(display.problems.isEmpty());
        QCOMPARE(f.scan.counters.entries, 7);
        QCOMPARE(f.scan.counters.folders, 2);
    }

    void shortFormsShownForOutline2() {
        WalkerFixture f;
        const QString data = f.tree("Some Data");
        QVERIFY(makeFile(raw(data + "/Annual report.doc")));
        f.choose({data});
        f.scan.activeOutline = "outline2"; // case ignored
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        QCOMPARE(display.folders, QStringList{scan::shortFormOfFolder(raw(data)) + "/"});
        QCOMPARE(display.entries, QStringList{"ANNUAL~1.DOC"});
    }

    void foldersDifferingInCaseStayApart() {
        WalkerFixture f;
        const QString top = f.tree("top");
        QVERIFY(makeFolder(raw(top + "/Dir")));
        QVERIFY(makeFolder(raw(top + "/dir")));
        QVERIFY(makeFile(raw(top + "/Dir/upper.txt")));
        QVERIFY(makeFile(raw(top + "/dir/lower.txt")));
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(WalkerFixture::find(records, "upper.txt")->longPath, top + "/Dir/");
        QCOMPARE(WalkerFixture::find(records, "lower.txt")->longPath, top + "/dir/");
        QVERIFY(WalkerFixture::find(records, "upper.txt")->number !=
                WalkerFixture::find(records, "lower.txt")->number);
    }

    void numberingAndLevels_data() { readAhead_data(); }
    void numberingAndLevels() {
        QFETCH(bool, readAhead);
        WalkerFixture f;
        const QString a = f.tree("A");
        const QString b = f.tree("B");
        QVERIFY(makeFolder(raw(a + "/A1")));
        QVERIFY(makeFolder(raw(a + "/A2"))); // empty: no records, but a folder number
        QVERIFY(makeFolder(raw(a + "/A1/A11")));
        QVERIFY(makeFile(raw(a + "/A1/A11/deep.txt")));
        QVERIFY(makeFile(raw(b + "/b.txt")));
        f.choose({a, b});

        RecordingDisplay display;
        QCOMPARE(f.run(display, readAhead), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(records.size(), 5); // A1, A2, A11, deep.txt, b.txt

        // A 0, its subfolders in the order the file system listed them, then A11, then B.
        const QStringList order = listedFolders(a);
        QCOMPARE(order.size(), 2);
        const int a1 = 1 + int(order.indexOf("A1"));
        const int a2 = 1 + int(order.indexOf("A2"));
        QCOMPARE(WalkerFixture::find(records, "A1")->number, 0);
        QCOMPARE(WalkerFixture::find(records, "A2")->number, 0);
        QCOMPARE(WalkerFixture::find(records, "A11")->number, a1);
        QCOMPARE(WalkerFixture::find(records, "A11")->level, 1);
        QCOMPARE(WalkerFixture::find(records, "deep.txt")->number, 3);
        QCOMPARE(WalkerFixture::find(records, "deep.txt")->level, 2);
        QCOMPARE(WalkerFixture::find(records, "b.txt")->number, 4);
        QCOMPARE(WalkerFixture::find(records, "b.txt")->level, 0);

        // Breadth-first: the records of one folder follow each other, in folder-number order.
        int last = -1;
        for (const FileRecord& r : records) {
            QVERIFY(r.number >= last);
            last = r.number;
        }
        // Every folder is shown, the empty A2 included.
        QCOMPARE(display.folders.size(), 5);
        QCOMPARE(display.folders.at(a2), a + "/A2/");
        QCOMPARE(f.scan.queue.folderCount, 4);
        // Walked folders are released: the queue keeps no path per folder.
        QVERIFY(f.scan.queue.waitingCount() <= 1);
    }

    void dateAndTimeIntegers() {
        WalkerFixture f;
        const QString top = f.tree("times");
        const QByteArray late = raw(top + "/late.txt");
        const QByteArray early = raw(top + "/early.txt");
        const QByteArray midnight = raw(top + "/midnight.txt");
        QVERIFY(makeFile(late) && makeFile(early) && makeFile(midnight));
        QVERIFY(setTimes(late, localSeconds(2000, 1, 1, 0, 0, 7), localSeconds(1996, 12, 7, 23, 59, 59)));
        QVERIFY(setTimes(early, localSeconds(1996, 12, 7, 23, 59, 59), localSeconds(2000, 1, 1, 0, 0, 7)));
        QVERIFY(setTimes(midnight, localSeconds(2001, 2, 3, 9, 30, 5), localSeconds(2024, 2, 29, 0, 0, 0)));
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();

        const FileRecord* l = WalkerFixture::find(records, "late.txt");
        QCOMPARE(l->date, 19961207);
        QCOMPARE(l->time, 235959);
        QCOMPARE(l->accessDate, 20000101);
        QCOMPARE(l->accessTime, 7);
        const FileRecord* e = WalkerFixture::find(records, "early.txt");
        QCOMPARE(e->date, 20000101);
        QCOMPARE(e->time, 7);
        QCOMPARE(e->accessDate, 19961207);
        QCOMPARE(e->accessTime, 235959);
        const FileRecord* m = WalkerFixture::find(records, "midnight.txt");
        QCOMPARE(m->date, 20240229);
        QCOMPARE(m->time, 0);
        QCOMPARE(m->accessTime, 93005);
        // Creation: the birth time where the file system keeps one (just now), else the write time.
        QVERIFY(m->creationDate >= 20240229);
    }

    void sizesKeepAllBits() {
        WalkerFixture f;
        const QString top = f.tree("sizes");
        QVERIFY(makeFile(raw(top + "/three billion.bin"), 3'000'000'000LL));
        QVERIFY(makeFile(raw(top + "/five gigabytes.bin"), 5'368'709'121LL));
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(WalkerFixture::find(records, "three billion.bin")->size, 3'000'000'000LL);
        QCOMPARE(WalkerFixture::find(records, "five gigabytes.bin")->size, 5'368'709'121LL);
    }

    void cancelKeepsRecordsWritten_data() { readAhead_data(); }
    void cancelKeepsRecordsWritten() {
        QFETCH(bool, readAhead);
        WalkerFixture f;
        const QString top = f.tree("many");
        for (int d = 0; d < 5; ++d) {
            const QString sub = top + QString("/folder %1").arg(d);
            QVERIFY(makeFolder(raw(sub)));
            for (int i = 0; i < 40; ++i)
                QVERIFY(makeFile(raw(sub + QString("/file %1.txt").arg(i))));
        }
        const QString second = f.tree("second");
        QVERIFY(makeFile(raw(second + "/never.txt")));
        f.choose({top, second});

        RecordingDisplay display;
        constexpr int CancelAfter = 57;
        display.onEntry = [&](const QString&) {
            if (display.entries.size() == CancelAfter)
                f.scan.scanCancel = true;
        };
        QCOMPARE(f.run(display, readAhead), scan::ScanOutcome::Cancelled);
        QCOMPARE(f.ws.scanResult, work::NoCompletedScan);
        // The entry being written when Cancel came is finished; nothing after it is written, and
        // everything written is committed.
        QVERIFY(!f.ws.database->inTransaction());
        QCOMPARE(f.records().size(), CancelAfter);
        QCOMPARE(f.scan.counters.entries, CancelAfter);
        QVERIFY(!WalkerFixture::find(f.records(), "never.txt"));
        QCOMPARE(display.entries.size(), CancelAfter);

        // Reopened from disk, the records are there.
        work::closeWorkFile(f.ws);
        auto reopened = db::Database::open(f.ws.workingCopyName());
        QCOMPARE(reopened->openSql("SELECT * FROM FILETYPE")->recordCount(), CancelAfter);
    }

    void cancelBeforeStartWritesNothing() {
        WalkerFixture f;
        const QString top = f.tree("x");
        QVERIFY(makeFile(raw(top + "/a")));
        f.choose({top});
        f.scan.scanCancel = true;
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Cancelled);
        QCOMPARE(f.records().size(), 0);
    }

    void largeFolderInChunksMatchesSameThread() {
        // More entries than one hand-over chunk, and many small folders: the reader thread and the
        // same-thread walk write the same records in the same order.
        WalkerFixture f;
        const QString top = f.tree("large");
        for (int i = 0; i < 2600; ++i)
            QVERIFY(makeFile(raw(top + QString("/entry number %1.data").arg(i)), i));
        for (int d = 0; d < 300; ++d) {
            const QString sub = top + QString("/sub %1").arg(d);
            QVERIFY(makeFolder(raw(sub)));
            if (d % 3 == 0)
                QVERIFY(makeFile(raw(sub + "/x.txt")));
        }
        f.choose({top});
        RecordingDisplay first, second;
        QCOMPARE(f.run(first, true), scan::ScanOutcome::Completed);
        const QList<FileRecord> threaded = f.records();
        QCOMPARE(f.run(second, false), scan::ScanOutcome::Completed);
        const QList<FileRecord> direct = f.records();
        QCOMPARE(threaded.size(), 2600 + 300 + 100);
        QCOMPARE(direct.size(), threaded.size());
        for (qsizetype i = 0; i < direct.size(); ++i) {
            QCOMPARE(threaded[i].longPath + threaded[i].longName, direct[i].longPath + direct[i].longName);
            QCOMPARE(threaded[i].number, direct[i].number);
            QCOMPARE(threaded[i].size, direct[i].size);
        }
        QCOMPARE(first.folders, second.folders);
    }

    void pumpsAreSpacedNotPerEntry() {
        WalkerFixture f;
        const QString top = f.tree("pump");
        for (int i = 0; i < 500; ++i)
            QVERIFY(makeFile(raw(top + QString("/%1").arg(i))));
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        QCOMPARE(display.entries.size(), 500);
        QVERIFY2(display.pumps < 50, qPrintable(QString::number(display.pumps)));
    }

    void missingChosenFolderIsSkippedAndCounted() {
        WalkerFixture f;
        const QString there = f.tree("there");
        const QString gone = f.env.path("tree/not there");
        const QString after = f.tree("after");
        QVERIFY(makeFile(raw(there + "/kept.txt")));
        QVERIFY(makeFile(raw(after + "/after.txt")));
        f.ws.settings.folders.append(there, scan::shortFormOfFolder(raw(there)));
        f.ws.settings.folders.append(gone, "/NOTTHE~1");
        f.ws.settings.folders.append(after, scan::shortFormOfFolder(raw(after)));
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(records.size(), 2);
        QCOMPARE(f.scan.counters.foldersSkipped, 1);
        QCOMPARE(display.problems.size(), 1);
        QVERIFY(display.problems.first().contains(gone));
        QVERIFY(display.problems.first().contains("No such file or directory"));
        // The skipped folder keeps its number: the third chosen folder is number 2.
        QCOMPARE(WalkerFixture::find(records, "after.txt")->number, 2);
    }

    // Folders that hold no folder may be read by the writer instead of the reader: then they are
    // read only when the writer gets to them, which makes a race with the walk deterministic.
    void changedDuringWalk_data() {
        QTest::addColumn<bool>("readAhead");
        QTest::addColumn<int>("leaveFilesBelow");
        QTest::newRow("same thread") << false << 0;
        QTest::newRow("leaves read by the writer") << true << 1'000'000;
    }

    void folderRemovedDuringWalkIsSkipped_data() { changedDuringWalk_data(); }
    void folderRemovedDuringWalkIsSkipped() {
        QFETCH(bool, readAhead);
        QFETCH(int, leaveFilesBelow);
        WalkerFixture f;
        const QString top = f.tree("vanishing");
        if (readAhead && !linkCountsFolders(top))
            QSKIP("the file system of the test folder does not count subfolders in link counts");
        QVERIFY(makeFolder(raw(top + "/one")));
        QVERIFY(makeFolder(raw(top + "/two")));
        QVERIFY(makeFile(raw(top + "/one/a.txt")));
        QVERIFY(makeFile(raw(top + "/two/b.txt")));
        f.choose({top});
        RecordingDisplay display;
        // Once the walk is in the first subfolder, the other one goes.
        display.onFolder = [&](const QString& folder) {
            if (folder == top + "/one/")
                QDir(top + "/two").removeRecursively();
            if (folder == top + "/two/")
                QDir(top + "/one").removeRecursively();
        };
        QCOMPARE(f.run(display, readAhead, 40, leaveFilesBelow), scan::ScanOutcome::Completed);
        QCOMPARE(f.scan.counters.foldersSkipped, 1);
        QCOMPARE(f.records().size(), 3); // one, two, and the file of the folder walked first
    }

    void folderMadeInALeafDuringWalkIsSkipped_data() { changedDuringWalk_data(); }
    void folderMadeInALeafDuringWalkIsSkipped() {
        // The folder was looked at before the walk reached it: no folder in it, so none was queued.
        // One made since is told as gone, not recorded as a folder whose entries never come.
        QFETCH(bool, readAhead);
        QFETCH(int, leaveFilesBelow);
        WalkerFixture f;
        const QString top = f.tree("growing");
        if (readAhead && !linkCountsFolders(top))
            QSKIP("the file system of the test folder does not count subfolders in link counts");
        QVERIFY(makeFolder(raw(top + "/leaf")));
        QVERIFY(makeFile(raw(top + "/leaf/a.txt")));
        f.choose({top});
        RecordingDisplay display;
        display.onFolder = [&](const QString& folder) {
            if (folder == top + "/")
                QVERIFY(makeFolder(raw(top + "/leaf/new")) && makeFile(raw(top + "/leaf/new/b.txt")));
        };
        QCOMPARE(f.run(display, readAhead, 40, leaveFilesBelow), scan::ScanOutcome::Completed);
        if (!readAhead) { // the same thread reads the folder when its turn comes, and sees it
            QCOMPARE(f.records().size(), 4);
            QVERIFY(display.problems.isEmpty());
            return;
        }
        QStringList names;
        for (const FileRecord& r : f.records())
            names << r.longName;
        QCOMPARE(names, QStringList({"leaf", "a.txt"}));
        QCOMPARE(f.scan.counters.entriesSkipped, 1);
        QCOMPARE(display.problems,
                 QStringList(
                     {"In folder " + top + "/leaf/ an entry was skipped: new: No such file or directory"}));
    }

    void entryVanishedDuringWalkIsSkipped() {
        // A large folder is examined in chunks, each when the walk gets to it: entries of a later
        // chunk that vanish meanwhile are skipped and counted, and the walk goes on.
        WalkerFixture f;
        const QString top = f.tree("entries");
        for (int i = 0; i < 1500; ++i)
            QVERIFY(makeFile(raw(top + QString("/file %1").arg(i))));
        platform::SearchError error;
        QStringList listed;
        for (const platform::DirEntry& e : platform::readFolder(raw(top), error))
            listed << e.longName;
        const QStringList later = listed.mid(1024);
        QCOMPARE(later.size(), 1500 - 1024);
        f.choose({top});
        RecordingDisplay display;
        display.onEntry = [&](const QString&) {
            if (display.entries.size() == 1) {
                for (const QString& name : later)
                    QFile::remove(top + "/" + name);
            }
        };
        QCOMPARE(f.run(display, false), scan::ScanOutcome::Completed);
        QCOMPARE(f.records().size(), 1024);
        QCOMPARE(f.scan.counters.entriesSkipped, later.size());
        QCOMPARE(display.problems.size(), 1); // one line for the folder
        QVERIFY(display.problems.first().contains(QString("%1 entries were skipped").arg(later.size())));
    }

    void unreadableFolderIsSkipped() {
        if (geteuid() == 0)
            QSKIP("permissions do not stop the superuser; the removed-folder cases cover the same path");
        WalkerFixture f;
        const QString top = f.tree("locked");
        QVERIFY(makeFolder(raw(top + "/closed")));
        QVERIFY(makeFile(raw(top + "/closed/secret")));
        QVERIFY(makeFile(raw(top + "/open.txt")));
        QVERIFY(::chmod(raw(top + "/closed").constData(), 0) == 0);
        f.choose({top});
        RecordingDisplay display;
        const scan::ScanOutcome outcome = f.run(display);
        ::chmod(raw(top + "/closed").constData(), 0755);
        QCOMPARE(outcome, scan::ScanOutcome::Completed);
        QCOMPARE(f.records().size(), 2);
        QCOMPARE(f.scan.counters.foldersSkipped, 1);
        QVERIFY(display.problems.first().contains("Permission denied"));
    }

    void databaseFailureEndsScanAndKeepsCommittedRecords() {
        WalkerFixture f;
        const QString top = f.tree("readonly");
        QVERIFY(makeFile(raw(top + "/a.txt")));
        f.choose({top});
        f.ws.database->execute("Delete * from filetype");
        // A connection that refuses every write.
        f.ws.database->execute("PRAGMA query_only = 1");
        RecordingDisplay display;
        scan::ScanPacing pacing;
        const scan::ScanOutcome outcome = scan::scanSelectedFolders(f.scan, f.ws, display, pacing);
        f.ws.database->execute("PRAGMA query_only = 0");
        QCOMPARE(outcome, scan::ScanOutcome::Failed);
        QCOMPARE(f.ws.scanResult, work::NoCompletedScan);
        QVERIFY(f.scan.errorNumber != 0);
        QVERIFY(!f.scan.errorText.isEmpty());
        QVERIFY(!f.ws.database->inTransaction());
    }

    void valueTooLargeForItsFieldCostsOnlyThatEntry() {
        WalkerFixture f;
        // A file table whose LONGNAME holds only ten characters.
        auto& table = f.ws.tables[static_cast<size_t>(work::WorkTable::Filetype)];
        if (table)
            table->close();
        table.reset();
        f.ws.flag(work::WorkTable::Filetype) = false;
        f.ws.database->deleteTable("FILETYPE");
        db::TableDef def = work::filetypeDef();
        for (db::FieldDef& field : def.fields) {
            if (field.name == "LONGNAME")
                field.size = 10;
        }
        f.ws.database->createTable(def);

        const QString top = f.tree("narrow");
        QVERIFY(makeFile(raw(top + "/short.txt")));
        QVERIFY(makeFile(raw(top + "/a much longer name.txt")));
        QVERIFY(makeFile(raw(top + "/tiny")));
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        const QList<FileRecord> records = f.records();
        QCOMPARE(records.size(), 2);
        QVERIFY(WalkerFixture::find(records, "short.txt"));
        QVERIFY(WalkerFixture::find(records, "tiny"));
        QCOMPARE(f.scan.counters.entriesSkipped, 1);
        QCOMPARE(display.problems.size(), 1);
        QVERIFY(display.problems.first().contains("a much longer name.txt not recorded: Error # 3163"));
    }

    void noDatabaseFails() {
        WalkerFixture f;
        f.choose({f.tree("nodb")});
        work::closeWorkFile(f.ws);
        RecordingDisplay display;
        QCOMPARE(scan::scanSelectedFolders(f.scan, f.ws, display), scan::ScanOutcome::Failed);
        QCOMPARE(f.scan.errorNumber, int(db::ErrObjectClosed));
    }

    void capacityOfScanDrive() {
        WalkerFixture f;
        const QString top = f.tree("capacity");
        f.choose({top});
        RecordingDisplay display;
        QCOMPARE(f.run(display), scan::ScanOutcome::Completed);
        // The drive is the mount point holding the first chosen folder.
        QVERIFY(!f.scan.scanDrive.isEmpty());
        QVERIFY(top == f.scan.scanDrive || top.startsWith(f.scan.scanDrive));
        QCOMPARE(display.capacityRoot, f.scan.scanDrive);
        QVERIFY(f.scan.driveCapacity.known);
        QVERIFY(f.scan.driveCapacity.totalBytes > 0);
        QVERIFY(f.scan.driveCapacity.freeBytes <= f.scan.driveCapacity.totalBytes);

        QString missing = "/no/such/folder/anywhere";
        scan::DriveCapacity capacity;
        capacity.totalBytes = 99;
        scan::readDriveCapacity(missing, capacity);
        QVERIFY(!capacity.known);
        QCOMPARE(capacity.totalBytes, 0); // never a previous drive's figure
        QCOMPARE(capacity.errorNumber, ENOENT);
    }
};

QTEST_GUILESS_MAIN(TestFolderWalker)
#include "test_folder_walker.moc"
