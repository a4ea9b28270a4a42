// A scan whose working copy fills its disk: the scan ends as failed with the engine's number and
// text, the records of every commit before the failure stay whole, no transaction is left open, and
// once there is room again the same work file scans to the end. The full disk is a file size limit.
#include "support/file_size_limit.h"
#include "support/walker_fixture.h"

#include <QFileInfo>
#include <QTest>

using namespace zek;
using namespace zek::test;

class TestScanDiskFull : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void committedRecordsStayAndTheNextScanWorks_data() {
        QTest::addColumn<bool>("readAhead");
        QTest::newRow("folders read on a thread of their own") << true;
        QTest::newRow("folders read by the writer") << false;
    }
    void committedRecordsStayAndTheNextScanWorks() {
        QFETCH(bool, readAhead);
        constexpr int Files = 1000;
        constexpr int CommitRecords = 50;
        WalkerFixture f;
        const QString top = f.tree("many");
        for (int i = 0; i < Files; ++i)
            QVERIFY(makeFile(raw(top + QString("/a file with a longer name %1.txt").arg(i))));
        f.choose({top});
        f.ws.database->execute("Delete * from filetype");

        scan::ScanPacing pacing;
        pacing.readAhead = readAhead;
        pacing.commitRecords = CommitRecords;
        pacing.commitInterval = 60'000; // commits by count only
        RecordingDisplay display;
        scan::ScanOutcome outcome;
        {
            FileSizeLimit disk(QFileInfo(f.ws.workingCopyName()).size() + 32 * 1024);
            outcome = scan::scanSelectedFolders(f.scan, f.ws, display, pacing);
        }
        QCOMPARE(outcome, scan::ScanOutcome::Failed);
        QCOMPARE(f.ws.scanResult, work::NoCompletedScan);
        QCOMPARE(f.scan.errorNumber, 778);
        QCOMPARE(f.scan.errorText, QString("disk I/O error"));
        QVERIFY(!f.ws.database->inTransaction());

        // Whole commits stayed: some, not all, and each record complete.
        f.ws.database->checkIntegrity();
        const QList<FileRecord> kept = f.records();
        QVERIFY2(kept.size() > 0 && kept.size() < Files, qPrintable(QString::number(kept.size())));
        QCOMPARE(kept.size() % CommitRecords, 0);
        for (const FileRecord& r : kept)
            QVERIFY(!r.anyNull && r.longName.startsWith("a file with a longer name "));

        QCOMPARE(f.run(display, readAhead), scan::ScanOutcome::Completed);
        QCOMPARE(f.records().size(), Files);
    }
};

QTEST_GUILESS_MAIN(TestScanDiskFull)
#include "test_scan_disk_full.moc"
